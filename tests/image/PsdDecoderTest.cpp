#include <gtest/gtest.h>

#include <random>

#include "image/clsImage.h"
#include "support/PsdWriter.h"
#include "support/RecordingDialogs.h"
#include "support/TempDir.h"

using namespace quelo;

namespace {

const char* const kNotPsd = "このファイルはPSD形式ではありません";
const char* const kCompression = "このファイルの圧縮形式には対応していません";

void Be16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}
void Be32(std::vector<uint8_t>& out, uint32_t v) {
  Be16(out, v >> 16);
  Be16(out, v & 0xFFFF);
}

// A document assembled field by field, so that each test can bend one field.
struct RawPsd {
  uint32_t channels = 3, rows = 1, columns = 1, depth = 8, mode = 3;
  std::vector<uint8_t> colourMode;
  std::vector<uint8_t> resources;  // the section's contents
  std::vector<uint8_t> layer;
  uint32_t compression = 1;
  std::vector<std::vector<uint8_t>> packed;  // channel 0 rows, then channel 1, ...

  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> out = {'8', 'B', 'P', 'S'};
    Be16(out, 1);
    out.insert(out.end(), 6, 0);
    Be16(out, channels);
    Be32(out, rows);
    Be32(out, columns);
    Be16(out, depth);
    Be16(out, mode);
    Be32(out, static_cast<uint32_t>(colourMode.size()));
    out.insert(out.end(), colourMode.begin(), colourMode.end());
    Be32(out, static_cast<uint32_t>(resources.size()));
    out.insert(out.end(), resources.begin(), resources.end());
    Be32(out, static_cast<uint32_t>(layer.size()));
    out.insert(out.end(), layer.begin(), layer.end());
    Be16(out, compression);
    for (const auto& row : packed) Be16(out, static_cast<uint32_t>(row.size()));
    for (const auto& row : packed) out.insert(out.end(), row.begin(), row.end());
    return out;
  }
};

// A valid 2 x 2 RGB document with one resource and a layer section.
RawPsd Small() {
  RawPsd psd;
  psd.rows = 2;
  psd.columns = 2;
  psd.resources = {'8', 'B', 'I', 'M', 0x03, 0xED, 0, 0, 0, 0, 0, 3, 1, 2, 3, 0};
  psd.layer = {1, 2, 3, 4, 5};
  for (int i = 0; i < 6; ++i) psd.packed.push_back({0xFF, static_cast<uint8_t>(10 * i)});
  return psd;
}

std::vector<uint8_t> Load(const std::string& name) { return test::ReadAll(test::TestData(name)); }

}  // namespace

// ImageMagick's documents (3 and 4 channels, resources, a layer section, odd
// sizes) decode to exactly the pixels Pillow decodes from them.
TEST(PsdDecoder, DecodesImageMagickDocumentsLikePillow) {
  struct Case {
    const char* psd;
    const char* pixels;
    int width, height, bitCount;
  };
  const Case cases[] = {
      {"psd_rgb_37x29.psd", "psd_rgb_37x29.rgb", 37, 29, 3},
      {"psd_rgb_131x9.psd", "psd_rgb_131x9.rgb", 131, 9, 3},
      {"psd_rgba_48x48.psd", "psd_rgba_48x48.rgba", 48, 48, 4},
      {"psd_rgba_33x17_icc.psd", "psd_rgba_33x17_icc.rgba", 33, 17, 4},
      {"psd_rgba_1x1.psd", "psd_rgba_1x1.rgba", 1, 1, 4},
  };
  test::RecordingDialogs dialogs;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.psd);
    const auto expected = Load(c.pixels);
    clsImage fromFile;
    ASSERT_TRUE(fromFile.LoadFile(test::TestData(c.psd)));
    EXPECT_EQ(fromFile.SourceType(), "PSD");
    EXPECT_EQ(fromFile.Width(), c.width);
    EXPECT_EQ(fromFile.Height(), c.height);
    EXPECT_EQ(fromFile.BitCount(), c.bitCount);
    EXPECT_EQ(fromFile.Pixels(), expected);

    clsImage fromMemory;
    ASSERT_TRUE(fromMemory.LoadByteArray(Load(c.psd), "psd"));
    EXPECT_EQ(fromMemory.Pixels(), expected);
  }
  EXPECT_TRUE(dialogs.messages.empty());
}

