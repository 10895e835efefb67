// quelo-pack run as a program, on the sample pack and on inputs it must refuse.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

#include "archive/ArchiveTestUtil.h"
#include "archive/PackWriters.h"
#include "archive/clsExePlusFiles.h"
#include "archive/clsQueloConfig.h"
#include "image/clsImage.h"
#include "platform/Platform.h"
#include "support/RecordingDialogs.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"
#include "tools/PackSource.h"
#include "tools/PackTool.h"
#include "tools/ToolTestUtil.h"

namespace quelo::tools {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;
using test::WriteAll;

const std::string kSample = QUELO_SOURCE_DIR "/sample/pack";
const std::string kSampleDefinition = kSample + "/quelo-pack.txt";

// The sample's images in the definition's order.
const char* const kSampleImages[] = {"sun.psd",  "raindrop.psd", "cloud.psd", "leaf.psd",  "flower.psd",
                                     "star.psd", "moon.psd",     "heart.psd", "house.psd", "bell.psd",
                                     "key.psd",  "fish.psd",     "apple.ico"};

using Result = test::ProgramResult;
using test::ExeName;
using test::RunProgram;

// A folder and a name joined as the tool joins them.
std::string Join(const std::string& folder, const std::string& name) {
  return (platform::FsPath(folder) / platform::FsPath(name)).u8string();
}

// Refused with exit status 1 and every one of `messages` in the output.
void ExpectRefusal(const std::vector<std::string>& args, const std::vector<std::string>& messages) {
  const Result r = Tool(args);
  EXPECT_EQ(r.status, 1) << r.output;
  for (const std::string& m : messages) EXPECT_NE(r.output.find(m), std::string::npos) << m << "\n" << r.output;
}

// The --list column for member i: its type, size and channels as quelo reads it.
std::string Stored(const std::string& pack, clsExePlusFiles& archive, int16_t i) {
  if (i == 0) return "definition";
  clsImage image;
  const std::string name = archive.FileName(i);
  if (!image.LoadFile(pack, name.substr(name.rfind('.') + 1), archive.FileOffset(i))) return "?";
  return image.SourceType() + " " + std::to_string(image.Width()) + "x" + std::to_string(image.Height()) +
         (image.BitCount() == 4 ? " RGBA" : " RGB");
}

class PackToolTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::copy_file(QUELO_PACK_PROBE, P(program)); }  // keeps the program's mode
  // A folder with the sample's images and definition, to add bad files to.
  std::string SampleCopy() {
    const std::string folder = dir.File("images");
    fs::copy(P(kSample), P(folder));
    return folder;
  }
  std::string WriteDefinition(const std::string& text, const std::string& name = "def.txt") {
    WriteAll(dir.File(name), std::vector<uint8_t>(text.begin(), text.end()));
    return dir.File(name);
  }

  test::TempDir dir;
  const std::string program = dir.File(ExeName("program"));
  const std::string packed = dir.File(ExeName("packed"));
};

