#include <gtest/gtest.h>

#include <random>

#include "image/clsImage.h"
#include "support/PsdWriter.h"
#include "support/RecordingDialogs.h"
#include "support/TempDir.h"

using namespace quelo;

namespace {

using test::RawPsd;

// A valid 2 x 2 RGB document: resources with names of 0 and 2 characters and
// data of odd (padded) and even size, and a layer section.
RawPsd Small() {
  RawPsd psd;
  psd.rows = psd.columns = 2;
  psd.resources = {'8', 'B', 'I', 'M', 0x03, 0xED, 0, 0, 0, 0, 0, 3, 1, 2, 3, 0,
                   '8', 'B', 'I', 'M', 0x04, 0x00, 2, 'a', 'b', 0, 0, 0, 0, 2, 5, 5};
  psd.layer = {1, 2, 3, 4, 5};
  for (int i = 0; i < 6; ++i) psd.packed.push_back({0xFF, static_cast<uint8_t>(10 * i)});
  return psd;
}

std::vector<uint8_t> Data(const std::string& name) { return test::ReadAll(test::TestData(name)); }

void ExpectPlanes(const clsImage& image, const std::vector<std::vector<uint8_t>>& planes) {
  ASSERT_EQ(image.Pixels().size(), planes.size() * planes[0].size());
  for (size_t c = 0; c < planes.size(); ++c)
    for (size_t i = 0; i < planes[c].size(); ++i)
      EXPECT_EQ(image.Pixels()[i * planes.size() + c], planes[c][i]) << "channel " << c << " byte " << i;
}

}  // namespace

// ImageMagick's documents (3 and 4 channels, resources, a layer section, odd
// sizes) decode to exactly the pixels Pillow decodes from them.
TEST(PsdDecoder, DecodesImageMagickDocumentsLikePillow) {
  const std::tuple<const char*, int, int, int> cases[] = {
      {"psd_rgb_37x29", 37, 29, 3}, {"psd_rgb_131x9", 131, 9, 3}, {"psd_rgba_48x48", 48, 48, 4},
      {"psd_rgba_33x17_icc", 33, 17, 4}, {"psd_rgba_1x1", 1, 1, 4}};
  test::RecordingDialogs dialogs;
  for (const auto& [name, width, height, bitCount] : cases) {
    SCOPED_TRACE(name);
    const auto expected = Data(std::string(name) + (bitCount == 4 ? ".rgba" : ".rgb"));
    clsImage image;
    ASSERT_TRUE(image.LoadByteArray(Data(std::string(name) + ".psd"), "psd"));
    EXPECT_EQ(std::make_tuple(image.Width(), image.Height(), int{image.BitCount()}), std::make_tuple(width, height, bitCount));
    EXPECT_EQ(image.Pixels(), expected);
  }
  EXPECT_TRUE(dialogs.messages.empty());
}

// Runs and literals of every length from 1 to 128, in a document with pack-like
// resources and a layer section longer than the reader's buffer, read from the
// middle of a larger file at its 1-based position.
TEST(PsdDecoder, ReadsRunsAndLiteralsOfEveryLengthAtItsPosition) {
  std::mt19937 random(99);
  std::vector<uint8_t> pixels(997 * 40 * 4);
  for (size_t i = 0; i < pixels.size();) {
    const size_t length = 1 + random() % 140;
    const bool run = random() % 2 == 0;
    const uint8_t value = static_cast<uint8_t>(random());
    for (size_t k = 0; k < length && i < pixels.size(); ++k, ++i) pixels[i] = run ? value : static_cast<uint8_t>(random());
  }
  std::vector<uint8_t> file(1000, 0x55);
  const auto psd = test::MakePsd(997, 40, 4, pixels, {21, 40000});
  file.insert(file.end(), psd.begin(), psd.end());
  file.insert(file.end(), 77, 0x66);
  test::TempDir dir;
  test::WriteAll(dir.File("pack.exe"), file);
  clsImage image;
  ASSERT_TRUE(image.LoadFile(dir.File("pack.exe"), "PSD", 1001));
  EXPECT_EQ(image.Pixels(), pixels);
}