// The shape of every pack image: 48 x 48, 4 channels, 21 resources, a layer
// section, read from the middle of a larger file at its 1-based position.
TEST(PsdDecoder, ReadsAPackShapedDocumentAtItsPosition) {
  const auto pixels = test::PatternPixels(48, 48, 4, 5);
  const auto psd = test::MakePsd(48, 48, 4, pixels, {21, 300});
  std::vector<uint8_t> file(1000, 0x55);
  file.insert(file.end(), psd.begin(), psd.end());
  file.insert(file.end(), 77, 0x66);
  test::TempDir dir;
  test::WriteAll(dir.File("pack.exe"), file);

  clsImage image;
  ASSERT_TRUE(image.LoadFile(dir.File("pack.exe"), "PSD", 1001));
  EXPECT_EQ(image.Width(), 48);
  EXPECT_EQ(image.BitCount(), 4);
  EXPECT_EQ(image.Pixels(), pixels);
  EXPECT_EQ(image.Source(), dir.File("pack.exe"));
  EXPECT_EQ(image.SourceOffset(), 1001);
}

TEST(PsdDecoder, FollowsThePackedRowRules) {
  RawPsd psd;
  psd.columns = 6;
  psd.rows = 2;
  psd.packed = {
      {0x02, 0x41, 0x42, 0x43, 0xFE, 0x44},        // c0 y0: literal then repeat
      {0x80, 0xFF, 0x07, 0x80, 0x00, 0x09, 0x33},  // c0 y1: no-ops, 3 bytes, lone last byte
      {},                                          // c1 y0: empty, all stale (from c0 y1)
      {0x01, 0x01, 0x02},                          // c1 y1: 2 bytes, the rest stale
      {0xFB, 0x05},                                // c2 y0: one run of 6
      {0x05, 1, 2, 3, 4, 5, 6},                    // c2 y1: one literal of 6
  };
  clsImage image;
  ASSERT_TRUE(image.LoadByteArray(psd.Bytes(), "PSD"));
  const std::vector<uint8_t> c0 = {0x41, 0x42, 0x43, 0x44, 0x44, 0x44,
                                   0x07, 0x07, 0x09, 0x44, 0x44, 0x44};
  const std::vector<uint8_t> c1 = {0x07, 0x07, 0x09, 0x44, 0x44, 0x44,
                                   0x01, 0x02, 0x09, 0x44, 0x44, 0x44};
  const std::vector<uint8_t> c2 = {5, 5, 5, 5, 5, 5, 1, 2, 3, 4, 5, 6};
  ASSERT_EQ(image.Pixels().size(), 36u);
  for (size_t i = 0; i < 12; ++i) {
    EXPECT_EQ(image.Pixels()[i * 3], c0[i]) << i;
    EXPECT_EQ(image.Pixels()[i * 3 + 1], c1[i]) << i;
    EXPECT_EQ(image.Pixels()[i * 3 + 2], c2[i]) << i;
  }
}

// The same rules when every channel's first row is full (the decoder then
// works a pixel row at a time): short rows keep their own channel's bytes.
TEST(PsdDecoder, KeepsStaleBytesWhenFirstRowsAreFull) {
  RawPsd psd;
  psd.columns = 5;
  psd.rows = 3;
  psd.packed = {
      {0x04, 1, 2, 3, 4, 5}, {0xFF, 9}, {},           // c0: full, 2 bytes, nothing
      {0xFC, 7},             {0x00, 8}, {0x80, 0x11},  // c1: full, 1 byte, only a no-op
      {0x04, 5, 4, 3, 2, 1}, {0x02, 6, 6, 6, 0x44}, {0xFE, 3},  // c2
  };
  clsImage image;
  ASSERT_TRUE(image.LoadByteArray(psd.Bytes(), "PSD"));
  const std::vector<uint8_t> c0 = {1, 2, 3, 4, 5, 9, 9, 3, 4, 5, 9, 9, 3, 4, 5};
  const std::vector<uint8_t> c1 = {7, 7, 7, 7, 7, 8, 7, 7, 7, 7, 8, 7, 7, 7, 7};
  const std::vector<uint8_t> c2 = {5, 4, 3, 2, 1, 6, 6, 6, 2, 1, 3, 3, 3, 2, 1};
  ASSERT_EQ(image.Pixels().size(), 45u);
  for (size_t i = 0; i < 15; ++i) {
    EXPECT_EQ(image.Pixels()[i * 3], c0[i]) << i;
    EXPECT_EQ(image.Pixels()[i * 3 + 1], c1[i]) << i;
    EXPECT_EQ(image.Pixels()[i * 3 + 2], c2[i]) << i;
  }
}