// The sample packed into the probe program, which still runs and finds its pack;
// --list and --extract agree with the directory, the definition's texts come back.
TEST_F(PackToolTest, SamplePackReadsBackMemberForMember) {
  EXPECT_EQ(RunProgram(program, {}).output, "no pack\n");
  const auto programBytes = ReadAll(program);
  Result r = Tool({program, kSample, kSampleDefinition, "-o", packed});
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(ReadAll(program), programBytes);  // the input is never modified

  clsExePlusFiles archive;
  ASSERT_TRUE(archive.OpenExe(packed));
  ASSERT_EQ(archive.FileCount(), 14);
  std::string listing = "index\tname\tposition\tsize\tstored\n", names = "14 members\n";
  for (int16_t i = 0; i < 14; ++i) {
    EXPECT_EQ(archive.FileName(i), i == 0 ? std::string("!quelo.ini") : kSampleImages[i - 1]);
    listing += std::to_string(i) + "\t" + archive.FileName(i) + "\t" + std::to_string(archive.FileOffset(i)) + "\t" +
               std::to_string(archive.FileSize(i)) + "\t" + Stored(packed, archive, i) + "\n";
    names += archive.FileName(i) + "\n";
  }
  r = RunProgram(packed, {});
  EXPECT_EQ(std::make_tuple(r.status, r.output), std::make_tuple(0, names));
  r = Tool({"--list", packed});
  EXPECT_EQ(std::make_tuple(r.status, r.output), std::make_tuple(0, listing));

  // --extract gives the images' bytes and the definition made from the text.
  const std::string out = dir.File("out");
  ASSERT_EQ(Tool({"--extract", packed, out}).status, 0);
  for (const char* name : kSampleImages) EXPECT_EQ(ReadAll(out + "/" + name), ReadAll(kSample + "/" + name)) << name;
  EXPECT_EQ(ReadAll(out + "/!quelo.ini"), SerializeDefinition(LoadPackSource(kSampleDefinition).Definition));
  EXPECT_EQ(test::FileNames(out).size(), 14u);

  clsQueloConfig config;
  ASSERT_TRUE(config.LoadConfig(packed, archive.FileOffset(0))) << config.GetLastErrorInfo();
  const int16_t cloud = config.GetIndex("cloud.psd");
  ASSERT_GE(cloud, 0);
  EXPECT_EQ(config.PackName() + "|" + config.PackVersion() + "|" + config.PackDescription() + "|" + config.PackAutherName() +
                "|" + config.PackAutherEmail() + "|" + config.PackAutherUrl() + "|" + config.FileTitle(cloud) + "|" +
                config.FileDescription(cloud) + "|" + config.FileAuther(cloud) + "|" +
                config.FileTitle(config.GetIndex("apple.ico")) + "|" + config.FileTitle(config.GetIndex("key.psd")),
            "quelo サンプルパック|1.23|晴れの日も雨の日も、使いやすい小さなアイコン集です。\r\n"
            "天気・自然・暮らしの絵を13点収めました。\r\nストリップに並べて、壁紙や見出しにお使いください。|"
            "木下 ひかり|hikari@example.org|https://example.org/quelo/|くもり雲|"
            "ふんわり浮かぶ白い雲。\r\n高さ40ピクセルの横長のアイコンです。|佐藤 そら|りんご|鍵");
}

// Packed again from the packed program: the old pack is replaced, and images the
// definition has no section for follow alphabetically, without regard to case.
// A Windows program made by mingw's linker takes a pack the same way.
TEST_F(PackToolTest, RepackingReplacesTheOldPack) {
  ASSERT_EQ(Tool({program, kSample, kSampleDefinition, "-o", packed}).status, 0);
  const std::string folder = SampleCopy();
  fs::copy_file(P(kSample + "/star.psd"), P(folder + "/B.psd"));
  fs::copy_file(P(kSample + "/star.psd"), P(folder + "/a.psd"));
  const std::string def = WriteDefinition("[pack]\nname = p\n[file star.psd]\ntitle = 星\n");
  Result r = Tool({packed, folder, def, "-o", dir.File(ExeName("again"))});
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("already carries a pack of 14 members; the new pack replaces it"), std::string::npos);
  EXPECT_NE(r.output.find("note: a.psd has no [file] section"), std::string::npos) << r.output;
  EXPECT_EQ(RunProgram(dir.File(ExeName("again")), {}).output.rfind("16 members\n!quelo.ini\nstar.psd\na.psd\napple.ico\nB.psd\n", 0), 0u);

  ASSERT_EQ(Tool({test::TestData("tiny-mingw.exe"), folder, def, "-o", dir.File("pe")}).status, 0);
  clsExePlusFiles pe;
  ASSERT_TRUE(pe.OpenExe(dir.File("pe")));
  EXPECT_EQ(std::make_tuple(pe.ArchiveStart(), pe.FileCount(), pe.FileName(1)), std::make_tuple(0xE01, 16, std::string("star.psd")));
}

