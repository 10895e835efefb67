// Icon scaling through stb_image_resize (Debian's libstb-dev): a box filter
// when shrinking is an exact area average, and the library premultiplies by
// alpha itself before filtering and divides afterwards.
#include "image/IconScale.h"

#include <algorithm>
#include <cstdlib>

#define STB_IMAGE_RESIZE_IMPLEMENTATION
#define STB_IMAGE_RESIZE_STATIC
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#endif
#include <stb_image_resize.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace quelo {

void FitIconSize(int32_t width, int32_t height, int32_t side, int32_t& outWidth, int32_t& outHeight) {
  if (width <= 0 || height <= 0 || side <= 0) {
    outWidth = outHeight = 0;
    return;
  }
  if (width >= height) {
    outWidth = side;
    outHeight = static_cast<int32_t>(std::max<int64_t>(1, (int64_t{height} * side + width / 2) / width));
  } else {
    outHeight = side;
    outWidth = static_cast<int32_t>(std::max<int64_t>(1, (int64_t{width} * side + height / 2) / height));
  }
}

bool ScalePixels(const std::vector<uint8_t>& in, int32_t width, int32_t height, int32_t channels,
                 std::vector<uint8_t>& out, int32_t outWidth, int32_t outHeight) {
  if ((channels != 3 && channels != 4) || width < 1 || height < 1 || outWidth < 1 || outHeight < 1) return false;
  if (in.size() < static_cast<size_t>(width) * static_cast<size_t>(height) * static_cast<size_t>(channels))
    return false;
  std::vector<uint8_t> result(static_cast<size_t>(outWidth) * static_cast<size_t>(outHeight) *
                              static_cast<size_t>(channels));
  const stbir_filter horizontal = outWidth < width ? STBIR_FILTER_BOX : STBIR_FILTER_CATMULLROM;
  const stbir_filter vertical = outHeight < height ? STBIR_FILTER_BOX : STBIR_FILTER_CATMULLROM;
  // Colours are averaged as stored: icon artists and their renderers blend this way too.
  // Colours are averaged as stored: icon artists and their renderers blend this way too.
  const int ok = stbir_resize(in.data(), width, height, 0, result.data(), outWidth, outHeight, 0, STBIR_TYPE_UINT8,
                              channels, channels == 4 ? 3 : STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_CLAMP,
                              STBIR_EDGE_CLAMP, horizontal, vertical, STBIR_COLORSPACE_LINEAR, nullptr);
  if (!ok) return false;
  out.swap(result);
  return true;
}

}  // namespace quelo
