#include "support/PsdWriter.h"

#include <cstddef>

namespace quelo::test {

namespace {
void Be16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}
void Be32(std::vector<uint8_t>& out, uint32_t v) {
  Be16(out, v >> 16);
  Be16(out, v & 0xFFFF);
}
}  // namespace

std::vector<uint8_t> PackBitsRow(const uint8_t* row, int length) {
  std::vector<uint8_t> out;
  int i = 0;
  while (i < length) {
    int run = 1;
    while (i + run < length && run < 128 && row[i + run] == row[i]) ++run;
    if (run >= 3) {
      out.push_back(static_cast<uint8_t>(257 - run));
      out.push_back(row[i]);
      i += run;
      continue;
    }
    // Literal: until a run of 3 starts or 128 bytes are taken.
    int start = i;
    int count = 0;
    while (i < length && count < 128) {
      if (i + 2 < length && row[i] == row[i + 1] && row[i] == row[i + 2]) break;
      ++i;
      ++count;
    }
    out.push_back(static_cast<uint8_t>(count - 1));
    out.insert(out.end(), row + start, row + start + count);
  }
  return out;
}

std::vector<uint8_t> MakePsd(int width, int height, int channels, const std::vector<uint8_t>& pixels,
                             const PsdOptions& options) {
  std::vector<uint8_t> out = {'8', 'B', 'P', 'S'};
  Be16(out, 1);
  out.insert(out.end(), 6, 0);
  Be16(out, static_cast<uint32_t>(channels));
  Be32(out, static_cast<uint32_t>(height));
  Be32(out, static_cast<uint32_t>(width));
  Be16(out, 8);
  Be16(out, 3);
  Be32(out, 0);  // colour mode data

  std::vector<uint8_t> resources;
  for (int r = 0; r < options.resourceCount; ++r) {
    resources.insert(resources.end(), {'8', 'B', 'I', 'M'});
    Be16(resources, static_cast<uint32_t>(1000 + r));
    resources.push_back(0);  // empty name
    resources.push_back(0);  // pad
    const uint32_t size = static_cast<uint32_t>(r % 5 + 1);
    Be32(resources, size);
    resources.insert(resources.end(), size, static_cast<uint8_t>(r));
    if (size & 1) resources.push_back(0);
  }
  Be32(out, static_cast<uint32_t>(resources.size()));
  out.insert(out.end(), resources.begin(), resources.end());

  Be32(out, static_cast<uint32_t>(options.layerBytes));
  out.insert(out.end(), static_cast<std::size_t>(options.layerBytes), 0xAB);

  Be16(out, 1);
  std::vector<std::vector<uint8_t>> rows;
  std::vector<uint8_t> plane(static_cast<std::size_t>(width));
  for (int c = 0; c < channels; ++c) {
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x)
        plane[static_cast<std::size_t>(x)] = pixels[(static_cast<std::size_t>(y) * width + x) * channels + c];
      rows.push_back(PackBitsRow(plane.data(), width));
    }
  }
  for (const auto& row : rows) Be16(out, static_cast<uint32_t>(row.size()));
  for (const auto& row : rows) out.insert(out.end(), row.begin(), row.end());
  return out;
}

std::vector<uint8_t> PatternPixels(int width, int height, int channels, int seed) {
  std::vector<uint8_t> pixels(static_cast<std::size_t>(width) * height * channels);
  const int cx = width / 2, cy = height / 2;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* p = &pixels[(static_cast<std::size_t>(y) * width + x) * channels];
      p[0] = static_cast<uint8_t>((x * 255) / (width > 1 ? width - 1 : 1) + seed * 37);
      p[1] = static_cast<uint8_t>((y * 255) / (height > 1 ? height - 1 : 1) + seed * 11);
      p[2] = static_cast<uint8_t>(((x / 4 + y / 4) & 1) ? 200 + seed : 40);
      if (channels == 4) {
        const int dx = x - cx, dy = y - cy;
        const int d2 = dx * dx + dy * dy, r = (width < height ? width : height) / 2;
        p[3] = d2 >= r * r ? 0 : static_cast<uint8_t>(255 - (d2 * 255) / (r * r > 0 ? r * r : 1));
      }
    }
  }
  return pixels;
}

}  // namespace quelo::test
