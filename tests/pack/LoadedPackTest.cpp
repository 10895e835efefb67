// The loaded pack without a window: folders of files made by ImageMagick and
// Pillow, an archive appended to this test program, and the sources refused.
#include <gtest/gtest.h>

#include <chrono>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "archive/PackWriters.h"
#include "image/SvgDocument.h"
#include "pack/LoadedPack.h"
#include "platform/Platform.h"
#include "support/PsdWriter.h"
#include "support/RecordingDialogs.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace quelo {
namespace {

bool Make(const std::string& command) { return std::system(command.c_str()) == 0; }

std::string SelfPath() { return platform::ExeFileName(); }

std::string Names(const LoadedPack& pack) {
  std::string names;
  for (int k = 1; k <= pack.ImageCount(); ++k) names += (k > 1 ? " " : "") + pack.Image(k).Name();
  return names;
}

// Whether the core reads PNG files yet: PNG rows expect a preview only then.
bool CoreReadsPng(const std::string& png) {
  clsImage probe;
  return probe.LoadFile(png, "PNG") && probe.Width() > 0;
}

TEST(LoadedPackFolder, LoadsEveryImageKindInNameOrderAndSkipsWhatCannotBeShown) {
  if (test::kWindows) GTEST_SKIP() << "ImageMagick and Pillow are Linux programs, which a test under Wine cannot start";
  test::RecordingDialogs dialogs;
  test::TempDir dir;
  if (!Make("/usr/bin/convert -version >/dev/null 2>&1")) GTEST_SKIP() << "no ImageMagick";
  struct Row {
    const char* name;
    const char* make;  // the command that writes the file to %s
    int width;         // 0: no preview
  };
  const Row rows[] = {
      {"a.psd", "/usr/bin/convert -size 16x12 xc:red -depth 8 -compress RLE PSD:%s", 16},
      {"B.ICO", "/usr/bin/convert -size 32x32 xc:blue -depth 8 ICO:%s", 32},
      {"c.PNG", "/usr/bin/python3 -c \"from PIL import Image; Image.new('RGBA',(20,10),(0,255,0,128)).save('%s','PNG')\"", 20},
      {"日本語.psd", "/usr/bin/convert -size 8x8 xc:yellow -depth 8 -compress RLE PSD:%s", 8},
      {"big.Psd", "/usr/bin/convert -size 1024x1024 gradient:red-blue -depth 8 -compress RLE PSD:%s", 1024},
      {"grey.psd", "/usr/bin/convert -size 20x5 xc:gray50 -depth 8 -compress RLE PSD:%s", 0},
      {"fake.psd", "echo not a document > %s", 0},
      {"bad.ico", "printf '\\0\\0\\1\\0\\1\\0' > %s", 0},
      {"bad.png", "/usr/bin/python3 -c \"open('%s','wb').write(b'\\x89PNG\\r\\n\\x1a\\n' + bytes(9))\"", 0},
      {"notes.txt", "echo text > %s", 0},
  };
  for (const Row& row : rows) {
    std::string command = row.make;
    command.replace(command.find("%s"), 2, dir.File(row.name));
    ASSERT_TRUE(Make(command)) << command;
  }
  ASSERT_TRUE(Make("mkdir " + dir.File("folder.png")));  // not a file: not listed
  const bool png = CoreReadsPng(dir.File("c.PNG"));

  LoadedPack pack;
  pack.SetFolder(dir.Path());
  EXPECT_EQ(pack.SourceCount(), 9);
  std::vector<std::string> progress;
  pack.Load([&](int32_t, int32_t, const std::string& text) { progress.push_back(text); });
  EXPECT_EQ(Names(pack), png ? "a.psd B.ICO big.Psd c.PNG 日本語.psd" : "a.psd B.ICO big.Psd 日本語.psd");
  for (const Row& row : rows) {
    if (row.width == 0) continue;
    for (int k = 1; k <= pack.ImageCount(); ++k) {
      if (pack.Image(k).Name() == row.name) {
        EXPECT_EQ(pack.Image(k).Width(), row.width) << row.name;
      }
    }
  }
  EXPECT_EQ(pack.WidestImage(), 1024);
  EXPECT_EQ(progress.front(), "ファイルを読み込んでいます... a.psd");
  EXPECT_EQ(progress.back(), "ファイルの読み込みが完了しました...[カレントディレクトリ：" + dir.Path() + "]");
  EXPECT_EQ(pack.Title(), "");
}

// A PNG cut short and a PNG whose checksum fails are both told, each in the
// form of every refusal (why, then the file's path); a file cut short of every
// kind too. Files made by Pillow and ImageMagick, then damaged here.
TEST(LoadedPackFolder, CutShortAndDamagedImagesAreToldAlike) {
  if (!Make("/usr/bin/python3 -c 'import PIL' && /usr/bin/convert -version >/dev/null 2>&1"))
    GTEST_SKIP() << "no Pillow or ImageMagick";
  test::TempDir made;
  ASSERT_TRUE(Make("/usr/bin/python3 -c \"from PIL import Image; Image.new('RGBA',(40,40),(9,99,200,255)).save('" +
                   made.File("p.png") + "')\""));
  ASSERT_TRUE(Make("/usr/bin/convert -size 40x40 xc:red -depth 8 -compress RLE PSD:" + made.File("p.psd")));
  ASSERT_TRUE(Make("/usr/bin/convert -size 32x32 xc:blue -depth 8 ICO:" + made.File("p.ico")));
  auto bytes = [&](const std::string& name) {
    std::FILE* f = std::fopen(made.File(name).c_str(), "rb");
    std::vector<uint8_t> data(1 << 20);
    data.resize(std::fread(data.data(), 1, data.size(), f));
    std::fclose(f);
    return data;
  };
  const std::vector<uint8_t> png = bytes("p.png");
  ASSERT_GT(png.size(), 60u);
  std::vector<uint8_t> crc = png;
  crc.at(crc.size() - 20) ^= 0x55;  // the image data's last bytes, before IEND: their chunk's checksum fails
  auto half = [](std::vector<uint8_t> data) {
    data.resize(data.size() / 2);
    return data;
  };
  const std::pair<const char*, std::vector<uint8_t>> damaged[] = {
      {"cut.png", half(png)}, {"crc.png", crc}, {"cut.psd", half(bytes("p.psd"))}, {"cut.ico", half(bytes("p.ico"))}};
  for (const auto& [name, data] : damaged) {
    test::RecordingDialogs dialogs;
    test::TempDir dir;
    test::WriteAll(dir.File("good.png"), png);
    test::WriteAll(dir.File(name), data);
    LoadedPack pack;
    pack.SetFolder(dir.Path());
    pack.Load();
    EXPECT_EQ(Names(pack), "good.png") << name;
    ASSERT_EQ(dialogs.messages.size(), 1u) << name;
    const std::string& text = dialogs.messages[0].text;
    const std::string tail = "\r\n" + dir.File(name);
    EXPECT_GT(text.size(), tail.size() + 10) << text;
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail) << text;
    EXPECT_EQ(text.find("\r\n"), text.size() - tail.size()) << text;  // one line of why, then the file
    EXPECT_EQ(dialogs.messages[0].title, platform::AppTitle());
  }
}