// A program of ours with a pack appended by the tool, both in a folder with a
// Japanese name, finds its own pack through its path, the executable's headers
// and the directory: with and without a symbol table behind its sections.
TEST_F(PackToolTest, PackedProgramInAJapaneseFolderListsItsMembers) {
  const std::string folder = dir.File("画像"), japanese = dir.File("日本語 フォルダ"), def = japanese + "/定義.txt";
  fs::copy(P(kSample), P(folder));
  fs::copy_file(P(kSample + "/moon.psd"), P(folder + "/月見.psd"));
  fs::create_directory(P(japanese));
  fs::copy_file(P(kSampleDefinition), P(def));
  std::string names = "15 members\n!quelo.ini\n";
  for (const char* name : kSampleImages) names += name + std::string("\n");
  names += "月見.psd\n";
  for (const std::string probe : {QUELO_PACK_PROBE, QUELO_PACK_PROBE_STRIPPED}) {
    const std::string in = japanese + "/" + ExeName("プローブ"), out = japanese + "/" + ExeName("パック入り");
    fs::copy_file(P(probe), P(in), fs::copy_options::overwrite_existing);
    Result r = Tool({in, folder, def, "-o", out});
    ASSERT_EQ(r.status, 0) << probe << "\n" << r.output;
    EXPECT_NE(r.output.find("wrote " + out), std::string::npos) << r.output;
    r = RunProgram(out, {});
    EXPECT_EQ(std::make_tuple(r.status, r.output), std::make_tuple(0, names)) << probe;
    r = Tool({"--list", out});
    EXPECT_NE(r.output.find("\n14\t月見.psd\t"), std::string::npos) << r.output;
  }
}

