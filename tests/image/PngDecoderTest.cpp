#include <gtest/gtest.h>

#include <cstdio>

#include "image/clsImage.h"
#include "support/PsdWriter.h"
#include "support/RecordingDialogs.h"
#include "support/TempDir.h"

using namespace quelo;

namespace {

const std::string kNotPng = "このファイルはPNG形式ではありません";
const std::string kDamaged = "このPNGファイルは壊れているため読み込めません";
const std::string kTooLarge = "このイメージは大きすぎるため読み込めません";

// "png_im_rgb_21x11.png" -> {21, 11}
std::pair<int, int> SizeInName(const std::string& name) {
  int w = 0, h = 0;
  std::sscanf(name.c_str() + name.rfind('_') + 1, "%dx%d", &w, &h);
  return {w, h};
}

}  // namespace

// Files made by ImageMagick and Pillow decode to what Pillow reads from them
// (16-bit samples to their high byte), as 8-bit RGBA; the 256-pixel icon holds
// its image as PNG data.
TEST(PngDecoder, DecodesEveryKindToThePixelsPillowReads) {
  const char* files[] = {"png_im_grey_23x17.png", "png_im_grey2_11x5.png", "png_im_grey4_6x9.png",
                         "png_pil_grey1_13x7.png", "png_pil_grey16_10x4.png", "png_im_greyalpha_19x13.png",
                         "png_im_rgb_21x11.png", "png_im_rgba_24x24.png", "png_im_rgba16_17x9.png",
                         "png_im_interlaced_33x31.png", "png_pil_palette_trns_15x8.png", "ico_im_png_256.ico"};
  test::RecordingDialogs dialogs;
  for (const std::string name : files) {
    const std::string stem = name.substr(0, name.rfind('.'));
    const auto [width, height] = stem == "ico_im_png_256" ? std::make_pair(256, 256) : SizeInName(stem);
    clsImage image;
    ASSERT_TRUE(image.LoadFile(test::TestData(name))) << name;
    EXPECT_EQ(std::make_tuple(image.SourceType(), image.Width(), image.Height(), int{image.BitCount()}, image.HasPixels()),
              std::make_tuple(std::string(name.back() == 'o' ? "ICO" : "PNG"), width, height, 4, true))
        << name;
    EXPECT_EQ(image.Pixels(), test::ReadAll(test::TestData(stem + ".rgba"))) << name;
  }
  EXPECT_TRUE(dialogs.messages.empty());
}

// An archive member is read at its position and only up to its own end.
TEST(PngDecoder, ReadsAMemberAtItsPosition) {
  std::vector<uint8_t> file(1000, 0x89);
  const auto png = test::ReadAll(test::TestData("png_im_rgba_24x24.png"));
  file.insert(file.end(), png.begin(), png.end());
  const auto next = test::ReadAll(test::TestData("png_im_rgb_21x11.png"));
  file.insert(file.end(), next.begin(), next.end());
  test::TempDir dir;
  test::WriteAll(dir.File("pack.exe"), file);
  clsImage image;
  ASSERT_TRUE(image.LoadFile(dir.File("pack.exe"), "png", 1001));
  EXPECT_EQ(image.Pixels(), test::ReadAll(test::TestData("png_im_rgba_24x24.rgba")));
}

// Every refusal leaves no pixels and names the file; sizes are refused from the
// header, before any allocation, in every decoder.
TEST(PngDecoder, RefusesBadDataWithAMessageNamingTheFile) {
  auto badCrc = test::ReadAll(test::TestData("png_im_rgb_21x11.png"));
  badCrc[badCrc.size() - 20] ^= 0x01;  // inside the image data
  auto noHeader = test::ReadAll(test::TestData("png_pil_grey1_13x7.png"));
  noHeader[12] = 'i';  // IHDR -> iHDR
  test::RawPsd wide;
  wide.columns = 16385;
  wide.packed.assign(3, {});
  test::RawPsd big = wide;
  big.columns = 8192;
  big.rows = 8193;  // 1 byte over 256 MB as RGBA
  auto icon = test::ReadAll(test::TestData("ico_im_48.ico"));
  icon[26] = 0x01, icon[27] = 0x40;  // 16385 wide

  struct Case {
    const char* file;              // test data, or
    std::vector<uint8_t> bytes;    // these bytes as "x.TYPE"
    const char* type;
    bool result;
    std::string message;
  };
  const Case cases[] = {
      {"png_py_20000x1.png", {}, "", false, kTooLarge},
      {"png_py_16385x1.png", {}, "", false, kTooLarge},
      {"png_py_1x16385.png", {}, "", false, kTooLarge},
      {"png_py_16384x4097.png", {}, "", false, kTooLarge},
      {"png_py_16384x4096.png", {}, "", false, kDamaged},  // taken, but 64 bytes of data can't fill it
      {"png_py_bomb_1x1.png", {}, "", false, kDamaged},
      {"psd_rgb_37x29.psd", {}, "png", true, kNotPng},
      {nullptr, badCrc, "png", false, kDamaged},
      {nullptr, noHeader, "png", false, kDamaged},
      {nullptr, wide.Bytes(), "psd", false, kTooLarge},
      {nullptr, big.Bytes(), "psd", false, kTooLarge},
      {nullptr, icon, "ico", false, kTooLarge},
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    test::RecordingDialogs dialogs;
    const std::string path = c.file ? test::TestData(c.file) : dir.File(std::string("x.") + c.type);
    if (!c.file) test::WriteAll(path, c.bytes);
    clsImage image;
    EXPECT_EQ(image.LoadFile(path, c.type), c.result) << path;
    EXPECT_FALSE(image.HasPixels()) << path;
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{c.message + "\r\n" + path});
  }
  // A name the owner set before loading is the one a message gives.
  test::RecordingDialogs dialogs;
  clsImage named;
  named.SetName("icon.png");
  EXPECT_FALSE(named.LoadByteArray(badCrc, "PNG"));
  EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{kDamaged + "\r\nicon.png"});
}

// Cut short anywhere (a member whose pack ends early): refused, without a word.
TEST(PngDecoder, RefusesEveryCutShortFileQuietly) {
  test::RecordingDialogs dialogs;
  for (const std::string name : {"png_im_interlaced_33x31.png", "ico_im_png_256.ico"}) {
    const auto whole = test::ReadAll(test::TestData(name));
    const std::string type = name.substr(name.size() - 3);
    for (size_t length = 0; length < whole.size(); length += 1 + length / 64)
      ASSERT_FALSE(clsImage().LoadByteArray({whole.begin(), whole.begin() + static_cast<long>(length)}, type))
          << name << " " << length;
  }
  EXPECT_TRUE(dialogs.messages.empty());
}
