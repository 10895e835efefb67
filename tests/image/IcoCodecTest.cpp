#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "image/clsImage.h"
#include "support/PsdWriter.h"
#include "support/RecordingDialogs.h"
#include "support/TempDir.h"

using namespace quelo;

namespace {

const char* const kManyImages = "このアイコンファイルには複数のイメージが格納されているため読み込めません";
const char* const kNotSquare = "このデータはアイコン形式での保存は出来ません";
const char* const kWrongSize = "このイメージはアイコン形式での保存は出来ません";

// An image of the given size and channels, loaded the way the program loads one.
void MakeImage(clsImage& image, int width, int height, int channels, int seed = 1) {
  const auto psd = test::MakePsd(width, height, channels, test::PatternPixels(width, height, channels, seed));
  ASSERT_TRUE(image.LoadByteArray(psd, "PSD"));
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 | uint32_t{b[at + 3]} << 24;
}

}  // namespace

TEST(IcoReader, ReadsAnImageMagickIconLikePillow) {
  test::RecordingDialogs dialogs;
  clsImage image;
  ASSERT_TRUE(image.LoadFile(test::TestData("ico_im_48.ico")));
  EXPECT_EQ(image.SourceType(), "ICO");
  EXPECT_EQ(image.Width(), 48);
  EXPECT_EQ(image.Height(), 48);
  EXPECT_EQ(image.BitCount(), 4);
  EXPECT_EQ(image.Pixels(), test::ReadAll(test::TestData("ico_im_48.rgba")));
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST(IcoReader, RefusesIconsOutsideItsSubset) {
  test::RecordingDialogs dialogs;
  // ImageMagick's two-image icon: the reader's own message, and nothing loaded.
  clsImage two;
  EXPECT_TRUE(two.LoadFile(test::TestData("ico_im_two.ico"), "Icon"));
  EXPECT_EQ(two.Width(), 0);
  ASSERT_EQ(dialogs.Texts(), std::vector<std::string>{kManyImages});
  dialogs.messages.clear();

  // ImageMagick's 1-bit palette icon, and bent copies of a good one: refused
  // without a message.
  clsImage palette;
  EXPECT_FALSE(palette.LoadFile(test::TestData("ico_im_palette.ico")));
  const auto good = test::ReadAll(test::TestData("ico_im_48.ico"));
  const std::pair<size_t, uint8_t> bends[] = {
      {22, 41},    // header size
      {36, 24},    // bit count
      {5, 0x80},   // image count 32768 and more: out of range
      {29, 0x80},  // width with the top bit set
      {26, 0},     // width 0
      {30, 1},     // height 1: no colour rows
      {31, 0x10},  // more rows than the file holds
  };
  for (const auto& [at, value] : bends) {
    auto bytes = good;
    bytes[at] = value;
    clsImage image;
    EXPECT_FALSE(image.LoadByteArray(bytes, "ICO")) << at;
    EXPECT_EQ(image.Width(), 0) << at;
  }
  for (size_t length = 0; length < 62 + 48 * 48 * 4; length += 7) {
    clsImage image;
    ASSERT_FALSE(image.LoadByteArray(std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(length)), "ico"));
  }
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST(IcoWriter, WritesTheIconLayoutByteForByte) {
  test::TempDir dir;
  clsImage image;
  MakeImage(image, 32, 32, 4);
  image.SaveICO(dir.File("a.ico"));
  const auto bytes = test::ReadAll(dir.File("a.ico"));
  ASSERT_EQ(bytes.size(), 4286u);
  const std::vector<uint8_t> head = {0, 0, 1, 0, 1, 0, 32, 32, 0, 0, 0, 0, 0, 0, 0xA8, 0x10, 0, 0, 22, 0, 0, 0};
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 22), head);
  EXPECT_EQ(Le32(bytes, 22), 40u);
  EXPECT_EQ(Le32(bytes, 26), 32u);
  EXPECT_EQ(Le32(bytes, 30), 64u);
  EXPECT_EQ(bytes[34] | bytes[35] << 8, 1);
  EXPECT_EQ(bytes[36] | bytes[37] << 8, 32);
  EXPECT_EQ(Le32(bytes, 38), 0u);
  EXPECT_EQ(Le32(bytes, 42), 4224u);
  for (size_t i = 46; i < 62; ++i) EXPECT_EQ(bytes[i], 0) << i;
  const auto& p = image.Pixels();
  const size_t bottomLeft = 31 * 32 * 4, topRight = 31 * 4;
  EXPECT_EQ(bytes[62], p[bottomLeft + 2]);
  EXPECT_EQ(bytes[63], p[bottomLeft + 1]);
  EXPECT_EQ(bytes[64], p[bottomLeft]);
  EXPECT_EQ(bytes[65], p[bottomLeft + 3]);
  EXPECT_EQ(bytes[62 + 4096 - 4], p[topRight + 2]);
  EXPECT_EQ(bytes[62 + 4096 - 1], p[topRight + 3]);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 62 + 4096, bytes.end()), std::vector<uint8_t>(128, 0));

  clsImage back;
  ASSERT_TRUE(back.LoadFile(dir.File("a.ico")));
  EXPECT_EQ(back.Width(), 32);
  EXPECT_EQ(back.Height(), 32);
  EXPECT_EQ(back.BitCount(), 4);
  EXPECT_EQ(back.Pixels(), p);

  clsImage large;
  MakeImage(large, 48, 48, 4);
  large.SaveICO(dir.File("b.ico"));
  const auto big = test::ReadAll(dir.File("b.ico"));
  ASSERT_EQ(big.size(), 9662u);
  EXPECT_EQ(Le32(big, 14), 9640u);
  EXPECT_EQ(Le32(big, 42), 9600u);
}

