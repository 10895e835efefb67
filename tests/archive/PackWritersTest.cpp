// How the writers store text and replace files. The packs they write are read
// back in clsExePlusFilesTest; what they refuse is shown through quelo-pack's tests.
#include "archive/PackWriters.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>

#include "archive/ArchiveTestUtil.h"
#include "platform/QueloError.h"
#include "support/RecordingDialogs.h"
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
}

// The definition counts its entries and its default list in 16 bits: 32767
// each is written with that count, one more is refused, never stored as a
// count wrapped to -32768; so is a directory of more members than 16-bit
// indices reach.
TEST(PackWriters, RefusesCountsBeyondTheir16BitFields) {
  const auto countAt = [](const std::vector<uint8_t>& bytes, size_t at) { return bytes[at] | bytes[at + 1] << 8; };
  PackDefinition definition;  // empty texts: the counts stand at bytes 18 and 20
  definition.Files.resize(32767);
  definition.DefaultList.assign(32767, 'x');
  const auto bytes = SerializeDefinition(definition);
  EXPECT_EQ(std::make_pair(countAt(bytes, 18), countAt(bytes, 20)), std::make_pair(32767, 32767));
  EXPECT_EQ(bytes.size(), 26u + 32767u * 8 + 32767u);
  PackDefinition manyFiles = definition;
  manyFiles.Files.resize(32768);
  EXPECT_EQ(ErrorOf([&] { SerializeDefinition(manyFiles); }).Number(), packerr::kTooMany);
  PackDefinition longList = definition;
  longList.DefaultList.push_back('x');
  EXPECT_EQ(ErrorOf([&] { SerializeDefinition(longList); }).Number(), packerr::kTooMany);
  EXPECT_EQ(ErrorOf([] { SerializeArchive(std::vector<PackMember>(32769)); }).Number(), packerr::kTooMany);
}

TEST(PackWriters, WriteFileAtomicallyReplacesOnlyAfterACompleteWrite) {
  test::TempDir dir;
  const std::string file = dir.File("strip.ini");
  WriteAll(file, {'o', 'l', 'd'});
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  const auto perms = fs::status(file).permissions();  // as far as the system keeps them
  test::WithFileSizeLimit(1000, [&] {
    EXPECT_NE(ErrorOf([&] { WriteFileAtomically(file, std::vector<uint8_t>(5000, 'n')); }).Number(), 0);
  });
  EXPECT_EQ(ReadAll(file), (std::vector<uint8_t>{'o', 'l', 'd'}));
  WriteFileAtomically(file, {'n', 'e', 'w'});
  EXPECT_EQ(ReadAll(file), (std::vector<uint8_t>{'n', 'e', 'w'}));
  EXPECT_EQ(fs::status(file).permissions(), perms);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 1);  // no temporary files
}

// A packed program may end at position 2147483647 and no further: a program
// whose size fields put the image's end (the gap filled with zeros) right
// below that is written, and stops at a full disk injected after its first
// bytes, so nothing near 2 GB is written; one byte more is refused before
// anything is written. The earlier output stays either way.
TEST(PackWriters, PacksUpTo2GbAreWrittenAndLargerOnesRefused) {
  test::TempDir dir;
  const std::vector<PackMember> members{{"a.psd", {1, 2, 3}, 0}};
  const auto limit = static_cast<int64_t>(std::numeric_limits<int32_t>::max());
  const int64_t imageEnd = limit - static_cast<int64_t>(SerializeArchive(members).size());
  for (const auto& [end, number] : {std::pair{imageEnd, err::kDiskFull}, {imageEnd + 1, packerr::kTooLarge}}) {
    WriteAll(dir.File("program"), test::FakePe(static_cast<uint32_t>(end), 0, 0, 0x200));
    WriteAll(dir.File("packed"), {'o', 'l', 'd'});
    {
      test::ScopedWriteFailure failure(64 * 1024);
      EXPECT_EQ(ErrorOf([&] { WritePackExecutable(dir.File("program"), members, dir.File("packed")); }).Number(), number)
          << end;
    }
    EXPECT_EQ(ReadAll(dir.File("packed")), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 2);
  }
}

}  // namespace
}  // namespace quelo
