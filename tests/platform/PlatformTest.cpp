// Code page 932 is tested where pack text is read (tests/archive); the program's
// path where a pack is appended to the running test program; system colours
// through the image's BackColor and the window's colours; passing errors on
// through clsQueloConfig.FileExist.
#include <gtest/gtest.h>

#include "archive/ArchiveTestUtil.h"
#include "platform/Platform.h"
#include "platform/QueloError.h"
#include "platform/ReplacingFile.h"
#include "support/RecordingDialogs.h"
#include "support/TempDir.h"

using namespace quelo;

TEST(Files, LengthReportsMissingFilesAsFileNotFound) {
  test::TempDir dir;
  test::WriteAll(dir.File("a.bin"), {1, 2, 3});
  EXPECT_EQ(platform::FileLength(dir.File("a.bin")), 3);
  EXPECT_EQ(test::ErrorOf([&] { platform::FileLength(dir.File("missing")); }).Number(), err::kFileNotFound);
  EXPECT_THROW(platform::FileLength(""), QueloError);
}

// A write failure injected midway: the write that crosses the limit puts down
// what fits and fails as a full disk; the file the user had stays, no temporary
// file is left, and switching the injection off writes normally again.
TEST(Files, InjectedWriteFailureKeepsTheEarlierFile) {
  test::TempDir dir;
  const std::string target = dir.File("t.bin");
  test::WriteAll(target, {9, 9});
  {
    test::ScopedWriteFailure failure(4);
    ReplacingFile out(target, "test");
    out.Write("abc", 3);
    EXPECT_EQ(test::ErrorOf([&] { out.Write("def", 3); }).Number(), err::kDiskFull);
  }
  EXPECT_EQ(test::ReadAll(target), (std::vector<uint8_t>{9, 9}));
  EXPECT_EQ(platform::ListFilesWithExtension(dir.Path(), "tmp").size(), 0u);
  WriteFileReplacing(target, {1, 2, 3, 4, 5, 6}, "test");
  EXPECT_EQ(test::ReadAll(target).size(), 6u);
}
