// The deflate walker against zlib, the inflater libpng uses: streams zlib makes
// (stored, fixed and dynamic blocks), then damaged by flipped bits, replaced
// bytes and cuts. Both must take and refuse the same streams and, when taken,
// count the same inflated length. (zlib's Adler-32 is left out: the walker does
// not inflate, and stb_image does not check it.)
#include <zlib.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "image/DeflateCheck.h"

namespace quelo {
namespace {

// zlib's answer, header first as inflate() checks it, then the raw stream to its last block.
bool ZlibTakes(const std::vector<uint8_t>& in, uint64_t maxInflated, uint64_t* inflated) {
  *inflated = 0;
  if (in.size() < 2) return false;
  const unsigned cmf = in[0], flg = in[1];
  if ((cmf & 15) != 8 || (cmf >> 4) > 7 || (cmf * 256 + flg) % 31 != 0 || (flg & 32)) return false;
  z_stream z{};
  if (inflateInit2(&z, -15) != Z_OK) return false;
  z.next_in = const_cast<uint8_t*>(in.data()) + 2;
  z.avail_in = static_cast<uInt>(in.size() - 2);
  std::vector<uint8_t> out(1 << 16);
  int result = Z_OK;
  do {
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    result = inflate(&z, Z_NO_FLUSH);
    *inflated += out.size() - z.avail_out;
  } while (result == Z_OK && *inflated <= maxInflated && (z.avail_in > 0 || z.avail_out == 0));
  inflateEnd(&z);
  return result == Z_STREAM_END && *inflated <= maxInflated;
}

// Deflate's bits, least significant first; Huffman codes most significant first.
struct BitWriter {
  std::vector<uint8_t> bytes{0x78, 0x01};  // zlib header: deflate, 32 KB window
  int used = 8;
  void Put(uint32_t value, int n) {
    for (int i = 0; i < n; ++i) {
      if (used == 8) bytes.push_back(0), used = 0;
      bytes.back() = static_cast<uint8_t>(bytes.back() | ((value >> i) & 1) << used++);
    }
  }
  void Code(uint32_t code, int n) {
    for (int i = n - 1; i >= 0; --i) Put(code >> i & 1, 1);
  }
};

// A last dynamic block with 257 literal/length codes and one distance code.
// Its code-length code gives 0, 1, 2 and 18 two bits each (codes 00, 01, 10,
// 11); `literalLengths` maps symbols to their lengths (the rest 0); then the data
// codes (already in bits).
std::vector<uint8_t> DynamicBlock(int literalCount, const std::vector<std::pair<int, int>>& literalLengths,
                                  const std::vector<std::pair<uint32_t, int>>& data) {
  BitWriter out;
  out.Put(1, 1);
  out.Put(2, 2);
  out.Put(static_cast<uint32_t>(literalCount - 257), 5);
  out.Put(0, 5);   // one distance code
  out.Put(14, 4);  // 18 code-length lengths, in the order 16 17 18 0 8 7 9 6 10 5 11 4 12 3 13 2 14 1
  for (int symbol : {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1})
    out.Put(symbol == 0 || symbol == 1 || symbol == 2 || symbol == 18 ? 2 : 0, 3);
  const auto lengthCode = [&](int length) { out.Code(static_cast<uint32_t>(length), 2); };  // 0 1 2 -> 00 01 10
  int at = 0;
  const auto zeros = [&](int until) {
    while (until - at >= 11) {
      const int run = std::min(until - at, 138);
      out.Code(3, 2);  // 18
      out.Put(static_cast<uint32_t>(run - 11), 7);
      at += run;
    }
    for (; at < until; ++at) lengthCode(0);
  };
  for (const auto& [symbol, length] : literalLengths) {
    zeros(symbol);
    lengthCode(length);
    ++at;
  }
  zeros(literalCount);
  lengthCode(0);  // the distance code, unused
  for (const auto& [code, bits] : data) out.Code(code, bits);
  return out.bytes;
}

// Code tables at the edges of what zlib takes, built bit by bit (damaged real
// streams rarely reach them): both take or refuse each, with the same length.
TEST(DeflateCheck, CodeTablesAtTheEdgesAsZlibSeesThem) {
  struct Case {
    const char* what;
    std::vector<uint8_t> stream;
    bool taken;
  };
  const Case cases[] = {
      {"complete: a literal and the end", DynamicBlock(257, {{0, 1}, {256, 1}}, {{0, 1}, {1, 1}}), true},
      {"one code of one bit: the end alone", DynamicBlock(257, {{256, 1}}, {{0, 1}}), true},
      {"no end-of-block code", DynamicBlock(257, {{0, 1}, {1, 1}}, {{0, 1}}), false},
      {"incomplete with two codes", DynamicBlock(257, {{0, 2}, {256, 2}}, {{0, 2}, {1, 2}}), false},
      {"over-subscribed", DynamicBlock(257, {{0, 1}, {1, 1}, {256, 1}}, {{0, 1}}), false},
      {"287 literal/length codes", DynamicBlock(287, {{0, 1}, {256, 1}}, {{0, 1}, {1, 1}}), false},
  };
  for (const Case& c : cases) {
    uint64_t zlibInflated = 0;
    ASSERT_EQ(ZlibTakes(c.stream, 1000, &zlibInflated), c.taken) << c.what;
    const DeflateCheck check = CheckZlibStream(c.stream.data(), c.stream.size(), 1000);
    EXPECT_EQ(check.problem == nullptr, c.taken) << c.what;
    if (c.taken) {
      EXPECT_EQ(check.inflated, zlibInflated) << c.what;
    }
  }
}

TEST(DeflateCheck, TakesAndRefusesWhatZlibDoes) {
  std::mt19937 random(22);
  int refused = 0, compared = 0;
  for (int i = 0; i < 10000; ++i) {
    // Data that packs into runs, into literals, or into long matches.
    std::vector<uint8_t> data(random() % 3000);
    const unsigned kind = random() % 3;
    for (auto& b : data)
      b = static_cast<uint8_t>(kind == 0 ? random() % 4 : kind == 1 ? random() : random() % 16 == 0 ? random() : 7);
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::vector<uint8_t> stream(size);
    ASSERT_EQ(compress2(stream.data(), &size, data.data(), static_cast<uLong>(data.size()), static_cast<int>(random() % 10)), Z_OK);
    stream.resize(size);
    for (unsigned damage = random() % 4; damage > 0 && !stream.empty(); --damage) {
      // Half of the damage in the first bytes, where the block headers and code tables are.
      const size_t at = random() % (random() % 2 ? stream.size() : std::min<size_t>(stream.size(), 12));
      switch (random() % 3) {
        case 0: stream[at] ^= static_cast<uint8_t>(1u << (random() % 8)); break;
        case 1: stream[at] = static_cast<uint8_t>(random()); break;
        default: stream.resize(at);
      }
    }
    const uint64_t maxInflated = data.size() + 100;
    uint64_t zlibInflated = 0;
    const bool zlib = ZlibTakes(stream, maxInflated, &zlibInflated);
    const DeflateCheck check = CheckZlibStream(stream.data(), stream.size(), maxInflated);
    ASSERT_EQ(check.problem == nullptr, zlib) << "stream " << i << ": " << (check.problem ? check.problem : "taken");
    if (zlib) {
      ASSERT_EQ(check.inflated, zlibInflated) << "stream " << i;
      ++compared;
    } else {
      ++refused;
    }
  }
  // Both kinds were met often.
  EXPECT_GT(refused, 2500);
  EXPECT_GT(compared, 2500);
}

}  // namespace
}  // namespace quelo
