#include <gtest/gtest.h>

#include <cmath>

#include "image/clsImage.h"
#include "support/PsdWriter.h"

using namespace quelo;

namespace {

// The blend as the drawing is defined: single-precision a and ia, products and
// sum in double, halves to even.
uint8_t ReferenceBlend(uint8_t s, uint8_t u, uint8_t A) {
  const float a = static_cast<float>(A / 255.0);
  const float ia = static_cast<float>(1.0 - a);
  return static_cast<uint8_t>(std::nearbyint(static_cast<double>(u) * ia + static_cast<double>(s) * a));
}

// The drawing written out pixel by pixel, the way it is defined.
void ReferenceShow(const clsImage& image, MemorySurface& target, int32_t X, int32_t Y, bool ex) {
  const auto& P = image.Pixels();
  for (int32_t y = 0; y < image.Height(); ++y) {
    for (int32_t x = 0; x < image.Width(); ++x) {
      const size_t i = (static_cast<size_t>(image.Width()) * y + x) * image.BitCount();
      const uint32_t D = ex ? target.Point(X + x, Y + y) : image.BackColor();
      uint32_t c = 0;
      for (int k = 0; k < 3; ++k)
        c |= uint32_t{image.BitCount() == 4 ? ReferenceBlend(P[i + k], D >> (8 * k) & 0xFF, P[i + 3]) : P[i + k]} << (8 * k);
      target.PSet(X + x, Y + y, c);
    }
  }
}

}  // namespace

TEST(Blend, EqualsTheDefinitionForEveryInput) {
  for (int A = 0; A < 256; ++A)
    for (int s = 0; s < 256; ++s)
      for (int u = 0; u < 256; ++u)
        ASSERT_EQ(BlendComponent(s, u, A), ReferenceBlend(s, u, A)) << "s " << s << " u " << u << " A " << A;
}

// Show and ShowEx through the row path give the pixels of the pixel-by-pixel
// drawing, including images that hang over the surface's edges.
TEST(Drawing, RowPathGivesThePixelsOfThePixelByPixelDrawing) {
  for (int channels : {3, 4}) {
    clsImage image;
    ASSERT_TRUE(image.LoadByteArray(test::MakePsd(37, 23, channels, test::PatternPixels(37, 23, channels, channels)), "PSD"));
    image.SetBackColor(0x3C8AF0);
    for (bool ex : {false, true}) {
      for (auto [X, Y] : {std::pair{5, 7}, std::pair{-10, -4}, std::pair{30, 40}}) {
        SCOPED_TRACE(testing::Message() << channels << " channels, ex " << ex << " at " << X << "," << Y);
        MemorySurface reference(50, 50);
        for (int32_t p = 0; p < 2500; ++p)  // every byte value in every position
          reference.PSet(p % 50, p / 50, static_cast<uint32_t>(p * 97) * 2654435761u & 0xFFFFFF);
        MemorySurface bulk = reference;
        ReferenceShow(image, reference, X, Y, ex);
        const int64_t before = bulk.PSetCalls();
        ex ? image.ShowEx(bulk, X, Y) : image.Show(bulk, X, Y);
        EXPECT_EQ(bulk.PSetCalls(), before);  // the row path, not pixel by pixel
        EXPECT_EQ(bulk.Pixels(), reference.Pixels());
      }
    }
  }
}

// One transparent, one half and one opaque pixel, over white and over black.
TEST(Drawing, ShowBlendsWithBackColorAndShowExWithTheSurface) {
  clsImage image;
  ASSERT_TRUE(image.LoadByteArray(test::MakePsd(3, 1, 4, {200, 100, 0, 0, 0, 0, 255, 128, 10, 20, 30, 255}), "PSD"));
  MemorySurface white(3, 1, 0), black(3, 1, 0);
  image.Show(white, 0, 0);
  image.ShowEx(black, 0, 0);
  EXPECT_EQ(white.Pixels(), (std::vector<uint32_t>{0xFFFFFF, 0xFF7F7F, 0x1E140A}));
  EXPECT_EQ(black.Pixels(), (std::vector<uint32_t>{0x000000, 0x800000, 0x1E140A}));
}
