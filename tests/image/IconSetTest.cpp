// Icon sets as they come: icon files of several images and of every bit depth
// (ImageMagick's and Pillow's, checked against Pillow's pixels), the entry
// chosen for each icon size, the scaling filter against ImageMagick's box
// filter, and the bounds an SVG document must keep before it is drawn.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "image/IconScale.h"
#include "image/SvgDocument.h"
#include "image/clsImage.h"
#include "support/RecordingDialogs.h"
#include "support/TempDir.h"

using namespace quelo;

namespace {

bool LoadIcon(clsImage& image, const std::string& name, int32_t side) {
  image.SetFolderInputs(true);
  image.SetIconSize(side);
  return image.LoadFile(test::TestData(name));
}

// The RGBA pixel at (x, y).
std::vector<uint8_t> At(const clsImage& image, int x, int y) {
  const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(image.Width()) + static_cast<size_t>(x)) * 4;
  return {image.Pixels().begin() + static_cast<long>(i), image.Pixels().begin() + static_cast<long>(i + 4)};
}

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

}  // namespace

// Each size in a 16/32/48/256 icon (PNG for 256) and in a 16/32 one: the entry
// of that size exactly as Pillow reads it; otherwise the nearest larger entry
// shrunk, then the nearest smaller one enlarged (the colour tells which entry);
// without a size, the largest.
TEST(IconSetIco, ChoosesTheEntryForTheIconSize) {
  test::RecordingDialogs dialogs;
  struct Row {
    const char* file;
    int32_t side;
    int32_t width;
    const char* exact;  // Pillow's pixels of the entry read unscaled, or nullptr
    std::vector<uint8_t> centre;
  };
  const std::vector<uint8_t> red{255, 0, 0, 255}, lime{0, 255, 0, 255}, blue{0, 0, 255, 255}, yellow{255, 255, 0, 255};
  const Row rows[] = {
      {"iconset_im_multi.ico", 16, 16, "iconset_im_multi_16.rgba", red},
      {"iconset_im_multi.ico", 24, 24, nullptr, lime},
      {"iconset_im_multi.ico", 32, 32, "iconset_im_multi_32.rgba", lime},
      {"iconset_im_multi.ico", 48, 48, "iconset_im_multi_48.rgba", blue},
      {"iconset_im_multi.ico", 64, 64, nullptr, yellow},
      {"iconset_im_multi.ico", 128, 128, nullptr, yellow},
      {"iconset_im_multi.ico", 256, 256, "iconset_im_multi_256.rgba", yellow},
      {"iconset_im_multi.ico", 0, 256, "iconset_im_multi_256.rgba", yellow},
      {"iconset_im_16_32.ico", 48, 48, nullptr, lime},
      {"iconset_im_16_32.ico", 8, 8, nullptr, red},
      {"iconset_im_16_32.ico", 0, 32, "iconset_im_16_32_32.rgba", lime},
  };
  for (const Row& row : rows) {
    clsImage image;
    ASSERT_TRUE(LoadIcon(image, row.file, row.side)) << row.file << " " << row.side;
    ASSERT_TRUE(image.HasPixels()) << row.file << " " << row.side;
    EXPECT_EQ(std::make_tuple(image.Width(), image.Height(), int{image.BitCount()}),
              std::make_tuple(row.width, row.width, 4))
        << row.file << " " << row.side;
    EXPECT_EQ(At(image, row.width / 2, row.width / 2), row.centre) << row.file << " " << row.side;
    if (row.exact) {
      EXPECT_EQ(image.Pixels(), test::ReadAll(test::TestData(row.exact))) << row.file << " " << row.side;
    }
  }
  EXPECT_TRUE(dialogs.messages.empty());
}

