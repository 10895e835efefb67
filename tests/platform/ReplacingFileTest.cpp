// Replacing a file: every step that can fail leaves the folder as it was.
// Links are followed in the tests of each command that writes; what is
// refused on POSIX systems is in ReplacingFilePosixTest.cpp.
#include "platform/ReplacingFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <set>

#include <gtest/gtest.h>

#include "archive/ArchiveTestUtil.h"
#include "platform/Platform.h"
#include "platform/ReplaceTestData.h"
#include "support/RecordingDialogs.h"
#include "support/TempDir.h"

namespace quelo {
namespace {

namespace fs = std::filesystem;
using platform::ReplaceStep;
using test::ErrorOf;
using test::ReadAll;
using test::kEarlier;
using test::kNew;
using test::WriteAll;


// A write that fails at a byte, or a step after the writes that fails with an
// errno value: the error says why, the earlier file keeps its bytes, a new name
// stays absent, nothing else is left in the folder. The injection is used up.
TEST(ReplacingFile, EveryFailedStepLeavesTheFolderAsItWas) {
  const std::tuple<const char*, std::function<void()>, int32_t, int> cases[] = {
      {"first byte", [] { platform::FailWritesAfter(0); }, err::kDiskFull, ENOSPC},
      {"last byte", [] { platform::FailWritesAfter(2); }, err::kDiskFull, ENOSPC},
      {"file sync", [] { platform::FailReplaceStep(ReplaceStep::SyncFile, EIO); }, err::kPathFileAccessError, EIO},
      {"rename", [] { platform::FailReplaceStep(ReplaceStep::Rename, EXDEV); }, err::kPathFileAccessError, EXDEV},
      {"folder sync", [] { platform::FailReplaceStep(ReplaceStep::SyncFolder, EIO); }, err::kPathFileAccessError, EIO},
  };
  for (const auto& [what, inject, number, errnoValue] : cases) {
    test::TempDir dir;
    WriteAll(dir.File("old"), kEarlier);
    for (const char* name : {"old", "new"}) {
      inject();
      const QueloError e = ErrorOf([&] { WriteFileReplacing(dir.File(name), kNew, "Test.Write"); });
      platform::FailWritesAfter(-1);
      EXPECT_EQ(std::make_tuple(e.Number(), e.Description(), e.Source()),
                std::make_tuple(number, std::string(std::strerror(errnoValue)), std::string("Test.Write")))
          << what << " " << name;
      EXPECT_EQ(ReadAll(dir.File("old")), kEarlier) << what << " " << name;
      EXPECT_EQ(test::FileNames(dir.Path()), std::set<std::string>{"old"}) << what << " " << name;
    }
    WriteFileReplacing(dir.File("old"), kNew, "Test.Write");
    EXPECT_EQ(ReadAll(dir.File("old")), kNew) << what;
  }
}

// Every name that fits can be written and replaced, up to 255 characters (the
// temporary file's own name must fit as well), a failed write included.
TEST(ReplacingFile, NamesUpTo255CharactersAreWrittenAndReplaced) {
  for (const size_t length : {200, 236, 237, 250, 255}) {
    test::TempDir dir;
    const std::string name(length, 'n');
    WriteFileReplacing(dir.File(name), kEarlier, "Test.Write");
    platform::FailWritesAfter(1);
    const QueloError e = ErrorOf([&] { WriteFileReplacing(dir.File(name), kNew, "Test.Write"); });
    platform::FailWritesAfter(-1);
    EXPECT_EQ(e.Number(), err::kDiskFull) << length;
    EXPECT_EQ(ReadAll(dir.File(name)), kEarlier) << length;
    WriteFileReplacing(dir.File(name), kNew, "Test.Write");
    EXPECT_EQ(ReadAll(dir.File(name)), kNew) << length;
    EXPECT_EQ(test::FileNames(dir.Path()), std::set<std::string>{name}) << length;
  }
}

}  // namespace
}  // namespace quelo
