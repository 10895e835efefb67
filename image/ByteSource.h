// The byte source the image decoders read through: a file (positions from 1, the
// file's own numbering) or a byte array (positions are indices from 0), read
// forwards with the integer readers of the image formats.
//
// Bounds are checked here and nowhere else: a read past the end, or a field out
// of its range (16-bit values from 32768, 32-bit values with the top bit set),
// marks the source as failed and yields zero bytes; the decoders test Failed()
// at the end of each section. Files are read through a buffer of our own, so
// small fields cost no system call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace quelo {

class ByteSource {
 public:
  ByteSource() = default;
  ~ByteSource() { Close(); }
  ByteSource(const ByteSource&) = delete;
  ByteSource& operator=(const ByteSource&) = delete;

  // Reads the caller's array in place; it must outlive the reading.
  void OpenMemory(const uint8_t* data, size_t size);
  // Opens the file and moves to the 1-based position. False when the file
  // cannot be opened or the position is not a valid one.
  bool OpenFile(const std::string& fileName, int64_t position);
  // Closes the file (if any) and forgets the array: nothing loaded.
  void Close();

  int64_t GetPosition() const;
  void SetPosition(int64_t position);
  // Bytes between the position and the end of the data (0 when beyond it).
  int64_t Remaining() const;
  bool Failed() const { return failed_; }

  uint8_t ReadByte() {
    if (cur_ != end_) return *cur_++;
    uint8_t b = 0;
    ReadBytes(&b, 1);
    return b;
  }
  // Fills out[0..n); zeros after a failure.
  void ReadBytes(uint8_t* out, size_t n) {
    if (const uint8_t* p = ReadSpan(n)) {
      std::memcpy(out, p, n);
    } else {
      std::memset(out, 0, n);
    }
  }
  // The next n bytes as one contiguous block, valid until the next read or
  // SetPosition; nullptr (and the source failed) when fewer than n remain.
  const uint8_t* ReadSpan(size_t n) {
    if (static_cast<size_t>(end_ - cur_) >= n && !failed_) {
      const uint8_t* p = cur_;
      cur_ += n;
      return p;
    }
    return ReadSpanSlow(n);
  }

  int32_t ReadIntegerLE() {
    const uint8_t* p = ReadSpan(2);
    return p ? Check16(p[0] | p[1] << 8) : 0;
  }
  int32_t ReadIntegerBE() {
    const uint8_t* p = ReadSpan(2);
    return p ? Check16(p[0] << 8 | p[1]) : 0;
  }
  int32_t ReadLongLE() {
    const uint8_t* p = ReadSpan(4);
    return p ? Check32(uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24)
             : 0;
  }
  int32_t ReadLongBE() {
    const uint8_t* p = ReadSpan(4);
    return p ? Check32(uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | uint32_t{p[3]})
             : 0;
  }
  // A PSD Pascal string: length byte, the bytes, and a pad byte that makes the
  // whole even. Each byte becomes one character of the ANSI code page.
  std::string ReadPascalString();

 private:
  const uint8_t* ReadSpanSlow(size_t n);
  bool Refill(size_t n);
  void Fail();
  int32_t Check16(int v) {
    if (v >= 0x8000) Fail();
    return failed_ ? 0 : v;
  }
  int32_t Check32(uint32_t v) {
    if (v & 0x80000000u) Fail();
    return failed_ ? 0 : static_cast<int32_t>(v);
  }

  enum class Kind { None, Memory, File };
  Kind kind_ = Kind::None;
  bool failed_ = false;

  // The bytes at hand: [begin_, end_) covers positions from windowPos_ on.
  const uint8_t* begin_ = nullptr;
  const uint8_t* cur_ = nullptr;
  const uint8_t* end_ = nullptr;
  int64_t windowPos_ = 0;
  int64_t beyond_ = 0;  // a position set past the end of an array

  // File mode.
  std::FILE* file_ = nullptr;
  int64_t fileLength_ = 0;  // bytes
  int64_t filePos_ = 0;     // where the next fread starts, 1-based
  std::vector<uint8_t> buffer_;
};

}  // namespace quelo
