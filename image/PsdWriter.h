// Writes pixels as a PSD document that quelo's own reader takes: 8-bit RGB,
// 3 or 4 channels (straight alpha), the merged image in PackBits, no image
// resources and no layer pixels (only, with alpha, the empty layer record that
// marks the fourth channel as transparency).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quelo {

// pixels: width * height * channels bytes, rows top to bottom; channels 3 or 4;
// sides from 1 to kMaxImageSide.
std::vector<uint8_t> EncodePsd(int32_t width, int32_t height, int32_t channels, const std::vector<uint8_t>& pixels);

// One row in PackBits as Photoshop writes it: runs of 3 or more bytes repeat,
// the rest are literals of at most 128 bytes.
std::vector<uint8_t> PackBitsRow(const uint8_t* row, size_t length);

}  // namespace quelo