TEST(LoadedPackFolder, ReloadMakesNewImagesAndLeavesHeldOnesAsTheyWere) {
  test::RecordingDialogs dialogs;
  test::TempDir dir;
  if (!Make("/usr/bin/convert -version >/dev/null 2>&1")) GTEST_SKIP() << "no ImageMagick";
  ASSERT_TRUE(Make("/usr/bin/convert -size 16x12 xc:red -depth 8 -compress RLE PSD:" + dir.File("a.psd")));
  LoadedPack pack;
  pack.SetFolder(dir.Path());
  pack.Load();
  ASSERT_EQ(pack.ImageCount(), 1);
  std::shared_ptr<clsImage> held = pack.ImagePtr(1);
  EXPECT_EQ(held.get(), &pack.Image(1));
  ASSERT_TRUE(Make("/usr/bin/convert -size 20x8 xc:blue -depth 8 -compress RLE PSD:" + dir.File("a.psd")));
  pack.Load();
  ASSERT_EQ(pack.ImageCount(), 1);
  EXPECT_NE(pack.ImagePtr(1).get(), held.get());
  EXPECT_EQ(pack.Image(1).Width(), 20);
  EXPECT_EQ(held->Width(), 16);
  EXPECT_EQ(held->Pixels().at(0), 255);
}

