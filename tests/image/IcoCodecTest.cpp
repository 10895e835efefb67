#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "image/clsImage.h"
#include "support/PsdWriter.h"
#include "support/RecordingDialogs.h"
#include "support/TempDir.h"

using namespace quelo;

namespace {

// An image of the given size and channels, loaded the way the program loads one.
void MakeImage(clsImage& image, int width, int height, int channels) {
  const auto psd = test::MakePsd(width, height, channels, test::PatternPixels(width, height, channels, 1));
  ASSERT_TRUE(image.LoadByteArray(psd, "PSD"));
}

std::vector<uint8_t> Slice(const std::vector<uint8_t>& b, size_t from, size_t count) {
  return std::vector<uint8_t>(b.begin() + static_cast<long>(from), b.begin() + static_cast<long>(from + count));
}

}  // namespace

TEST(IcoReader, ReadsImageMagickIconsOrRefusesThemCleanly) {
  test::RecordingDialogs dialogs;
  clsImage image;
  ASSERT_TRUE(image.LoadFile(test::TestData("ico_im_48.ico")));
  EXPECT_EQ(image.SourceType(), "ICO");
  EXPECT_EQ(std::make_tuple(image.Width(), image.Height(), int{image.BitCount()}), std::make_tuple(48, 48, 4));
  EXPECT_EQ(image.Pixels(), test::ReadAll(test::TestData("ico_im_48.rgba")));  // as Pillow reads it
  EXPECT_TRUE(dialogs.messages.empty());

  // A 1-bit icon: refused without a word. Two images: the reader's message.
  clsImage palette, two;
  EXPECT_FALSE(palette.LoadFile(test::TestData("ico_im_palette.ico")));
  EXPECT_TRUE(two.LoadFile(test::TestData("ico_im_two.ico"), "Icon"));
  EXPECT_EQ(two.Width(), 0);
  EXPECT_EQ(dialogs.Texts(),
            std::vector<std::string>{"このアイコンファイルには複数のイメージが格納されているため読み込めません"});
}

