// What replacing a file refuses on POSIX systems: pipes and folders, and
// read-only files and folders for root and for an ordinary user alike.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <set>

#include <gtest/gtest.h>

#include "archive/ArchiveTestUtil.h"
#include "platform/Platform.h"
#include "platform/ReplacingFile.h"
#include "platform/ReplaceTestData.h"
#include "support/TempDir.h"

namespace quelo {
namespace {

namespace fs = std::filesystem;
using test::ErrorOf;
using test::ReadAll;
using test::kEarlier;
using test::kNew;
using test::WriteAll;


// A pipe is never swapped for a plain file, nor a folder.
TEST(ReplacingFile, RefusesWhatIsNotAPlainFile) {
  test::TempDir dir;
  ASSERT_EQ(mkfifo(dir.File("pipe").c_str(), 0644), 0);
  fs::create_directory(dir.File("folder"));
  EXPECT_EQ(ErrorOf([&] { WriteFileReplacing(dir.File("pipe"), kNew, "T"); }).Description(),
            dir.File("pipe") + " は通常のファイルではありません");
  EXPECT_EQ(ErrorOf([&] { WriteFileReplacing(dir.File("folder"), kNew, "T"); }).Description(),
            "Is a directory");
  EXPECT_TRUE(fs::is_fifo(dir.File("pipe")));
  EXPECT_EQ(test::FileNames(dir.Path()), (std::set<std::string>{"folder", "pipe"}));
}

// The syncs below the replacement give the system's answer: a pipe, /dev/null
// and folders of /proc can store nothing (fsync answers EINVAL there), /dev/full
// takes no data; a file and a folder on a real file system sync, whatever errno
// held before.
TEST(Sync, ReportsWhatTheSystemRefusesAndNothingElse) {
  test::TempDir dir;
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  std::FILE* pipeEnd = fdopen(ends[1], "wb");
  std::FILE* devNull = std::fopen("/dev/null", "wb");
  std::FILE* devFull = std::fopen("/dev/full", "wb");
  ASSERT_TRUE(pipeEnd && devNull && devFull);
  std::fputs("data", pipeEnd);
  std::fputs("data", devNull);
  std::fputs("data", devFull);
  EXPECT_EQ(platform::SyncFile(pipeEnd), EINVAL);
  EXPECT_EQ(platform::SyncFile(devNull), EINVAL);
  EXPECT_EQ(platform::SyncFile(devFull), ENOSPC);
  EXPECT_EQ(platform::SyncFolder("/proc"), EINVAL);
  EXPECT_EQ(platform::SyncFolder("/proc/self"), EINVAL);
  EXPECT_EQ(platform::SyncFolder(dir.File("missing")), ENOENT);
  std::fclose(pipeEnd);
  std::fclose(devNull);
  std::fclose(devFull);
  close(ends[0]);

  std::FILE* file = std::fopen(dir.File("x").c_str(), "wb");
  ASSERT_TRUE(file);
  std::fputs("data", file);
  errno = EIO;
  EXPECT_EQ(platform::SyncFile(file), 0);
  EXPECT_EQ(ReadAll(dir.File("x")), (std::vector<uint8_t>{'d', 'a', 't', 'a'}));  // flushed, not only synced
  std::fclose(file);
  errno = EIO;
  EXPECT_EQ(platform::SyncFolder(dir.Path()), 0);
  errno = EIO;
  EXPECT_EQ(platform::SyncFolder(""), 0);  // the current folder
}

struct Outcome {
  int status = -1;
  std::string output;
};

Outcome RunCommand(const std::string& command) {
  Outcome r;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  char buffer[512];
  for (size_t n; pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) r.output.append(buffer, n);
  const int rc = pipe ? pclose(pipe) : -1;
  r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  return r;
}

// A read-only file, a new file in a read-only folder and a writable file in it:
// refused with "Permission denied", nothing changed. Root is refused by the
// bits, as it may write anything; an ordinary user (nobody, through setpriv,
// owning the files) by the system as well, and from root's file too.
TEST(ReplacingFile, ReadOnlyFilesAndFoldersAreRefusedForRootAndForAUser) {
  std::vector<std::pair<std::string, uid_t>> runners{{"", getuid()}};
  const bool root = geteuid() == 0, setpriv = access("/usr/bin/setpriv", X_OK) == 0;
  if (root && setpriv) runners.push_back({"/usr/bin/setpriv --reuid=65534 --regid=65534 --clear-groups ", 65534});
  for (const auto& [prefix, uid] : runners) {
    test::TempDir dir;
    fs::permissions(dir.Path(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    fs::create_directory(dir.File("ro"));
    WriteAll(dir.File("file"), kEarlier);
    WriteAll(dir.File("ro/inside"), kEarlier);
    for (const char* name : {"file", "ro/inside", "ro"}) ASSERT_EQ(chown(dir.File(name).c_str(), uid, uid), 0);
    fs::permissions(dir.File("file"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(dir.File("ro"), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                                         fs::perms::others_exec);
    for (const char* name : {"file", "ro/inside", "ro/new"}) {
      const Outcome r = RunCommand(prefix + QUELO_REPLACE_PROBE " '" + dir.File(name) + "' new");
      EXPECT_EQ(std::make_tuple(r.status, r.output), std::make_tuple(1, std::string("error 70: Permission denied\n")))
          << prefix << name;
    }
    EXPECT_EQ(ReadAll(dir.File("file")), kEarlier);
    EXPECT_EQ(ReadAll(dir.File("ro/inside")), kEarlier);
    EXPECT_EQ(test::FileNames(dir.File("ro")), std::set<std::string>{"inside"});
    if (uid == getuid()) continue;
    // Root's file in the user's own folder: the folder would let the user
    // replace it, the file's bits for others do not.
    fs::create_directory(dir.File("mine"));
    WriteAll(dir.File("mine/roots"), kEarlier);
    ASSERT_EQ(chown(dir.File("mine").c_str(), uid, uid), 0);
    const Outcome r = RunCommand(prefix + QUELO_REPLACE_PROBE " '" + dir.File("mine/roots") + "' new");
    EXPECT_EQ(r.output, "error 70: Permission denied\n");
    EXPECT_EQ(ReadAll(dir.File("mine/roots")), kEarlier);
  }
  if (!root) GTEST_SKIP() << "not run as root: the refusals were checked for this user only";
  if (!setpriv) GTEST_SKIP() << "no /usr/bin/setpriv: the refusals were checked for root only";
}

}  // namespace
}  // namespace quelo
