// Drawing an image onto a surface, a row at a time, with partly transparent
// pixels blended over BackColor (Show) or over the surface (ShowEx).
#include <algorithm>
#include <climits>

#include "image/clsImage.h"

namespace quelo {

// The blend is defined as v = u * ia + s * a with a = float(A / 255),
// ia = float(1 - a), evaluated in double and rounded half to even. The exact
// value (u * (255 - A) + s * A) / 255 is never within 1/510 of a half, far more
// than the float rounding of a and ia can move it, so rounding the exact
// fraction gives the same byte for every input (the tests check all of them).
uint8_t BlendComponent(uint8_t s, uint8_t u, uint8_t A) {
  const unsigned n = unsigned{u} * (255u - A) + unsigned{s} * A;
  return static_cast<uint8_t>((2 * n + 255) / 510);
}

void clsImage::MakeRow(int32_t y, const uint32_t* under, uint32_t* out) const {
  const size_t bitCount = static_cast<size_t>(bitCount_);
  const uint8_t* p = pixels_.data() + static_cast<size_t>(y) * static_cast<size_t>(width_) * bitCount;
  if (bitCount != 4) {
    for (int32_t x = 0; x < width_; ++x, p += bitCount)
      out[x] = uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16;
    return;
  }
  const uint32_t back = BackColor();
  for (int32_t x = 0; x < width_; ++x, p += 4) {
    const uint8_t A = p[3];
    const uint32_t u = under ? under[x] : back;
    if (A == 255) {
      out[x] = uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16;
    } else if (A == 0) {
      out[x] = u & 0xFFFFFF;
    } else {
      out[x] = uint32_t{BlendComponent(p[0], static_cast<uint8_t>(u), A)} |
               uint32_t{BlendComponent(p[1], static_cast<uint8_t>(u >> 8), A)} << 8 |
               uint32_t{BlendComponent(p[2], static_cast<uint8_t>(u >> 16), A)} << 16;
    }
  }
}

namespace {
// Columns and rows of the image whose target coordinates fit in 32 bits.
int32_t Fitting(int32_t origin, int32_t size) {
  return static_cast<int32_t>(std::min<int64_t>(size, int64_t{INT32_MAX} - origin + 1));
}
}  // namespace

void clsImage::Show(ISurface& Target, int32_t X, int32_t Y) const {
  Target.BeginImageDrawing();
  const int32_t columns = Fitting(X, width_);
  const int32_t rows = Fitting(Y, height_);
  if (columns <= 0 || rows <= 0) return;
  std::vector<uint32_t> row(static_cast<size_t>(width_));
  for (int32_t y = 0; y < rows; ++y) {
    MakeRow(y, nullptr, row.data());
    Target.SetRow(X, Y + y, row.data(), columns);
  }
}

void clsImage::ShowEx(ISurface& Target, int32_t X, int32_t Y) const {
  Target.BeginImageDrawing();
  Target.SetCopyPen();
  const int32_t columns = Fitting(X, width_);
  const int32_t rows = Fitting(Y, height_);
  if (columns <= 0 || rows <= 0) return;
  std::vector<uint32_t> row(static_cast<size_t>(width_));
  std::vector<uint32_t> under(static_cast<size_t>(width_), 0);
  for (int32_t y = 0; y < rows; ++y) {
    // Each pixel is read before it is written and no pixel is visited twice,
    // so reading the whole row first gives what reading pixel by pixel gives.
    if (bitCount_ == 4) Target.GetRow(X, Y + y, under.data(), columns);
    MakeRow(y, under.data(), row.data());
    Target.SetRow(X, Y + y, row.data(), columns);
  }
}

}  // namespace quelo
