// Replacing a file safely: the new contents go to a temporary file beside the
// destination, which takes the destination's place only when everything was
// written and put on disk, so a failed write or a power cut never damages a
// file the user already had.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace quelo {

// Writes a new file beside the destination and puts it in the destination's
// place only on Commit, so a failed write leaves an existing file as it was.
// A destination that is a symbolic link names the file to replace; the link
// stays. Throws QueloError (from errno) on every failure, naming `source`. Write
// and Commit obey the failures that tests inject (platform::FailWritesAfter,
// platform::FailReplaceStep).
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
  // Syncs the new file, renames it into place and syncs the folder. When any of
  // these fails, the destination is as it was before and the error is thrown.
  void Commit();

 private:
  std::string destination_;  // the file replaced: a link's target, not the link
  std::string folder_;       // the folder that holds it
  std::string temp_;
  std::string source_;
  std::FILE* file_ = nullptr;
  bool existed_ = false;
  bool committed_ = false;
};

// The whole of bytes as the new contents of fileName, through a ReplacingFile.
void WriteFileReplacing(const std::string& fileName, const std::vector<uint8_t>& bytes,
                        const std::string& source);

}  // namespace quelo
