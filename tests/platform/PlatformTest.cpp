// The rest of the seam is tested where it is used: code page 932 where pack text
// is read (tests/archive), the program's path with a pack appended to the test
// program, injected write failures at every write point, system colours through
// the image and the window.
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
