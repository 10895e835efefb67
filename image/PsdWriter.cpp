#include "image/PsdWriter.h"

namespace quelo {

namespace {

void Be(std::vector<uint8_t>& out, size_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

}  // namespace

std::vector<uint8_t> PackBitsRow(const uint8_t* row, size_t length) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i < length;) {
    size_t run = 1;
    while (i + run < length && run < 128 && row[i + run] == row[i]) ++run;
    if (run >= 3) {
      out.push_back(static_cast<uint8_t>(257 - run));
      out.push_back(row[i]);
      i += run;
      continue;
    }
    // A literal: up to where a run of 3 starts, or 128 bytes.
    const size_t start = i;
    while (i < length && i - start < 128 && !(i + 2 < length && row[i] == row[i + 1] && row[i] == row[i + 2])) ++i;
    out.push_back(static_cast<uint8_t>(i - start - 1));
    out.insert(out.end(), row + start, row + i);
  }
  return out;
}

std::vector<uint8_t> EncodePsd(int32_t width, int32_t height, int32_t channels, const std::vector<uint8_t>& pixels) {
  const size_t columns = static_cast<size_t>(width);
  const size_t rows = static_cast<size_t>(height);
  const size_t stride = static_cast<size_t>(channels);

  // Every row of every plane packed first: the byte counts precede the rows.
  std::vector<std::vector<uint8_t>> packed;
  packed.reserve(rows * stride);
  std::vector<uint8_t> plane(columns);
  for (size_t c = 0; c < stride; ++c) {
    for (size_t y = 0; y < rows; ++y) {
      for (size_t x = 0; x < columns; ++x) plane[x] = pixels[(y * columns + x) * stride + c];
      packed.push_back(PackBitsRow(plane.data(), columns));
    }
  }

  // Header: signature, version 1, reserved, channels, rows, columns, depth, mode RGB.
  std::vector<uint8_t> out = {'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0};
  Be(out, stride, 2);
  Be(out, rows, 4);
  Be(out, columns, 4);
  Be(out, 8, 2);
  Be(out, 3, 2);
  Be(out, 0, 4);  // colour mode data
  Be(out, 0, 4);  // image resources
  if (stride == 4) {
    // A negative layer count says that the first alpha channel of the merged
    // image is its transparency (otherwise readers that follow Photoshop take
    // it for a saved selection); the one layer it announces is empty.
    std::vector<uint8_t> info;
    Be(info, 0xFFFF, 2);  // -1 layers
    for (int i = 0; i < 4; ++i) Be(info, 0, 4);  // top, left, bottom, right: no pixels
    Be(info, 4, 2);
    for (const size_t id : {size_t{0}, size_t{1}, size_t{2}, size_t{0xFFFF}}) {
      Be(info, id, 2);  // red, green, blue, transparency (-1)
      Be(info, 2, 4);   // its data: the compression field alone
    }
    info.insert(info.end(), {'8', 'B', 'I', 'M', 'n', 'o', 'r', 'm', 255, 0, 0, 0});  // normal, opaque
    Be(info, 12, 4);  // extra data: no mask, no blending ranges, an empty name padded to 4
    for (int i = 0; i < 3; ++i) Be(info, 0, 4);
    for (int i = 0; i < 4; ++i) Be(info, 0, 2);  // channel data: raw, nothing
    Be(out, info.size() + 4 + 4, 4);  // layer and mask information
    Be(out, info.size(), 4);          // layer info
    out.insert(out.end(), info.begin(), info.end());
    Be(out, 0, 4);  // global layer mask
  } else {
    Be(out, 0, 4);  // layer and mask information
  }
  Be(out, 1, 2);  // PackBits
  for (const auto& row : packed) Be(out, row.size(), 2);
  for (const auto& row : packed) out.insert(out.end(), row.begin(), row.end());
  return out;
}

}  // namespace quelo
