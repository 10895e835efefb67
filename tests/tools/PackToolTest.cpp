// quelo-pack run as a program, on the sample pack and on inputs it must refuse.
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "archive/PackWriters.h"
#include "archive/clsExePlusFiles.h"
#include "archive/clsQueloConfig.h"
#include "image/clsImage.h"
#include "support/RecordingDialogs.h"
#include "support/TempDir.h"
#include "tools/PackSource.h"

namespace quelo::tools {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;
using test::WriteAll;

const std::string kSample = QUELO_SOURCE_DIR "/sample/pack";
const std::string kSampleDefinition = kSample + "/quelo-pack.txt";

struct Expected {
  const char* name;
  int width, height;
};
const Expected kSampleImages[] = {
    {"sun.psd", 48, 48},  {"raindrop.psd", 32, 32}, {"cloud.psd", 48, 40}, {"leaf.psd", 48, 48},
    {"flower.psd", 48, 48}, {"star.psd", 48, 48},   {"moon.psd", 48, 48},  {"heart.psd", 48, 48},
    {"house.psd", 48, 48}, {"bell.psd", 32, 32},    {"key.psd", 32, 32},   {"fish.psd", 48, 40},
    {"apple.ico", 48, 48},
};

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

struct Result {
  int status = -1;
  std::string output;  // standard output and error together
};

Result RunProgram(const std::string& program, const std::vector<std::string>& args) {
  std::string command = Quote(program);
  for (const std::string& a : args) command += " " + Quote(a);
  command += " 2>&1";
  Result r;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return r;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) r.output.append(buffer, n);
  const int rc = pclose(pipe);
  r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  return r;
}

Result Tool(const std::vector<std::string>& args) { return RunProgram(QUELO_PACK_TOOL, args); }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class PackToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy_file(QUELO_PACK_PROBE, program);  // keeps the program's mode
  }
  // A folder with the sample's images and definition, to add bad files to.
  std::string SampleCopy() {
    const std::string folder = dir.File("images");
    fs::create_directory(folder);
    for (const auto& entry : fs::directory_iterator(kSample)) fs::copy_file(entry.path(), fs::path(folder) / entry.path().filename());
    return folder;
  }
  std::string WriteDefinition(const std::string& text) {
    WriteAll(dir.File("def.txt"), std::vector<uint8_t>(text.begin(), text.end()));
    return dir.File("def.txt");
  }

  test::TempDir dir;
  const std::string program = dir.File("program");
  const std::string packed = dir.File("packed");
};

