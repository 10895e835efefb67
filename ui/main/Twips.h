// The main window lays itself out in twips; Qt places widgets in pixels.
// One pixel is 15 twips at every scale factor.
#pragma once

#include <cmath>

namespace quelo::ui {

constexpr int kTwipsPerPixel = 15;

inline int PixelsToTwips(int pixels) { return pixels * kTwipsPerPixel; }
// Twips that fall between two pixels go to the nearer one.
inline int TwipsToPixels(double twips) { return static_cast<int>(std::lround(twips / kTwipsPerPixel)); }

}  // namespace quelo::ui