// Every refusal: status 1, its reason, and nothing written: no output, no
// extracted member, the inputs and an existing output (the program) as they were.
TEST_F(PackToolTest, RefusalsWriteNothing) {
  ASSERT_EQ(Tool({program, kSample, kSampleDefinition, "-o", packed}).status, 0);
  const std::string folder = SampleCopy(), hangul = dir.File("hangul"), out = dir.File("out");
  WriteAll(folder + "/garbage.psd", {'n', 'o', 't', ' ', 'a', ' ', 'p', 's', 'd'});
  const auto sun = ReadAll(kSample + "/sun.psd");
  WriteAll(folder + "/cut.psd", std::vector<uint8_t>(sun.begin(), sun.begin() + sun.size() / 2));
  fs::create_directory(P(hangul));
  fs::copy_file(P(kSample + "/sun.psd"), P(hangul + "/\xED\x95\x9C.psd"));  // 한.psd
  std::error_code noLinks;
  fs::create_symlink(P(program), P(dir.File("link")), noLinks);
  if (!noLinks) fs::create_symlink("nowhere", P(dir.File("dangling")), noLinks);
  if (noLinks) std::cout << "symbolic links cannot be made here (" << noLinks.message() << "): the link case is left out\n";
  fs::create_directory(P(out));
  WriteAll(out + "/sun.psd", {'m', 'i', 'n', 'e'});
  auto cut = ReadAll(packed);  // a pack whose directory points past the end of the file
  cut.resize(cut.size() - 100);
  WriteAll(dir.File("cut"), cut);
  WritePackExecutable(program, {{"!quelo.ini", {1, 2}, 0}, {"../escape.psd", {3, 4}, 0}}, dir.File("evil"));
  const std::string onlyPack = WriteDefinition("[pack]\nname = p\n");
  const std::string missingImage = WriteDefinition("[pack]\nname = p\n[file nothere.psd]\n", "missing.txt");
  const auto programBytes = ReadAll(program);
  const auto before = test::FileNames(dir.Path());
  const std::string never = dir.File("never");

  std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> cases = {
      {{program, dir.File("nope"), kSampleDefinition, "-o", never}, {"the folder " + dir.File("nope") + " does not exist"}},
      {{kSampleDefinition, kSample, kSampleDefinition, "-o", never}, {"neither a PE nor an ELF program"}},
      {{program, folder, kSampleDefinition, "-o", never},
       {"cannot decode " + Join(folder, "garbage.psd") + " as a psd image: This file is not a PSD image",
        "cannot decode " + Join(folder, "cut.psd"),
        "2 image(s) could not be decoded"}},
      {{program, hangul, missingImage, "-o", never}, {"missing.txt:3: the folder " + hangul + " has no file nothere.psd"}},
      {{program, hangul, onlyPack, "-o", never},
       {"\xED\x95\x9C.psd can't be stored: \"\xED\x95\x9C\" (U+D55C) has no code page 932 form"}},
      {{program, kSample, kSampleDefinition, "-o", program}, {"is the program " + program + " itself"}},
      {{program, kSample, kSampleDefinition, "-o", kSampleDefinition}, {"is the definition"}},
      {{"--list", program}, {"carries no pack"}},
      {{"--extract", packed, out}, {"sun.psd exists already"}},
      {{"--list", dir.File("cut")}, {"1 member(s) lie beyond the end of the file"}},
      {{"--extract", dir.File("cut"), dir.File("cutout")}, {}},
      {{"--extract", dir.File("evil"), dir.File("inner")}, {"\"../escape.psd\" is not a plain file name"}},
  };
  if (!noLinks) {
    cases.push_back({{program, kSample, kSampleDefinition, "-o", dir.File("link")}, {"is the program"}});
    cases.push_back({{program, kSample, kSampleDefinition, "-o", dir.File("dangling")},
                     {dir.File("dangling") + ": The target nowhere of the symbolic link " + dir.File("dangling") +
                      " does not exist"}});

  }
  for (const auto& [args, messages] : cases) ExpectRefusal(args, messages);
  EXPECT_EQ(test::FileNames(dir.Path()), before);
  EXPECT_EQ(test::FileNames(out), std::set<std::string>{"sun.psd"});
  EXPECT_EQ(ReadAll(out + "/sun.psd"), std::vector<uint8_t>({'m', 'i', 'n', 'e'}));
  EXPECT_EQ(ReadAll(program), programBytes);
  EXPECT_EQ(Tool({}).status, 2);
  EXPECT_EQ(Tool({program, kSample, kSampleDefinition}).status, 2);
}

// -o naming a link writes the file it points to, in that file's folder; the
// link stays a link.
TEST_F(PackToolTest, OutputThroughALinkReplacesTheLinkedFile) {
  if (test::kWindows) GTEST_SKIP() << "symbolic links cannot be made under Wine";
  fs::create_directory(dir.File("real"));
  WriteAll(dir.File("real/packed"), {'o', 'l', 'd'});
  fs::create_symlink("real/packed", dir.File("link"));
  const Result r = Tool({program, kSample, kSampleDefinition, "-o", dir.File("link")});
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_TRUE(fs::is_symlink(dir.File("link")));
  EXPECT_EQ(RunProgram(dir.File("real/packed"), {}).output.rfind("14 members\n", 0), 0u);
  EXPECT_EQ(test::FileNames(dir.File("real")), std::set<std::string>{"packed"});
}

