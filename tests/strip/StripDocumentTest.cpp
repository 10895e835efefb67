// The strip document without a window: images made by Pillow, strips written
// as PNG and BMP and read back by Pillow and ImageMagick, the JSON listing used
// to cut the strip apart again.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "image/Surface.h"
#include "image/clsImage.h"
#include "pack/LoadedPack.h"
#include "strip/StripDocument.h"
#include "support/RecordingDialogs.h"
#include "support/TempDir.h"

namespace quelo {
namespace {

bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

bool HavePillowAndMagick() {
  return Shell("/usr/bin/python3 -c 'import PIL' 2>/dev/null") && Shell("/usr/bin/convert -version >/dev/null 2>&1");
}

// Runs a Python script with the folder as argument; its output, or "FAILED".
std::string Python(const test::TempDir& dir, const std::string& script) {
  std::ofstream(dir.File("script.py")) << script;
  const std::string out = dir.File("script.out");
  if (!Shell("cd '" + dir.Path() + "' && /usr/bin/python3 script.py > '" + out + "' 2>&1"))
    return "FAILED: " + (std::stringstream() << std::ifstream(out).rdbuf()).str();
  return (std::stringstream() << std::ifstream(out).rdbuf()).str();
}

// Three icons of different kinds: soft alpha with fully transparent corners
// that still carry colour, an opaque RGB one, and a shorter one.
const char* kMakeIcons = R"(
from PIL import Image
a = Image.new('RGBA', (16, 16))
a.putdata([(x * 16, y * 16, 200, 0 if (x < 3 and y < 3) else (x * 17 + y) % 256) for y in range(16) for x in range(16)])
a.save('a.png')
b = Image.new('RGB', (8, 16))
b.putdata([(255 - x * 30, y * 15, 90) for y in range(16) for x in range(8)])
b.save('ほし "b".png')
c = Image.new('RGBA', (12, 10))
c.putdata([(10, 200, x * 20, 255 if y % 2 else 128) for y in range(10) for x in range(12)])
c.save('c.png')
)";

StripEntry Load(const test::TempDir& dir, const std::string& name, int index) {
  auto img = std::make_shared<clsImage>();
  EXPECT_TRUE(img->LoadFile(dir.File(name), "PNG")) << name;
  img->SetName(name);
  return StripEntry{name, name, index, img};
}

class StripFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HavePillowAndMagick()) GTEST_SKIP() << "no Pillow or ImageMagick";
    ASSERT_EQ(Python(dir_, kMakeIcons), "");
    for (const char* name : {"a.png", "ほし \"b\".png", "c.png"})
      ASSERT_TRUE(strip_.Insert(-1, Load(dir_, name, strip_.Count() + 1)));
  }
  test::RecordingDialogs dialogs_;
  test::TempDir dir_;
  StripDocument strip_;
};

// A transparent strip written as PNG and as 32-bit BMP: Pillow cuts it at the
// JSON's rectangles and finds every source pixel, alpha included (colour under
// alpha 0 too); the area below the short image is clear; ImageMagick reads the
// BMP with the same alpha.
TEST_F(StripFiles, TransparentStripKeepsEveryPixelAndTheJsonFindsEachImage) {
  strip_.SetTransparent(true);
  std::string why;
  ASSERT_TRUE(strip_.Save(dir_.File("strip.png"), StripDocument::Format::Png, &why)) << why;
  ASSERT_TRUE(strip_.Save(dir_.File("strip.bmp"), StripDocument::Format::Bmp, &why)) << why;
  ASSERT_TRUE(strip_.SaveLayout(dir_.File("strip.png"), &why)) << why;
  const std::string result = Python(dir_, R"(
import json, subprocess
from PIL import Image
layout = json.load(open('strip.json', encoding='utf-8'))
png = Image.open('strip.png'); png.load()
bmp = Image.open('strip.bmp'); bmp.load()
print(png.mode, bmp.mode, bmp.info.get('compression'), layout['file'], layout['width'], layout['height'], layout['background'])
assert png.size == (layout['width'], layout['height']) == bmp.size
assert list(png.getdata()) == list(bmp.getdata()), 'bmp differs'
magick = subprocess.run(['/usr/bin/convert', 'strip.bmp', 'rgba:-'], capture_output=True, check=True).stdout
assert magick == png.tobytes(), 'ImageMagick reads the bmp differently'
covered = set()
for e in layout['images']:
    src = Image.open(e['name']).convert('RGBA')
    box = (e['x'], e['y'], e['x'] + e['width'], e['y'] + e['height'])
    assert (e['width'], e['height']) == src.size, e
    assert list(png.crop(box).getdata()) == list(src.getdata()), e['name']
    covered |= {(x, y) for x in range(box[0], box[2]) for y in range(box[1], box[3])}
    print(e['name'], e['text'], *box)
rest = [png.getpixel((x, y)) for x in range(png.width) for y in range(png.height) if (x, y) not in covered]
assert rest and all(p == (0, 0, 0, 0) for p in rest), 'background not clear'
)");
  EXPECT_EQ(result,
            "RGBA RGBA 3 strip.png 36 16 None\n"
            "a.png a.png 0 0 16 16\n"
            "ほし \"b\".png ほし \"b\".png 16 0 24 16\n"
            "c.png c.png 24 0 36 10\n");
}