TEST_F(PackToolTest, SamplePackReadsBackMemberForMember) {
  const auto programBytes = ReadAll(program);
  Result r = Tool({program, kSample, kSampleDefinition, "-o", packed});
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(ReadAll(program), programBytes);  // the input is never modified

  clsExePlusFiles archive;
  ASSERT_TRUE(archive.OpenExe(packed));
  ASSERT_EQ(archive.FileCount(), 14);
  EXPECT_EQ(archive.FileName(0), "!quelo.ini");
  // The archive starts right behind the program; its data right behind the directory.
  size_t dataStart = programBytes.size() + 16 + 16 + std::string("!quelo.ini").size() + 1;
  for (const Expected& e : kSampleImages) dataStart += 16 + std::string(e.name).size();
  EXPECT_EQ(archive.FileOffset(0), static_cast<int32_t>(dataStart));

  // --list agrees with the directory, in the definition's order.
  r = Tool({"--list", packed});
  ASSERT_EQ(r.status, 0) << r.output;
  const auto lines = Lines(r.output);
  ASSERT_EQ(lines.size(), 15u) << r.output;
  EXPECT_EQ(lines[0], "index\tname\tposition\tsize");
  for (int16_t i = 0; i < 14; ++i) {
    EXPECT_EQ(archive.FileName(i), i == 0 ? std::string("!quelo.ini") : kSampleImages[i - 1].name);
    EXPECT_EQ(lines[i + 1], std::to_string(i) + "\t" + archive.FileName(i) + "\t" +
                                std::to_string(archive.FileOffset(i)) + "\t" + std::to_string(archive.FileSize(i)));
  }

  // --extract gives the images' bytes and the definition made from the text.
  const std::string out = dir.File("out");
  r = Tool({"--extract", packed, out});
  ASSERT_EQ(r.status, 0) << r.output;
  for (const Expected& e : kSampleImages) EXPECT_EQ(ReadAll(out + "/" + e.name), ReadAll(kSample + "/" + e.name)) << e.name;
  EXPECT_EQ(ReadAll(out + "/!quelo.ini"), SerializeDefinition(LoadPackSource(kSampleDefinition).Definition));
  EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 14);

  // The definition's texts come back exactly through the reader.
  clsQueloConfig config;
  ASSERT_TRUE(config.LoadConfig(packed, archive.FileOffset(0))) << config.GetLastErrorInfo();
  EXPECT_EQ(config.PackName(), "quelo サンプルパック");
  EXPECT_EQ(config.PackVersion(), "1.23");
  EXPECT_EQ(config.PackDescription(),
            "晴れの日も雨の日も、使いやすい小さなアイコン集です。\r\n"
            "天気・自然・暮らしの絵を13点収めました。\r\n"
            "ストリップに並べて、壁紙や見出しにお使いください。");
  EXPECT_EQ(config.PackAutherName(), "木下 ひかり");
  EXPECT_EQ(config.PackAutherEmail(), "hikari@example.org");
  EXPECT_EQ(config.PackAutherUrl(), "https://example.org/quelo/");
  const int16_t cloud = config.GetIndex("cloud.psd");
  ASSERT_GE(cloud, 0);
  EXPECT_EQ(config.FileTitle(cloud), "くもり雲");
  EXPECT_EQ(config.FileDescription(cloud), "ふんわり浮かぶ白い雲。\r\n高さ40ピクセルの横長のアイコンです。");
  EXPECT_EQ(config.FileAuther(cloud), "佐藤 そら");
  EXPECT_EQ(config.FileTitle(config.GetIndex("apple.ico")), "りんご");
  EXPECT_EQ(config.FileTitle(config.GetIndex("key.psd")), "鍵");

  // Every image decodes from its position in the pack, with its own size.
  test::RecordingDialogs dialogs;
  for (int16_t i = 1; i < 14; ++i) {
    clsImage image;
    ASSERT_TRUE(image.LoadFile(packed, archive.GetFileExt(i), archive.FileOffset(i)));
    EXPECT_EQ(image.Width(), kSampleImages[i - 1].width) << archive.FileName(i);
    EXPECT_EQ(image.Height(), kSampleImages[i - 1].height) << archive.FileName(i);
    EXPECT_EQ(image.BitCount(), 4);
  }
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(PackToolTest, ElfProgramWithPackAppendedStillRuns) {
  EXPECT_EQ(RunProgram(program, {}).output, "no pack\n");
  ASSERT_EQ(Tool({program, kSample, kSampleDefinition, "-o", packed}).status, 0);
  const Result r = RunProgram(packed, {});
  EXPECT_EQ(r.status, 0);
  const auto lines = Lines(r.output);
  ASSERT_EQ(lines.size(), 15u) << r.output;
  EXPECT_EQ(lines[0], "14 members");
  EXPECT_EQ(lines[1], "!quelo.ini");
  EXPECT_EQ(lines[14], "apple.ico");
}

TEST_F(PackToolTest, PacksAWindowsProgramToo) {
  const std::string exe = test::TestData("tiny-mingw.exe");
  const auto exeBytes = ReadAll(exe);
  const Result r = Tool({exe, kSample, kSampleDefinition, "-o", packed});
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(ReadAll(exe), exeBytes);
  ASSERT_EQ(Tool({"--extract", packed, dir.File("out")}).status, 0);
  for (const Expected& e : kSampleImages) EXPECT_EQ(ReadAll(dir.File("out/") + e.name), ReadAll(kSample + "/" + e.name));
}

