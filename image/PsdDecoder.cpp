// The PSD decoder: 8-bit RGB documents with 3 or 4 channels whose merged image
// is stored with PackBits. One block per section of the file, in file order.
#include <cstring>

#include "image/clsImage.h"
#include "platform/Platform.h"
#include "platform/Tr.h"

namespace quelo {

namespace {

constexpr int32_t kModeRgb = 3;
constexpr int32_t kCompressionPackBits = 1;
// Two packed bytes (a repeat header and its value) give at most 128 bytes.
constexpr int64_t kPackBitsMaxExpansion = 64;

// Runs are short (1 to 128 bytes), where the inline expansion of memset and
// memcpy is slow to start; these use a few word moves that may overlap each
// other but never touch a byte outside [d, d + n).
inline void FillRun(uint8_t* d, uint8_t v, size_t n) {
  const uint64_t v8 = 0x0101010101010101ull * v;
  if (n >= 8) {
    uint8_t* last = d + n - 8;
    for (; d < last; d += 8) std::memcpy(d, &v8, 8);
    std::memcpy(last, &v8, 8);
  } else if (n >= 4) {
    const uint32_t v4 = static_cast<uint32_t>(v8);
    std::memcpy(d, &v4, 4);
    std::memcpy(d + n - 4, &v4, 4);
  } else {
    d[0] = v;
    d[n / 2] = v;
    d[n - 1] = v;
  }
}

inline void CopyRun(uint8_t* d, const uint8_t* s, size_t n) {
  uint64_t w;
  if (n >= 8) {
    const size_t last = n - 8;
    for (size_t k = 0; k < last; k += 8) {
      std::memcpy(&w, s + k, 8);
      std::memcpy(d + k, &w, 8);
    }
    std::memcpy(&w, s + last, 8);
    std::memcpy(d + last, &w, 8);
  } else if (n >= 4) {
    uint32_t a, b;
    std::memcpy(&a, s, 4);
    std::memcpy(&b, s + n - 4, 4);
    std::memcpy(d, &a, 4);
    std::memcpy(d + n - 4, &b, 4);
  } else {
    d[0] = s[0];
    d[n / 2] = s[n / 2];
    d[n - 1] = s[n - 1];
  }
}

// Unpacks one row of n bytes into row[0..columns). Returns the number of bytes
// written, or -1 when a run would write past the row or read past the packed
// bytes. A lone last byte is ignored, as is the no-op header 128.
int32_t UnpackRow(const uint8_t* P, size_t n, uint8_t* row, size_t columns) {
  size_t i = 0;
  size_t o = 0;
  while (i + 1 < n) {
    const unsigned h = P[i];
    if (h < 128) {
      const size_t count = h + 1;
      if (i + 1 + count > n || o + count > columns) return -1;
      CopyRun(row + o, P + i + 1, count);
      o += count;
      i += count + 1;
    } else if (h > 128) {
      const size_t count = 257 - h;
      if (o + count > columns) return -1;
      FillRun(row + o, P[i + 1], count);
      o += count;
      i += 2;
    } else {
      i += 1;
    }
  }
  return static_cast<int32_t>(o);
}

// Puts one channel's row into the interleaved pixels; the channel count as a
// template argument lets the compiler unroll the stride.
template <int Channels>
void ScatterRow(const uint8_t* row, size_t columns, uint8_t* dst) {
  for (size_t x = 0; x < columns; ++x) dst[x * Channels] = row[x];
}

// Interleaves one row of every channel (planes, each columns bytes, back to
// back) into pixels.
template <int Channels>
void InterleaveRow(const uint8_t* planes, size_t columns, uint8_t* dst) {
  for (size_t x = 0; x < columns; ++x)
    for (int c = 0; c < Channels; ++c) dst[x * Channels + c] = planes[c * columns + x];
}

}  // namespace

bool clsImage::ReadPSD() {
  ByteSource& in = bytes_;

  // Header.
  uint8_t signature[4];
  in.ReadBytes(signature, sizeof signature);
  if (in.Failed()) return false;
  if (std::memcmp(signature, "8BPS", 4) != 0) {
    ShowImageMessage(platform::Tr("image", "このファイルはPSD形式ではありません"));
    return true;
  }
  in.ReadIntegerBE();  // Version
  uint8_t reserved[6];
  in.ReadBytes(reserved, sizeof reserved);
  const int32_t Channels = in.ReadIntegerBE();
  const int32_t Rows = in.ReadLongBE();
  const int32_t Columns = in.ReadLongBE();
  const int32_t Depth = in.ReadIntegerBE();
  const int32_t Mode = in.ReadIntegerBE();
  if (in.Failed()) return false;
  if (Mode != kModeRgb) return true;  // not ours to show; no message for it
  if (Channels != 3 && Channels != 4) return false;
  if (Depth != 8) return false;
  if (Rows < 1 || Columns < 1) return false;
  if (!CheckImageSize(Columns, Rows)) return false;

  // Colour mode data: an RGB document has none.
  const int32_t colourModeLength = in.ReadLongBE();
  if (in.Failed() || colourModeLength != 0) return false;

  // Image resources: walked block by block and discarded.
  const int32_t resourcesLength = in.ReadLongBE();
  const int64_t resourcesEnd = in.GetPosition() + resourcesLength;
  while (!in.Failed() && in.GetPosition() < resourcesEnd) {
    uint8_t resourceSignature[4];
    in.ReadBytes(resourceSignature, sizeof resourceSignature);
    in.ReadIntegerBE();       // ID
    in.ReadPascalString();    // Name
    const int32_t Size = in.ReadLongBE();
    const int64_t blockEnd = in.GetPosition() + Size + (Size & 1);
    if (blockEnd > resourcesEnd) return false;  // a block may not leave its section
    in.SetPosition(blockEnd);
  }
  if (in.Failed()) return false;

  // Layer and mask information: skipped.
  const int32_t layerLength = in.ReadLongBE();
  in.SetPosition(in.GetPosition() + layerLength);

  // Image data.
  const int32_t compression = in.ReadIntegerBE();
  if (in.Failed()) return false;
  const int64_t pixelBytes = int64_t{Rows} * Columns * Channels;

  if (compression != kCompressionPackBits) {
    ShowImageMessage(platform::Tr("image", "このファイルの圧縮形式には対応していません"));

    // The refused image is kept blank at its size, unless even unpacked data
    // could not fill that size from what is left: no large allocation for an
    // image that shows nothing.
    if (pixelBytes > in.Remaining()) return false;
    width_ = Columns;
    height_ = Rows;
    bitCount_ = static_cast<int16_t>(Channels);
    pixels_.assign(static_cast<size_t>(pixelBytes), 0);
    return true;
  }

  std::vector<uint8_t> pixels;
  if (!DecodeRLE(Rows, Columns, Channels, pixels)) return false;
  width_ = Columns;
  height_ = Rows;
  bitCount_ = static_cast<int16_t>(Channels);
  pixels_.swap(pixels);
  decoded_ = true;
  return true;
}

bool clsImage::DecodeRLE(int32_t Rows, int32_t Columns, int32_t Channels, std::vector<uint8_t>& pixels) {
  ByteSource& in = bytes_;
  const size_t rows = static_cast<size_t>(Rows);
  const size_t columns = static_cast<size_t>(Columns);
  const size_t channels = static_cast<size_t>(Channels);

  // Byte-count table: every row's packed length.
  if (in.Remaining() < static_cast<int64_t>(rows * channels * 2)) return false;
  std::vector<uint16_t> byteCounts(rows * channels);
  for (auto& count : byteCounts) count = static_cast<uint16_t>(in.ReadIntegerBE());
  if (in.Failed()) return false;

  // Packed rows, all in one read; start[r] is where row r begins.
  std::vector<size_t> start(rows * channels);
  size_t total = 0;
  for (size_t r = 0; r < start.size(); ++r) {
    start[r] = total;
    total += byteCounts[r];
  }
  const uint8_t* packed = in.ReadSpan(total);
  if (!packed) return false;
  // Refuse a size that these bytes could not encode before allocating it.
  const size_t pixelBytes = rows * columns * channels;
  if (pixelBytes > static_cast<size_t>(kPackBitsMaxExpansion) * (rows * channels * 2 + total)) return false;
  pixels.assign(pixelBytes, 0);

  // The rows are stored channel by channel, and a row that fills fewer than
  // Columns bytes keeps what the row before it (in that order) left in the one
  // row buffer. Decoding a whole pixel row at a time, with one buffer per
  // channel, writes every pixel once instead of once per channel; it gives the
  // same bytes as long as no channel's first row needs the previous channel's
  // last row, which is checked first.
  std::vector<uint8_t> planes(columns * channels, 0);
  bool pixelRows = true;
  for (size_t c = 1; c < channels && pixelRows; ++c) {
    const size_t r = c * rows;
    const int32_t filled = UnpackRow(packed + start[r], byteCounts[r], planes.data() + c * columns, columns);
    if (filled < 0) return false;
    pixelRows = static_cast<size_t>(filled) == columns;
  }

  if (pixelRows) {
    for (size_t y = 0; y < rows; ++y) {
      for (size_t c = 0; c < channels; ++c) {
        const size_t r = c * rows + y;
        if (UnpackRow(packed + start[r], byteCounts[r], planes.data() + c * columns, columns) < 0) return false;
      }
      uint8_t* dst = pixels.data() + y * columns * channels;
      if (channels == 4) {
        InterleaveRow<4>(planes.data(), columns, dst);
      } else {
        InterleaveRow<3>(planes.data(), columns, dst);
      }
    }
    return true;
  }

  // File order, with the one row buffer.
  std::vector<uint8_t> row(columns, 0);
  for (size_t c = 0; c < channels; ++c) {
    for (size_t y = 0; y < rows; ++y) {
      const size_t r = c * rows + y;
      if (UnpackRow(packed + start[r], byteCounts[r], row.data(), columns) < 0) return false;
      uint8_t* dst = pixels.data() + y * columns * channels + c;
      if (channels == 4) {
        ScatterRow<4>(row.data(), columns, dst);
      } else {
        ScatterRow<3>(row.data(), columns, dst);
      }
    }
  }
  return true;
}

}  // namespace quelo
