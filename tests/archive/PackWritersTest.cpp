// What the writers refuse and how they replace files; the packs they write are
// read back in clsExePlusFilesTest.
#include "archive/PackWriters.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "archive/ArchiveTestUtil.h"
#include "platform/QueloError.h"
#include "support/TempDir.h"

namespace quelo {
namespace {

namespace fs = std::filesystem;
using test::ErrorOf;
using test::ReadAll;
using test::WriteAll;

TEST(PackWriters, StoresTextAsCodePage932OrRefusesIt) {
  const auto archive = SerializeArchive({{"①表示.psd", {}, 0}});
  EXPECT_EQ(std::string(archive.begin() + 16, archive.begin() + 28), std::string("\x0a\x00\x87\x40\x95\x5c\x8e\xa6.psd", 12));
  EXPECT_EQ(ErrorOf([] { SerializeArchive({{"顔😀.psd", {}, 0}}); }).Number(), packerr::kNoCp932Form);
  PackDefinition d;
  d.PackDescription = std::string(70000, 'x');
  EXPECT_EQ(ErrorOf([&] { SerializeDefinition(d); }).Number(), packerr::kTextTooLong);
  d.PackDescription = "ok";
  d.Files.resize(40000);
  EXPECT_EQ(ErrorOf([&] { SerializeDefinition(d); }).Number(), packerr::kTooMany);
}

TEST(PackWriters, WriteFileAtomicallyReplacesOnlyAfterACompleteWrite) {
  test::TempDir dir;
  const std::string file = dir.File("strip.ini");
  WriteAll(file, {'o', 'l', 'd'});
  const auto perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  fs::permissions(file, perms);
  test::WithFileSizeLimit(1000, [&] {
    EXPECT_NE(ErrorOf([&] { WriteFileAtomically(file, std::vector<uint8_t>(5000, 'n')); }).Number(), 0);
  });
  EXPECT_EQ(ReadAll(file), (std::vector<uint8_t>{'o', 'l', 'd'}));
  WriteFileAtomically(file, {'n', 'e', 'w'});
  EXPECT_EQ(ReadAll(file), (std::vector<uint8_t>{'n', 'e', 'w'}));
  EXPECT_EQ(fs::status(file).permissions(), perms);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 1);  // no temporary files
}

TEST(PackWriters, WritePackExecutableRefusesWhatItCannotPack) {
  test::TempDir dir;
  WriteAll(dir.File("notes.txt"), std::vector<uint8_t>(300, 't'));
  WriteAll(dir.File("out.exe"), {'k', 'e', 'e', 'p'});
  EXPECT_EQ(ErrorOf([&] { WritePackExecutable(dir.File("notes.txt"), {}, dir.File("out.exe")); }).Number(),
            packerr::kUnknownExecutable);
  EXPECT_NE(ErrorOf([&] { WritePackExecutable(dir.File("none.exe"), {}, dir.File("out.exe")); }).Number(), 0);
  EXPECT_EQ(ReadAll(dir.File("out.exe")), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
  const std::string exe = test::TestData("tiny-mingw.exe");
  EXPECT_EQ(ErrorOf([&] { WritePackExecutable(exe, {}, exe); }).Number(), packerr::kSameFile);
}

}  // namespace
}  // namespace quelo
