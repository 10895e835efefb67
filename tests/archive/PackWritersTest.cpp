#include "archive/PackWriters.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "archive/ArchiveTestUtil.h"
#include "archive/clsExePlusFiles.h"
#include "platform/QueloError.h"
#include "support/TempDir.h"

namespace quelo {
namespace {

namespace fs = std::filesystem;
using test::ErrorNumberOf;
using test::ReadAll;
using test::WriteAll;

TEST(PackWriters, StoresTextAsCodePage932OrRefusesIt) {
  const auto archive = SerializeArchive({{"①表示.psd", {}, 0}});
  const std::string stored(archive.begin() + 16, archive.end());
  EXPECT_EQ(stored.substr(0, 12), std::string("\x0a\x00\x87\x40\x95\x5c\x8e\xa6.psd", 12));

  EXPECT_EQ(ErrorNumberOf([] { SerializeArchive({{"顔😀.psd", {}, 0}}); }), packerr::kNoCp932Form);
  PackDefinition d;
  d.PackDescription = std::string(70000, 'x');
  EXPECT_EQ(ErrorNumberOf([&] { SerializeDefinition(d); }), packerr::kTextTooLong);
  d.PackDescription = "ok";
  d.Files.resize(40000);
  EXPECT_EQ(ErrorNumberOf([&] { SerializeDefinition(d); }), packerr::kTooMany);
}

TEST(PackWriters, WriteFileAtomicallyReplacesOnlyAfterACompleteWrite) {
  test::TempDir dir;
  const std::string file = dir.File("strip.ini");
  WriteAll(file, {'o', 'l', 'd'});
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  {
    test::FileSizeLimit limit(1000);
    EXPECT_NE(ErrorNumberOf([&] { WriteFileAtomically(file, std::vector<uint8_t>(5000, 'n')); }), 0);
  }
  EXPECT_EQ(ReadAll(file), (std::vector<uint8_t>{'o', 'l', 'd'}));
  EXPECT_NE(ErrorNumberOf([&] { WriteFileAtomically(dir.File("missing/x"), {1}); }), 0);
  EXPECT_NE(ErrorNumberOf([&] { WriteFileAtomically(dir.Path(), {1}); }), 0);

  WriteFileAtomically(file, {'n', 'e', 'w'});
  EXPECT_EQ(ReadAll(file), (std::vector<uint8_t>{'n', 'e', 'w'}));
  EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
}

TEST(PackWriters, WritePackExecutableRefusesWhatItCannotPack) {
  test::TempDir dir;
  WriteAll(dir.File("notes.txt"), std::vector<uint8_t>(300, 't'));
  WriteAll(dir.File("out.exe"), {'k', 'e', 'e', 'p'});
  EXPECT_EQ(ErrorNumberOf([&] { WritePackExecutable(dir.File("notes.txt"), {}, dir.File("out.exe")); }),
            packerr::kUnknownExecutable);
  EXPECT_NE(ErrorNumberOf([&] { WritePackExecutable(dir.File("none.exe"), {}, dir.File("out.exe")); }), 0);
  EXPECT_EQ(ReadAll(dir.File("out.exe")), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
  const std::string exe = test::TestData("tiny-mingw.exe");
  EXPECT_EQ(ErrorNumberOf([&] { WritePackExecutable(exe, {}, exe); }), packerr::kSameFile);
}

TEST(PackWriters, ANewPackReplacesTheOldOne) {
  test::TempDir dir;
  const std::vector<PackMember> first = {{"old.psd", std::vector<uint8_t>(500, 'o'), 0}};
  const std::vector<PackMember> second = {{"new.psd", std::vector<uint8_t>(20, 'n'), 3}};
  for (const std::string& exe : {test::TestData("tiny-mingw.exe"), test::TestData("blob-elf32be.o")}) {
    WritePackExecutable(exe, first, dir.File("one"));
    WritePackExecutable(dir.File("one"), second, dir.File("two"));
    EXPECT_EQ(fs::file_size(dir.File("two")), fs::file_size(exe) + SerializeArchive(second).size()) << exe;
    clsExePlusFiles reader;
    ASSERT_TRUE(reader.OpenExe(dir.File("two")));
    EXPECT_EQ(reader.FileCount(), 1);
    EXPECT_EQ(reader.FileName(0), "new.psd");
    EXPECT_EQ(reader.FileFlags(0), 3);
  }
}

}  // namespace
}  // namespace quelo
