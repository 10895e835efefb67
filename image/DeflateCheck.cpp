#include "image/DeflateCheck.h"

#include <cstring>

#include "platform/Tr.h"

namespace quelo {

namespace {

const char* const kCutShort = QUELO_TR_NOOP("image", "圧縮された画像データが途中で終わっています");
const char* const kBadHeader = QUELO_TR_NOOP("image", "圧縮された画像データの見出しが不正です");
const char* const kBadBlock = QUELO_TR_NOOP("image", "圧縮された画像データに不正なブロックがあります");
const char* const kBadTable = QUELO_TR_NOOP("image", "圧縮された画像データの符号表が不正です");
const char* const kBadCode = QUELO_TR_NOOP("image", "圧縮された画像データに不正な符号があります");
const char* const kBadDistance = QUELO_TR_NOOP("image", "圧縮された画像データが不正な距離を参照しています");
const char* const kTooMuch = QUELO_TR_NOOP("image", "圧縮された画像データが画像より大きく展開されます");

// Least significant bit first, as deflate packs them. Past the end it reads
// zeros and counts them, so a caller asks Overrun() instead of testing each read.
class BitReader {
 public:
  BitReader(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}

  uint32_t Peek(int n) {
    if (count_ < n) Refill();
    return static_cast<uint32_t>(buffer_ & ((uint64_t{1} << n) - 1));
  }
  void Drop(int n) {
    buffer_ >>= n;
    count_ -= n;
  }
  uint32_t Get(int n) {
    const uint32_t v = Peek(n);
    Drop(n);
    return v;
  }
  // To the next byte boundary (stored blocks).
  void Align() { Drop(count_ % 8); }
  // Skips n whole bytes after Align(); false when the data ends first.
  bool SkipBytes(size_t n) {
    while (n > 0 && count_ >= 8) {
      Drop(8);
      --n;
    }
    if (n > static_cast<size_t>(end_ - p_)) return false;
    p_ += n;
    return !Overrun();
  }
  // True once a bit beyond the data has been taken.
  bool Overrun() const { return padded_ * 8 > static_cast<uint64_t>(count_); }
  bool Padded() const { return padded_ != 0; }

 private:
  void Refill() {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    // Whole bytes at once while 8 remain: the bytes in memory are the bits in order.
    if (end_ - p_ >= 8) {
      uint64_t next;
      std::memcpy(&next, p_, 8);
      buffer_ |= next << count_;
      p_ += (63 - count_) >> 3;
      count_ |= 56;
      return;
    }
#endif
    while (count_ <= 56) {
      uint8_t b = 0;
      if (p_ != end_) {
        b = *p_++;
      } else {
        ++padded_;
      }
      buffer_ |= uint64_t{b} << count_;
      count_ += 8;
    }
  }

  const uint8_t* p_;
  const uint8_t* end_;
  uint64_t buffer_ = 0;
  int count_ = 0;
  uint64_t padded_ = 0;
};

constexpr int kFastBits = 11;
constexpr int kMaxBits = 15;

// A canonical Huffman code: codes up to kFastBits long are found in one table
// look-up, longer ones bit by bit.
struct Huffman {
  uint16_t count[kMaxBits + 1];
  uint16_t symbol[288];
  uint16_t fast[1 << kFastBits];  // length << 9 | symbol; 0: not a short code

  // False for an over-subscribed code, and for an incomplete one unless it is a
  // single code of one bit or (allowEmpty) has no codes at all: zlib's rules.
  bool Build(const uint8_t* lengths, int n, bool allowIncomplete) {
    std::memset(count, 0, sizeof count);
    std::memset(fast, 0, sizeof fast);
    for (int s = 0; s < n; ++s) ++count[lengths[s]];
    count[0] = 0;
    int maxLength = 0;
    int left = 1;
    for (int len = 1; len <= kMaxBits; ++len) {
      left = 2 * left - count[len];
      if (left < 0) return false;
      if (count[len]) maxLength = len;
    }
    if (left > 0 && maxLength != 0 && !(allowIncomplete && maxLength == 1)) return false;
    if (maxLength == 0 && !allowIncomplete) return false;
    uint16_t offset[kMaxBits + 2] = {};
    int next[kMaxBits + 1] = {};
    int code = 0;
    for (int len = 1; len <= kMaxBits; ++len) {
      offset[len + 1] = static_cast<uint16_t>(offset[len] + count[len]);
      code = (code + count[len - 1]) << 1;
      next[len] = code;
    }
    for (int s = 0; s < n; ++s) {
      const int len = lengths[s];
      if (len == 0) continue;
      symbol[offset[len]++] = static_cast<uint16_t>(s);
      const int c = next[len]++;
      if (len > kFastBits) continue;
      int reversed = 0;
      for (int b = 0; b < len; ++b) reversed |= ((c >> b) & 1) << (len - 1 - b);
      for (int j = reversed; j < (1 << kFastBits); j += 1 << len)
        fast[j] = static_cast<uint16_t>(len << 9 | s);
    }
    return true;
  }

  // The next symbol, or -1 for bits that are no code of this table.
  int Decode(BitReader& in) const {
    const uint16_t entry = fast[in.Peek(kFastBits)];
    if (entry) {
      in.Drop(entry >> 9);
      return entry & 511;
    }
    int code = 0, first = 0, index = 0;
    for (int len = 1; len <= kMaxBits; ++len) {
      code |= static_cast<int>(in.Get(1));
      const int n = count[len];
      if (code - first < n) return symbol[index + code - first];
      index += n;
      first = (first + n) << 1;
      code <<= 1;
    }
    return -1;
  }
};

constexpr uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint16_t kDistanceBase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
                                        193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                        6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

class Walker {
 public:
  Walker(const uint8_t* data, size_t size, uint64_t maxInflated) : in_(data, size), max_(maxInflated) {}

