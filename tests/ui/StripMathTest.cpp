// The strip's arithmetic without a window, where the window tests can't reach:
// drop positions, limits, progress. Entry edges and canvas sizes show in the
// window tests' canvas pixels.
#include <gtest/gtest.h>

#include "ui/main/StripMath.h"

using namespace quelo::ui;

// Each image splits at its middle (the middle itself drops after it); beyond the
// right end is no drop and leaves the marker alone.
TEST(StripMath, DropPositionSplitsEachImageAtItsMiddle) {
  const std::vector<int32_t> widths = {32, 48};
  for (auto [x, position, marker] : {std::tuple{10.0, 0, 0}, {16.0, 1, 32}, {40.0, 1, 32}, {56.0, 2, 80}, {80.0, 0, -7}}) {
    int32_t markerX = -7;
    EXPECT_EQ(StripDropPosition(widths, x, &markerX), position) << x;
    EXPECT_EQ(markerX, marker) << x;
  }
  EXPECT_EQ(StripDropPosition({}, 150, nullptr), 0);
  EXPECT_EQ(StripItemAt(widths, 31.5), 0);
  EXPECT_EQ(StripItemAt(widths, 32), 1);
  EXPECT_EQ(StripItemAt(widths, 500), 0);
}

TEST(StripMath, CanvasIsCentredOrScrolledWithinLimits) {
  EXPECT_EQ(PlaceStrip(401, 96).left, 152);  // odd room left over: the half pixel goes
  EXPECT_TRUE(PlaceStrip(400, 390).scrolls);  // the margins don't fit
  EXPECT_EQ(PlaceStrip(400, 390).scrollMax, 0);
  EXPECT_EQ(PlaceStrip(400, 40000).scrollMax, 32767);  // the scroll bar's 16-bit limit
}

TEST(StripMath, Progress) {
  EXPECT_EQ(ProgressText(0, 0, "x"), "0% x");
  EXPECT_EQ(ProgressText(7, 9, "x"), "x");
  EXPECT_EQ(ProgressPercent(4, -1), 0);
  EXPECT_EQ(ProgressPercent(2147483647, 2147483647), 100);  // no overflow on the way
}
