#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <tuple>

#include "image/clsImage.h"
#include "support/PsdWriter.h"
#include "support/RecordingDialogs.h"
#include "support/TempDir.h"

using namespace quelo;

namespace {

const std::string kNotPng = "このファイルはPNG形式ではありません";
// A damaged file's message gives what is wrong with it.
std::string Damaged(const std::string& reason) { return "このPNGファイルは壊れているため読み込めません（" + reason + "）"; }
const std::string kCutShort = Damaged("ファイルが途中で終わっています");
const std::string kBadDistance = Damaged("圧縮された画像データが不正な距離を参照しています");
const std::string kTooLittle = Damaged("画像データが画像の大きさに足りません");
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
  badCrc[500] ^= 0x01;  // inside the image data
  auto noHeader = test::ReadAll(test::TestData("png_pil_grey1_13x7.png"));
  noHeader.erase(noHeader.begin() + 8, noHeader.begin() + 33);  // IDAT right behind the signature
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
      {"png_py_16384x4096.png", {}, "", false, kTooLittle},  // taken, but 64 bytes of data can't fill it
      {"png_py_bomb_1x1.png", {}, "", false, Damaged("圧縮された画像データが画像より大きく展開されます")},
      {"png_py_distance_before_start_8x1.png", {}, "", false, kBadDistance},
      {"psd_rgb_37x29.psd", {}, "png", true, kNotPng},
      {nullptr, badCrc, "png", false, Damaged("チャンク IDAT のCRCが一致しません")},
      {nullptr, noHeader, "png", false, Damaged("最初のチャンクがIHDRではありません")},
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
  EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{Damaged("チャンク IDAT のCRCが一致しません") + "\r\nicon.png"});
}

// Cut short anywhere (a member whose pack ends early): refused, and said so the
// way other damage is.
TEST(PngDecoder, RefusesEveryCutShortFileSayingSo) {
  const auto whole = test::ReadAll(test::TestData("png_im_interlaced_33x31.png"));
  for (size_t length = 0; length < whole.size(); length += 1 + length / 64) {
    test::RecordingDialogs dialogs;
    clsImage image;
    image.SetName("cut.png");
    ASSERT_FALSE(image.LoadByteArray({whole.begin(), whole.begin() + static_cast<long>(length)}, "png")) << length;
    ASSERT_EQ(dialogs.Texts(), std::vector<std::string>{kCutShort + "\r\ncut.png"}) << length;
  }
  // An icon holding PNG data, cut inside the PNG.
  const auto icon = test::ReadAll(test::TestData("ico_im_png_256.ico"));
  for (size_t length = 22 + 8; length < icon.size(); length += 1 + length / 16)
    ASSERT_FALSE(clsImage().LoadByteArray({icon.begin(), icon.begin() + static_cast<long>(length)}, "ico")) << length;
}

// Damage that stb_image would turn into bytes of memory nothing wrote (palette
// indices past a one-entry palette; deflate distances 30 and 31, which stand for
// none) gives the same answer every time: a defined colour, as libpng gives
// (opaque black), or a refusal with its reason.
TEST(PngDecoder, DamagedFilesGiveTheSameAnswerEveryTime) {
  std::vector<uint8_t> palette;
  for (int i = 0; i < 64; ++i) {
    const std::vector<uint8_t> pixel = i == 0 ? std::vector<uint8_t>{200, 10, 20, 255} : std::vector<uint8_t>{0, 0, 0, 255};
    palette.insert(palette.end(), pixel.begin(), pixel.end());
  }
  for (int run = 0; run < 3; ++run) {
    test::RecordingDialogs dialogs;
    clsImage image;
    ASSERT_TRUE(image.LoadFile(test::TestData("png_py_palette_past_plte_16x4.png")));
    EXPECT_EQ(image.Pixels(), palette) << run;
    for (const char* name : {"png_py_distance30_8x1.png", "png_py_distance31_8x1.png"}) {
      clsImage refused;
      refused.SetName(name);
      EXPECT_FALSE(refused.LoadFile(test::TestData(name))) << name;
      EXPECT_FALSE(refused.HasPixels()) << name;
    }
    EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{kBadDistance + "\r\npng_py_distance30_8x1.png",
                                                         kBadDistance + "\r\npng_py_distance31_8x1.png"}));
  }
}

// A grey key under 8 bits counts only its low bits: at 1 bit, a key of 3 is 1,
// and the white pixels are the transparent ones.
TEST(PngDecoder, MasksAGreyTransparencyKeyToTheBitDepth) {
  clsImage image;
  ASSERT_TRUE(image.LoadFile(test::TestData("png_py_grey1_trns3_8x2.png")));
  std::vector<uint8_t> expected;
  for (int y = 0; y < 2; ++y) {
    for (int bit : {1, 0, 1, 1, 0, 1, 0, 0}) {
      const std::vector<uint8_t> pixel = bit ? std::vector<uint8_t>{255, 255, 255, 0} : std::vector<uint8_t>{0, 0, 0, 255};
      expected.insert(expected.end(), pixel.begin(), pixel.end());
    }
  }
  EXPECT_EQ(image.Pixels(), expected);
}

// Interlaced 16-bit RGBA and RGB images a few hundred pixels a side (large
// enough that a wrong idea of the rows' size shows), made by ImageMagick, decode
// to the pixels Pillow reads from them.
TEST(PngDecoder, DecodesLargeInterlaced16BitImagesToThePixelsPillowReads) {
  if (std::system("/usr/bin/convert -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ImageMagick";
  if (std::system("/usr/bin/python3 -c 'import PIL' 2>/dev/null") != 0) GTEST_SKIP() << "no Pillow";
  test::TempDir dir;
  struct Kind {
    const char* format;
    const char* alpha;
    uint8_t colourType;
  };
  for (const Kind& kind : {Kind{"PNG64", "-alpha set -channel A -fx 'j/h' +channel", 6}, Kind{"PNG48", "-alpha off", 2}}) {
    const std::string png = dir.File(std::string(kind.format) + ".png");
    const std::string rgba = dir.File(std::string(kind.format) + ".rgba");
    ASSERT_EQ(std::system(("/usr/bin/convert -seed 4 -size 301x257 plasma:fractal " + std::string(kind.alpha) +
                           " -depth 16 -interlace PNG " + kind.format + ":" + png).c_str()),
              0);
    const auto bytes = test::ReadAll(png);
    ASSERT_GT(bytes.size(), 29u);
    ASSERT_EQ(std::make_tuple(bytes[24], bytes[25], bytes[28]), std::make_tuple(uint8_t{16}, kind.colourType, uint8_t{1}))
        << kind.format;  // 16 bits, the colour type, Adam7
    ASSERT_EQ(std::system(("/usr/bin/python3 -c \"import sys; from PIL import Image; "
                           "open(sys.argv[2], 'wb').write(Image.open(sys.argv[1]).convert('RGBA').tobytes())\" " +
                           png + " " + rgba).c_str()),
              0);
    test::RecordingDialogs dialogs;
    clsImage image;
    ASSERT_TRUE(image.LoadFile(png));
    EXPECT_EQ(std::make_tuple(image.Width(), image.Height()), std::make_tuple(301, 257));
    EXPECT_EQ(image.Pixels(), test::ReadAll(rgba)) << kind.format;
    EXPECT_TRUE(dialogs.messages.empty()) << kind.format;
  }
}
