#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "platform/Platform.h"

namespace quelo::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::random_device random;
  const fs::path base = fs::temp_directory_path();
  for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
    char name[32];
    std::snprintf(name, sizeof name, "quelo-test-%08x", static_cast<unsigned>(random()));
    std::error_code ec;
    // create_directory is false for a folder that exists: another test's.
    // The system's own separator: names are compared with what the program shows.
    if (fs::create_directory(base / name, ec)) path_ = (base / name).u8string() + platform::kPathSeparator;
  }
  if (path_.empty()) throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ec;
  const fs::path path = platform::FsPath(path_);
  fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path, ec);
}

std::vector<uint8_t> ReadAll(const std::string& fileName) {
  std::ifstream in(platform::FsPath(fileName), std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + fileName);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& fileName, const std::vector<uint8_t>& bytes) {
  std::ofstream out(platform::FsPath(fileName), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + fileName);
}

std::string TestData(const std::string& name) { return std::string(QUELO_TEST_DATA_DIR) + "/" + name; }

std::set<std::string> FileNames(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(platform::FsPath(folder)))
    names.insert(e.path().filename().u8string());
  return names;
}

}  // namespace quelo::test