// Over a colour the strip is what drawing each image on a surface gives, as
// 24-bit BMP and RGB PNG; a strip lower than an image cuts it, and the JSON
// gives the cut height.
TEST_F(StripFiles, StripOverAColourIsEachImageDrawnOverIt) {
  for (int height : {16, 12}) {
    strip_.SetBackColor(0x336699);
    strip_.SetHeight(height);
    MemorySurface expected(strip_.Width(), height, 0x336699);
    for (int i = 0, x = 0; i < strip_.Count(); x += strip_.Entry(i).image->Width(), ++i) {
      auto img = std::const_pointer_cast<clsImage>(strip_.Entry(i).image);
      img->SetBackColor(0x336699);
      img->Show(expected, x, 0);
    }
    std::string why;
    ASSERT_TRUE(strip_.Save(dir_.File("strip.bmp"), StripDocument::Format::Bmp, &why)) << why;
    ASSERT_TRUE(strip_.Save(dir_.File("strip.png"), StripDocument::Format::Png, &why)) << why;
    ASSERT_TRUE(strip_.SaveLayout(dir_.File("strip.bmp"), &why)) << why;
    EXPECT_EQ(Python(dir_, R"(
import json
from PIL import Image
bmp = Image.open('strip.bmp'); png = Image.open('strip.png')
assert list(bmp.getdata()) == list(png.getdata())
open('strip.rgb', 'wb').write(bmp.tobytes())
layout = json.load(open('strip.json', encoding='utf-8'))
print(bmp.format, bmp.mode, png.format, png.mode, layout['background'], [e['height'] for e in layout['images']])
)"),
              "BMP RGB PNG RGB #996633 [" + std::to_string(height) + ", " + std::to_string(height) + ", 10]\n");
    const std::vector<uint8_t> rgb = test::ReadAll(dir_.File("strip.rgb"));
    ASSERT_EQ(rgb.size(), expected.Pixels().size() * 3);
    for (size_t i = 0; i < expected.Pixels().size(); ++i) {
      const uint32_t c = expected.Pixels()[i];
      ASSERT_EQ(uint32_t{rgb[i * 3]} | uint32_t{rgb[i * 3 + 1]} << 8 | uint32_t{rgb[i * 3 + 2]} << 16, c)
          << "pixel " << i % 36 << "," << i / 36 << " at height " << height;
    }
  }
}

StripEntry Solid(int width, int height) {
  auto img = std::make_shared<clsImage>();
  // A PNG written by the strip's own encoder: one colour.
  StripPicture picture{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height, 0xFF7F7F7Fu), true};
  EXPECT_TRUE(img->LoadByteArray(StripDocument::EncodePng(picture), "PNG"));
  return StripEntry{"solid", "solid.png", 1, img};
}