// 1, 4, 8 and 24 bits with the transparency in the mask, 32 bits with alpha,
// PNG: the pixels Pillow reads, at the entry's own size.
TEST(IconSetIco, ReadsEveryBitDepthAsPillowDoes) {
  test::RecordingDialogs dialogs;
  const std::tuple<const char*, int, int> rows[] = {
      {"iconset_pil_1bit", 24, 20}, {"iconset_im_4bit", 32, 32},   {"iconset_im_8bit", 32, 32},
      {"iconset_pil_24bit", 24, 20}, {"ico_im_48", 48, 48},        {"ico_im_png_256", 256, 256},
      {"ico_im_palette", 32, 32},
  };
  for (const auto& [name, width, height] : rows) {
    clsImage image;
    ASSERT_TRUE(LoadIcon(image, std::string(name) + ".ico", 0)) << name;
    EXPECT_EQ(std::make_pair(image.Width(), image.Height()), std::make_pair(width, height)) << name;
    const std::string expected = std::string(name) + ".rgba";
    if (std::string(name) == "ico_im_palette") {
      // No Pillow dump of this one: blue square on red, all opaque.
      EXPECT_EQ(At(image, 10, 10), (std::vector<uint8_t>{0, 0, 255, 255}));
      EXPECT_EQ(At(image, 30, 30), (std::vector<uint8_t>{255, 0, 0, 255}));
      continue;
    }
    EXPECT_EQ(image.Pixels(), test::ReadAll(test::TestData(expected))) << name;
  }
  EXPECT_TRUE(dialogs.messages.empty());
}

// A pack's member keeps its promise of one image: several are refused with the
// reader's message, and depths other than 32 bits are not read.
TEST(IconSetIco, PackMembersStillHoldOneImage) {
  test::RecordingDialogs dialogs;
  clsImage multi, palette;
  EXPECT_TRUE(multi.LoadFile(test::TestData("iconset_im_multi.ico")));
  EXPECT_FALSE(multi.HasPixels());
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_NE(dialogs.messages[0].text.find("複数のイメージが格納されているため読み込めません"), std::string::npos);
  EXPECT_FALSE(palette.LoadFile(test::TestData("iconset_im_4bit.ico")));
}

// Damaged icons of several images are refused without a crash or a huge
// allocation: cut anywhere, an entry pointing past the end or into the
// directory, a bitmap header with an absurd size or compression.
TEST(IconSetIco, RefusesDamagedIconsCleanly) {
  test::RecordingDialogs dialogs;
  const std::vector<uint8_t> good = test::ReadAll(test::TestData("iconset_im_multi.ico"));
  for (size_t cut : {size_t{3}, size_t{6}, size_t{20}, size_t{60}, size_t{70}, size_t{200}, size_t{1200}, good.size() - 1}) {
    clsImage image;
    image.SetFolderInputs(true);
    image.SetIconSize(16);
    std::vector<uint8_t> bytes(good.begin(), good.begin() + static_cast<long>(cut));
    image.LoadByteArray(bytes, "ICO");
    if (image.HasPixels()) {
      EXPECT_EQ(image.Width(), 16) << cut;
    }
  }
  struct Patch {
    size_t at;
    std::vector<uint8_t> bytes;
  };
  const Patch patches[] = {
      {18, {0xFF, 0xFF, 0xFF, 0x7F}},  // the 16 entry's offset far past the end
      {18, {6, 0, 0, 0}},              // ... into the directory
      {4, {0xFF, 0xFF}},               // 65535 entries
  };
  for (const Patch& patch : patches) {
    std::vector<uint8_t> bytes = good;
    std::copy(patch.bytes.begin(), patch.bytes.end(), bytes.begin() + static_cast<long>(patch.at));
    clsImage image;
    image.SetFolderInputs(true);
    image.SetIconSize(16);
    EXPECT_FALSE(image.LoadByteArray(bytes, "ICO") && image.HasPixels()) << patch.at;
  }
  // The 16 entry's bitmap header says 30000 x 30000: refused with the size message.
  std::vector<uint8_t> huge = good;
  const size_t entry = huge[18] | size_t{huge[19]} << 8;
  for (size_t k : {entry + 4, entry + 8}) {
    huge[k] = 0x30;
    huge[k + 1] = 0x75;
  }
  clsImage image;
  image.SetFolderInputs(true);
  image.SetIconSize(16);
  EXPECT_FALSE(image.LoadByteArray(huge, "ICO") && image.HasPixels());
}