TEST_F(PackToolTest, RepackingReplacesThePackAProgramCarries) {
  ASSERT_EQ(Tool({program, kSample, kSampleDefinition, "-o", dir.File("first")}).status, 0);
  const std::string def = WriteDefinition("[pack]\nname = p\n[file key.psd]\n");
  const std::string folder = SampleCopy();
  const Result r = Tool({dir.File("first"), folder, def, "-o", packed});
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("already carries a pack of 14 members; the new pack replaces it"), std::string::npos);
  // The same as a pack made from the plain program: the old pack is gone.
  ASSERT_EQ(Tool({program, folder, def, "-o", dir.File("direct")}).status, 0);
  EXPECT_EQ(ReadAll(packed), ReadAll(dir.File("direct")));
  EXPECT_EQ(Lines(RunProgram(packed, {}).output).at(1), "!quelo.ini");
  EXPECT_EQ(Lines(RunProgram(packed, {}).output).at(2), "key.psd");
}

TEST_F(PackToolTest, ImagesWithoutSectionFollowAlphabetically) {
  const std::string folder = SampleCopy();
  fs::copy_file(kSample + "/star.psd", folder + "/B.psd");
  fs::copy_file(kSample + "/star.psd", folder + "/a.psd");
  const std::string def = WriteDefinition("[pack]\nname = p\n[file star.psd]\ntitle = 星\n");
  const Result r = Tool({program, folder, def, "-o", packed});
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("note: a.psd has no [file] section"), std::string::npos) << r.output;
  clsExePlusFiles archive;
  ASSERT_TRUE(archive.OpenExe(packed));
  ASSERT_EQ(archive.FileCount(), 16);
  EXPECT_EQ(archive.FileName(1), "star.psd");
  EXPECT_EQ(archive.FileName(2), "a.psd");
  EXPECT_EQ(archive.FileName(3), "apple.ico");
  EXPECT_EQ(archive.FileName(4), "B.psd");
}

