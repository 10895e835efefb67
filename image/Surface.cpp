#include "image/Surface.h"

#include <algorithm>
#include <cstring>

namespace quelo {

// The default row path is the per-pixel one, so a surface that only knows
// PSet and Point draws exactly what a bulk copy would.
void ISurface::SetRow(int32_t x, int32_t y, const uint32_t* colours, int32_t count) {
  for (int64_t i = 0; i < count && x + i <= INT32_MAX; ++i)
    PSet(static_cast<int32_t>(x + i), y, colours[i]);
}

void ISurface::GetRow(int32_t x, int32_t y, uint32_t* colours, int32_t count) const {
  for (int64_t i = 0; i < count; ++i)
    colours[i] = x + i <= INT32_MAX ? Point(static_cast<int32_t>(x + i), y) : 0;
}

MemorySurface::MemorySurface(int32_t width, int32_t height, uint32_t fill)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<size_t>(width_) * static_cast<size_t>(height_), fill) {}

void MemorySurface::PSet(int32_t x, int32_t y, uint32_t colour) {
  ++psetCalls_;
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)] = colour;
}

uint32_t MemorySurface::Point(int32_t x, int32_t y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
}

void MemorySurface::SetRow(int32_t x, int32_t y, const uint32_t* colours, int32_t count) {
  if (y < 0 || y >= height_ || count <= 0) return;
  // The part of [x, x + count) that lies on the surface.
  const int64_t from = std::max<int64_t>(x, 0);
  const int64_t to = std::min<int64_t>(int64_t{x} + count, width_);
  if (from >= to) return;
  std::memcpy(&pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(from)],
              colours + (from - x), static_cast<size_t>(to - from) * sizeof(uint32_t));
}

void MemorySurface::GetRow(int32_t x, int32_t y, uint32_t* colours, int32_t count) const {
  if (count <= 0) return;
  std::fill(colours, colours + count, 0u);
  if (y < 0 || y >= height_) return;
  const int64_t from = std::max<int64_t>(x, 0);
  const int64_t to = std::min<int64_t>(int64_t{x} + count, width_);
  if (from >= to) return;
  std::memcpy(colours + (from - x),
              &pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(from)],
              static_cast<size_t>(to - from) * sizeof(uint32_t));
}

}  // namespace quelo