// Editing: the limit of twenty, moves, removal, the height set by the first
// image and kept; places follow; a picture too large to hold is refused.
TEST(StripDocumentEdits, EntriesPlacesAndLimits) {
  test::RecordingDialogs dialogs;
  StripDocument strip;
  EXPECT_EQ(strip.Width(), 300);
  EXPECT_EQ(strip.Height(), 60);
  EXPECT_FALSE(strip.Insert(0, StripEntry{"none", "none", 1, nullptr}));
  ASSERT_TRUE(strip.Insert(0, Solid(10, 4)));
  ASSERT_TRUE(strip.Insert(0, Solid(20, 8)));  // in front, taller: the height stays 4
  ASSERT_TRUE(strip.Insert(99, Solid(30, 2)));
  EXPECT_EQ(strip.Height(), 4);
  EXPECT_EQ(strip.Widths(), (std::vector<int32_t>{20, 10, 30}));
  EXPECT_EQ(strip.Left(2), 30);
  EXPECT_EQ(strip.Left(3), -1);
  const auto place = strip.Place(0);
  EXPECT_EQ(std::vector<int32_t>({place.x, place.y, place.width, place.height}), (std::vector<int32_t>{0, 0, 20, 4}));
  EXPECT_EQ(strip.Place(2).height, 2);
  EXPECT_TRUE(strip.Move(0, 2));
  EXPECT_EQ(strip.Widths(), (std::vector<int32_t>{10, 30, 20}));
  EXPECT_FALSE(strip.Move(0, 3));
  EXPECT_TRUE(strip.Remove(1));
  EXPECT_FALSE(strip.Remove(2));
  EXPECT_EQ(strip.Widths(), (std::vector<int32_t>{10, 20}));
  while (!strip.Full()) ASSERT_TRUE(strip.Insert(-1, Solid(1, 1)));
  EXPECT_EQ(strip.Count(), 20);
  EXPECT_FALSE(strip.Insert(-1, Solid(1, 1)));

  StripDocument huge;
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(huge.Insert(-1, Solid(16384, 1)));
  huge.SetHeight(16384);
  StripPicture picture;
  std::string why;
  EXPECT_FALSE(huge.Compose(picture, &why));
  EXPECT_NE(why.find("81920 x 16384"), std::string::npos) << why;
  EXPECT_TRUE(picture.argb.empty());
}

// A strip that cannot be written leaves the file there as it was and says why.
TEST(StripDocumentEdits, FailedSaveKeepsTheEarlierFile) {
  test::RecordingDialogs dialogs;
  test::TempDir dir;
  StripDocument strip;
  ASSERT_TRUE(strip.Insert(0, Solid(4, 4)));
  test::WriteAll(dir.File("plain"), {1, 2, 3});
  for (auto format : {StripDocument::Format::Png, StripDocument::Format::Bmp}) {
    std::string why;
    EXPECT_FALSE(strip.Save(dir.File("plain/strip.png"), format, &why));
    EXPECT_FALSE(why.empty());
  }
  std::string why;
  EXPECT_FALSE(strip.SaveLayout(dir.File("plain/strip.png"), &why));
  EXPECT_FALSE(why.empty());
  EXPECT_EQ(test::ReadAll(dir.File("plain")), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_TRUE(strip.Save(dir.File("strip.bmp"), StripDocument::Format::Bmp, &why)) << why;
  EXPECT_EQ(test::ReadAll(dir.File("strip.bmp")).size(), size_t(14 + 40 + 4 * 12));
}

// The listing's name beside the strip.
TEST(StripDocumentEdits, LayoutFileNameReplacesTheExtension) {
  EXPECT_EQ(StripDocument::LayoutFileName("/a.b/strip.png"), "/a.b/strip.json");
  EXPECT_EQ(StripDocument::LayoutFileName("/a.b/strip"), "/a.b/strip.json");
  EXPECT_EQ(StripDocument::LayoutFileName("/a/.strip"), "/a/.strip.json");
  EXPECT_EQ(StripDocument::LayoutFileName("/a/strip.JSON"), "/a/strip.JSON.json");  // never the strip itself
}

// An image in the strip stays as it was added when its pack loads its images
// again or goes away.
TEST(StripDocumentEdits, EntriesKeepTheirImageWhenThePackReloads) {
  if (!HavePillowAndMagick()) GTEST_SKIP() << "no Pillow or ImageMagick";
  test::RecordingDialogs dialogs;
  test::TempDir dir;
  ASSERT_TRUE(Shell("/usr/bin/convert -size 16x12 xc:red PNG32:" + dir.File("a.png")));
  auto pack = std::make_unique<LoadedPack>();
  pack->SetFolder(dir.Path());
  pack->Load();
  ASSERT_EQ(pack->ImageCount(), 1);
  StripDocument strip;
  ASSERT_TRUE(strip.Insert(0, StripEntry{"a.png", "a.png", 1, pack->ImagePtr(1)}));
  ASSERT_TRUE(Shell("/usr/bin/convert -size 32x32 xc:blue PNG32:" + dir.File("a.png")));
  pack->Load();
  EXPECT_EQ(pack->Image(1).Width(), 32);
  pack.reset();
  StripPicture picture;
  ASSERT_TRUE(strip.Compose(picture, nullptr));
  EXPECT_EQ(picture.width, 16);
  EXPECT_EQ(picture.argb.front(), 0xFFFF0000u);
}

}  // namespace
}  // namespace quelo
