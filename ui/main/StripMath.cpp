#include "ui/main/StripMath.h"

#include <algorithm>
#include <cmath>

namespace quelo::ui {

int64_t RoundHalfEven(double value) { return static_cast<int64_t>(std::nearbyint(value)); }

int32_t StripItemLeft(const std::vector<int32_t>& widths, int32_t position) {
  if (position < 0 || position >= static_cast<int32_t>(widths.size())) return -1;
  int32_t left = 0;
  for (int32_t j = 0; j < position; ++j) left += widths[static_cast<size_t>(j)];
  return left;
}

int32_t StripCanvasWidth(const std::vector<int32_t>& widths) {
  if (widths.empty()) return kEmptyStripWidth;
  int32_t sum = 0;
  for (int32_t w : widths) sum += w;
  return sum;
}

int16_t StripDropPosition(const std::vector<int32_t>& widths, double x, int32_t* markerX) {
  int32_t left = 0;
  for (size_t i = 0; i < widths.size(); ++i) {
    const int32_t w = widths[i];
    if (x < left + w / 2) {
      if (markerX) *markerX = left;
      return static_cast<int16_t>(i);
    }
    if (x < left + w) {
      if (markerX) *markerX = left + w;
      return static_cast<int16_t>(i + 1);
    }
    left += w;
  }
  return 0;
}

int16_t StripMoveTarget(int32_t count, int32_t from, int32_t gap) {
  if (from < 0 || from >= count || gap < 0 || gap > count) return -1;
  if (gap == from || gap == from + 1) return -1;
  // Taking the entry out shifts every gap right of it one place left.
  return static_cast<int16_t>(gap > from ? gap - 1 : gap);
}

int16_t StripItemAt(const std::vector<int32_t>& widths, double x) {
  int32_t right = 0;
  for (size_t i = 0; i < widths.size(); ++i) {
    right += widths[i];
    if (x < right) return static_cast<int16_t>(i);
  }
  return 0;
}

StripPlacement PlaceStrip(double frameWidth, double canvasWidth) {
  StripPlacement placement;
  const int64_t d = RoundHalfEven(canvasWidth + 2 * kStripMargin - frameWidth);
  if (d >= 0) {
    placement.scrolls = true;
    // A range past the scroll bar's 16-bit limit is cut there: the far end of a
    // very long strip then stays out of reach rather than failing.
    placement.scrollMax = static_cast<int32_t>(std::min<int64_t>(d, kMaxScrollValue));
  } else {
    placement.left = static_cast<int32_t>(RoundHalfEven(frameWidth - canvasWidth) / 2);
  }
  return placement;
}

void PreviewShownSize(int32_t width, int32_t height, int32_t* shownWidth, int32_t* shownHeight) {
  *shownWidth = width;
  *shownHeight = height;
  if (width <= kMaxPreviewSide && height <= kMaxPreviewSide) return;
  const double scale = std::min(double{kMaxPreviewSide} / width, double{kMaxPreviewSide} / height);
  *shownWidth = std::clamp<int32_t>(static_cast<int32_t>(std::lround(width * scale)), 1, kMaxPreviewSide);
  *shownHeight = std::clamp<int32_t>(static_cast<int32_t>(std::lround(height * scale)), 1, kMaxPreviewSide);
}

int32_t ProgressPercent(int32_t total, int32_t current) {
  if (total <= 0) return 0;
  const int64_t p = static_cast<int64_t>(current) * 100 / total;
  return static_cast<int32_t>(std::clamp<int64_t>(p, 0, 100));
}

std::string ProgressText(int32_t total, int32_t current, const std::string& text) {
  const int32_t p = ProgressPercent(total, current);
  return p < 100 ? std::to_string(p) + "% " + text : text;
}

}  // namespace quelo::ui
