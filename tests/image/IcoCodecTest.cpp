#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "image/clsImage.h"
#include "support/PsdWriter.h"
#include "support/RecordingDialogs.h"
#include "support/TempDir.h"

using namespace quelo;
namespace fs = std::filesystem;

namespace {

// An image of the given size and channels, loaded the way the program loads one.
void MakeImage(clsImage& image, int width, int height, int channels) {
  ASSERT_TRUE(image.LoadByteArray(test::MakePsd(width, height, channels, test::PatternPixels(width, height, channels, 1)), "PSD"));
}

std::vector<uint8_t> Slice(const std::vector<uint8_t>& b, size_t from, size_t count) {
  return {b.begin() + static_cast<long>(from), b.begin() + static_cast<long>(from + count)};
}

}  // namespace

// ImageMagick's icon reads as Pillow reads it. A 1-bit icon, bent header
// fields (header size, bit count, image count from 32768, width with the top
// bit, width 0, height 1, more rows than the file holds) and cut-short icons are
// refused without a word; two images bring the reader's message.
TEST(IcoReader, ReadsImageMagickIconsOrRefusesThemCleanly) {
  test::RecordingDialogs dialogs;
  clsImage image, palette, two;
  ASSERT_TRUE(image.LoadFile(test::TestData("ico_im_48.ico")));
  EXPECT_EQ(std::make_tuple(image.SourceType(), image.Width(), image.Height(), int{image.BitCount()}),
            std::make_tuple(std::string("ICO"), 48, 48, 4));
  EXPECT_EQ(image.Pixels(), test::ReadAll(test::TestData("ico_im_48.rgba")));
  EXPECT_FALSE(palette.LoadFile(test::TestData("ico_im_palette.ico")));
  const auto good = test::ReadAll(test::TestData("ico_im_48.ico"));
  for (auto [at, value] : std::vector<std::pair<size_t, uint8_t>>{
           {22, 41}, {36, 24}, {5, 0x80}, {29, 0x80}, {26, 0}, {30, 1}, {31, 0x10}}) {
    auto bytes = good;
    bytes[at] = value;
    clsImage bent;
    EXPECT_FALSE(bent.LoadByteArray(bytes, "ICO")) << at;
    EXPECT_EQ(bent.Width(), 0) << at;
  }
  for (size_t length = 0; length < 62 + 48 * 48 * 4; length += 7)
    ASSERT_FALSE(clsImage().LoadByteArray(Slice(good, 0, length), "ico")) << length;
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(two.LoadFile(test::TestData("ico_im_two.ico"), "Icon"));
  EXPECT_EQ(two.Width(), 0);
  EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"このアイコンファイルには複数のイメージが格納されているため読み込めません\r\n" +
                                                      test::TestData("ico_im_two.ico")});
}

