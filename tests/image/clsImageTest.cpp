#include <gtest/gtest.h>

#include "image/clsImage.h"
#include "support/PsdWriter.h"
#include "support/RecordingDialogs.h"
#include "support/TempDir.h"

using namespace quelo;

TEST(clsImage, ChoosesTheDecoderByTypeOrExtension) {
  test::TempDir dir;
  const auto psd = test::MakePsd(3, 2, 4, test::PatternPixels(3, 2, 4, 1));
  test::WriteAll(dir.File("x.PSD"), psd);
  test::WriteAll(dir.File("!quelo.ini"), psd);

  clsImage image;
  EXPECT_EQ(image.Source(), "");
  EXPECT_TRUE(image.LoadFile(dir.File("x.PSD")));
  EXPECT_EQ(image.SourceType(), "PSD");
  EXPECT_EQ(image.Width(), 3);

  // An unknown type reads nothing and keeps the type, but the source is noted.
  EXPECT_FALSE(image.LoadFile(dir.File("!quelo.ini"), "", 5));
  EXPECT_EQ(image.SourceType(), "PSD");
  EXPECT_EQ(image.Source(), dir.File("!quelo.ini"));
  EXPECT_EQ(image.SourceOffset(), 5);

  // "Icon" in any case picks the icon reader (which refuses these bytes).
  test::RecordingDialogs dialogs;
  EXPECT_FALSE(image.LoadByteArray({0, 0, 1}, "iCoN"));
  EXPECT_EQ(image.SourceType(), "ICO");
  EXPECT_EQ(image.Source(), "メモリ");
  EXPECT_EQ(image.SourceOffset(), 5);
  EXPECT_EQ(image.Width(), 3);  // a refused load leaves the image as it was

  // Files that can't be read are refused quietly.
  EXPECT_FALSE(image.LoadFile(dir.File("missing.psd")));
  EXPECT_FALSE(image.LoadFile(dir.File("x.PSD"), "PSD", 0));
  EXPECT_EQ(image.Source(), dir.File("x.PSD"));
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST(clsImage, GetFileExtTakesWhatFollowsTheLastPoint) {
  clsImage image;
  EXPECT_EQ(image.GetFileExt("ame.psd"), "psd");
  EXPECT_EQ(image.GetFileExt("a.b.ICO"), "ICO");
  EXPECT_EQ(image.GetFileExt("noext"), "noext");
  EXPECT_EQ(image.GetFileExt("dot."), "");
}

TEST(clsImage, BackColorResolvesSystemColoursWhenSet) {
  clsImage image;
  EXPECT_EQ(image.BackColor(), 0xFFFFFFu);
  image.SetBackColor(0x12345678);
  EXPECT_EQ(image.BackColor(), 0x00345678u);

  platform::SetSysColorSource([](int) { return 0x00ABCDEFu; });
  image.SetBackColor(0x80000005);
  platform::SetSysColorSource(nullptr);
  EXPECT_EQ(image.BackColor(), 0x00ABCDEFu);  // the colour of that moment
  image.SetBackColor(0x80000000u | platform::syscolor::kAppWorkspace);
  EXPECT_EQ(image.BackColor(), platform::GetSysColor(platform::syscolor::kAppWorkspace));
}
