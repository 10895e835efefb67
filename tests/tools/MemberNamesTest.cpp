// Member names through quelo-pack's build, list and extract, the same on Linux
// and on Windows (this file also runs under Wine): names Windows cannot hold,
// names that meet in one file there, and names that are fine. The folders with
// the awkward names are made by make_name_folders.py on the build machine.
#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

#include "archive/PackWriters.h"
#include "archive/clsExePlusFiles.h"
#include "image/clsImage.h"
#include "platform/Platform.h"
#include "support/RecordingDialogs.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"
#include "tools/PackTool.h"
#include "tools/ToolTestUtil.h"

namespace quelo::tools {
namespace {

namespace fs = std::filesystem;
using test::ExeName;
using test::FileNames;
using test::ReadAll;
using test::RunProgram;
using test::WriteAll;

const std::string kFolders = QUELO_NAME_FOLDERS;

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

const char* const kDevices[] = {"CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
                                "COM8", "COM9", "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

class MemberNamesTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::copy_file(QUELO_PACK_PROBE, P(program)); }
  // The folders come from the build machine; a build on Windows has none.
  bool HaveFolders() const { return !kFolders.empty(); }

  std::string Definition() {
    WriteAll(dir.File("def.txt"), {'[', 'p', 'a', 'c', 'k', ']', '\n', 'n', 'a', 'm', 'e', '=', 'p', '\n'});
    return dir.File("def.txt");
  }
  // A pack of "!quelo.ini", "add.psd" and the given member names, each a few bytes.
  std::string PackOf(const std::vector<std::string>& names) {
    std::vector<PackMember> members = {{"!quelo.ini", {1, 2, 3}, 0}, {"add.psd", {4, 5, 6, 7}, 0}};
    for (const std::string& name : names) members.push_back({name, {8, 9}, 0});
    const std::string pack = dir.File("pack" + std::to_string(++packs));
    WritePackExecutable(program, members, pack);
    return pack;
  }

