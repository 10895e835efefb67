#include "image/ByteSource.h"

#include <algorithm>

#include "platform/Platform.h"

namespace quelo {

namespace {
// Large enough that a pack icon arrives in one or two reads, small enough that
// reading one icon out of a big executable does not drag in its neighbours.
constexpr size_t kFileChunk = 16 * 1024;
// Where an empty window points, so that a read of 0 bytes is never null.
const uint8_t kNothing = 0;
}  // namespace

void ByteSource::OpenMemory(const uint8_t* data, size_t size) {
  Close();
  kind_ = Kind::Memory;
  begin_ = cur_ = data ? data : &kNothing;
  end_ = begin_ + (data ? size : 0);
}

bool ByteSource::OpenFile(const std::string& fileName, int64_t position) {
  Close();
  if (position < 1) return false;
  file_ = platform::OpenFile(fileName, "rb");
  if (!file_) return false;
  // Our own buffer does the buffering; stdio's would only copy twice.
  std::setvbuf(file_, nullptr, _IONBF, 0);
  if (std::fseek(file_, 0, SEEK_END) != 0) {
    Close();
    return false;
  }
  fileLength_ = std::ftell(file_);
  if (fileLength_ < 0) {
    Close();
    return false;
  }
  kind_ = Kind::File;
  filePos_ = fileLength_ + 1;
  windowPos_ = position;
  begin_ = cur_ = end_ = buffer_.empty() ? &kNothing : buffer_.data();
  return true;
}

void ByteSource::Close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  // Image objects keep their source for their whole life: a closed one holds
  // no buffer.
  std::vector<uint8_t>().swap(buffer_);
  kind_ = Kind::None;
  failed_ = false;
  begin_ = cur_ = end_ = nullptr;
  windowPos_ = 0;
  beyond_ = 0;
  fileLength_ = 0;
  filePos_ = 0;
}

int64_t ByteSource::GetPosition() const {
  if (kind_ == Kind::None) return 0;
  return windowPos_ + (cur_ - begin_) + beyond_;
}

void ByteSource::SetPosition(int64_t position) {
  if (kind_ == Kind::None) return;
  beyond_ = 0;
  if (position >= windowPos_ && position - windowPos_ <= end_ - begin_) {
    cur_ = begin_ + (position - windowPos_);
    return;
  }
  if (kind_ == Kind::Memory) {
    if (position < 0) {
      Fail();
      return;
    }
    // Past the end: every later read fails, but the position reads back as set.
    cur_ = end_;
    beyond_ = position - (end_ - begin_);
    return;
  }
  if (position < 1) {
    Fail();
    return;
  }
  // Forget the window; the next read fetches from the new position.
  windowPos_ = position;
  begin_ = cur_ = end_ = buffer_.empty() ? &kNothing : buffer_.data();
}

int64_t ByteSource::Remaining() const {
  switch (kind_) {
    case Kind::Memory:
      return beyond_ > 0 ? 0 : end_ - cur_;
    case Kind::File:
      return std::max<int64_t>(0, fileLength_ - (GetPosition() - 1));
    case Kind::None:
      break;
  }
  return 0;
}

void ByteSource::Fail() {
  failed_ = true;
  cur_ = end_;
}

const uint8_t* ByteSource::ReadSpanSlow(size_t n) {
  if (n == 0 && !failed_) return cur_;
  if (failed_ || kind_ != Kind::File || !Refill(n)) {
    Fail();
    return nullptr;
  }
  const uint8_t* p = cur_;
  cur_ += n;
  return p;
}

bool ByteSource::Refill(size_t n) {
  const int64_t position = windowPos_ + (cur_ - begin_);
  // Never allocate or read for bytes the file does not have.
  if (static_cast<int64_t>(n) > fileLength_ - (position - 1)) return false;
  size_t have = static_cast<size_t>(end_ - cur_);
  const size_t capacity = std::max(n, kFileChunk);
  if (buffer_.size() < capacity) {
    std::vector<uint8_t> bigger(capacity);
    if (have > 0) std::memcpy(bigger.data(), cur_, have);
    buffer_.swap(bigger);
  } else if (have > 0) {
    std::memmove(buffer_.data(), cur_, have);
  }
  // The window points into the (possibly new) buffer before anything can fail,
  // so a failed seek leaves no pointer into the buffer that was just freed.
  windowPos_ = position;
  begin_ = cur_ = buffer_.data();
  end_ = begin_ + have;
  const int64_t next = position + static_cast<int64_t>(have);
  if (filePos_ != next) {
    if (std::fseek(file_, static_cast<long>(next - 1), SEEK_SET) != 0) return false;
    filePos_ = next;
  }
  while (have < n) {
    const size_t got = std::fread(buffer_.data() + have, 1, buffer_.size() - have, file_);
    if (got == 0) break;
    have += got;
    filePos_ += static_cast<int64_t>(got);
  }
  end_ = begin_ + have;
  return have >= n;
}

std::string ByteSource::ReadPascalString() {
  const uint8_t n = ReadByte();
  const uint8_t* bytes = ReadSpan(n);
  std::string text;
  if (bytes) {
    for (size_t i = 0; i < n; ++i) {
      const uint8_t b = bytes[i];
      if (b < 0x80) {
        text += static_cast<char>(b);
      } else {
        text += platform::DecodeCp932(std::string(1, static_cast<char>(b)));
      }
    }
  }
  if (n % 2 == 0) ReadByte();
  return text;
}

}  // namespace quelo