// Shrinking to a third is the alpha-weighted mean of each 3 x 3 block, as
// ImageMagick's box filter makes it: no dark fringe where the edge meets
// transparency. An image is fitted into the square keeping its proportions.
TEST(IconSetScale, ShrinksLikeABoxFilterOnPremultipliedColours) {
  test::RecordingDialogs dialogs;
  clsImage image;
  image.SetIconSize(16);
  ASSERT_TRUE(image.LoadFile(test::TestData("scale_im_48.png")));
  ASSERT_EQ(std::make_pair(image.Width(), image.Height()), std::make_pair(16, 16));
  const std::vector<uint8_t> expected = test::ReadAll(test::TestData("scale_im_box16.rgba"));
  ASSERT_EQ(image.Pixels().size(), expected.size());
  int worst = 0;
  for (size_t i = 0; i < expected.size(); i += 4) {
    // Colours of nearly transparent pixels carry little; compare those that show.
    const int alpha = expected[i + 3];
    worst = std::max(worst, std::abs(image.Pixels()[i + 3] - alpha));
    if (alpha >= 16) {
      for (size_t c = 0; c < 3; ++c) worst = std::max(worst, std::abs(image.Pixels()[i + c] - expected[i + c]));
    }
  }
  EXPECT_LE(worst, 2);

  // Opaque red beside transparent black: the mean keeps the red, at half alpha.
  const std::vector<uint8_t> pair = {255, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 0, 0};
  std::vector<uint8_t> out;
  ASSERT_TRUE(ScalePixels(pair, 2, 2, 4, out, 1, 1));
  EXPECT_EQ(out[0], 255);
  EXPECT_NEAR(out[3], 128, 1);

  int32_t w = 0, h = 0;
  FitIconSize(40, 20, 16, w, h);
  EXPECT_EQ(std::make_pair(w, h), std::make_pair(16, 8));
  FitIconSize(3, 300, 24, w, h);
  EXPECT_EQ(std::make_pair(w, h), std::make_pair(1, 24));
  FitIconSize(16, 16, 48, w, h);
  EXPECT_EQ(std::make_pair(w, h), std::make_pair(48, 48));
  EXPECT_FALSE(ScalePixels(pair, 2, 2, 4, out, 0, 1));
  EXPECT_FALSE(ScalePixels(pair, 3, 2, 4, out, 1, 1));  // fewer pixels than the size says
}

// Documents that would keep a renderer busy without bound are refused before
// drawing, each with its reason; ordinary ones pass.
TEST(IconSetSvg, ChecksBoundsBeforeDrawing) {
  std::string deep = "<svg xmlns='http://www.w3.org/2000/svg'>";
  for (int i = 0; i < 200; ++i) deep += "<g>";
  for (int i = 0; i < 200; ++i) deep += "</g>";
  deep += "</svg>";
  std::string shallow = "<svg>";
  for (int i = 0; i < 100; ++i) shallow += "<g>";
  for (int i = 0; i < 100; ++i) shallow += "</g>";
  shallow += "</svg>";
  // Ten copies of ten copies of ...: 10^8 elements from 80 lines.
  std::string laughs = "<svg xmlns:xlink='http://www.w3.org/1999/xlink'><defs><rect id='l0' width='1' height='1'/>";
  for (int level = 1; level <= 8; ++level) {
    laughs += "<g id='l" + std::to_string(level) + "'>";
    for (int k = 0; k < 10; ++k) laughs += "<use xlink:href='#l" + std::to_string(level - 1) + "'/>";
    laughs += "</g>";
  }
  laughs += "</defs><use xlink:href='#l8'/></svg>";
  std::string fewLaughs = laughs;
  fewLaughs.replace(fewLaughs.find("#l8'/></svg>"), 3, "#l3");
  const std::tuple<std::string, std::string, SvgProblem> rows[] = {
      {"plain", "<?xml version='1.0'?><!-- a <g> in a comment --><svg width='16' height='16'><rect/></svg>",
       SvgProblem::None},
      {"entities",
       "<?xml version='1.0'?><!DOCTYPE svg [<!ENTITY a 'aaaaaaaaaa'><!ENTITY b '&a;&a;&a;&a;'>]><svg>&b;</svg>",
       SvgProblem::Entities},
      {"doctype without entities", "<!DOCTYPE svg PUBLIC '-//W3C//DTD SVG 1.1//EN' 'x.dtd'><svg/>", SvgProblem::None},
      {"200 deep", deep, SvgProblem::TooDeep},
      {"100 deep", shallow, SvgProblem::None},
      {"use bomb", laughs, SvgProblem::TooManyElements},
      {"use of 10^3", fewLaughs, SvgProblem::None},
      {"use loop", "<svg><g id='a'><use href='#b'/></g><g id='b'><use href='#a'/></g></svg>", SvgProblem::ReferenceLoop},
      {"use of itself", "<svg><use id='u' href='#u'/></svg>", SvgProblem::ReferenceLoop},
      {"use of an ancestor", "<svg id='s'><g><use xlink:href='#s'/></g></svg>", SvgProblem::ReferenceLoop},
      {"not svg", "<html><body/></html>", SvgProblem::NotSvg},
      {"text", "just text", SvgProblem::NotSvg},
  };
  for (const auto& [what, text, problem] : rows) {
    const std::vector<uint8_t> bytes = Bytes(text);
    EXPECT_EQ(CheckSvgDocument(bytes.data(), bytes.size()), problem) << what;
  }
  std::string many = "<svg>";
  for (int i = 0; i <= kMaxSvgElements; ++i) many += "<rect/>";
  many += "</svg>";
  EXPECT_EQ(CheckSvgDocument(reinterpret_cast<const uint8_t*>(many.data()), many.size()), SvgProblem::TooManyElements);
  EXPECT_FALSE(SvgProblemText(SvgProblem::Entities).empty());
}

