// A small PSD writer for tests and benchmarks: 8-bit RGB, 3 or 4 channels,
// merged image in PackBits, optional filler resources and layer section.
#pragma once

#include <cstdint>
#include <vector>

namespace quelo::test {

// A document assembled field by field, so that a test can bend any one field.
struct RawPsd {
  uint32_t channels = 3, rows = 1, columns = 1, depth = 8, mode = 3, compression = 1;
  std::vector<uint8_t> colourMode, resources, layer;
  std::vector<std::vector<uint8_t>> packed;  // channel 0 rows, then channel 1, ...
  std::vector<uint8_t> Bytes() const;
};

struct PsdOptions {
  int resourceCount = 0;   // filler image resources
  int layerBytes = 0;      // size of a skipped layer and mask section
};

// pixels: width * height * channels bytes, RGB(A), rows top to bottom.
std::vector<uint8_t> MakePsd(int width, int height, int channels, const std::vector<uint8_t>& pixels,
                             const PsdOptions& options = {});

// A test pattern with soft alpha: deterministic for (width, height, seed).
std::vector<uint8_t> PatternPixels(int width, int height, int channels, int seed);

}  // namespace quelo::test
