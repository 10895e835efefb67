// quelo-pack run as a program, on the sample pack and on inputs it must refuse.
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

#include "archive/PackWriters.h"
#include "archive/clsExePlusFiles.h"
#include "archive/clsQueloConfig.h"
#include "image/clsImage.h"
#include "support/RecordingDialogs.h"
#include "support/TempDir.h"
#include "tools/PackSource.h"
#include "tools/PackTool.h"

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

struct Result {
  int status = -1;
  std::string output;  // standard output and error together
};

// The arguments are paths under our own folders, which hold no single quote.
Result RunProgram(const std::string& program, const std::vector<std::string>& args) {
  std::string command = "'" + program + "'";
  for (const std::string& a : args) command += " '" + a + "'";
  Result r;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  char buffer[4096];
  for (size_t n; pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) r.output.append(buffer, n);
  const int rc = pipe ? pclose(pipe) : -1;
  r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  return r;
}

Result Tool(const std::vector<std::string>& args) { return RunProgram(QUELO_PACK_TOOL, args); }

// Refused with exit status 1 and every one of `messages` in the output.
void ExpectRefusal(const std::vector<std::string>& args, const std::vector<std::string>& messages) {
  const Result r = Tool(args);
  EXPECT_EQ(r.status, 1) << r.output;
  for (const std::string& m : messages) EXPECT_NE(r.output.find(m), std::string::npos) << m << "\n" << r.output;
}

class PackToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy_file(QUELO_PACK_PROBE, program);  // keeps the program's mode
  }
  // A folder with the sample's images and definition, to add bad files to.
  std::string SampleCopy() {
    const std::string folder = dir.File("images");
    fs::copy(kSample, folder);
    return folder;
  }
  std::string WriteDefinition(const std::string& text, const std::string& name = "def.txt") {
    WriteAll(dir.File(name), std::vector<uint8_t>(text.begin(), text.end()));
    return dir.File(name);
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

  // --list agrees with the directory, in the definition's order.
  clsExePlusFiles archive;
  ASSERT_TRUE(archive.OpenExe(packed));
  ASSERT_EQ(archive.FileCount(), 14);
  std::string listing = "index\tname\tposition\tsize\n";
  for (int16_t i = 0; i < 14; ++i) {
    EXPECT_EQ(archive.FileName(i), i == 0 ? std::string("!quelo.ini") : kSampleImages[i - 1].name);
    listing += std::to_string(i) + "\t" + archive.FileName(i) + "\t" + std::to_string(archive.FileOffset(i)) + "\t" +
               std::to_string(archive.FileSize(i)) + "\n";
  }
  r = Tool({"--list", packed});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, listing);

  // --extract gives the images' bytes and the definition made from the text.
  const std::string out = dir.File("out");
  ASSERT_EQ(Tool({"--extract", packed, out}).status, 0);
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
    EXPECT_EQ(std::make_tuple(image.Width(), image.Height(), int{image.BitCount()}),
              std::make_tuple(kSampleImages[i - 1].width, kSampleImages[i - 1].height, 4)) << archive.FileName(i);
  }
  EXPECT_TRUE(dialogs.messages.empty());
}

// Packed once, then packed again from the packed program: the old pack is replaced,
// and images the definition has no section for follow alphabetically, without regard
// to case.
TEST_F(PackToolTest, ElfProgramWithPackAppendedStillRuns) {
  EXPECT_EQ(RunProgram(program, {}).output, "no pack\n");
  ASSERT_EQ(Tool({program, kSample, kSampleDefinition, "-o", packed}).status, 0);
  std::string names = "14 members\n!quelo.ini\n";
  for (const Expected& e : kSampleImages) names += e.name + std::string("\n");
  Result r = RunProgram(packed, {});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, names);

  const std::string folder = SampleCopy();
  fs::copy_file(kSample + "/star.psd", folder + "/B.psd");
  fs::copy_file(kSample + "/star.psd", folder + "/a.psd");
  const std::string def = WriteDefinition("[pack]\nname = p\n[file star.psd]\ntitle = 星\n");
  r = Tool({packed, folder, def, "-o", dir.File("again")});
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("already carries a pack of 14 members; the new pack replaces it"), std::string::npos);
  EXPECT_NE(r.output.find("note: a.psd has no [file] section"), std::string::npos) << r.output;
  EXPECT_EQ(RunProgram(dir.File("again"), {}).output.rfind("16 members\n!quelo.ini\nstar.psd\na.psd\napple.ico\nB.psd\n", 0), 0u);

  // A Windows program made by mingw's linker takes a pack the same way.
  ASSERT_EQ(Tool({test::TestData("tiny-mingw.exe"), folder, def, "-o", dir.File("pe")}).status, 0);
  clsExePlusFiles pe;
  ASSERT_TRUE(pe.OpenExe(dir.File("pe")));
  EXPECT_EQ(std::make_tuple(pe.ArchiveStart(), pe.FileCount(), pe.FileName(1)), std::make_tuple(0xE01, 16, std::string("star.psd")));
}

