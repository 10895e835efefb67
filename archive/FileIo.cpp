#include "archive/FileIo.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

#include "platform/QueloError.h"

namespace fs = std::filesystem;

namespace quelo {

// ---- InputFile ---------------------------------------------------------------

InputFile::~InputFile() {
  if (file_) std::fclose(file_);
}

bool InputFile::Open(const std::string& fileName) {
  file_ = std::fopen(fileName.c_str(), "rb");
  if (!file_) return false;
  if (std::fseek(file_, 0, SEEK_END) != 0) return false;
  const long end = std::ftell(file_);
  if (end < 0 || std::fseek(file_, 0, SEEK_SET) != 0) return false;
  length_ = end;
  return true;
}

bool InputFile::Seek(int64_t offset) {
  return offset >= 0 && std::fseek(file_, static_cast<long>(offset), SEEK_SET) == 0;
}

size_t InputFile::Read(void* buffer, size_t count) {
  return count == 0 ? 0 : std::fread(buffer, 1, count, file_);
}

size_t InputFile::ReadAtZeroFilled(int64_t offset, void* buffer, size_t count) {
  std::memset(buffer, 0, count);
  if (offset < 0 || offset >= length_ || !Seek(offset)) return 0;
  return Read(buffer, count);
}

// ---- FieldReader -------------------------------------------------------------

FieldReader::FieldReader(InputFile& file, int64_t offset)
    : file_(file), offset_(offset), length_(file.Length()) {
  failed_ = offset < 0 || !file_.Seek(offset);
}

bool FieldReader::Bytes(void* out, size_t count) {
  if (count == 0) return !failed_;
  std::memset(out, 0, count);
  if (failed_) return false;
  if (static_cast<int64_t>(count) > Remaining()) {
    // Keep what exists, so a cut-short field still shows its first bytes.
    file_.Read(out, static_cast<size_t>(Remaining()));
    offset_ = length_;
    failed_ = true;
    return false;
  }
  if (file_.Read(out, count) != count) {
    failed_ = true;
    return false;
  }
  offset_ += static_cast<int64_t>(count);
  return true;
}

uint16_t FieldReader::U16() {
  uint8_t b[2];
  Bytes(b, 2);
  return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t FieldReader::U32() {
  uint8_t b[4];
  Bytes(b, 4);
  return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
         (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

std::string FieldReader::CountedBytes() {
  const uint16_t count = U16();
  if (failed_) return {};
  // The count is checked against the bytes left before anything is allocated.
  if (count > Remaining()) {
    offset_ = length_;
    failed_ = true;
    return {};
  }
  std::string bytes(count, '\0');
  Bytes(bytes.data(), count);
  return bytes;
}

// ---- ReplacingFile -----------------------------------------------------------

ReplacingFile::ReplacingFile(const std::string& destination, std::string source)
    : destination_(destination), source_(std::move(source)) {
  std::error_code ec;
  // Writing through a link updates the file it points to, as an ordinary write would.
  if (fs::is_symlink(destination_, ec)) {
    const fs::path target = fs::canonical(destination_, ec);
    if (!ec) destination_ = target.string();
  }
  const bool exists = fs::exists(destination_, ec);
  if (exists) {
    if (fs::is_directory(destination_, ec)) throw QueloError::FromErrno(EISDIR, source_);
    // A file the user may not write stays untouched, although the folder would
    // allow replacing it. Appending nothing changes neither contents nor time.
    std::FILE* probe = std::fopen(destination_.c_str(), "ab");
    if (!probe) throw QueloError::FromErrno(errno, source_);
    std::fclose(probe);
  }
  std::random_device random;
  for (int attempt = 0; attempt < 100 && !file_; ++attempt) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".quelo-%08x.tmp", static_cast<unsigned>(random()));
    temp_ = destination_ + suffix;
    file_ = std::fopen(temp_.c_str(), "wbx");
    if (!file_ && errno != EEXIST) throw QueloError::FromErrno(errno, source_);
  }
  if (!file_) throw QueloError::FromErrno(EEXIST, source_);
  if (exists) SetPermissionsFrom(destination_);
}

ReplacingFile::~ReplacingFile() {
  if (file_) std::fclose(file_);
  if (!committed_ && !temp_.empty()) std::remove(temp_.c_str());
}

void ReplacingFile::Write(const void* data, size_t count) {
  if (count == 0) return;
  errno = 0;
  if (std::fwrite(data, 1, count, file_) != count) throw QueloError::FromErrno(errno ? errno : EIO, source_);
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
  const fs::perms perms = fs::status(fileName, ec).permissions();
  if (!ec) fs::permissions(temp_, perms, fs::perm_options::replace, ec);
}

void ReplacingFile::Commit() {
  errno = 0;
  if (std::fflush(file_) != 0) throw QueloError::FromErrno(errno ? errno : EIO, source_);
  const int closed = std::fclose(file_);
  file_ = nullptr;
  if (closed != 0) throw QueloError::FromErrno(errno ? errno : EIO, source_);
  std::error_code ec;
  fs::rename(temp_, destination_, ec);
  if (ec) throw QueloError::FromErrno(ec.value(), source_);
  committed_ = true;
}

}  // namespace quelo
