#include "platform/ReplacingFile.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <random>

#include "platform/Platform.h"
#include "platform/QueloError.h"
#include "platform/Tr.h"

namespace fs = std::filesystem;

namespace quelo {

namespace {

constexpr size_t kSuffixLength = 19;  // ".quelo-XXXXXXXX.tmp"
constexpr size_t kMaxFileName = 255;

// The errno of one step after the writes: the failure a test injected for it,
// or else the step's own result.
template <typename F>
int Step(platform::ReplaceStep step, F run) {
  const int injected = platform::TakeReplaceStepFailure(step);
  return injected != 0 ? injected : run();
}

}  // namespace

ReplacingFile::ReplacingFile(const std::string& destination, std::string source)
    : destination_(destination), source_(std::move(source)) {
  std::error_code ec;
  // Writing through a link updates the file it points to, as an ordinary write
  // would, and the link stays. A link to nothing is refused: creating its
  // target somewhere else is not what the user asked for.
  if (fs::is_symlink(fs::symlink_status(platform::FsPath(destination_), ec))) {
    const fs::path target = fs::canonical(platform::FsPath(destination_), ec);
    if (ec) {
      const std::string points = fs::read_symlink(platform::FsPath(destination_), ec).u8string();
      throw QueloError(err::kPathNotFound, source_,
                       platform::Arg(platform::Tr("platform", "シンボリックリンク %1 の指す先 %2 がありません"),
                                     {destination_, points}));
    }
    destination_ = target.u8string();
  }
  const fs::path path = platform::FsPath(destination_);
  folder_ = path.parent_path().u8string();
  if (folder_.empty()) folder_ = ".";
  const fs::file_status status = fs::status(path, ec);
  existed_ = fs::exists(status);
  if (existed_) {
    if (fs::is_directory(status)) throw QueloError::FromErrno(EISDIR, source_);
    // A device or a pipe would be replaced by a plain file (as root, even /dev/null).
    if (!fs::is_regular_file(status))
      throw QueloError(err::kPathFileAccessError, source_,
                       platform::Arg(platform::Tr("platform", "%1 は通常のファイルではありません"), {destination_}));

    // A file the user may not write stays untouched, although the folder would
    // allow replacing it. The bits decide for root, who may write anything; the
    // probe for everyone else (appending nothing changes neither contents nor time).
    if ((status.permissions() & fs::perms::owner_write) == fs::perms::none)
      throw QueloError::FromErrno(EACCES, source_);
    std::FILE* probe = platform::OpenFile(destination_, "ab");
    if (!probe) throw QueloError::FromErrno(errno, source_);
    std::fclose(probe);
  }
  // The temporary name is the destination's with a suffix, so a user who
  // finds one left behind knows what it was for; when that would be longer
  // than a file name may be (255 bytes, or UTF-16 units on Windows), a short
  // name in the same folder does, so every name that fits can be written.
  const std::string base = path.filename().u8string();
  const bool shortName = base.size() + kSuffixLength > kMaxFileName;
  std::random_device random;
  for (int attempt = 0; attempt < 100 && !file_; ++attempt) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".quelo-%08x.tmp", static_cast<unsigned>(random()));
    temp_ = shortName ? (path.parent_path() / suffix).u8string() : destination_ + suffix;
    file_ = platform::CreateFileExclusive(temp_);
    if (!file_ && errno != EEXIST) {
      const int e = errno;
      temp_.clear();
      throw QueloError::FromErrno(e, source_);
    }
  }
  if (!file_) {
    temp_.clear();
    throw QueloError::FromErrno(EEXIST, source_);
  }
  if (existed_) SetPermissionsFrom(destination_);
}

ReplacingFile::~ReplacingFile() {
  if (file_) std::fclose(file_);
  std::error_code ec;
  if (!committed_ && !temp_.empty()) fs::remove(platform::FsPath(temp_), ec);
}

void ReplacingFile::Write(const void* data, size_t count) {
  if (count == 0) return;
  const size_t allowed = platform::TakeWriteAllowance(count);
  errno = 0;
  if (allowed > 0 && std::fwrite(data, 1, allowed, file_) != allowed)
    throw QueloError::FromErrno(errno ? errno : EIO, source_);
  if (allowed < count) throw QueloError::FromErrno(ENOSPC, source_);
}

void ReplacingFile::WriteZeros(int64_t count) {
  static const std::vector<char> zeros(64 * 1024, '\0');
  while (count > 0) {
    const size_t piece = static_cast<size_t>(std::min<int64_t>(count, static_cast<int64_t>(zeros.size())));
    Write(zeros.data(), piece);
    count -= static_cast<int64_t>(piece);
  }
}

void ReplacingFile::SetPermissionsFrom(const std::string& fileName) {
  std::error_code ec;
  const fs::perms perms = fs::status(platform::FsPath(fileName), ec).permissions();
  if (!ec) fs::permissions(platform::FsPath(temp_), perms, fs::perm_options::replace, ec);
}

void ReplacingFile::Commit() {
  using platform::ReplaceStep;
  // The data goes to the disk before the name points at it: otherwise a power
  // cut may keep the rename but not the data, an empty file where the good one was.
  if (const int e = Step(ReplaceStep::SyncFile, [&] { return platform::SyncFile(file_); }))
    throw QueloError::FromErrno(e, source_);
  errno = 0;
  const int closed = std::fclose(file_);
  file_ = nullptr;
  if (closed != 0) throw QueloError::FromErrno(errno ? errno : EIO, source_);

  // A second name for the earlier file, to put it back if the folder cannot be
  // synced after the rename. Without hard links (some file systems) there is
  // no way back, and the new file stays.
  std::string backup;
  std::error_code ec;
  if (existed_) {
    backup = temp_.substr(0, temp_.size() - 4) + ".old";
    fs::create_hard_link(platform::FsPath(destination_), platform::FsPath(backup), ec);
    if (ec) backup.clear();
  }
  if (const int e = Step(ReplaceStep::Rename, [&] { return platform::RenameReplacing(temp_, destination_); })) {
    if (!backup.empty()) fs::remove(platform::FsPath(backup), ec);
    throw QueloError::FromErrno(e, source_);
  }
  committed_ = true;
  // Only a synced folder keeps the rename after a power cut.
  if (const int e = Step(ReplaceStep::SyncFolder, [&] { return platform::SyncFolder(folder_); })) {
    // Reported as a failed write, so the folder goes back to what it held:
    // the earlier file, or no file at all. Should even that fail, the earlier
    // file stays under its second name rather than being lost.
    if (!backup.empty()) {
      platform::RenameReplacing(backup, destination_);
    } else if (!existed_) {
      fs::remove(platform::FsPath(destination_), ec);
    }
    throw QueloError::FromErrno(e, source_);
  }
  if (!backup.empty()) fs::remove(platform::FsPath(backup), ec);
}

void WriteFileReplacing(const std::string& fileName, const std::vector<uint8_t>& bytes,
                        const std::string& source) {
  ReplacingFile out(fileName, source);
  out.Write(bytes.data(), bytes.size());
  out.Commit();
}

}  // namespace quelo
