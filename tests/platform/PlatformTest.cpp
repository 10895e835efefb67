// Code page 932 is tested where pack text is read (tests/archive); the program's
// path where a pack is appended to the running test program; system colours
// through the image's BackColor and the window's colours; passing errors on
// through clsQueloConfig.FileExist.
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