// Runs and literals of every length from 1 to 128 come back as written.
TEST(PsdDecoder, RoundTripsRunsAndLiteralsOfEveryLength) {
  std::mt19937 random(99);
  const int width = 997, height = 40;
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
  size_t i = 0;
  while (i < pixels.size()) {
    const size_t length = 1 + random() % 140;
    const bool run = random() % 2 == 0;
    const uint8_t value = static_cast<uint8_t>(random());
    for (size_t k = 0; k < length && i < pixels.size(); ++k, ++i)
      pixels[i] = run ? value : static_cast<uint8_t>(random());
  }
  // Spread runs over single channels as well: every 4th byte of a stretch.
  for (size_t p = 0; p < pixels.size() / 3; p += 4) pixels[p] = static_cast<uint8_t>((p / 4) % 300 / 2);
  clsImage image;
  ASSERT_TRUE(image.LoadByteArray(test::MakePsd(width, height, 4, pixels), "PSD"));
  EXPECT_EQ(image.Pixels(), pixels);
}

TEST(PsdDecoder, ResourceNamesAndDataArePaddedToEvenLengths) {
  RawPsd psd = Small();
  // Names of 0, 1 and 2 characters; sizes odd (with pad) and even (without).
  psd.resources = {'8', 'B', 'I', 'M', 0, 1, 0, 0,      0, 0, 0, 1, 0xAA, 0,
                   '8', 'B', 'I', 'M', 0, 2, 1, 'a',    0, 0, 0, 2, 0xBB, 0xBB,
                   '8', 'B', 'I', 'M', 0, 3, 2, 'a', 'b', 0, 0, 0, 0, 0};
  clsImage image;
  ASSERT_TRUE(image.LoadByteArray(psd.Bytes(), "PSD"));
  EXPECT_EQ(image.Pixels(), (std::vector<uint8_t>{0, 20, 40, 0, 20, 40, 10, 30, 50, 10, 30, 50}));
}