// Independent readers see the same pixels: ImageMagick the colours and alpha;
// Pillow the colours (it takes alpha only when the directory entry says 32
// bits, and this icon's entry says 0, as the format allows).
TEST(IcoWriter, OtherProgramsReadTheIconBack) {
  const bool magick = std::system("/usr/bin/convert -version >/dev/null 2>&1") == 0;
  const bool pillow = std::system("/usr/bin/python3 -c 'import PIL' >/dev/null 2>&1") == 0;
  if (!magick && !pillow) GTEST_SKIP() << "neither ImageMagick nor Pillow";
  test::TempDir dir;
  clsImage image;
  ASSERT_TRUE(image.LoadFile(test::TestData("psd_rgba_48x48.psd")));
  image.SaveICO(dir.File("x.ico"));
  if (magick) {
    const std::string command = "/usr/bin/convert " + dir.File("x.ico") + " -depth 8 rgba:" + dir.File("im.rgba");
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(test::ReadAll(dir.File("im.rgba")), image.Pixels());
  }
  if (pillow) {
    const std::string command = "/usr/bin/python3 -c \"import sys; from PIL import Image; "
                                "im = Image.open(sys.argv[1]); assert im.size == (48, 48); "
                                "open(sys.argv[2], 'wb').write(im.convert('RGB').tobytes())\" " +
                                dir.File("x.ico") + " " + dir.File("pil.rgb");
    ASSERT_EQ(std::system(command.c_str()), 0);
    const auto rgb = test::ReadAll(dir.File("pil.rgb"));
    ASSERT_EQ(rgb.size(), 48u * 48 * 3);
    for (size_t i = 0; i < 48 * 48; ++i)
      for (size_t k = 0; k < 3; ++k) ASSERT_EQ(rgb[i * 3 + k], image.Pixels()[i * 4 + k]) << i;
  }
}

TEST(IcoWriter, RefusesOtherSizesBeforeTouchingTheFile) {
  test::RecordingDialogs dialogs;
  test::TempDir dir;
  clsImage small, tall;
  MakeImage(small, 16, 16, 4);
  MakeImage(tall, 32, 48, 4);
  small.SaveICO(dir.File("small.ico"));
  tall.SaveICO(dir.File("tall.ico"));
  EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{kWrongSize, kNotSquare}));
  EXPECT_EQ(dialogs.messages[0].title, platform::AppTitle());
  EXPECT_FALSE(std::filesystem::exists(dir.File("small.ico")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("tall.ico")));
}

// An image without alpha is written fully opaque, as it is drawn, instead of
// failing half-way through the file.
TEST(IcoWriter, WritesAnImageWithoutAlphaAsOpaque) {
  test::RecordingDialogs dialogs;
  test::TempDir dir;
  clsImage image;
  MakeImage(image, 48, 48, 3);
  image.SaveICO(dir.File("rgb.ico"));
  EXPECT_TRUE(dialogs.messages.empty());
  clsImage back;
  ASSERT_TRUE(back.LoadFile(dir.File("rgb.ico")));
  ASSERT_EQ(back.Pixels().size(), 48u * 48 * 4);
  for (size_t i = 0; i < 48 * 48; ++i) {
    ASSERT_EQ(back.Pixels()[i * 4 + 3], 255);
    ASSERT_EQ(back.Pixels()[i * 4], image.Pixels()[i * 3]);
    ASSERT_EQ(back.Pixels()[i * 4 + 2], image.Pixels()[i * 3 + 2]);
  }
}

TEST(IcoWriter, ReplacesAFileWholeAndLeavesItAloneWhenTheWriteFails) {
  test::RecordingDialogs dialogs;
  test::TempDir dir;
  clsImage image;
  MakeImage(image, 32, 32, 4);

  // Replacing a longer file leaves exactly the icon.
  test::WriteAll(dir.File("old.ico"), std::vector<uint8_t>(20000, 0xEE));
  image.SaveICO(dir.File("old.ico"));
  EXPECT_EQ(test::ReadAll(dir.File("old.ico")).size(), 4286u);

  // A name that exists but leaves no room for a file beside it: the write
  // fails, the user's file stays as it was, and nothing else is left behind.
  const std::string longName = dir.File(std::string(250, 'n'));
  const std::vector<uint8_t> precious(777, 0x42);
  test::WriteAll(longName, precious);
  image.SaveICO(longName);
  EXPECT_EQ(test::ReadAll(longName), precious);

  // A folder in the way, and a folder that does not exist.
  std::filesystem::create_directory(dir.File("folder.ico"));
  image.SaveICO(dir.File("folder.ico"));
  image.SaveICO(dir.File("missing/x.ico"));
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder.ico")));

  ASSERT_EQ(dialogs.messages.size(), 3u);
  for (const auto& m : dialogs.messages) {
    EXPECT_EQ(m.title, "Windowsアイコン形式エクスポート");
    EXPECT_EQ(m.icon, platform::MsgIcon::Critical);
    EXPECT_EQ(m.buttons, platform::MsgButtons::Ok);
    const std::string prefix = "ファイルの保存に失敗しました。\r\n";
    EXPECT_EQ(m.text.compare(0, prefix.size(), prefix), 0) << m.text;
    EXPECT_GT(m.text.size(), prefix.size());
  }
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) (void)entry, ++files;
  EXPECT_EQ(files, 3u);  // old.ico, the long name, the folder
}