// Positions count from 1: a member at the file's first byte is listed, one at
// position 0 lies outside the file.
TEST_F(PackToolTest, ListTakesAMemberAtTheFirstByte) {
  WritePackExecutable(program, {{"!quelo.ini", {1, 2}, 0}, {"a.psd", {3, 4}, 0}}, packed);
  clsExePlusFiles archive;
  ASSERT_TRUE(archive.OpenExe(packed));
  const int32_t first = archive.FileOffset(0);  // where the data begins
  // The first entry's Offset field: behind the 16-byte header and the name "!quelo.ini".
  const size_t field = static_cast<size_t>(archive.ArchiveStart() - 1 + 16 + 2 + 10);
  const std::tuple<int32_t, int, std::string> cases[] = {
      {1, 0, "\n0\t!quelo.ini\t1\t2\t"},
      {0, 1, "1 member(s) lie beyond the end of the file"},
  };
  for (const auto& [position, status, line] : cases) {
    auto bytes = ReadAll(packed);
    test::PatchU32(bytes, field, static_cast<uint32_t>(position - first));
    WriteAll(dir.File("moved"), bytes);
    const Result r = Tool({"--list", dir.File("moved")});
    EXPECT_EQ(r.status, status) << r.output;
    EXPECT_NE(r.output.find(line), std::string::npos) << r.output;
  }
}

// One image more than a pack can address is refused before anything is read.
TEST_F(PackToolTest, RefusesMoreMembersThanAPackAddresses) {
  if (test::kWindows) GTEST_SKIP() << "32767 files take minutes to create under Wine";
  const std::string many = dir.File("many");
  fs::create_directory(P(many));
  for (int i = 0; i < 32767; ++i) std::ofstream(many + "/i" + std::to_string(i) + ".psd");
  ExpectRefusal({program, many, WriteDefinition("[pack]\nname = p\n"), "-o", dir.File("never")},
                {"32768 members (the definition and 32767 images): a pack holds at most 32767"});
  EXPECT_FALSE(fs::exists(P(dir.File("never"))));
}

// The tool run in-process, its writes failing at the first byte, in the middle
// and at the last byte. Building: refused with the reason, the earlier output
// byte for byte, no temporary file. Extracting: nothing of the run stays, not
// even the folder it made; a folder that was there stays, empty.
TEST_F(PackToolTest, InjectedWriteFailuresLeaveNoDamagedFile) {
  std::ostringstream out, err;
  ASSERT_EQ(RunPackTool({program, kSample, kSampleDefinition, "-o", packed}, out, err), kExitOk) << err.str();
  WriteAll(dir.File("old"), {'o', 'l', 'd'});
  for (int64_t at : test::FailurePoints(static_cast<int64_t>(fs::file_size(packed)))) {
    test::ScopedWriteFailure failure(at);
    std::ostringstream e;
    EXPECT_EQ(RunPackTool({program, kSample, kSampleDefinition, "-o", dir.File("old")}, out, e), kExitRefused) << at;
    EXPECT_NE(e.str().find("No space left on device"), std::string::npos) << e.str();
    EXPECT_EQ(ReadAll(dir.File("old")), std::vector<uint8_t>({'o', 'l', 'd'})) << at;
    EXPECT_EQ(test::FileNames(dir.Path()), (std::set<std::string>{"old", ExeName("packed"), ExeName("program")})) << at;
  }

  clsExePlusFiles archive;
  ASSERT_TRUE(archive.OpenExe(packed));
  int64_t total = 0;
  for (int16_t i = 0; i < archive.FileCount(); ++i) total += archive.FileSize(i);
  fs::create_directory(P(dir.File("there")));
  for (int64_t at : test::FailurePoints(total)) {
    for (const std::string& folder : {dir.File("made/x" + std::to_string(at)), dir.File("there")}) {
      std::ostringstream e;
      {
        test::ScopedWriteFailure failure(at);
        EXPECT_EQ(ExtractPack(packed, folder, out, e), kExitRefused) << at;
      }
      EXPECT_NE(e.str().find("No space left on device"), std::string::npos) << e.str();
      EXPECT_NE(e.str().find("nothing of it is left"), std::string::npos) << e.str();
    }
    EXPECT_FALSE(fs::exists(P(dir.File("made")))) << at;
    EXPECT_EQ(test::FileNames(dir.File("there")), std::set<std::string>()) << at;
  }
}

