// A fresh folder under the system's temporary folder, removed with its contents
// when the object goes; plus small file helpers for tests.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace quelo::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }  // ends in the separator, "/" or "\\"
  std::string File(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

std::vector<uint8_t> ReadAll(const std::string& fileName);
void WriteAll(const std::string& fileName, const std::vector<uint8_t>& bytes);
std::string TestData(const std::string& name);  // path of a file in tests/data
std::set<std::string> FileNames(const std::string& folder);  // what a folder holds, names only

}  // namespace quelo::test
