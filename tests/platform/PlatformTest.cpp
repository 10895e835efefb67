// The rest of the seam is tested where it is used: code page 932, the program's
// path, injected write failures at every write point, system colours.
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