// gzip from Python's gzip module (with a file name in the header) unpacks to
// the document; a stream that unpacks past the limit, or damaged, is refused.
TEST(IconSetSvg, UnpacksGzipWithinALimit) {
  test::TempDir dir;
  const std::string src = dir.File("a.svg"), gz = dir.File("a.svgz"), bomb = dir.File("bomb.gz");
  test::WriteAll(src, Bytes("<svg width='4' height='4'><rect width='4' height='4'/></svg>"));
  if (std::system(("/usr/bin/python3 -c \"import gzip,sys; d=open(sys.argv[1],'rb').read(); "
                   "f=gzip.GzipFile(sys.argv[2],'wb',mtime=0); f.write(d); f.close(); "
                   "open(sys.argv[3],'wb').write(gzip.compress(bytes(64<<20)))\" " +
                   src + " " + gz + " " + bomb)
                      .c_str()) != 0)
    GTEST_SKIP() << "no Python";
  const std::vector<uint8_t> packed = test::ReadAll(gz);
  std::vector<uint8_t> out;
  ASSERT_TRUE(InflateGzip(packed.data(), packed.size(), kMaxSvgBytes, out));
  EXPECT_EQ(out, test::ReadAll(src));
  const std::vector<uint8_t> big = test::ReadAll(bomb);
  EXPECT_FALSE(InflateGzip(big.data(), big.size(), kMaxSvgBytes, out));
  std::vector<uint8_t> damaged = packed;
  for (size_t i = 20; i < damaged.size() - 8; ++i) damaged[i] ^= 0x5A;
  EXPECT_FALSE(InflateGzip(damaged.data(), damaged.size(), kMaxSvgBytes, out) && out == test::ReadAll(src));
  EXPECT_FALSE(InflateGzip(packed.data(), 9, kMaxSvgBytes, out));
}

// Without an installed renderer an SVG file is refused with a message, and a
// pack (no folder inputs) does not take SVG at all.
TEST(IconSetSvg, WithoutARendererSvgIsRefusedWithAMessage) {
  test::RecordingDialogs dialogs;
  ISvgRenderer* before = InstalledSvgRenderer();
  SetSvgRenderer(nullptr);
  const std::vector<uint8_t> doc = Bytes("<svg width='4' height='4'/>");
  clsImage image;
  image.SetFolderInputs(true);
  EXPECT_TRUE(image.LoadByteArray(doc, "svg"));
  EXPECT_FALSE(image.HasPixels());
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_NE(dialogs.messages[0].text.find("SVG"), std::string::npos);
  clsImage member;
  EXPECT_FALSE(member.LoadByteArray(doc, "SVG"));
  SetSvgRenderer(before);
}