  test::TempDir dir;
  const std::string program = dir.File(ExeName("program"));
  int packs = 0;
};

// A folder holding names that Windows cannot hold is refused on both systems,
// every such file on a line of its own with its reason, and no pack is written:
// the Windows tool no longer drops what it cannot open, and Linux no longer
// stores what Windows cannot extract. Files without an image's extension are
// ignored whatever their names.
TEST_F(MemberNamesTest, NamesWindowsCannotHoldAreRefusedByTheBuilder) {
  if (!HaveFolders()) GTEST_SKIP() << "the folders of awkward names are made on a Linux build machine";
  std::vector<std::pair<std::string, std::string>> lines;  // shown name, reason
  for (size_t i = 0; i < std::size(kDevices); ++i) {
    const std::string d = kDevices[i];
    const std::string other = i % 2 ? Lower(d) : d.substr(0, 1) + Lower(d.substr(1));
    lines.push_back({d + ".png", d + " is a device name on Windows, whatever follows it"});
    lines.push_back({other + ".PNG", d + " is a device name on Windows, whatever follows it"});
  }
  lines.push_back({"con.tar.png", "CON is a device name on Windows"});
  lines.push_back({"CON .png", "CON is a device name on Windows"});
  lines.push_back({"COM\u00b9.png", "COM\u00b9 is a device name on Windows"});
  lines.push_back({"CONIN$.png", "CONIN$ is a device name on Windows"});
  for (const char c : std::string("<>:\"\\|?*"))
    lines.push_back({std::string("a") + c + "b.png", std::string("it holds the character ") + c + " (Windows allows none"});
  lines.push_back({"b:c.png", "it holds the character : (Windows"});
  lines.push_back({"a\\x01b.png", "it holds the control character U+0001"});
  lines.push_back({"tab\\x09.png", "it holds the control character U+0009"});
  lines.push_back({"a\\x1Fb.png", "it holds the control character U+001F"});
  lines.push_back({"trail.png.", "it ends in a dot, which Windows drops"});
  lines.push_back({"dots.png..", "it ends in a dot, which Windows drops"});
  lines.push_back({"space.png ", "it ends in a space, which Windows drops"});

  const std::string out = dir.File(ExeName("never"));
  const test::ProgramResult r = Tool({program, kFolders + "/bad", Definition(), "-o", out});
  EXPECT_EQ(r.status, 1);
  for (const auto& [name, reason] : lines)
    EXPECT_NE(r.output.find("the file name \"" + name + "\" can't be stored: " + reason), std::string::npos)
        << name << "\n" << r.output;
  EXPECT_EQ(Count(r.output, "\n"), static_cast<int>(lines.size()) + 1) << r.output;
  EXPECT_NE(r.output.find(std::to_string(lines.size()) + " file name(s) would not make files on Windows; nothing was written"),
            std::string::npos) << r.output;
  EXPECT_EQ(r.output.find("CON can't"), std::string::npos);  // no image's extension: not looked at
  EXPECT_EQ(r.output.find("a:b.txt"), std::string::npos);
  EXPECT_FALSE(fs::exists(P(out)));
}

// Images whose members would meet in one file on Windows are refused, both
// named: names equal but for case (also in fullwidth letters), and a name with
// a trailing dot beside the one without.
TEST_F(MemberNamesTest, CaseTwinsAreRefusedByTheBuilder) {
  if (!HaveFolders()) GTEST_SKIP() << "the folders of awkward names are made on a Linux build machine";
  const std::pair<const char*, const char*> cases[] = {
      {"twins", ": Icon.png and icon.psd would be stored as Icon.psd and icon.psd, one file where case does not count"},
      {"twins-dot", "the file name \"trail.psd.\" can't be stored: it ends in a dot"},
      {"twins-wide", ": \uff21\uff22\uff23.png and \uff41\uff42\uff43.psd would be stored as \uff21\uff22\uff23.psd and "
                     "\uff41\uff42\uff43.psd, one file"},
  };
  for (const auto& [folder, message] : cases) {
    const std::string out = dir.File(ExeName("never"));
    const test::ProgramResult r = Tool({program, kFolders + "/" + folder, Definition(), "-o", out});
    EXPECT_EQ(r.status, 1) << folder;
    EXPECT_NE(r.output.find(message), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(P(out))) << folder;
  }
}

// Fine names, Japanese, halfwidth katakana, several dots and 255 characters,
// go through build, list and extract; the folder holds exactly the members, each
// with the image's pixels. The pack itself may have a 255-character name too.
TEST_F(MemberNamesTest, FineNamesGoThroughBuildListAndExtract) {
  if (!HaveFolders()) GTEST_SKIP() << "the folders of awkward names are made on a Linux build machine";
  const std::string longName = std::string(251, 'n');
  const std::vector<std::string> members = {"!quelo.ini", "a.b.c.psd", "add.psd", longName + ".psd", "one.psd",
                                            "\u30b3\u30d4\u30fc \u7de8\u96c6.psd", "\uff76\uff6f\uff84.psd"};
  const std::string packed = dir.File(std::string(255 - std::string(QUELO_EXE_SUFFIX).size(), 'p') + QUELO_EXE_SUFFIX);
  test::ProgramResult r = Tool({program, kFolders + "/fine", Definition(), "-o", packed});
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(FileNames(dir.Path()), (std::set<std::string>{"def.txt", ExeName("program"), P(packed).filename().u8string()}));
  r = Tool({"--list", packed});
  ASSERT_EQ(r.status, 0) << r.output;
  for (const std::string& m : members) EXPECT_NE(r.output.find("\t" + m + "\t"), std::string::npos) << m;

  const std::string out = dir.File("out");
  r = Tool({"--extract", packed, out});
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(FileNames(out), std::set<std::string>(members.begin(), members.end()));
  const auto rgba = ReadAll(test::TestData("png_im_rgba_24x24.rgba"));
  for (const std::string& m : members) {
    if (m == "!quelo.ini") continue;
    if (m == "one.psd") {
      EXPECT_EQ(ReadAll(out + "/" + m), ReadAll(test::TestData("psd_rgb_37x29.psd")));
      continue;
    }
    clsImage image;
    ASSERT_TRUE(image.LoadFile(out + "/" + m)) << m;
    EXPECT_EQ(image.Pixels(), rgba) << m;
  }
}

// Paths longer than the 260 characters Windows once allowed: a pack is built,
// listed and extracted in a folder that deep (the Windows tool declares itself
// long-path aware).
TEST_F(MemberNamesTest, PathsBeyond260CharactersWork) {
  if (!HaveFolders()) GTEST_SKIP() << "the folders of awkward names are made on a Linux build machine";
  std::string deep = dir.Path();
  for (const char c : {'d', 'e', 'f'}) deep += std::string(100, c) + "/";
  fs::create_directories(P(deep));
  const std::string packed = deep + ExeName(std::string(60, 'p')), out = deep + std::string(40, 'o');
  ASSERT_GT(packed.size(), 260u);
  test::ProgramResult r = Tool({program, kFolders + "/fine", Definition(), "-o", packed});
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(Tool({"--list", packed}).status, 0);
  r = Tool({"--extract", packed, out});
  ASSERT_EQ(r.status, 0) << r.output;
  // Listed by the system's own call: mingw's directory iterator lists another
  // folder for paths this long.
  std::vector<platform::FolderEntry> entries;
  EXPECT_EQ(platform::ListFolder(out, entries), 0);
  EXPECT_EQ(entries.size(), 7u) << r.output;
  EXPECT_EQ(ReadAll(out + "/one.psd"), ReadAll(test::TestData("psd_rgb_37x29.psd")));
}

// A pack made elsewhere (or by an earlier quelo-pack) with a name that is no
// file on one of the systems: the extractor refuses it before writing anything,
// so no folder is made and a folder that was there stays empty.
TEST_F(MemberNamesTest, ExtractRefusesBadNamesBeforeWritingAnything) {
  std::vector<std::pair<std::vector<std::string>, std::string>> cases;
  for (const char* d : kDevices) {
    cases.push_back({{d}, std::string(d) + " is a device name on Windows"});
    cases.push_back({{Lower(d) + ".psd"}, std::string(d) + " is a device name on Windows, whatever follows it"});
  }
  for (const char c : std::string("<>:\"/\\|?*"))
    cases.push_back({{std::string("a") + c + "b.psd"}, std::string("it holds the character ") + c});
  cases.push_back({{"a\x01" "b.psd"}, "\"a\\x01b.psd\" is not a plain file name: it holds the control character U+0001"});
  cases.push_back({{"trail.psd."}, "it ends in a dot"});
  cases.push_back({{"trail.psd "}, "it ends in a space"});
  cases.push_back({{".."}, "it names a folder"});
  cases.push_back({{std::string(252, 'x') + ".psd"}, "it is 256 characters long; Windows takes at most 255"});
  std::string japanese;  // 90 characters, but 262 bytes: too long for Linux file systems
  for (int i = 0; i < 86; ++i) japanese += "\u3042";
  cases.push_back({{japanese + ".psd"}, "it takes 262 bytes in UTF-8; Linux file systems take at most 255"});
  cases.push_back({{"Icon.psd", "icon.psd"}, "the members Icon.psd and icon.psd would be one file where case does not count"});
  cases.push_back({{"\u042f.psd", "\u044f.psd"}, "would be one file"});        // Cyrillic
  cases.push_back({{"\u2168.psd", "\u2178.psd"}, "would be one file"});        // Roman numerals
  cases.push_back({{"\uff21.psd", "\uff41.psd"}, "would be one file"});        // fullwidth
  cases.push_back({{"add.psd"}, "two members are named add.psd"});

  fs::create_directory(P(dir.File("there")));
  for (const auto& [names, message] : cases) {
    const std::string pack = PackOf(names);
    for (const std::string& folder : {dir.File("new/sub"), dir.File("there")}) {
      std::ostringstream out, err;
      EXPECT_EQ(ExtractPack(pack, folder, out, err), kExitRefused) << names[0];
      EXPECT_NE(err.str().find(message), std::string::npos) << message << "\n" << err.str();
      EXPECT_EQ(out.str(), "");
    }
    EXPECT_FALSE(fs::exists(P(dir.File("new")))) << names[0];
    EXPECT_TRUE(FileNames(dir.File("there")).empty()) << names[0];
  }
  // --list shows such names, a control character escaped so that the columns hold.
  const test::ProgramResult listed = Tool({"--list", PackOf({"a\tb\nc.psd", "CON"})});
  EXPECT_EQ(listed.status, 0) << listed.output;
  EXPECT_NE(listed.output.find("\n2\ta\\x09b\\x0Ac.psd\t"), std::string::npos) << listed.output;
  EXPECT_NE(listed.output.find("\n3\tCON\t"), std::string::npos) << listed.output;
  // The same answer from the program, status included.
  const test::ProgramResult r = Tool({"--extract", PackOf({"CON.psd"}), dir.File("new")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("\"CON.psd\" is not a plain file name: CON is a device name on Windows"), std::string::npos)
      << r.output;
  EXPECT_FALSE(fs::exists(P(dir.File("new"))));
}

// A disk that fills up at the third member: the two members written before and
// the part of the third are removed again, and so is the folder the run made;
// the message names the member and says that nothing is left.
TEST_F(MemberNamesTest, AFailedExtractionTakesBackWhatItWrote) {
  const std::string pack = PackOf({"third.psd", "fourth.psd"});
  for (const std::string& folder : {dir.File("made/deeper"), dir.File("there")}) {
    fs::create_directories(P(dir.File("there")));
    std::ostringstream out, err;
    {
      test::ScopedWriteFailure failure(3 + 4 + 1);  // !quelo.ini, add.psd, one byte of third.psd
      EXPECT_EQ(ExtractPack(pack, folder, out, err), kExitRefused);
    }
    EXPECT_NE(err.str().find("third.psd: No space left on device; what this run wrote was removed again"),
              std::string::npos) << err.str();
    EXPECT_FALSE(fs::exists(P(dir.File("made"))));
    EXPECT_TRUE(FileNames(dir.File("there")).empty());
  }
  std::ostringstream out, err;
  ASSERT_EQ(ExtractPack(pack, dir.File("there"), out, err), kExitOk) << err.str();
  EXPECT_EQ(FileNames(dir.File("there")), (std::set<std::string>{"!quelo.ini", "add.psd", "third.psd", "fourth.psd"}));
}

// A file that appears under a member's name after the checks (here a link to
// nowhere, which the existence check does not see) is never replaced or
// written through: the extraction stops there and takes back what it wrote.
TEST_F(MemberNamesTest, ExtractionNeverWritesOverAFileThatAppeared) {
  if (test::kWindows) GTEST_SKIP() << "symbolic links cannot be made under Wine";
  const std::string pack = PackOf({"third.psd"}), folder = dir.File("there");
  fs::create_directory(P(folder));
  fs::create_symlink("../target", P(folder + "/third.psd"));
  std::ostringstream out, err;
  EXPECT_EQ(ExtractPack(pack, folder, out, err), kExitRefused);
  EXPECT_NE(err.str().find("third.psd: a file of this name appeared meanwhile"), std::string::npos) << err.str();
  EXPECT_EQ(FileNames(folder), std::set<std::string>{"third.psd"});
  EXPECT_FALSE(fs::exists(P(dir.File("target"))));

  // Nor is what lies under a member's name removed when the file could not
  // be created for another reason (a folder marked read-only).
  const std::string locked = dir.File("locked");
  fs::create_directory(P(locked));
  fs::create_symlink("../target", P(locked + "/!quelo.ini"));
  fs::permissions(P(locked), fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_EQ(ExtractPack(pack, locked, out, err), kExitRefused);
  fs::permissions(P(locked), fs::perms::owner_all);
  EXPECT_NE(err.str().find("!quelo.ini: Permission denied"), std::string::npos) << err.str();
  EXPECT_EQ(FileNames(locked), std::set<std::string>{"!quelo.ini"});
}

// Targets that are devices on Windows are named as such, and leave nothing
// behind; on Linux these are ordinary names. A folder given to --list is named a folder.
TEST_F(MemberNamesTest, DeviceTargetsAndFoldersGetTheirRealReason) {
  if (!HaveFolders()) GTEST_SKIP() << "the folders of awkward names are made on a Linux build machine";
  const std::string pack = PackOf({});
  test::ProgramResult r = Tool({"--list", dir.Path()});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find(" is a folder, not a pack"), std::string::npos) << r.output;

  const std::string def = Definition(), sub = dir.File("sub");
  const std::vector<std::string> targets[] = {
      {program, kFolders + "/fine", def, "-o", "NUL"},
      {program, kFolders + "/fine", def, "-o", dir.File("CON")},
      {program, kFolders + "/fine", def, "-o", dir.File("lpt1.exe")},
      {"--extract", pack, "nul"},
      {"--extract", pack, sub + "/CON"},
      {"--extract", pack, sub + "/aux.d/x"},
  };
  if (!test::kWindows) {
    const fs::path before = fs::current_path();
    fs::current_path(P(dir.Path()));  // "NUL" and "nul" land here
    for (const auto& args : targets) {
      r = Tool(args);
      EXPECT_EQ(r.status, 0) << args.back() << "\n" << r.output;
    }
    fs::current_path(before);
    return;
  }
  const char* const devices[] = {"NUL", "CON", "LPT1", "NUL", "CON", "AUX"};
  for (size_t i = 0; i < std::size(targets); ++i) {
    r = Tool(targets[i]);
    EXPECT_EQ(r.status, 1) << targets[i].back();
    EXPECT_NE(r.output.find(std::string(devices[i]) + " is a device name on Windows"), std::string::npos) << r.output;
  }
  EXPECT_FALSE(fs::exists(P(sub)));
}

// The command line: help on "/?" too, an unknown option named, the version,
// --quiet quiet, and at most one line per image otherwise.
TEST_F(MemberNamesTest, CommandLine) {
  if (!HaveFolders()) GTEST_SKIP() << "the folders of awkward names are made on a Linux build machine";
  test::ProgramResult r = Tool({"/?"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output.rfind("usage: quelo-pack", 0), 0u) << r.output;
  r = Tool({"--frobnicate", "a", "b"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.output.rfind("quelo-pack: unknown option --frobnicate\nusage:", 0), 0u) << r.output;
  r = Tool({"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, "quelo-pack " + std::to_string(platform::VersionMajor()) + "." +
                          std::to_string(platform::VersionMinor()) + "." + std::to_string(platform::VersionRevision()) +
                          "\n");

  const std::string def = Definition();
  r = Tool({program, kFolders + "/fine", def, "-o", dir.File("a"), "--quiet"});
  EXPECT_EQ(std::make_pair(r.status, r.output), std::make_pair(0, std::string()));
  r = Tool({"-q", "--extract", dir.File("a"), dir.File("x")});
  EXPECT_EQ(std::make_pair(r.status, r.output), std::make_pair(0, std::string()));
  EXPECT_EQ(FileNames(dir.File("x")).size(), 7u);
  r = Tool({program, kFolders + "/fine", def, "-o", dir.File("b")});
  EXPECT_EQ(r.status, 0);
  // Six images: a note for each (five converted, all without a [file] section) and the summary.
  EXPECT_EQ(Count(r.output, "\n"), 7) << r.output;
  EXPECT_NE(r.output.find("note: add.png -> add.psd (PSD, PackBits); no [file] section, it follows the defined images\n"),
            std::string::npos) << r.output;
  EXPECT_NE(r.output.find("note: one.psd has no [file] section; it follows the defined images\n"), std::string::npos);
}

}  // namespace
}  // namespace quelo::tools
