#include <gtest/gtest.h>

#include "ui/main/StripMath.h"

using namespace quelo::ui;

TEST(StripMath, EntryLeftEdgesAndCanvasWidth) {
  const std::vector<int32_t> widths = {32, 48, 16};
  EXPECT_EQ(StripItemLeft(widths, 0), 0);
  EXPECT_EQ(StripItemLeft(widths, 1), 32);
  EXPECT_EQ(StripItemLeft(widths, 2), 80);
  EXPECT_EQ(StripItemLeft(widths, 3), -1);
  EXPECT_EQ(StripItemLeft(widths, -1), -1);
  EXPECT_EQ(StripCanvasWidth(widths), 96);
  EXPECT_EQ(StripCanvasWidth({}), 300);
}

TEST(StripMath, DropPositionSplitsEachImageAtItsMiddle) {
  const std::vector<int32_t> widths = {32, 48};
  int32_t marker = -7;
  EXPECT_EQ(StripDropPosition(widths, 10, &marker), 0);
  EXPECT_EQ(marker, 0);
  EXPECT_EQ(StripDropPosition(widths, 16, &marker), 1);  // exactly the middle: the gap after
  EXPECT_EQ(marker, 32);
  EXPECT_EQ(StripDropPosition(widths, 40, &marker), 1);
  EXPECT_EQ(marker, 32);
  EXPECT_EQ(StripDropPosition(widths, 56, &marker), 2);
  EXPECT_EQ(marker, 80);
  marker = -7;
  EXPECT_EQ(StripDropPosition(widths, 80, &marker), 0);  // beyond the right end
  EXPECT_EQ(marker, -7);
  EXPECT_EQ(StripDropPosition({}, 150, nullptr), 0);
  EXPECT_EQ(StripItemAt(widths, 31.5), 0);
  EXPECT_EQ(StripItemAt(widths, 32), 1);
  EXPECT_EQ(StripItemAt(widths, 500), 0);
}

TEST(StripMath, CanvasIsCentredOrScrolledWithFivePixelMargins) {
  StripPlacement p = PlaceStrip(400, 96);
  EXPECT_FALSE(p.scrolls);
  EXPECT_EQ(p.left, 152);
  p = PlaceStrip(400, 390);
  EXPECT_TRUE(p.scrolls);
  EXPECT_EQ(p.scrollMax, 0);
  EXPECT_EQ(StripLeftForScroll(0), 5);
  p = PlaceStrip(400, 1000);
  EXPECT_EQ(p.scrollMax, 610);
  EXPECT_EQ(StripLeftForScroll(610), -605);
  // A range past the scroll bar's 16-bit limit is cut there.
  EXPECT_EQ(PlaceStrip(400, 40000).scrollMax, 32767);
  // Odd room left over: the half pixel goes.
  EXPECT_EQ(PlaceStrip(401, 96).left, 152);
}

TEST(StripMath, ProgressPercentIsTruncatedAndKeptInRange) {
  EXPECT_EQ(ProgressText(7, 3, "x"), "42% x");
  EXPECT_EQ(ProgressText(0, 0, "x"), "0% x");
  EXPECT_EQ(ProgressText(7, 9, "x"), "x");
  EXPECT_EQ(ProgressText(1, 1, "done"), "done");
  EXPECT_EQ(ProgressPercent(4, -1), 0);
  EXPECT_EQ(ProgressPercent(3, 1), 33);
  EXPECT_EQ(ProgressPercent(2147483647, 2147483647), 100);  // no overflow on the way
}

TEST(StripMath, PreviewPanelGeometry) {
  EXPECT_EQ(PreviewPanelWidth(48, 17), 48 + 8 + 17);
  EXPECT_EQ(PreviewScrollBarLeft(73, 17), 52);
  EXPECT_EQ(NextPreviewTop(20, 32, 19), 20 + 32 + 1 + 19);
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(3.5), 4);
  EXPECT_EQ(RoundHalfEven(-0.5), 0);
}
