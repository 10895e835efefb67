#include "platform/ReplacingFile.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <random>

#include "platform/Platform.h"
#include "platform/QueloError.h"

namespace fs = std::filesystem;

namespace quelo {

ReplacingFile::ReplacingFile(const std::string& destination, std::string source)
    : destination_(destination), source_(std::move(source)) {
  std::error_code ec;
  // Writing through a link updates the file it points to, as an ordinary write would.
  if (fs::is_symlink(platform::FsPath(destination_), ec)) {
    const fs::path target = fs::canonical(platform::FsPath(destination_), ec);
    if (!ec) destination_ = target.u8string();
  }
  const bool exists = fs::exists(platform::FsPath(destination_), ec);
  if (exists) {
    if (fs::is_directory(platform::FsPath(destination_), ec)) throw QueloError::FromErrno(EISDIR, source_);
    // A file the user may not write stays untouched, although the folder would
    // allow replacing it. Appending nothing changes neither contents nor time.
    std::FILE* probe = platform::OpenFile(destination_, "ab");
    if (!probe) throw QueloError::FromErrno(errno, source_);
    std::fclose(probe);
  }
  std::random_device random;
  for (int attempt = 0; attempt < 100 && !file_; ++attempt) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".quelo-%08x.tmp", static_cast<unsigned>(random()));
    temp_ = destination_ + suffix;
    file_ = platform::CreateFileExclusive(temp_);
    if (!file_ && errno != EEXIST) throw QueloError::FromErrno(errno, source_);
  }
  if (!file_) throw QueloError::FromErrno(EEXIST, source_);
  if (exists) SetPermissionsFrom(destination_);
}

ReplacingFile::~ReplacingFile() {
  if (file_) std::fclose(file_);
  if (!committed_ && !temp_.empty()) {
    std::error_code ec;
    fs::remove(platform::FsPath(temp_), ec);
  }
}

void ReplacingFile::Write(const void* data, size_t count) {
  if (count == 0) return;
  const size_t allowed = platform::TakeWriteAllowance(count);
  errno = 0;
  if (allowed > 0 && std::fwrite(data, 1, allowed, file_) != allowed)
    throw QueloError::FromErrno(errno ? errno : EIO, source_);
  if (allowed < count) throw QueloError::FromErrno(ENOSPC, source_);
}

void ReplacingFile::WriteZeros(int64_t count) {
  static const std::vector<char> zeros(64 * 1024, '\0');
  while (count > 0) {
    const size_t piece = static_cast<size_t>(std::min<int64_t>(count, static_cast<int64_t>(zeros.size())));
    Write(zeros.data(), piece);
    count -= static_cast<int64_t>(piece);
  }
}

void ReplacingFile::SetPermissionsFrom(const std::string& fileName) {
  std::error_code ec;
  const fs::perms perms = fs::status(platform::FsPath(fileName), ec).permissions();
  if (!ec) fs::permissions(platform::FsPath(temp_), perms, fs::perm_options::replace, ec);
}

void ReplacingFile::Commit() {
  errno = 0;
  if (std::fflush(file_) != 0) throw QueloError::FromErrno(errno ? errno : EIO, source_);
  const int closed = std::fclose(file_);
  file_ = nullptr;
  if (closed != 0) throw QueloError::FromErrno(errno ? errno : EIO, source_);
  if (const int error = platform::RenameReplacing(temp_, destination_); error != 0)
    throw QueloError::FromErrno(error, source_);
  committed_ = true;
}

void WriteFileReplacing(const std::string& fileName, const std::vector<uint8_t>& bytes,
                        const std::string& source) {
  ReplacingFile out(fileName, source);
  out.Write(bytes.data(), bytes.size());
  out.Commit();
}

}  // namespace quelo