// The layout byte for byte: the directory entry repeats the bitmap's planes and
// bit count, and the AND mask hides exactly the pixels whose alpha is 0. Two
// independent readers, ImageMagick (which reads the bitmap header) and Pillow
// (which trusts the directory entry), both see every colour with its alpha,
// rows in their order.
TEST(IcoWriter, WritesAnIconThatImageMagickAndPillowReadBackWithAlpha) {
  test::TempDir dir;
  clsImage image;
  ASSERT_TRUE(image.LoadFile(test::TestData("psd_rgba_48x48.psd")));
  image.SaveICO(dir.File("x.ico"));
  const auto bytes = test::ReadAll(dir.File("x.ico"));
  ASSERT_EQ(bytes.size(), 9662u);
  const std::vector<uint8_t> head = {0, 0, 1, 0, 1, 0, 48, 48, 0, 0, 1, 0, 32, 0, 0xA8, 0x25, 0, 0, 22, 0, 0, 0,
                                     40, 0, 0, 0, 48, 0, 0, 0, 96, 0, 0, 0, 1, 0, 32, 0, 0, 0, 0, 0,
                                     0x80, 0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(Slice(bytes, 0, head.size()), head);
  // The mask, bottom row first, 8 bytes a row (6 used), most significant bit leftmost.
  std::vector<uint8_t> mask(384, 0);
  size_t hidden = 0;
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 48; ++x) {
      if (image.Pixels()[(static_cast<size_t>(y) * 48 + x) * 4 + 3] != 0) continue;
      mask[static_cast<size_t>(47 - y) * 8 + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
      ++hidden;
    }
  }
  ASSERT_GT(hidden, 0u);  // the test image has transparent pixels to hide
  EXPECT_EQ(Slice(bytes, 62 + 9216, 384), mask);
  if (std::system("/usr/bin/convert -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ImageMagick";
  ASSERT_EQ(std::system(("/usr/bin/convert " + dir.File("x.ico") + " -depth 8 rgba:" + dir.File("im.rgba")).c_str()), 0);
  EXPECT_EQ(test::ReadAll(dir.File("im.rgba")), image.Pixels());
  if (std::system("/usr/bin/python3 -c 'import PIL' 2>/dev/null") != 0) GTEST_SKIP() << "no Pillow";
  const std::string script = "import sys; from PIL import Image; im = Image.open(sys.argv[1]); "
                             "assert im.mode == 'RGBA', im.mode; open(sys.argv[2], 'wb').write(im.tobytes())";
  ASSERT_EQ(std::system(("/usr/bin/python3 -c \"" + script + "\" " + dir.File("x.ico") + " " + dir.File("pil.rgba")).c_str()), 0);
  EXPECT_EQ(test::ReadAll(dir.File("pil.rgba")), image.Pixels());
}

// Without alpha, written opaque, as drawn; over a longer file, whole. Another
// size, a name with no room for a temporary file, a folder in the way or missing,
// writes failing at the first, middle and last byte: the user's files stay byte
// for byte, nothing is left beside them, the failure is reported.
TEST(IcoWriter, WritesWholeIconsOrLeavesTheUsersFilesAlone) {
  test::RecordingDialogs dialogs;
  test::TempDir dir;
  clsImage image, small, rgb, back;
  MakeImage(image, 32, 32, 4);
  MakeImage(small, 16, 16, 4);
  MakeImage(rgb, 48, 48, 3);
  const std::string target = dir.File("old.ico"), longName = dir.File(std::string(250, 'n'));
  ASSERT_TRUE(rgb.SaveICO(target));
  ASSERT_TRUE(back.LoadFile(target));
  ASSERT_EQ(back.Pixels().size(), 48u * 48 * 4);
  for (size_t i = 0; i < back.Pixels().size(); ++i)
    ASSERT_EQ(back.Pixels()[i], i % 4 == 3 ? 255 : rgb.Pixels()[i / 4 * 3 + i % 4]) << i;
  ASSERT_TRUE(image.SaveICO(target));
  EXPECT_EQ(test::ReadAll(target).size(), 4286u);

  const std::vector<uint8_t> before(777, 0x42);
  test::WriteAll(target, before);
  test::WriteAll(longName, before);
  fs::create_directory(dir.File("folder.ico"));
  EXPECT_FALSE(small.SaveICO(target));
  EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"このイメージはアイコン形式での保存は出来ません"});
  EXPECT_EQ(dialogs.messages[0].title, platform::AppTitle());
  dialogs.messages.clear();
  for (const std::string& name : {dir.File(std::string(256, 'n')), dir.File("folder.ico"), dir.File("missing/x.ico")})
    image.SaveICO(name);
  for (int64_t at : test::FailurePoints(4286)) {
    test::ScopedWriteFailure failure(at);
    EXPECT_FALSE(image.SaveICO(target)) << at;
    EXPECT_FALSE(image.SaveICO(longName)) << at;
  }
  EXPECT_EQ(std::make_tuple(test::ReadAll(target), test::ReadAll(longName)), std::make_tuple(before, before));
  // A name as long as a name may be, with no room for a suffix, is replaced too.
  EXPECT_TRUE(image.SaveICO(longName));
  EXPECT_EQ(test::ReadAll(longName).size(), 4286u);
  EXPECT_TRUE(fs::is_directory(dir.File("folder.ico")));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 3);  // nothing left behind
  ASSERT_EQ(dialogs.messages.size(), 9u);
  for (const auto& m : dialogs.messages) {
    EXPECT_EQ(std::make_tuple(m.title, m.icon, m.buttons),
              std::make_tuple(std::string("Windowsアイコン形式エクスポート"), platform::MsgIcon::Critical,
                              platform::MsgButtons::Ok));
    EXPECT_EQ(m.text.rfind("ファイルの保存に失敗しました。\r\n", 0), 0u) << m.text;
  }
  // Each reason in the user's words.
  std::vector<std::string> reasons;
  for (const std::string& text : dialogs.Texts()) reasons.push_back(text.substr(text.find('\n') + 1));
  EXPECT_EQ(reasons, (std::vector<std::string>{"ファイル名が長すぎます", "同じ名前のフォルダーがあります",
                                               "フォルダーまたはファイルが見つかりません",
                                               "ディスクの空き容量が不足しています",
                                               "ディスクの空き容量が不足しています",
                                               "ディスクの空き容量が不足しています",
                                               "ディスクの空き容量が不足しています",
                                               "ディスクの空き容量が不足しています",
                                               "ディスクの空き容量が不足しています"}));
  test::ScopedWriteFailure exact(4286);
  EXPECT_TRUE(image.SaveICO(target));
  EXPECT_EQ(test::ReadAll(target).size(), 4286u);
}