TEST(IcoReader, RefusesBentAndCutShortIconsWithoutAMessage) {
  test::RecordingDialogs dialogs;
  const auto good = test::ReadAll(test::TestData("ico_im_48.ico"));
  // Header size, bit count, image count from 32768, width with the top bit,
  // width 0, height 1 (no colour rows), more rows than the file holds.
  for (auto [at, value] : std::vector<std::pair<size_t, uint8_t>>{
           {22, 41}, {36, 24}, {5, 0x80}, {29, 0x80}, {26, 0}, {30, 1}, {31, 0x10}}) {
    auto bytes = good;
    bytes[at] = value;
    clsImage image;
    EXPECT_FALSE(image.LoadByteArray(bytes, "ICO")) << at;
    EXPECT_EQ(image.Width(), 0) << at;
  }
  for (size_t length = 0; length < 62 + 48 * 48 * 4; length += 7) {
    clsImage image;
    ASSERT_FALSE(image.LoadByteArray(Slice(good, 0, length), "ico")) << length;
  }
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST(IcoWriter, WritesTheIconLayoutByteForByte) {
  test::TempDir dir;
  clsImage image, large;
  MakeImage(image, 32, 32, 4);
  image.SaveICO(dir.File("a.ico"));
  const auto bytes = test::ReadAll(dir.File("a.ico"));
  ASSERT_EQ(bytes.size(), 4286u);
  const std::vector<uint8_t> head = {0, 0, 1, 0, 1, 0, 32, 32, 0, 0, 0, 0, 0, 0, 0xA8, 0x10, 0, 0, 22, 0, 0, 0,
                                     40, 0, 0, 0, 32, 0, 0, 0, 64, 0, 0, 0, 1, 0, 32, 0, 0, 0, 0, 0,
                                     0x80, 0x10, 0, 0};
  EXPECT_EQ(Slice(bytes, 0, head.size()), head);
  EXPECT_EQ(Slice(bytes, 46, 16), std::vector<uint8_t>(16, 0));
  // The bottom-left pixel first, the top-right one last, blue green red alpha.
  const auto& p = image.Pixels();
  const size_t bottomLeft = 31 * 32 * 4, topRight = 31 * 4;
  EXPECT_EQ(Slice(bytes, 62, 4), (std::vector<uint8_t>{p[bottomLeft + 2], p[bottomLeft + 1], p[bottomLeft], p[bottomLeft + 3]}));
  EXPECT_EQ(Slice(bytes, 62 + 4096 - 4, 4), (std::vector<uint8_t>{p[topRight + 2], p[topRight + 1], p[topRight], p[topRight + 3]}));
  EXPECT_EQ(Slice(bytes, 62 + 4096, 128), std::vector<uint8_t>(128, 0));

  clsImage back;
  ASSERT_TRUE(back.LoadFile(dir.File("a.ico")));
  EXPECT_EQ(std::make_tuple(back.Width(), back.Height(), int{back.BitCount()}), std::make_tuple(32, 32, 4));
  EXPECT_EQ(back.Pixels(), p);

  MakeImage(large, 48, 48, 4);
  large.SaveICO(dir.File("b.ico"));
  const auto big = test::ReadAll(dir.File("b.ico"));
  ASSERT_EQ(big.size(), 9662u);
  EXPECT_EQ(Slice(big, 14, 4), (std::vector<uint8_t>{0xA8, 0x25, 0, 0}));  // 9640
  EXPECT_EQ(Slice(big, 42, 4), (std::vector<uint8_t>{0x80, 0x25, 0, 0}));  // 9600
}

// An independent reader, ImageMagick, sees the same colours and alpha. (Pillow
// reads the colours but takes alpha only when the directory entry says 32
// bits; this icon's entry says 0.)
TEST(IcoWriter, ImageMagickReadsTheIconBack) {
  if (std::system("/usr/bin/convert -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ImageMagick";
  test::TempDir dir;
  clsImage image;
  ASSERT_TRUE(image.LoadFile(test::TestData("psd_rgba_48x48.psd")));
  image.SaveICO(dir.File("x.ico"));
  const std::string command = "/usr/bin/convert " + dir.File("x.ico") + " -depth 8 rgba:" + dir.File("im.rgba");
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(test::ReadAll(dir.File("im.rgba")), image.Pixels());
}

// Other sizes are refused before the file is touched; an image without alpha
// is written fully opaque, as it is drawn, instead of failing half-way.
TEST(IcoWriter, RefusesOtherSizesAndWritesImagesWithoutAlphaOpaque) {
  test::RecordingDialogs dialogs;
  test::TempDir dir;
  clsImage small, tall, rgb;
  MakeImage(small, 16, 16, 4);
  MakeImage(tall, 32, 48, 4);
  MakeImage(rgb, 48, 48, 3);
  small.SaveICO(dir.File("small.ico"));
  tall.SaveICO(dir.File("tall.ico"));
  EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{"このイメージはアイコン形式での保存は出来ません",
                                                       "このデータはアイコン形式での保存は出来ません"}));
  EXPECT_EQ(dialogs.messages[0].title, platform::AppTitle());
  EXPECT_FALSE(std::filesystem::exists(dir.File("small.ico")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("tall.ico")));

  rgb.SaveICO(dir.File("rgb.ico"));
  EXPECT_EQ(dialogs.messages.size(), 2u);
  clsImage back;
  ASSERT_TRUE(back.LoadFile(dir.File("rgb.ico")));
  ASSERT_EQ(back.Pixels().size(), 48u * 48 * 4);
  for (size_t i = 0; i < back.Pixels().size(); ++i)
    ASSERT_EQ(back.Pixels()[i], i % 4 == 3 ? 255 : rgb.Pixels()[i / 4 * 3 + i % 4]) << i;
}

TEST(IcoWriter, ReplacesAFileWholeAndLeavesItAloneWhenTheWriteFails) {
  test::RecordingDialogs dialogs;
  test::TempDir dir;
  clsImage image;
  MakeImage(image, 32, 32, 4);
  test::WriteAll(dir.File("old.ico"), std::vector<uint8_t>(20000, 0xEE));
  image.SaveICO(dir.File("old.ico"));
  EXPECT_EQ(test::ReadAll(dir.File("old.ico")).size(), 4286u);

  // A name that leaves no room for a temporary file beside it: the write
  // fails and the user's file stays as it was. Then a folder in the way, and
  // a folder that does not exist.
  const std::string longName = dir.File(std::string(250, 'n'));
  test::WriteAll(longName, std::vector<uint8_t>(777, 0x42));
  image.SaveICO(longName);
  EXPECT_EQ(test::ReadAll(longName), std::vector<uint8_t>(777, 0x42));
  std::filesystem::create_directory(dir.File("folder.ico"));
  image.SaveICO(dir.File("folder.ico"));
  image.SaveICO(dir.File("missing/x.ico"));
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder.ico")));

  ASSERT_EQ(dialogs.messages.size(), 3u);
  const std::string prefix = "ファイルの保存に失敗しました。\r\n";
  for (const auto& m : dialogs.messages) {
    EXPECT_EQ(std::make_tuple(m.title, m.icon, m.buttons),
              std::make_tuple(std::string("Windowsアイコン形式エクスポート"), platform::MsgIcon::Critical,
                              platform::MsgButtons::Ok));
    EXPECT_EQ(m.text.compare(0, prefix.size(), prefix), 0) << m.text;
    EXPECT_GT(m.text.size(), prefix.size());
  }
  // Nothing left behind: old.ico, the long name, the folder.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 3);
}
