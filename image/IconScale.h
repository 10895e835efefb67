// Scaling of decoded images to the one icon size a pack is shown at.
#pragma once

#include <cstdint>
#include <vector>

namespace quelo {

// The size an image of width x height takes when it is fitted into a square of
// side: the longer side becomes side, the other keeps the proportions (at least 1).
void FitIconSize(int32_t width, int32_t height, int32_t side, int32_t& outWidth, int32_t& outHeight);

// Resamples 8-bit pixels of channels 3 (RGB) or 4 (straight-alpha RGBA) to
// outWidth x outHeight. Shrinking averages the area each new pixel covers,
// enlarging uses a Catmull-Rom curve; both work on premultiplied colours, so a
// transparent neighbour adds no dark fringe. False when the sizes are unusable.
bool ScalePixels(const std::vector<uint8_t>& in, int32_t width, int32_t height, int32_t channels,
                 std::vector<uint8_t>& out, int32_t outWidth, int32_t outHeight);

}  // namespace quelo