TEST_F(PackToolTest, RefusalsWriteNothing) {
  const std::string folder = SampleCopy();
  WriteAll(folder + "/garbage.psd", {'n', 'o', 't', ' ', 'a', ' ', 'p', 's', 'd'});
  const auto sun = ReadAll(kSample + "/sun.psd");
  WriteAll(folder + "/cut.psd", std::vector<uint8_t>(sun.begin(), sun.begin() + sun.size() / 2));
  fs::copy_file(test::TestData("pack-raw.psd"), folder + "/raw.psd");
  fs::copy_file(test::TestData("pack-two-images.ico"), folder + "/two.ico");

  const std::string hangul = dir.File("hangul");
  fs::create_directory(hangul);
  fs::copy_file(kSample + "/sun.psd", hangul + "/\xED\x95\x9C.psd");  // 한.psd

  const std::string many = dir.File("many");
  fs::create_directory(many);
  for (int i = 0; i < 32767; ++i) std::ofstream(many + "/i" + std::to_string(i) + ".psd");

  fs::create_symlink(program, dir.File("link"));
  fs::create_hard_link(program, dir.File("hard"));
  const std::string missingImage = WriteDefinition("[pack]\nname = p\n[file nothere.psd]\n");
  const auto programBytes = ReadAll(program);

  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> messages;
  };
  const Case cases[] = {
      {{program, dir.File("nope"), kSampleDefinition, "-o", packed}, {"the folder " + dir.File("nope") + " does not exist"}},
      {{dir.File("noprogram"), kSample, kSampleDefinition, "-o", packed}, {"does not exist"}},
      {{kSampleDefinition, kSample, kSampleDefinition, "-o", packed}, {"neither a PE nor an ELF program"}},
      {{program, folder, kSampleDefinition, "-o", packed},
       {"garbage.psd: このファイルはPSD形式ではありません", "raw.psd: このファイルの圧縮形式には対応していません",
        "two.ico: このアイコンファイルには複数のイメージが格納されているため読み込めません",
        "cannot decode " + folder + "/cut.psd", "4 image(s) could not be decoded"}},
      {{program, hangul, missingImage, "-o", packed}, {"def.txt:3: the folder " + hangul + " has no file nothere.psd"}},
      {{program, kSample, kSampleDefinition, "-o", program}, {"is the program " + program + " itself"}},
      {{program, kSample, kSampleDefinition, "-o", dir.File("link")}, {"is the program"}},
      {{program, kSample, kSampleDefinition, "-o", dir.File("hard")}, {"is the program"}},
      {{program, kSample, kSampleDefinition, "-o", kSampleDefinition}, {"is the definition"}},
      {{program, kSample, kSampleDefinition, "-o", dir.File("nofolder/out")}, {"folder of the output"}},
  };
  for (const Case& c : cases) {
    const Result r = Tool(c.args);
    EXPECT_EQ(r.status, 1) << r.output;
    for (const std::string& m : c.messages) EXPECT_NE(r.output.find(m), std::string::npos) << m << "\n" << r.output;
    EXPECT_FALSE(fs::exists(packed)) << r.output;
  }

  // Names with no code page 932 form; more members than a 16-bit index reaches.
  const std::string onlyPack = WriteDefinition("[pack]\nname = p\n");
  Result r = Tool({program, hangul, onlyPack, "-o", packed});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("\xED\x95\x9C.psd can't be stored: \"\xED\x95\x9C\" (U+D55C) has no code page 932 form"),
            std::string::npos) << r.output;
  r = Tool({program, many, onlyPack, "-o", packed});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("32768 members (the definition and 32767 images): a pack holds at most 32767"),
            std::string::npos) << r.output;
  EXPECT_FALSE(fs::exists(packed));

  // An existing output stays as it was; the inputs are untouched.
  WriteAll(packed, {'o', 'l', 'd'});
  EXPECT_EQ(Tool({program, folder, kSampleDefinition, "-o", packed}).status, 1);
  EXPECT_EQ(ReadAll(packed), std::vector<uint8_t>({'o', 'l', 'd'}));
  EXPECT_EQ(ReadAll(program), programBytes);
  EXPECT_EQ(Tool({}).status, 2);
  EXPECT_EQ(Tool({program, kSample, kSampleDefinition}).status, 2);
}

TEST_F(PackToolTest, ListAndExtractRefuseWhatTheyCannotDoSafely) {
  Result r = Tool({"--list", program});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("carries no pack"), std::string::npos) << r.output;
  r = Tool({"--list", kSampleDefinition});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("neither a PE nor an ELF program"), std::string::npos) << r.output;

  ASSERT_EQ(Tool({program, kSample, kSampleDefinition, "-o", packed}).status, 0);
  const std::string out = dir.File("out");
  fs::create_directory(out);
  WriteAll(out + "/sun.psd", {'m', 'i', 'n', 'e'});
  r = Tool({"--extract", packed, out});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("sun.psd exists already"), std::string::npos) << r.output;
  EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 1);
  EXPECT_EQ(ReadAll(out + "/sun.psd"), std::vector<uint8_t>({'m', 'i', 'n', 'e'}));

  // A pack cut short: its directory points past the end of the file.
  auto bytes = ReadAll(packed);
  bytes.resize(bytes.size() - 100);
  WriteAll(dir.File("cut"), bytes);
  r = Tool({"--list", dir.File("cut")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("1 member(s) lie beyond the end of the file"), std::string::npos) << r.output;
  r = Tool({"--extract", dir.File("cut"), dir.File("cutout")});
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(fs::exists(dir.File("cutout")));

  // A member name that would leave the folder.
  WritePackExecutable(program, {{"!quelo.ini", {1, 2}, 0}, {"../escape.psd", {3, 4}, 0}}, dir.File("evil"));
  r = Tool({"--extract", dir.File("evil"), dir.File("inner")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("\"../escape.psd\" is not a plain file name"), std::string::npos) << r.output;
  EXPECT_FALSE(fs::exists(dir.File("inner")));
  EXPECT_FALSE(fs::exists(dir.File("escape.psd")));
}

}  // namespace
}  // namespace quelo::tools