TEST(PsdDecoder, ShowsItsMessagesAndKeepsTheStateTheyLeave) {
  test::RecordingDialogs dialogs;
  {
    auto bytes = Small().Bytes();
    bytes[0] = 'X';
    clsImage image;
    EXPECT_TRUE(image.LoadByteArray(bytes, "PSD"));
    EXPECT_EQ(image.Width(), 0);
    EXPECT_TRUE(image.Pixels().empty());
  }
  {
    RawPsd psd = Small();
    psd.compression = 0;
    psd.packed.clear();
    auto bytes = psd.Bytes();
    bytes.insert(bytes.end(), 12, 0x7F);  // raw pixels
    clsImage image;
    EXPECT_TRUE(image.LoadByteArray(bytes, "PSD"));
    EXPECT_EQ(image.Width(), 2);
    EXPECT_EQ(image.Height(), 2);
    EXPECT_EQ(image.BitCount(), 3);
    EXPECT_EQ(image.Pixels(), std::vector<uint8_t>(12, 0));
  }
  {
    // Refused compression with a size nothing left in the file could fill:
    // the message, and no blank image of that size.
    RawPsd psd = Small();
    psd.compression = 0;
    psd.packed.clear();
    psd.rows = psd.columns = 30000;
    clsImage image;
    EXPECT_FALSE(image.LoadByteArray(psd.Bytes(), "PSD"));
    EXPECT_EQ(image.Width(), 0);
  }
  ASSERT_EQ(dialogs.messages.size(), 3u);
  EXPECT_EQ(dialogs.messages[0].text, kNotPsd);
  EXPECT_EQ(dialogs.messages[1].text, kCompression);
  EXPECT_EQ(dialogs.messages[2].text, kCompression);
  EXPECT_EQ(dialogs.messages[0].title, platform::AppTitle());
  EXPECT_EQ(dialogs.messages[0].buttons, platform::MsgButtons::Ok);

  // A grey-scale document (made by ImageMagick) is passed over without a word.
  dialogs.messages.clear();
  clsImage grey;
  EXPECT_TRUE(grey.LoadFile(test::TestData("psd_grey_20x5.psd")));
  EXPECT_EQ(grey.Width(), 0);
  EXPECT_TRUE(grey.Pixels().empty());
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST(PsdDecoder, RefusesDataOutsideTheSubsetWithoutAMessage) {
  struct Case {
    const char* what;
    void (*bend)(RawPsd&);
  };
  const Case cases[] = {
      {"2 channels", [](RawPsd& p) { p.channels = 2; p.packed.resize(4); }},
      {"5 channels", [](RawPsd& p) { p.channels = 5; p.packed.resize(10, {0xFF, 0}); }},
      {"depth 16", [](RawPsd& p) { p.depth = 16; }},
      {"0 rows", [](RawPsd& p) { p.rows = 0; p.packed.clear(); }},
      {"0 columns", [](RawPsd& p) { p.columns = 0; }},
      {"30001 rows", [](RawPsd& p) { p.rows = 30001; }},
      {"rows with the top bit", [](RawPsd& p) { p.rows = 0x80000002u; }},
      {"colour mode data", [](RawPsd& p) { p.colourMode = {0, 0, 0, 0}; }},
      {"resource past its section", [](RawPsd& p) { p.resources[11] = 5; }},
      {"resource name past its section", [](RawPsd& p) { p.resources.resize(7); p.resources[6] = 9; }},
      {"literal past the row", [](RawPsd& p) { p.packed[0] = {0x02, 1, 2, 3}; }},
      {"literal past its bytes", [](RawPsd& p) { p.packed[0] = {0x01, 1}; }},
      {"repeat past the row", [](RawPsd& p) { p.packed[3] = {0xFE, 1}; }},
      {"layer section past the end", [](RawPsd& p) { p.layer.clear(); p.packed.clear(); }},
      {"more pixels than the bytes could hold",
       [](RawPsd& p) { p.rows = 30000; p.columns = 30000; p.packed.assign(90000, {}); }},
  };
  test::RecordingDialogs dialogs;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RawPsd psd = Small();
    c.bend(psd);
    auto bytes = psd.Bytes();
    if (std::string(c.what) == "layer section past the end") bytes[bytes.size() - 3] = 0x40;
    clsImage image;
    EXPECT_FALSE(image.LoadByteArray(bytes, "PSD"));
    EXPECT_EQ(image.Width(), 0);
    EXPECT_EQ(image.BitCount(), 0);
    EXPECT_TRUE(image.Pixels().empty());
  }
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST(PsdDecoder, RefusesEveryCutShortDocument) {
  const auto whole = Load("psd_rgba_33x17_icc.psd");
  test::RecordingDialogs dialogs;
  test::TempDir dir;
  for (size_t length = 0; length < whole.size(); ++length) {
    const std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<long>(length));
    clsImage image;
    ASSERT_FALSE(image.LoadByteArray(cut, "PSD")) << length;
    if (length % 97 == 0) {
      test::WriteAll(dir.File("cut.psd"), cut);
      ASSERT_FALSE(image.LoadFile(dir.File("cut.psd"))) << length;
    }
  }
  EXPECT_TRUE(dialogs.messages.empty());
}

// Damaged documents: whatever the result, no crash, no read or write out of
// bounds (the sanitizer build watches), at most one message each.
TEST(PsdDecoder, SurvivesDamagedDocuments) {
  const auto whole = Load("psd_rgb_37x29.psd");
  std::mt19937 random(12345);
  test::RecordingDialogs dialogs;
  for (int round = 0; round < 3000; ++round) {
    auto bytes = whole;
    const int flips = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < flips; ++i) bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
    dialogs.messages.clear();
    clsImage image;
    if (image.LoadByteArray(bytes, "PSD")) {
      EXPECT_EQ(image.Pixels().size(),
                static_cast<size_t>(image.Width()) * static_cast<size_t>(image.Height()) *
                    static_cast<size_t>(image.BitCount()));
    }
    EXPECT_LE(dialogs.messages.size(), 1u);
  }
}
