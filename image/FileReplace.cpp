#include "image/FileReplace.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>

#include "platform/QueloError.h"

namespace quelo {

namespace {

// Opens a temporary file that did not exist before ("x": never opens a file
// someone else made), beside the target so that the rename stays on one disk.
std::FILE* OpenTemporary(const std::string& fileName, std::string& tempName) {
  static std::mt19937 random{std::random_device{}()};
  int error = 0;
  for (int attempt = 0; attempt < 16; ++attempt) {
    tempName = fileName + ".tmp" + std::to_string(random() % 1000000);
    if (std::FILE* f = std::fopen(tempName.c_str(), "wbx")) return f;
    error = errno;
    if (error != EEXIST) break;
  }
  errno = error;
  return nullptr;
}

}  // namespace

void ReplaceFileContents(const std::string& fileName, const std::vector<uint8_t>& bytes,
                         const std::string& source) {
  namespace fs = std::filesystem;
  std::string tempName;
  std::FILE* f = OpenTemporary(fileName, tempName);
  if (!f) throw QueloError::FromErrno(errno, source);

  bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  int error = written ? 0 : errno;
  if (std::fflush(f) != 0 && written) {
    written = false;
    error = errno;
  }
  if (std::fclose(f) != 0 && written) {
    written = false;
    error = errno;
  }
  std::error_code ec;
  if (!written) {
    fs::remove(tempName, ec);
    throw QueloError::FromErrno(error != 0 ? error : EIO, source);
  }

  // A file being replaced keeps its permissions.
  const auto status = fs::status(fileName, ec);
  if (!ec && fs::is_regular_file(status)) fs::permissions(tempName, status.permissions(), ec);

  fs::rename(tempName, fileName, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(tempName, ignored);
    throw QueloError::FromErrno(ec.value(), source);
  }
}

}  // namespace quelo
