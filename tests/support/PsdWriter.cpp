#include "support/PsdWriter.h"

#include <cstddef>

#include "image/PsdWriter.h"

namespace quelo::test {

namespace {
void Be(std::vector<uint8_t>& out, std::size_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

}  // namespace

std::vector<uint8_t> RawPsd::Bytes() const {
  std::vector<uint8_t> out = {'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0};
  Be(out, channels, 2), Be(out, rows, 4), Be(out, columns, 4), Be(out, depth, 2), Be(out, mode, 2);
  for (const auto* section : {&colourMode, &resources, &layer}) {
    Be(out, section->size(), 4);
    out.insert(out.end(), section->begin(), section->end());
  }
  Be(out, compression, 2);
  for (const auto& row : packed) Be(out, row.size(), 2);
  for (const auto& row : packed) out.insert(out.end(), row.begin(), row.end());
  return out;
}

std::vector<uint8_t> MakePsd(int width, int height, int channels, const std::vector<uint8_t>& pixels,
                             const PsdOptions& options) {
  RawPsd psd;
  psd.channels = static_cast<uint32_t>(channels);
  psd.rows = static_cast<uint32_t>(height);
  psd.columns = static_cast<uint32_t>(width);
  for (int r = 0; r < options.resourceCount; ++r) {
    const std::size_t size = r % 5 + 1;
    psd.resources.insert(psd.resources.end(), {'8', 'B', 'I', 'M'});
    Be(psd.resources, 1000 + r, 2), Be(psd.resources, 0, 2), Be(psd.resources, size, 4);  // id, empty name, size
    psd.resources.insert(psd.resources.end(), size + (size & 1), static_cast<uint8_t>(r));  // padded to even
  }
  psd.layer.assign(static_cast<std::size_t>(options.layerBytes), 0xAB);
  std::vector<uint8_t> plane(static_cast<std::size_t>(width));
  for (int c = 0; c < channels; ++c) {
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) plane[x] = pixels[(static_cast<std::size_t>(y) * width + x) * channels + c];
      psd.packed.push_back(PackBitsRow(plane.data(), plane.size()));
    }
  }
  return psd.Bytes();
}

std::vector<uint8_t> PatternPixels(int width, int height, int channels, int seed) {
  std::vector<uint8_t> pixels(static_cast<std::size_t>(width) * height * channels);
  const int r = (width < height ? width : height) / 2, r2 = r * r > 0 ? r * r : 1;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* p = &pixels[(static_cast<std::size_t>(y) * width + x) * channels];
      p[0] = static_cast<uint8_t>((x * 255) / (width > 1 ? width - 1 : 1) + seed * 37);
      p[1] = static_cast<uint8_t>((y * 255) / (height > 1 ? height - 1 : 1) + seed * 11);
      p[2] = static_cast<uint8_t>(((x / 4 + y / 4) & 1) ? 200 + seed : 40);
      const int d2 = (x - width / 2) * (x - width / 2) + (y - height / 2) * (y - height / 2);
      if (channels == 4) p[3] = d2 >= r * r ? 0 : static_cast<uint8_t>(255 - (d2 * 255) / r2);
    }
  }
  return pixels;
}

}  // namespace quelo::test
