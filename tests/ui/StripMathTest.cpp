// The strip's arithmetic without a window, where the window tests can't reach:
// drop positions, limits, progress. Entry edges and canvas sizes show in the
// window tests' canvas pixels.
#include <gtest/gtest.h>

#include "ui/main/StripMath.h"

using namespace quelo::ui;

// Each image splits at its middle, halved in whole pixels; the middle itself
// drops after it. At and beyond the right end, and on the empty strip, nothing
// matches: position 0, and the marker is left as it was.
TEST(StripMath, DropPositionSplitsEachImageAtItsMiddle) {
  struct Case { std::vector<int32_t> widths; double x; int16_t position; int32_t marker; };
  const std::vector<int32_t> strip = {32, 48};
  for (const Case& c : std::vector<Case>{{strip, 10, 0, 0}, {strip, 15.9, 0, 0}, {strip, 16, 1, 32},
                                         {strip, 40, 1, 32}, {strip, 56, 2, 80}, {strip, 79.9, 2, 80},
                                         {strip, 80, 0, -7}, {strip, 500, 0, -7}, {strip, -3, 0, 0},
                                         {{33}, 16.2, 1, 33},  // 33 div 2 = 16, not 16.5
                                         {{}, 150, 0, -7}}) {
    int32_t markerX = -7;
    EXPECT_EQ(StripDropPosition(c.widths, c.x, &markerX), c.position) << c.x;
    EXPECT_EQ(markerX, c.marker) << c.x;
    EXPECT_EQ(StripDropPosition(c.widths, c.x, nullptr), c.position) << c.x;  // no marker wanted
  }
}

// The entry under x; the right edge belongs to the next one; 0 where none is.
TEST(StripMath, ItemAtFindsTheEntryUnderX) {
  const std::vector<int32_t> strip = {32, 48};
  for (auto [x, item] : {std::pair{0.0, 0}, {31.5, 0}, {32.0, 1}, {79.9, 1}, {80.0, 0}, {500.0, 0}})
    EXPECT_EQ(StripItemAt(strip, x), item) << x;
  EXPECT_EQ(StripItemAt({}, 10), 0);
}

// An entry dropped into a gap: its own two gaps change nothing; gaps to its
// right count before it is taken out. Entries and gaps that don't exist: -1.
TEST(StripMath, MoveTargetIsTheGapWithTheEntryTakenOut) {
  struct Case { int32_t count, from, gap; int16_t target; };
  for (const Case& c : std::vector<Case>{{3, 0, 0, -1}, {3, 0, 1, -1}, {3, 0, 2, 1}, {3, 0, 3, 2},
                                         {3, 2, 0, 0}, {3, 2, 1, 1}, {3, 2, 2, -1}, {3, 2, 3, -1},
                                         {3, 1, 3, 2}, {3, 1, 0, 0}, {1, 0, 1, -1},
                                         {3, 3, 0, -1}, {3, -1, 2, -1}, {3, 0, 4, -1}, {3, 1, -1, -1}})
    EXPECT_EQ(StripMoveTarget(c.count, c.from, c.gap), c.target) << c.count << ' ' << c.from << ' ' << c.gap;
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
