// Small binary file helpers shared by the archive reader, the definition reader
// and the writers. Offsets here are zero-based byte offsets; the classes convert
// to and from the 1-based positions of their interfaces.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace quelo {

// A file open for binary reading, closed when the object goes.
class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // False when the file cannot be opened; errno tells why.
  bool Open(const std::string& fileName);
  std::FILE* Handle() const { return file_; }
  int64_t Length() const { return length_; }
  bool Seek(int64_t offset);
  // Reads up to count bytes; fewer only at the end of the file (or on an error).
  size_t Read(void* buffer, size_t count);
  // Reads count bytes at offset; bytes beyond the end of the file read as zero.
  // Returns the number of bytes that really came from the file.
  size_t ReadAtZeroFilled(int64_t offset, void* buffer, size_t count);

 private:
  std::FILE* file_ = nullptr;
  int64_t length_ = 0;
};

// Little-endian fields read one after the other from an InputFile. A read past
// the end of the file marks the reader failed; later reads then give zeros, so
// callers check Failed() once per section rather than after every field.
class FieldReader {
 public:
  FieldReader(InputFile& file, int64_t offset);

  bool Failed() const { return failed_; }
  int64_t Offset() const { return offset_; }
  int64_t Remaining() const { return failed_ || offset_ > length_ ? 0 : length_ - offset_; }

  bool Bytes(void* out, size_t count);
  uint16_t U16();
  uint32_t U32();
  int16_t I16() { return static_cast<int16_t>(U16()); }
  int32_t I32() { return static_cast<int32_t>(U32()); }
  // A 16-bit byte count and that many bytes, as stored (no decoding).
  std::string CountedBytes();

 private:
  InputFile& file_;
  int64_t offset_;
  int64_t length_;
  bool failed_ = false;
};

}  // namespace quelo