TEST_F(PackToolTest, RefusalsWriteNothing) {
  const std::string folder = SampleCopy();
  WriteAll(folder + "/garbage.psd", {'n', 'o', 't', ' ', 'a', ' ', 'p', 's', 'd'});
  const auto sun = ReadAll(kSample + "/sun.psd");
  WriteAll(folder + "/cut.psd", std::vector<uint8_t>(sun.begin(), sun.begin() + sun.size() / 2));
  const std::string hangul = dir.File("hangul"), many = dir.File("many");
  fs::create_directory(hangul);
  fs::copy_file(kSample + "/sun.psd", hangul + "/\xED\x95\x9C.psd");  // 한.psd
  fs::create_directory(many);
  for (int i = 0; i < 32767; ++i) std::ofstream(many + "/i" + std::to_string(i) + ".psd");
  fs::create_symlink(program, dir.File("link"));
  const std::string onlyPack = WriteDefinition("[pack]\nname = p\n");
  const std::string missingImage = WriteDefinition("[pack]\nname = p\n[file nothere.psd]\n", "missing.txt");
  const auto programBytes = ReadAll(program);

  const std::pair<std::vector<std::string>, std::vector<std::string>> cases[] = {
      {{program, dir.File("nope"), kSampleDefinition, "-o", packed}, {"the folder " + dir.File("nope") + " does not exist"}},
      {{kSampleDefinition, kSample, kSampleDefinition, "-o", packed}, {"neither a PE nor an ELF program"}},
      {{program, folder, kSampleDefinition, "-o", packed},
       {"garbage.psd: このファイルはPSD形式ではありません", "cannot decode " + folder + "/cut.psd",
        "2 image(s) could not be decoded"}},
      {{program, hangul, missingImage, "-o", packed}, {"missing.txt:3: the folder " + hangul + " has no file nothere.psd"}},
      {{program, hangul, onlyPack, "-o", packed},
       {"\xED\x95\x9C.psd can't be stored: \"\xED\x95\x9C\" (U+D55C) has no code page 932 form"}},
      {{program, many, onlyPack, "-o", packed},
       {"32768 members (the definition and 32767 images): a pack holds at most 32767"}},
      {{program, kSample, kSampleDefinition, "-o", program}, {"is the program " + program + " itself"}},
      {{program, kSample, kSampleDefinition, "-o", dir.File("link")}, {"is the program"}},
      {{program, kSample, kSampleDefinition, "-o", kSampleDefinition}, {"is the definition"}},
  };
  for (const auto& [args, messages] : cases) {
    ExpectRefusal(args, messages);
    EXPECT_FALSE(fs::exists(packed));
  }
  // An existing output stays as it was; the inputs are untouched.
  WriteAll(packed, {'o', 'l', 'd'});
  EXPECT_EQ(Tool({program, folder, kSampleDefinition, "-o", packed}).status, 1);
  EXPECT_EQ(ReadAll(packed), std::vector<uint8_t>({'o', 'l', 'd'}));
  EXPECT_EQ(ReadAll(program), programBytes);
  EXPECT_EQ(Tool({}).status, 2);
  EXPECT_EQ(Tool({program, kSample, kSampleDefinition}).status, 2);
}

