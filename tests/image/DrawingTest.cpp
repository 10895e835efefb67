#include <gtest/gtest.h>

#include <cmath>

#include "image/clsImage.h"
#include "support/PsdWriter.h"

using namespace quelo;

namespace {

// The blend exactly as the drawing is defined: single-precision a and ia,
// products and sum in double, halves to even.
uint8_t ReferenceBlend(uint8_t s, uint8_t u, uint8_t A) {
  const float a = static_cast<float>(A / 255.0);
  const float ia = static_cast<float>(1.0 - a);
  const double v = static_cast<double>(u) * ia + static_cast<double>(s) * a;
  return static_cast<uint8_t>(std::nearbyint(v));
}

// A surface that knows only single pixels, so every row goes pixel by pixel.
class PixelOnlySurface final : public ISurface {
 public:
  PixelOnlySurface(int32_t width, int32_t height, uint32_t fill) : inner_(width, height, fill) {}
  void BeginImageDrawing() override { ++begins; }
  void SetCopyPen() override { ++pens; }
  void PSet(int32_t x, int32_t y, uint32_t colour) override { inner_.PSet(x, y, colour); }
  uint32_t Point(int32_t x, int32_t y) const override { return inner_.Point(x, y); }
  const std::vector<uint32_t>& Pixels() const { return inner_.Pixels(); }
  int begins = 0, pens = 0;

 private:
  MemorySurface inner_;
};

// The drawing written out pixel by pixel, the way it is defined.
void ReferenceShow(const clsImage& image, MemorySurface& target, int32_t X, int32_t Y, bool ex) {
  const auto& P = image.Pixels();
  const uint32_t back = image.BackColor();
  for (int32_t y = 0; y < image.Height(); ++y) {
    for (int32_t x = 0; x < image.Width(); ++x) {
      const size_t i = (static_cast<size_t>(image.Width()) * y + x) * image.BitCount();
      uint8_t c[3] = {P[i], P[i + 1], P[i + 2]};
      if (image.BitCount() == 4) {
        const uint32_t D = ex ? target.Point(X + x, Y + y) : back;
        for (int k = 0; k < 3; ++k) c[k] = ReferenceBlend(c[k], static_cast<uint8_t>(D >> (8 * k)), P[i + 3]);
      }
      target.PSet(X + x, Y + y, c[0] | c[1] << 8 | c[2] << 16);
    }
  }
}

void Load(clsImage& image, int width, int height, int channels, int seed) {
  ASSERT_TRUE(image.LoadByteArray(
      test::MakePsd(width, height, channels, test::PatternPixels(width, height, channels, seed)), "PSD"));
}

// A background with every byte value in every position.
void Paint(ISurface& surface, int32_t width, int32_t height) {
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x)
      surface.PSet(x, y, static_cast<uint32_t>(x * 97 + y * 13) * 2654435761u & 0xFFFFFF);
}

}  // namespace

TEST(Blend, EqualsTheDefinitionForEveryInput) {
  for (int A = 0; A < 256; ++A)
    for (int s = 0; s < 256; ++s)
      for (int u = 0; u < 256; ++u)
        ASSERT_EQ(BlendComponent(static_cast<uint8_t>(s), static_cast<uint8_t>(u), static_cast<uint8_t>(A)),
                  ReferenceBlend(static_cast<uint8_t>(s), static_cast<uint8_t>(u), static_cast<uint8_t>(A)))
            << "s " << s << " u " << u << " A " << A;
  EXPECT_EQ(BlendComponent(0, 255, 128), 127);
  EXPECT_EQ(BlendComponent(255, 0, 128), 128);
  EXPECT_EQ(BlendComponent(0, 255, 64), 191);
}

// Show and ShowEx through the row path give the pixels of the pixel-by-pixel
// drawing, on a surface with its own row copy and on one with only PSet/Point,
// including images that hang over the surface's edges.
TEST(Drawing, RowPathGivesThePixelsOfThePixelByPixelDrawing) {
  for (int channels : {3, 4}) {
    clsImage image;
    Load(image, 37, 23, channels, channels);
    image.SetBackColor(0x3C8AF0);
    for (bool ex : {false, true}) {
      for (auto [X, Y] : {std::pair{5, 7}, std::pair{-10, -4}, std::pair{30, 40}}) {
        SCOPED_TRACE(testing::Message() << channels << " channels, ex " << ex << " at " << X << "," << Y);
        MemorySurface reference(50, 50), bulk(50, 50);
        PixelOnlySurface pixels(50, 50, 0);
        Paint(reference, 50, 50);
        Paint(bulk, 50, 50);
        Paint(pixels, 50, 50);
        ReferenceShow(image, reference, X, Y, ex);
        const int64_t before = bulk.PSetCalls();
        if (ex) {
          image.ShowEx(bulk, X, Y);
          image.ShowEx(pixels, X, Y);
        } else {
          image.Show(bulk, X, Y);
          image.Show(pixels, X, Y);
        }
        EXPECT_EQ(bulk.PSetCalls(), before);  // the row path, not pixel by pixel
        EXPECT_EQ(bulk.Pixels(), reference.Pixels());
        EXPECT_EQ(pixels.Pixels(), reference.Pixels());
        EXPECT_EQ(pixels.begins, 1);
        EXPECT_EQ(pixels.pens, ex ? 1 : 0);
      }
    }
  }
}

TEST(Drawing, TransparentPixelsTakeTheBackgroundAndOpaqueImagesIgnoreIt) {
  // One transparent, one half and one opaque pixel, over white and over black.
  clsImage image;
  ASSERT_TRUE(image.LoadByteArray(test::MakePsd(3, 1, 4, {200, 100, 0, 0, 0, 0, 255, 128, 10, 20, 30, 255}), "PSD"));
  MemorySurface white(3, 1, 0), black(3, 1, 0);
  image.Show(white, 0, 0);
  image.ShowEx(black, 0, 0);
  EXPECT_EQ(white.Pixels(), (std::vector<uint32_t>{0xFFFFFF, 0xFF7F7F, 0x1E140A}));
  EXPECT_EQ(black.Pixels(), (std::vector<uint32_t>{0x000000, 0x800000, 0x1E140A}));

  // A 3-byte image draws the same with both, whatever BackColor is.
  clsImage rgb;
  Load(rgb, 9, 5, 3, 4);
  rgb.SetBackColor(0x123456);
  MemorySurface a(9, 5, 0x777777), b(9, 5, 0);
  rgb.Show(a, 0, 0);
  rgb.ShowEx(b, 0, 0);
  EXPECT_EQ(a.Pixels(), b.Pixels());

  // An empty image draws nothing but still prepares the surface.
  clsImage empty;
  PixelOnlySurface target(4, 4, 9);
  empty.ShowEx(target, 0, 0);
  EXPECT_EQ(std::make_pair(target.begins, target.pens), std::make_pair(1, 1));
  EXPECT_EQ(target.Pixels(), std::vector<uint32_t>(16, 9));
}
