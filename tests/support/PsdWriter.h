// A small PSD writer for tests and benchmarks: 8-bit RGB, 3 or 4 channels,
// merged image in PackBits, optional filler resources and layer section.
#pragma once

#include <cstdint>
#include <vector>

namespace quelo::test {

struct PsdOptions {
  int resourceCount = 0;   // filler image resources
  int layerBytes = 0;      // size of a skipped layer and mask section
};

// pixels: width * height * channels bytes, RGB(A), rows top to bottom.
std::vector<uint8_t> MakePsd(int width, int height, int channels, const std::vector<uint8_t>& pixels,
                             const PsdOptions& options = {});

// PackBits-encodes one row the way Photoshop does (runs of 3 or more become repeats).
std::vector<uint8_t> PackBitsRow(const uint8_t* row, int length);

// A test pattern with soft alpha: deterministic for (width, height, seed).
std::vector<uint8_t> PatternPixels(int width, int height, int channels, int seed);

}  // namespace quelo::test
