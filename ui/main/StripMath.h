// The strip's arithmetic, kept apart from the widgets so that it can be checked
// without a window: where each entry starts, how wide the canvas is, where a
// drop lands, how the canvas sits in its frame, and the progress percentage.
// Entry widths are the Width of the image of each entry, left to right.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace quelo::ui {

constexpr int kMaxStripImages = 20;
constexpr int32_t kEmptyStripWidth = 300;
constexpr int32_t kEmptyStripHeight = 60;
// The canvas keeps this many pixels of frame on either side when it scrolls.
constexpr int32_t kStripMargin = 5;
// Scroll bars take 16-bit values.
constexpr int32_t kMaxScrollValue = 32767;

// Nearest integer, halves to the even neighbour.
int64_t RoundHalfEven(double value);

// Left edge of entry Position, or -1 when Position is not an entry.
int32_t StripItemLeft(const std::vector<int32_t>& widths, int32_t position);

// Sum of the entry widths; the empty strip's width when there are none.
int32_t StripCanvasWidth(const std::vector<int32_t>& widths);

// The gap a drop at canvas x goes into (0 = before the first entry) and the
// marker's x for it; markerX is left alone when no entry matched.
int16_t StripDropPosition(const std::vector<int32_t>& widths, double x, int32_t* markerX);

// Where entry `from` of a strip of `count` entries ends up when it is dropped
// into gap `gap` (0 = before the first entry, count = after the last); -1 when
// the drop leaves the order as it is (its own gaps) or names no entry or gap.
int16_t StripMoveTarget(int32_t count, int32_t from, int32_t gap);

// The entry under canvas x; 0 when none is.
int16_t StripItemAt(const std::vector<int32_t>& widths, double x);

// How a canvas of width canvasWidth sits in a frame frameWidth pixels wide:
// either it scrolls (range 0..scrollMax) or it is centred at left.
struct StripPlacement {
  bool scrolls = false;
  int32_t scrollMax = 0;  // clamped to kMaxScrollValue
  int32_t left = 0;       // only when it does not scroll
};
StripPlacement PlaceStrip(double frameWidth, double canvasWidth);

// Left edge of the canvas for scroll value v.
inline int32_t StripLeftForScroll(int32_t value) { return kStripMargin - value; }

// Percentage of Current out of Total, 0 when Total is not positive, kept to 0..100.
int32_t ProgressPercent(int32_t total, int32_t current);
// The status line: "<P>% <text>" below 100 %, the text alone at 100 %.
std::string ProgressText(int32_t total, int32_t current, const std::string& text);

// Preview panel: its outer width for the widest image, and the scroll bar's
// left edge inside it (the panel's 2-pixel border on each side is included).
// The panel grows no wider than a preview of kMaxPreviewSide pixels needs.
constexpr int32_t kMaxPreviewSide = 256;
inline int32_t PreviewPanelWidth(int32_t widestImage, int32_t scrollBarWidth) {
  return std::min(widestImage, kMaxPreviewSide) + 2 + 6 + scrollBarWidth;
}
// The size a preview shows an image at: its own up to kMaxPreviewSide a side,
// scaled down with its aspect kept beyond that, never below one pixel a side.
void PreviewShownSize(int32_t width, int32_t height, int32_t* shownWidth, int32_t* shownHeight);
inline int32_t PreviewScrollBarLeft(int32_t panelWidth, int32_t scrollBarWidth) {
  return panelWidth - scrollBarWidth - 4;
}
// Top of the next preview below one at previousTop, previousHeight high.
inline int32_t NextPreviewTop(int32_t previousTop, int32_t previousHeight, int32_t captionHeight) {
  return previousTop + previousHeight + 1 + captionHeight;
}

}  // namespace quelo::ui