struct PngCase {
  const char* source;  // in the folder
  const char* data;    // test data it is a copy of, and its .rgba beside it
  const char* member;
  const char* stored;  // the --list column
};
const PngCase kPngCases[] = {
    {"icon.png", "png_im_rgba_24x24.png", "icon.psd", "PSD 24x24 RGBA"},
    {"Upper.PNG", "png_pil_palette_trns_15x8.png", "Upper.psd", "PSD 15x8 RGBA"},
    {"grey.png", "png_im_grey_23x17.png", "grey.psd", "PSD 23x17 RGBA"},
    {"big.ico", "ico_im_png_256.ico", "big.psd", "PSD 256x256 RGBA"},
    {"small.ico", "ico_im_48.ico", "small.ico", "ICO 48x48 RGBA"},
    {"rgb.psd", "psd_rgb_37x29.psd", "rgb.psd", "PSD 37x29 RGB"},
};

std::vector<uint8_t> ExpectedPixels(const PngCase& c) {
  const std::string data = c.data;
  return ReadAll(test::TestData(data.substr(0, data.rfind('.')) + ".rgba"));
}

// The folder of kPngCases and a definition naming icon.png, packed and extracted
// to dir/out; the tool's output and the listing.
std::pair<Result, std::string> PackPngCases(const test::TempDir& dir, const std::string& program,
                                            const std::string& packed) {
  const std::string folder = dir.File("icons");
  fs::create_directory(P(folder));
  for (const PngCase& c : kPngCases) fs::copy_file(P(test::TestData(c.data)), P(folder + "/" + c.source));
  const std::string text = "[pack]\nname = p\n[file icon.png]\ntitle = アイコン\n";
  WriteAll(dir.File("png.txt"), std::vector<uint8_t>(text.begin(), text.end()));
  const Result built = Tool({program, folder, dir.File("png.txt"), "-o", packed});
  if (built.status != 0) return {built, ""};
  const std::string listing = Tool({"--list", packed}).output;
  EXPECT_EQ(Tool({"--extract", packed, dir.File("out")}).status, 0);
  return {built, listing};
}

// PNG files and icons holding PNG data go in as RGBA PSDs (a [file] section may
// name the source) whose pixels quelo reads back as the PNG's; other images
// byte for byte. Two images stored under one name: refused.
TEST_F(PackToolTest, PngImagesAreStoredAsPsdsOfTheSamePixels) {
  const auto [built, listing] = PackPngCases(dir, program, packed);
  ASSERT_EQ(built.status, 0) << built.output;
  const std::string folder = dir.File("icons"), out = dir.File("out");
  EXPECT_EQ(test::FileNames(out).size(), 7u);
  for (const PngCase& c : kPngCases) {
    const std::string member = out + "/" + c.member;
    EXPECT_NE(listing.find("\t" + std::string(c.member) + "\t"), std::string::npos) << listing;
    EXPECT_NE(listing.find("\t" + std::string(c.stored) + "\n"), std::string::npos) << c.stored << "\n" << listing;
    if (std::string(c.source) == c.member) {
      EXPECT_EQ(ReadAll(member), ReadAll(test::TestData(c.data))) << c.member;
      continue;
    }
    EXPECT_NE(built.output.find("note: " + std::string(c.source) + " -> " + c.member + " (PSD, PackBits)"),
              std::string::npos) << built.output;
    clsImage image;
    ASSERT_TRUE(image.LoadFile(member));
    EXPECT_EQ(image.Pixels(), ExpectedPixels(c)) << c.member;
  }
  clsExePlusFiles archive;
  clsQueloConfig config;
  ASSERT_TRUE(archive.OpenExe(packed));
  ASSERT_TRUE(config.LoadConfig(packed, archive.FileOffset(0)));
  EXPECT_EQ(config.FileTitle(config.GetIndex("icon.psd")), "アイコン");

  fs::copy_file(P(test::TestData("psd_rgb_37x29.psd")), P(folder + "/icon.psd"));
  ExpectRefusal({program, folder, dir.File("png.txt"), "-o", dir.File("never")},
                {folder + ": two images would be stored as icon.psd"});
}