TEST_F(PackToolTest, ListAndExtractRefuseWhatTheyCannotDoSafely) {
  ExpectRefusal({"--list", program}, {"carries no pack"});
  ASSERT_EQ(Tool({program, kSample, kSampleDefinition, "-o", packed}).status, 0);
  const std::string out = dir.File("out");
  fs::create_directory(out);
  WriteAll(out + "/sun.psd", {'m', 'i', 'n', 'e'});
  ExpectRefusal({"--extract", packed, out}, {"sun.psd exists already"});
  EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 1);
  EXPECT_EQ(ReadAll(out + "/sun.psd"), std::vector<uint8_t>({'m', 'i', 'n', 'e'}));

  // A pack cut short: its directory points past the end of the file.
  auto bytes = ReadAll(packed);
  bytes.resize(bytes.size() - 100);
  WriteAll(dir.File("cut"), bytes);
  ExpectRefusal({"--list", dir.File("cut")}, {"1 member(s) lie beyond the end of the file"});
  ExpectRefusal({"--extract", dir.File("cut"), dir.File("cutout")}, {});
  // A member name that would leave the folder.
  WritePackExecutable(program, {{"!quelo.ini", {1, 2}, 0}, {"../escape.psd", {3, 4}, 0}}, dir.File("evil"));
  ExpectRefusal({"--extract", dir.File("evil"), dir.File("inner")}, {"\"../escape.psd\" is not a plain file name"});
  EXPECT_FALSE(fs::exists(dir.File("cutout")) || fs::exists(dir.File("inner")) || fs::exists(dir.File("escape.psd")));
}

// The tool run in-process, its writes made to fail at the first byte, in the
// middle and at the last byte of what it writes. Building: refused with the
// reason, the earlier output byte for byte, no temporary file left. Extracting:
// the members before the failing one complete, none half written.
TEST_F(PackToolTest, InjectedWriteFailuresLeaveNoDamagedFile) {
  const std::vector<std::string> build = {program, kSample, kSampleDefinition, "-o", packed};
  std::ostringstream out, err;
  ASSERT_EQ(RunPackTool(build, out, err), kExitOk) << err.str();
  const auto packSize = static_cast<int64_t>(fs::file_size(packed));
  const std::vector<uint8_t> before = {'o', 'l', 'd'};
  const std::string old = dir.File("old");
  WriteAll(old, before);
  auto names = [](const std::string& folder) {
    std::set<std::string> found;
    for (const auto& e : fs::directory_iterator(folder)) found.insert(e.path().filename().string());
    return found;
  };
  for (int64_t at : test::FailurePoints(packSize)) {
    std::ostringstream o, e;
    {
      test::ScopedWriteFailure failure(at);
      EXPECT_EQ(RunPackTool({program, kSample, kSampleDefinition, "-o", old}, o, e), kExitRefused) << at;
    }
    EXPECT_NE(e.str().find("No space left on device"), std::string::npos) << e.str();
    EXPECT_EQ(ReadAll(old), before) << at;
    EXPECT_EQ(names(dir.Path()), (std::set<std::string>{"old", "packed", "program"})) << at;
  }

  // The members in the order they are written, from a complete extraction.
  const std::string full = dir.File("full");
  std::ostringstream listing;
  ASSERT_EQ(ExtractPack(packed, full, listing, err), kExitOk);
  std::vector<std::pair<std::string, int64_t>> members;
  std::istringstream lines(listing.str());
  for (std::string path, size; std::getline(lines, path, '\t') && std::getline(lines, size);)
    members.emplace_back(fs::path(path).filename().string(), std::stoll(size));
  int64_t total = 0;
  for (const auto& m : members) total += m.second;
  for (int64_t at : test::FailurePoints(total)) {
    const std::string folder = dir.File("x" + std::to_string(at));
    std::ostringstream o, e;
    {
      test::ScopedWriteFailure failure(at);
      EXPECT_EQ(ExtractPack(packed, folder, o, e), kExitRefused) << at;
    }
    std::set<std::string> complete;
    int64_t end = 0;
    for (const auto& [name, size] : members)
      if ((end += size) <= at) complete.insert(name);
    EXPECT_EQ(names(folder), complete) << at << " " << e.str();
    for (const std::string& name : complete) EXPECT_EQ(ReadAll(folder + "/" + name), ReadAll(full + "/" + name)) << name;
  }
}

}  // namespace
}  // namespace quelo::tools
