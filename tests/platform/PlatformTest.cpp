// Code page 932 is tested where pack text is read (tests/archive); the program's
// path where a pack is appended to the running test program.
#include <gtest/gtest.h>

#include "archive/ArchiveTestUtil.h"
#include "platform/Platform.h"
#include "platform/QueloError.h"
#include "support/TempDir.h"

using namespace quelo;

TEST(Files, LengthReportsMissingFilesAsFileNotFound) {
  test::TempDir dir;
  test::WriteAll(dir.File("a.bin"), {1, 2, 3});
  EXPECT_EQ(platform::FileLength(dir.File("a.bin")), 3);
  EXPECT_EQ(test::ErrorOf([&] { platform::FileLength(dir.File("missing")); }).Number(), err::kFileNotFound);
  EXPECT_THROW(platform::FileLength(""), QueloError);
}

TEST(SysColors, FixedIndicesAndPaletteRoles) {
  EXPECT_EQ(platform::GetSysColor(12), 0xABABABu);
  EXPECT_EQ(platform::GetSysColor(99), 0u);
  platform::SetSysColorSource([](int index) { return index == 5 ? 0x123456u : 0u; });
  EXPECT_EQ(platform::GetSysColor(5), 0x123456u);
  EXPECT_EQ(platform::GetSysColor(3), 0xDBCDBFu);  // no palette role: fixed
  platform::SetSysColorSource(nullptr);
  EXPECT_EQ(platform::GetSysColor(5), 0xFFFFFFu);
}

TEST(Errors, PassingOnPrefixesTheSource) {
  const QueloError passed = QueloError(9, "clsX.Op", "Subscript out of range").PassedOn("clsY.Get->");
  EXPECT_EQ(passed.Number(), 9);
  EXPECT_EQ(passed.Source(), "clsY.Get->clsX.OpSubscript out of range");
  EXPECT_EQ(passed.Description(), "Subscript out of range");
}
