#include "archive/FileIo.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

#include "platform/Platform.h"
#include "platform/QueloError.h"

namespace fs = std::filesystem;

namespace quelo {

// ---- InputFile ---------------------------------------------------------------

InputFile::~InputFile() {
  if (file_) std::fclose(file_);
}

bool InputFile::Open(const std::string& fileName) {
  file_ = platform::OpenFile(fileName, "rb");
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

}  // namespace quelo
