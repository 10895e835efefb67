// The preview records without a window, where the window tests can't reach:
// hits on edges, gaps and empty images, and what the panel shows after shifts.
#include <gtest/gtest.h>

#include "ui/main/PreviewStack.h"

using quelo::ui::PreviewStack;

namespace {
// Previews 16, 0 (an image that did not decode) and 40 pixels high, 10 wide,
// under captions of 18, from top 19: tops 19, 54 and 73.
PreviewStack Three() {
  PreviewStack s;
  s.SetLeft(1);
  s.Append(19, 10, 16, 0xFFFFFF);
  s.Append(54, 0, 0, 0xFFFFFF);
  s.Append(73, 10, 40, 0xFFFFFF);
  return s;
}
}  // namespace

TEST(PreviewStack, HitsOnlyPicturesThatAreShown) {
  PreviewStack s = Three();
  for (auto [x, y, k] : {std::tuple{1, 19, 1}, {10, 34, 1}, {11, 20, 0}, {0, 20, 0}, {1, 35, 0}, {1, 54, 0},
                         {1, 72, 0}, {1, 73, 3}, {5, 112, 3}, {5, 113, 0}, {5, 5, 0}})
    EXPECT_EQ(s.IndexAt(x, y), k) << x << "," << y;
  s.ShiftAll(19 - 73, 3);  // preview 3 at the top, 1 and 2 hidden
  EXPECT_EQ(s.IndexAt(5, 19), 3);
  EXPECT_EQ(s.IndexAt(5, -30), 0);  // preview 1 stands there, hidden
  EXPECT_FALSE(s[1].visible);
  EXPECT_EQ(s[1].top, 19 - 54);
  EXPECT_FALSE(s[4].visible);
  EXPECT_EQ(PreviewStack().IndexAt(1, 20), 0);
}

TEST(PreviewStack, RowsInViewAndTheScrollThatShowsAPreviewWhole) {
  PreviewStack s = Three();
  int from = 0, to = 0;
  s.InRows(0, 60, &from, &to);
  EXPECT_EQ(std::pair(from, to), std::pair(1, 2));
  s.InRows(36, 54, &from, &to);
  EXPECT_EQ(std::pair(from, to), std::pair(2, 1));  // only the gap below preview 1
  s.ShiftAll(-35, 2);
  s.InRows(-100, 100, &from, &to);
  EXPECT_EQ(std::pair(from, to), std::pair(2, 3));  // 1 is hidden
  // A panel 60 high with preview 2 first at 19: preview 3 (now at 38, bottom
  // frame at 78) needs 3 first; one taller than the panel comes first itself.
  EXPECT_EQ(s.FirstShowing(3, 19, 60), 3);
  EXPECT_EQ(s.FirstShowing(3, 19, 200), 1);
  EXPECT_EQ(s.FirstShowing(3, 19, 30), 3);
}