// A fake renderer: a square of the size asked for, its grey level read from
// the document's <title>; documents without one are "Invalid".
class GreyRenderer final : public ISvgRenderer {
 public:
  Result Render(const std::vector<uint8_t>& document, int32_t side, int32_t, int32_t& width, int32_t& height,
                std::vector<uint8_t>& rgba) override {
    const std::string text(document.begin(), document.end());
    const size_t t = text.find("<title>");
    if (t == std::string::npos) return Result::Invalid;
    const int grey = std::atoi(text.c_str() + t + 7);
    width = height = side > 0 ? side : 48;
    rgba.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 4, static_cast<uint8_t>(grey));
    for (size_t i = 3; i < rgba.size(); i += 4) rgba[i] = 255;
    ++calls;
    return Result::Drawn;
  }
  std::atomic<int> calls{0};
};

// SVG documents between other images, drawn ahead on other threads: every
// image in name order with its own pixels, each refusal told once, in order,
// naming its file, all in the one box told after loading.
TEST(LoadedPackFolder, SvgDocumentsKeepTheirOrderAndMessages) {
  test::RecordingDialogs dialogs;
  test::TempDir dir;
  GreyRenderer renderer;
  SetSvgRenderer(&renderer);
  std::vector<std::string> expected;
  for (int k = 0; k < 150; ++k) {
    char name[32];
    if (k % 10 == 3) {
      std::snprintf(name, sizeof name, "%03d.psd", k);
      test::WriteAll(dir.File(name), test::MakePsd(5, 5, 3, std::vector<uint8_t>(75, 7)));
    } else if (k % 50 == 7) {
      std::snprintf(name, sizeof name, "%03d.svg", k);
      const std::string doc = "<!DOCTYPE svg [<!ENTITY a 'b'>]><svg/>";
      test::WriteAll(dir.File(name), std::vector<uint8_t>(doc.begin(), doc.end()));
      continue;  // refused: not among the images
    } else if (k % 50 == 9) {
      std::snprintf(name, sizeof name, "%03d.svg", k);
      const std::string doc = "<svg/>";
      test::WriteAll(dir.File(name), std::vector<uint8_t>(doc.begin(), doc.end()));
      continue;
    } else {
      std::snprintf(name, sizeof name, "%03d.svg", k);
      const std::string doc = "<svg><title>" + std::to_string(k) + "</title></svg>";
      test::WriteAll(dir.File(name), std::vector<uint8_t>(doc.begin(), doc.end()));
    }
    expected.push_back(name);
  }
  LoadedPack pack;
  pack.SetFolder(dir.Path());
  pack.SetIconSize(16);
  pack.Load();
  SetSvgRenderer(nullptr);
  ASSERT_EQ(pack.ImageCount(), static_cast<int>(expected.size()));
  for (int k = 1; k <= pack.ImageCount(); ++k) {
    const std::string& name = expected[static_cast<size_t>(k - 1)];
    EXPECT_EQ(pack.Image(k).Name(), name);
    if (name.find(".svg") != std::string::npos) {
      EXPECT_EQ(pack.Image(k).Width(), 16) << name;
      EXPECT_EQ(pack.Image(k).Pixels()[0], std::atoi(name.c_str()) & 0xFF) << name;
    } else {
      EXPECT_EQ(pack.Image(k).Width(), 16) << name;  // the 5 x 5 PSD enlarged
    }
  }
  const std::vector<std::string> texts = dialogs.Texts();
  ASSERT_EQ(texts.size(), 1u);
  const char* refused[] = {"007.svg", "009.svg", "057.svg", "059.svg", "107.svg", "109.svg"};
  size_t at = 0;
  for (size_t m = 0; m < 6; ++m) {
    const size_t named = texts[0].find(dir.File(refused[m]), at);
    ASSERT_NE(named, std::string::npos) << texts[0];
    const size_t why = texts[0].rfind("\r\n\r\n", named);
    EXPECT_NE(texts[0].substr(why, named - why).find(m % 2 == 0 ? "エンティティ" : "壊れている"), std::string::npos)
        << texts[0];
    at = named;
  }
  EXPECT_EQ(renderer.calls, 150 - 15 - 6);
}