// The PSDs made from PNG data read back as the PNG's pixels in ImageMagick and Pillow too.
TEST_F(PackToolTest, PsdsMadeFromPngReadAlikeInImageMagickAndPillow) {
  if (test::kWindows) GTEST_SKIP() << "ImageMagick and Pillow are Linux programs, which a test under Wine cannot start";
  const auto [built, listing] = PackPngCases(dir, program, packed);
  ASSERT_EQ(built.status, 0) << built.output;
  int converted = 0;
  for (const PngCase& c : kPngCases) {
    if (std::string(c.source) == c.member) continue;
    ++converted;
    const std::string member = dir.File("out/") + c.member;
    // ImageMagick would otherwise take the colours as matted against white.
    EXPECT_EQ(RunProgram("/usr/bin/convert", {"-define", "psd:alpha-unblend=off", member + "[0]", "rgba:" + member + ".im"}).status, 0);
    EXPECT_EQ(ReadAll(member + ".im"), ExpectedPixels(c)) << c.member;
    const std::string pillow = "import sys; from PIL import Image; sys.stdout.buffer.write(Image.open(sys.argv[1]).convert(\"RGBA\").tobytes())";
    const Result r = RunProgram("/usr/bin/python3", {"-c", pillow, member});
    EXPECT_EQ(std::vector<uint8_t>(r.output.begin(), r.output.end()), ExpectedPixels(c)) << c.member;
  }
  EXPECT_EQ(converted, 4);
}

// Damaged PNG files once put bytes of uninitialised memory into the stored PSD:
// palette indices past the palette are stored as opaque black, the same bytes
// in every build, and a deflate stream using distance code 30 is refused with
// its reason and nothing written.
TEST_F(PackToolTest, DamagedPngFilesPackTheSameBytesOrNothing) {
  const std::string folder = dir.File("icons"), def = WriteDefinition("[pack]\nname = p\n");
  fs::create_directory(P(folder));
  fs::copy_file(P(test::TestData("png_py_palette_past_plte_16x4.png")), P(folder + "/palette.png"));
  std::vector<std::vector<uint8_t>> builds;
  for (int run = 0; run < 3; ++run) {
    const std::string out = dir.File("run" + std::to_string(run));
    const Result built = Tool({program, folder, def, "-o", packed});
    ASSERT_EQ(built.status, 0) << built.output;
    ASSERT_EQ(Tool({"--extract", packed, out}).status, 0);
    builds.push_back(ReadAll(out + "/palette.psd"));
  }
  EXPECT_EQ(builds[1], builds[0]);
  EXPECT_EQ(builds[2], builds[0]);
  clsImage image;
  ASSERT_TRUE(image.LoadByteArray(builds[0], "PSD"));
  std::vector<uint8_t> expected;
  for (int i = 0; i < 64; ++i) {
    const uint8_t pixel[4] = {static_cast<uint8_t>(i == 0 ? 200 : 0), static_cast<uint8_t>(i == 0 ? 10 : 0),
                              static_cast<uint8_t>(i == 0 ? 20 : 0), 255};
    expected.insert(expected.end(), pixel, pixel + 4);
  }
  EXPECT_EQ(image.Pixels(), expected);

  fs::copy_file(P(test::TestData("png_py_distance30_8x1.png")), P(folder + "/distance.png"));
  ExpectRefusal({program, folder, def, "-o", dir.File("never")}, {"distance.png"});
  EXPECT_FALSE(fs::exists(P(dir.File("never"))));
}