// Lone last bytes and header 128 are skipped; a short row keeps what the row
// before it (in file order, across channels) left behind. The second document
// has every first row full, where the decoder takes a pixel row at a time.
TEST(PsdDecoder, FollowsThePackedRowRules) {
  RawPsd psd;
  psd.columns = 6;
  psd.rows = 2;
  psd.packed = {{0x02, 0x41, 0x42, 0x43, 0xFE, 0x44}, {0x80, 0xFF, 0x07, 0x80, 0x00, 0x09, 0x33},
                {}, {0x01, 0x01, 0x02}, {0xFB, 0x05}, {0x05, 1, 2, 3, 4, 5, 6}};
  clsImage image;
  ASSERT_TRUE(image.LoadByteArray(psd.Bytes(), "PSD"));
  ExpectPlanes(image, {{0x41, 0x42, 0x43, 0x44, 0x44, 0x44, 0x07, 0x07, 0x09, 0x44, 0x44, 0x44},
                       {0x07, 0x07, 0x09, 0x44, 0x44, 0x44, 0x01, 0x02, 0x09, 0x44, 0x44, 0x44},
                       {5, 5, 5, 5, 5, 5, 1, 2, 3, 4, 5, 6}});

  psd.columns = 5;
  psd.rows = 3;
  psd.packed = {{0x04, 1, 2, 3, 4, 5}, {0xFF, 9}, {}, {0xFC, 7}, {0x00, 8}, {0x80, 0x11},
                {0x04, 5, 4, 3, 2, 1}, {0x02, 6, 6, 6, 0x44}, {0xFE, 3}};
  ASSERT_TRUE(image.LoadByteArray(psd.Bytes(), "PSD"));
  ExpectPlanes(image, {{1, 2, 3, 4, 5, 9, 9, 3, 4, 5, 9, 9, 3, 4, 5},
                       {7, 7, 7, 7, 7, 8, 7, 7, 7, 7, 8, 7, 7, 7, 7},
                       {5, 4, 3, 2, 1, 6, 6, 6, 2, 1, 3, 3, 3, 2, 1}});
}

// Not a PSD, and raw pixels: a message each and an empty or blank image, as the
// decoder leaves them; raw pixels nothing left in the file could fill: no blank
// image. A grey-scale document (made by ImageMagick) is passed over without a word.
TEST(PsdDecoder, ShowsItsMessagesAndKeepsTheStateTheyLeave) {
  test::RecordingDialogs dialogs;
  auto notPsd = Small().Bytes();
  notPsd[0] = 'X';
  RawPsd raw = Small();
  raw.compression = 0;
  raw.packed.clear();
  auto rawBytes = raw.Bytes();
  rawBytes.insert(rawBytes.end(), 12, 0x7F);
  raw.rows = raw.columns = 8000;  // within the size bound
  clsImage first, second, third, grey;
  EXPECT_TRUE(first.LoadByteArray(notPsd, "PSD"));
  EXPECT_TRUE(second.LoadByteArray(rawBytes, "PSD"));
  EXPECT_FALSE(third.LoadByteArray(raw.Bytes(), "PSD"));
  EXPECT_TRUE(grey.LoadFile(test::TestData("psd_grey_20x5.psd")));
  EXPECT_EQ(std::make_tuple(first.Width(), third.Width(), grey.Width()), std::make_tuple(0, 0, 0));
  EXPECT_EQ(std::make_tuple(second.Width(), second.Height(), int{second.BitCount()}), std::make_tuple(2, 2, 3));
  EXPECT_EQ(second.Pixels(), std::vector<uint8_t>(12, 0));
  // None of them has anything to show, the blank image at its size included.
  EXPECT_EQ(std::make_tuple(first.HasPixels(), second.HasPixels(), grey.HasPixels()), std::make_tuple(false, false, false));
  const std::string compression = "このファイルの圧縮形式には対応していません";
  EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{"このファイルはPSD形式ではありません", compression, compression}));
  EXPECT_EQ(dialogs.messages[0].title, platform::AppTitle());
}

TEST(PsdDecoder, RefusesDataOutsideTheSubsetAndCutShortDocumentsWithoutAMessage) {
  const std::pair<const char*, void (*)(RawPsd&)> cases[] = {
      {"2 channels", [](RawPsd& p) { p.channels = 2; p.packed.resize(4); }},
      {"depth 16", [](RawPsd& p) { p.depth = 16; }},
      {"0 rows", [](RawPsd& p) { p.rows = 0; p.packed.clear(); }},
      {"0 columns", [](RawPsd& p) { p.columns = 0; }},
      {"rows with the top bit", [](RawPsd& p) { p.rows = 0x80000002u; }},
      {"colour mode data", [](RawPsd& p) { p.colourMode = {0, 0, 0, 0}; }},
      {"literal past the row", [](RawPsd& p) { p.packed[0] = {0x02, 1, 2, 3}; }},
      {"literal past its bytes", [](RawPsd& p) { p.packed[0] = {0x01, 1}; }},
      {"repeat past the row", [](RawPsd& p) { p.packed[3] = {0xFE, 1}; }},
      {"more pixels than the bytes could hold",
       [](RawPsd& p) { p.rows = p.columns = 8000; p.packed.assign(24000, {}); }},
  };
  test::RecordingDialogs dialogs;
  for (const auto& [what, bend] : cases) {
    RawPsd psd = Small();
    bend(psd);
    clsImage image;
    EXPECT_FALSE(image.LoadByteArray(psd.Bytes(), "PSD")) << what;
    EXPECT_EQ(std::make_tuple(image.Width(), int{image.BitCount()}, image.Pixels().size()),
              std::make_tuple(0, 0, size_t{0})) << what;
  }
  const auto whole = Data("psd_rgba_33x17_icc.psd");  // and every cut-short document
  for (size_t length = 0; length < whole.size(); ++length)
    ASSERT_FALSE(clsImage().LoadByteArray({whole.begin(), whole.begin() + static_cast<long>(length)}, "PSD")) << length;
  EXPECT_TRUE(dialogs.messages.empty());
}