// Several files that can't be read are told once, after loading, in one box
// that lists the first ten (in folder order) and counts the rest; files that
// are no images say nothing.
TEST(LoadedPackFolder, RefusalsAreToldInOneBoxAfterLoading) {
  test::TempDir dir;
  const std::vector<uint8_t> good = test::MakePsd(2, 2, 3, std::vector<uint8_t>(12, 200));
  std::vector<uint8_t> cut = good;
  cut.resize(cut.size() - 5);
  std::vector<std::string> bad;
  for (int i = 0; i < 300; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "f%03d.psd", i);
    const bool broken = i % 25 == 7;
    if (broken) bad.push_back(dir.File(name));
    test::WriteAll(dir.File(name), !broken ? good : i % 2 ? cut : std::vector<uint8_t>{'X', 'B', 'P', 'S', 0, 1});
  }
  test::WriteAll(dir.File("notes.txt"), {'h', 'i'});
  ASSERT_EQ(bad.size(), 12u);
  std::string status, statusAtMessage;
  struct Watch : test::RecordingDialogs {
    std::string* status;
    std::string* seen;
    platform::MsgResult MessageBox(const platform::MessageBoxRequest& r) override {
      *seen = *status;
      return RecordingDialogs::MessageBox(r);
    }
  } watch;
  watch.status = &status;
  watch.seen = &statusAtMessage;
  LoadedPack pack;
  pack.SetFolder(dir.Path());
  pack.Load([&](int32_t, int32_t, const std::string& text) { status = text; });
  EXPECT_EQ(pack.ImageCount(), 288);
  ASSERT_EQ(watch.messages.size(), 1u);
  EXPECT_EQ(statusAtMessage, pack.DoneText());
  const std::string& text = watch.messages[0].text;
  EXPECT_EQ(text.rfind("12 個のファイルを読み込めませんでした。\r\n\r\n", 0), 0u) << text;
  for (size_t i = 0; i < bad.size(); ++i) EXPECT_EQ(text.find("\r\n" + bad[i]) != std::string::npos, i < 10) << bad[i];
  const std::string more = "\r\n\r\nほか 2 個";
  EXPECT_EQ(text.substr(text.size() - more.size()), more) << text;
}