// --size N: icons of several images, icons of depths a pack does not read,
// SVG documents and images of another size are stored as PSDs of N x N (the
// pixels a folder shows at that icon size); one already at that size and
// readable by the pack reader is stored byte for byte. Without the option, the
// icons of several images and the SVG documents are refused by name.
TEST_F(PackToolTest, SizeOptionStoresEveryImageAtThatSize) {
  const std::string folder = dir.File("set");
  fs::create_directory(P(folder));
  const std::pair<const char*, const char*> files[] = {
      {"multi.ico", "iconset_im_multi.ico"}, {"four.ico", "iconset_im_4bit.ico"},
      {"big.psd", "psd_rgba_48x48.psd"},     {"small.png", "png_im_rgba_24x24.png"},
      {"ok.ico", "ico_im_48.ico"}};
  for (const auto& [name, data] : files) fs::copy_file(P(test::TestData(data)), P(folder + "/" + name));
  const std::string svg =
      "<svg xmlns='http://www.w3.org/2000/svg' width='64' height='64'><circle cx='32' cy='32' r='30' fill='#0a0'/></svg>";
  WriteAll(folder + "/round.svg", std::vector<uint8_t>(svg.begin(), svg.end()));
  const std::string def = WriteDefinition("[pack]\nname = p\n");

  ExpectRefusal({program, folder, def, "-o", dir.File("never")},
                {"multi.ico: the icon holds 4 images; give --size N", "round.svg: an SVG document has no pixel size",
                 "nothing was written"});
  EXPECT_FALSE(fs::exists(P(dir.File("never"))));

  const Result built = Tool({program, folder, def, "-o", packed, "--size", "48"});
  // quelo-pack built without Qt draws no SVG: it says so and writes nothing.
  if (built.status != 0 && built.output.find("SVG") != std::string::npos && test::kWindows) {
    EXPECT_EQ(built.status, 1) << built.output;
    return;
  }
  ASSERT_EQ(built.status, 0) << built.output;
  const std::string listing = Tool({"--list", packed}).output;
  for (const char* line : {"\tmulti.psd\t", "\tfour.psd\t", "\tsmall.psd\t", "\tround.psd\t", "\tbig.psd\t",
                           "\tok.ico\t"})
    EXPECT_NE(listing.find(line), std::string::npos) << line << "\n" << listing;
  EXPECT_EQ(listing.find("RGB\n"), std::string::npos) << listing;
  for (const char* note : {"multi.ico -> multi.psd (PSD, PackBits, 48x48)", "four.ico -> four.psd (PSD, PackBits, 48x48)",
                           "small.png -> small.psd (PSD, PackBits, 48x48)", "round.svg -> round.psd (PSD, PackBits, 48x48)"})
    EXPECT_NE(built.output.find(note), std::string::npos) << note << "\n" << built.output;
  const std::string out = dir.File("out");
  ASSERT_EQ(Tool({"--extract", packed, out}).status, 0);
  EXPECT_EQ(ReadAll(out + "/big.psd"), ReadAll(test::TestData("psd_rgba_48x48.psd")));
  EXPECT_EQ(ReadAll(out + "/ok.ico"), ReadAll(test::TestData("ico_im_48.ico")));
  // The 48 entry of the icon, as Pillow reads it.
  clsImage multi;
  ASSERT_TRUE(multi.LoadFile(out + "/multi.psd"));
  EXPECT_EQ(multi.Pixels(), ReadAll(test::TestData("iconset_im_multi_48.rgba")));
  clsImage round;
  ASSERT_TRUE(round.LoadFile(out + "/round.psd"));
  ASSERT_EQ(round.Width(), 48);
  const size_t centre = (24 * 48 + 24) * 4;
  EXPECT_EQ(std::vector<uint8_t>(round.Pixels().begin() + centre, round.Pixels().begin() + centre + 4),
            (std::vector<uint8_t>{0, 0xAA, 0, 255}));
  EXPECT_EQ(round.Pixels()[3], 0);  // a transparent corner

  for (const char* bad : {"0", "257", "x", "-4", "1000"}) {
    const Result r = Tool({program, folder, def, "-o", dir.File("never"), "--size", bad});
    EXPECT_EQ(r.status, 2) << bad << "\n" << r.output;
  }
}

}  // namespace
}  // namespace quelo::tools
