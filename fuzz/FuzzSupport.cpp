#include "FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>

#include "support/TempDir.h"

namespace quelo::fuzz {

platform::MsgResult SilentDialogs::MessageBox(const platform::MessageBoxRequest& request) {
  texts.push_back(request.text);
  return request.defaultButton;
}

SilentDialogs& Dialogs() {
  static SilentDialogs* dialogs = [] {
    auto* d = new SilentDialogs;  // lives as long as the process
    platform::SetDialogs(d);
    return d;
  }();
  return *dialogs;
}

const std::string& ScratchDir() {
  // A static object: removed with its contents when the process ends normally.
  static const test::TempDir dir;
  return dir.Path();
}

void WriteFile(const std::string& fileName, const uint8_t* data, size_t size) {
  std::FILE* f = std::fopen(fileName.c_str(), "wb");
  if (!f || (size > 0 && std::fwrite(data, 1, size, f) != size) || std::fclose(f) != 0)
    Fail("cannot write the scratch file " + fileName);
}

bool ReadFile(const std::string& fileName, std::vector<uint8_t>& bytes) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

void Fail(const std::string& what) {
  std::fprintf(stderr, "quelo fuzz check failed: %s\n", what.c_str());
  std::abort();
}

}  // namespace quelo::fuzz