// A folder of 1000 small PNG files (one made by ImageMagick, copied) calls the
// progress callback per percentage point or per 20 ms step of loading, not per
// image: at most 100 points, the steps the load's time allows, the first call
// and the closing status. Each call counts forwards over the same total.
TEST(LoadedPackFolder, ReportsProgressABoundedNumberOfTimes) {
  test::RecordingDialogs dialogs;
  test::TempDir dir;
  const std::vector<uint8_t> png = test::ReadAll(test::TestData("png_im_rgb_21x11.png"));
  constexpr int kCount = 1000;
  for (int i = 0; i < kCount; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "i%04d.png", i);
    test::WriteAll(dir.File(name), png);
  }
  LoadedPack pack;
  pack.SetFolder(dir.Path());
  struct Call {
    int32_t total, current;
  };
  std::vector<Call> calls;
  const auto start = std::chrono::steady_clock::now();
  pack.Load([&](int32_t total, int32_t current, const std::string&) { calls.push_back({total, current}); });
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  ASSERT_EQ(pack.ImageCount(), kCount);
  ASSERT_GE(calls.size(), 3u);
  const size_t bound = 100 + static_cast<size_t>(ms / 20) + 2;
  EXPECT_LE(calls.size(), bound) << "in " << ms << " ms";
  EXPECT_EQ(calls.front().current, 1);
  for (size_t i = 0; i + 1 < calls.size(); ++i) {
    EXPECT_EQ(calls[i].total, kCount) << i;
    if (i > 0) {
      EXPECT_GT(calls[i].current, calls[i - 1].current) << i;
    }
  }
  EXPECT_EQ(std::make_pair(calls.back().total, calls.back().current), std::make_pair(1, 1));  // the closing status
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST(LoadedPackArchive, ShowsDefinitionTitlesAndSkipsMembersThatAreNoImages) {
  test::RecordingDialogs dialogs;
  test::TempDir dir;
  const std::vector<uint8_t> blue = test::MakePsd(10, 12, 3, std::vector<uint8_t>(360, 90));
  std::vector<uint8_t> grey = blue, cut = test::MakePsd(40, 40, 3, std::vector<uint8_t>(4800, 7));
  grey[25] = 1;  // grey-scale mode
  // A compression the reader refuses, with bytes enough behind it for the blank
  // image the reader then keeps: still nothing to show.
  std::vector<uint8_t> zip = blue;
  zip[39] = 2;
  zip.insert(zip.end(), 400, 0);
  cut.resize(cut.size() / 2);
  PackDefinition def;
  def.PackName = "テストパック";
  def.Files.push_back({"p1.psd", "絵1", "", ""});
  const std::vector<PackMember> members = {{"p1.psd", blue, 0},       {"!quelo.ini", SerializeDefinition(def), 0},
                                           {"grey.psd", grey, 0},     {"readme.txt", {'h', 'i'}, 0},
                                           {"cut.psd", cut, 0},       {"アイコン.psd", blue, 0},
                                           {"zip.psd", zip, 0}};
  const std::string exe = dir.File("pack.bin");
  WritePackExecutable(SelfPath(), members, exe);
  LoadedPack pack;
  ASSERT_TRUE(pack.SetArchive(exe));
  EXPECT_EQ(pack.Kind(), LoadedPack::SourceKind::Archive);
  EXPECT_EQ(pack.SourceCount(), 7);
  pack.Load();
  EXPECT_EQ(Names(pack), "絵1 アイコン.psd");
  // The readers' messages name the member they are about, not the program;
  // the member cut short is told too, the grey-scale one is not, nor those
  // that are no images.
  ASSERT_EQ(dialogs.messages.size(), 1u);
  const std::string& text = dialogs.messages[0].text;
  EXPECT_EQ(text.rfind("2 個のファイルを読み込めませんでした。\r\n\r\n", 0), 0u) << text;
  EXPECT_NE(text.find("\r\ncut.psd\r\n\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\r\n\r\nこのファイルの圧縮形式には対応していません\r\nzip.psd"), std::string::npos) << text;
  EXPECT_EQ(text.find("grey"), std::string::npos) << text;
  EXPECT_EQ(pack.Title(), "テストパック");
  EXPECT_EQ(pack.DoneText(), "ファイルの読み込みが完了しました...[自己展開書庫：" + exe + "]");
  EXPECT_EQ(pack.Image(2).SourceOffset(), pack.Archive().FileOffset(5));
}

// What SetArchive refuses leaves the pack it had.
TEST(LoadedPackArchive, RefusesFilesWithoutAPack) {
  test::RecordingDialogs dialogs;
  test::TempDir dir;
  test::WriteAll(dir.File("text.txt"), {'t', 'e', 'x', 't'});
  test::WriteAll(dir.File("empty"), {});
  test::WriteAll(dir.File("a.psd"), test::MakePsd(2, 2, 3, std::vector<uint8_t>(12, 1)));
  const std::string refused[] = {dir.File("missing"), dir.File("text.txt"), dir.File("empty"), dir.Path(),
                                 dir.File("a.psd"), SelfPath(), ""};
  for (const std::string& path : refused) {
    LoadedPack pack;
    pack.SetFolder(dir.Path());
    EXPECT_FALSE(pack.SetArchive(path)) << path;
    EXPECT_EQ(pack.Kind(), LoadedPack::SourceKind::Folder) << path;
    EXPECT_EQ(pack.SourcePath(), dir.Path()) << path;
    pack.Load();
    EXPECT_EQ(pack.ImageCount(), 1) << path;
  }
  EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
}  // namespace quelo
