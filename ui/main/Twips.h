// The main window lays itself out in twips; Qt places widgets in pixels.
// One pixel is 15 twips at every scale factor.
#pragma once

#include <cmath>

namespace quelo::ui {

constexpr int kTwipsPerPixel = 15;

// The top of the banner, the preview panel and the strip list: one pixel
// below the 17-pixel status bar.
constexpr int kBelowStatusTop = 270;
// The strip list's width, when the colour panel leaves room for it and its buttons.
constexpr int kStripListWidth = 3615;
// The lowest client area, in pixels, that still holds the empty strip in its frame.
constexpr int kMinClientHeight = 310;

inline int PixelsToTwips(int pixels) { return pixels * kTwipsPerPixel; }
// Twips that fall between two pixels go to the nearer one.
inline int TwipsToPixels(double twips) { return static_cast<int>(std::lround(twips / kTwipsPerPixel)); }

}  // namespace quelo::ui
