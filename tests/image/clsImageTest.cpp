#include <gtest/gtest.h>

#include "image/clsImage.h"
#include "support/PsdWriter.h"
#include "support/RecordingDialogs.h"
#include "support/TempDir.h"

using namespace quelo;

TEST(clsImage, ChoosesTheDecoderByTypeOrExtension) {
  test::TempDir dir;
  test::RecordingDialogs dialogs;
  const auto psd = test::MakePsd(3, 2, 4, test::PatternPixels(3, 2, 4, 1));
  test::WriteAll(dir.File("x.PSD"), psd);
  test::WriteAll(dir.File("!quelo.ini"), psd);
  clsImage image;
  EXPECT_TRUE(image.LoadFile(dir.File("x.PSD")));
  EXPECT_EQ(image.Width(), 3);
  // An unknown type reads nothing and keeps the type, but the source is noted.
  EXPECT_FALSE(image.LoadFile(dir.File("!quelo.ini"), "", 5));
  EXPECT_EQ(std::make_tuple(image.SourceType(), image.Source(), image.SourceOffset()),
            std::make_tuple(std::string("PSD"), dir.File("!quelo.ini"), 5));
  // "Icon" in any case picks the icon reader (which refuses these bytes); a
  // refused load leaves the image as it was.
  EXPECT_FALSE(image.LoadByteArray({0, 0, 1}, "iCoN"));
  EXPECT_EQ(std::make_tuple(image.SourceType(), image.Source(), image.Width()),
            std::make_tuple(std::string("ICO"), std::string("メモリ"), 3));
  EXPECT_FALSE(image.LoadFile(dir.File("missing.psd")));
  EXPECT_FALSE(image.LoadFile(dir.File("x.PSD"), "PSD", 0));
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST(clsImage, BackColorResolvesSystemColoursWhenSet) {
  clsImage image;
  image.SetBackColor(0x12345678);  // not a system colour: the top byte goes
  EXPECT_EQ(image.BackColor(), 0x00345678u);
  platform::SetSysColorSource([](int) { return 0x00ABCDEFu; });
  image.SetBackColor(0x80000005);
  platform::SetSysColorSource(nullptr);
  EXPECT_EQ(image.BackColor(), 0x00ABCDEFu);  // the colour of that moment
}
