// Replacing a file safely: the new contents go to a temporary file beside the
// destination, which takes the destination's place only when everything was
// written, so a failed write never damages a file the user already had.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace quelo {

// Writes a new file beside the destination and puts it in the destination's
// place only on Commit, so a failed write leaves an existing file as it was.
// Throws QueloError (from errno) on every failure, naming `source`. Write obeys
// the write failures that tests inject (platform::FailWritesAfter).
class ReplacingFile {
 public:
  ReplacingFile(const std::string& destination, std::string source);
  ~ReplacingFile();  // removes the temporary file unless committed
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  std::FILE* Handle() const { return file_; }
  void Write(const void* data, size_t count);
  void WriteZeros(int64_t count);
  // Gives the new file these permission bits (std::filesystem::perms values).
  void SetPermissionsFrom(const std::string& fileName);
  void Commit();

 private:
  std::string destination_;
  std::string temp_;
  std::string source_;
  std::FILE* file_ = nullptr;
  bool committed_ = false;
};

// The whole of bytes as the new contents of fileName, through a ReplacingFile.
void WriteFileReplacing(const std::string& fileName, const std::vector<uint8_t>& bytes,
                        const std::string& source);

}  // namespace quelo