  DeflateCheck Run() {
    DeflateCheck result;
    result.problem = Stream();
    result.inflated = out_;
    return result;
  }

 private:
  const char* Stream() {
    const uint32_t cmf = in_.Get(8);
    const uint32_t flg = in_.Get(8);
    if (in_.Overrun()) return kCutShort;
    // Deflate, a window of at most 32 KB, the check bits, and no preset
    // dictionary (a PNG has none to give).
    if ((cmf & 15) != 8 || (cmf >> 4) > 7 || (cmf * 256 + flg) % 31 != 0 || (flg & 32)) return kBadHeader;
    for (;;) {
      const uint32_t last = in_.Get(1);
      const uint32_t type = in_.Get(2);
      const char* problem = nullptr;
      if (type == 0) {
        problem = Stored();
      } else if (type == 1) {
        problem = Codes(FixedLiterals(), FixedDistances());
      } else if (type == 2) {
        problem = Dynamic();
      } else {
        problem = kBadBlock;
      }
      if (in_.Overrun()) return kCutShort;
      if (problem) return problem;
      if (last) return nullptr;  // what follows (the Adler-32) is stb_image's to skip
    }
  }

  const char* Stored() {
    in_.Align();
    const uint32_t length = in_.Get(16);
    const uint32_t complement = in_.Get(16);
    if (in_.Overrun()) return kCutShort;
    if (length != (~complement & 0xFFFF)) return kBadBlock;
    if (!in_.SkipBytes(length)) return kCutShort;
    return Produce(length);
  }

  const char* Dynamic() {
    const int literals = static_cast<int>(in_.Get(5)) + 257;
    const int distances = static_cast<int>(in_.Get(5)) + 1;
    const int codeLengths = static_cast<int>(in_.Get(4)) + 4;
    if (literals > 286 || distances > 30) return kBadTable;
    static constexpr uint8_t kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    uint8_t lengths[286 + 30] = {};
    for (int i = 0; i < codeLengths; ++i) lengths[kOrder[i]] = static_cast<uint8_t>(in_.Get(3));
    Huffman& lengthCode = tables_[0];
    if (!lengthCode.Build(lengths, 19, false)) return kBadTable;
    const int total = literals + distances;
    for (int i = 0; i < total;) {
      const int s = lengthCode.Decode(in_);
      if (in_.Overrun()) return kCutShort;
      if (s < 0) return kBadTable;
      if (s < 16) {
        lengths[i++] = static_cast<uint8_t>(s);
        continue;
      }
      uint8_t value = 0;
      int repeat = 0;
      if (s == 16) {
        if (i == 0) return kBadTable;  // nothing to repeat
        value = lengths[i - 1];
        repeat = 3 + static_cast<int>(in_.Get(2));
      } else if (s == 17) {
        repeat = 3 + static_cast<int>(in_.Get(3));
      } else {
        repeat = 11 + static_cast<int>(in_.Get(7));
      }
      if (i + repeat > total) return kBadTable;
      while (repeat--) lengths[i++] = value;
    }
    if (lengths[256] == 0) return kBadTable;  // a block must be able to end
    Huffman& literalCode = tables_[1];
    Huffman& distanceCode = tables_[2];
    if (!literalCode.Build(lengths, literals, true) || !distanceCode.Build(lengths + literals, distances, true))
      return kBadTable;
    return Codes(literalCode, distanceCode);
  }

  const char* Codes(const Huffman& literalCode, const Huffman& distanceCode) {
    for (;;) {
      const int s = literalCode.Decode(in_);
      if (in_.Padded() && in_.Overrun()) return kCutShort;
      if (s < 0) return kBadCode;
      if (s < 256) {
        if (const char* problem = Produce(1)) return problem;
        continue;
      }
      if (s == 256) return nullptr;
      const int l = s - 257;
      if (l >= 29) return kBadCode;  // 286 and 287 exist only in the fixed table
      const uint32_t length = kLengthBase[l] + in_.Get(kLengthExtra[l]);
      const int d = distanceCode.Decode(in_);
      if (in_.Padded() && in_.Overrun()) return kCutShort;
      if (d < 0) return kBadCode;
      if (d >= 30) return kBadDistance;  // 30 and 31 stand for no distance
      const uint32_t distance = kDistanceBase[d] + in_.Get(kDistanceExtra[d]);
      if (distance > out_) return kBadDistance;  // before the first byte
      if (const char* problem = Produce(length)) return problem;
    }
  }

  const char* Produce(uint64_t n) {
    out_ += n;
    return out_ > max_ ? kTooMuch : nullptr;
  }

  static const Huffman& FixedLiterals() {
    static const Huffman code = [] {
      uint8_t lengths[288];
      for (int s = 0; s < 288; ++s) lengths[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
      Huffman h;
      h.Build(lengths, 288, false);
      return h;
    }();
    return code;
  }
  static const Huffman& FixedDistances() {
    static const Huffman code = [] {
      uint8_t lengths[32];
      std::memset(lengths, 5, sizeof lengths);
      Huffman h;
      h.Build(lengths, 32, false);
      return h;
    }();
    return code;
  }

  BitReader in_;
  uint64_t max_;
  uint64_t out_ = 0;
  Huffman tables_[3];
};

}  // namespace

DeflateCheck CheckZlibStream(const uint8_t* data, size_t size, uint64_t maxInflated) {
  return Walker(data, size, maxInflated).Run();
}

}  // namespace quelo
