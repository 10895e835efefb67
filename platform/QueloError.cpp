#include "platform/QueloError.h"

#include <cerrno>
#include <cstring>

#include "platform/Tr.h"

namespace quelo {

QueloError::QueloError(int32_t number, std::string source, std::string description)
    : std::runtime_error(description),
      number_(number),
      source_(std::move(source)),
      description_(std::move(description)) {}

QueloError QueloError::PassedOn(const std::string& where) const {
  QueloError passed(number_, where + source_ + description_, description_);
  passed.errno_ = errno_;
  return passed;
}

std::string QueloError::DefaultDescription(int32_t number) {
  switch (number) {
    case err::kOverflow: return "Overflow";
    case err::kSubscriptOutOfRange: return "Subscript out of range";
    case err::kBadFileNameOrNumber: return "Bad file name or number";
    case err::kFileNotFound: return "File not found";
    case err::kDiskFull: return "Disk full";
    case err::kInputPastEndOfFile: return "Input past end of file";
    case err::kBadRecordNumber: return "Bad record number";
    case err::kPermissionDenied: return "Permission denied";
    case err::kPathFileAccessError: return "Path/File access error";
    case err::kPathNotFound: return "Path not found";
    default: return "Application-defined or object-defined error";
  }
}

QueloError QueloError::Make(int32_t number, const std::string& source) {
  return QueloError(number, source, DefaultDescription(number));
}

QueloError QueloError::FromErrno(int errnoValue, const std::string& source) {
  int32_t number = err::kPathFileAccessError;
  switch (errnoValue) {
    case ENOENT: number = err::kPathNotFound; break;
    case EACCES:
    case EPERM:
    case EROFS: number = err::kPermissionDenied; break;
    case ENOSPC: number = err::kDiskFull; break;
#ifdef EDQUOT  // quotas: POSIX systems only
    case EDQUOT: number = err::kDiskFull; break;
#endif
    case ENAMETOOLONG:
    case EINVAL: number = err::kBadFileNameOrNumber; break;
    default: break;
  }
  QueloError error(number, source, std::strerror(errnoValue));
  error.errno_ = errnoValue;
  return error;
}

namespace {

struct ErrnoReason {
  int errnoValue;
  const char* text;
};

// The reasons a user meets when a save or an export fails.
const ErrnoReason kErrnoReasons[] = {
    {ENOSPC, QUELO_TR_NOOP("platform", "ディスクの空き容量が不足しています")},
#ifdef EDQUOT
    {EDQUOT, QUELO_TR_NOOP("platform", "ディスクの使用量の上限を超えています")},
#endif
    {EROFS, QUELO_TR_NOOP("platform", "読み取り専用のファイルシステムには書き込めません")},
    {EACCES, QUELO_TR_NOOP("platform", "アクセスする権限がありません")},
    {EPERM, QUELO_TR_NOOP("platform", "アクセスする権限がありません")},
    {ENOENT, QUELO_TR_NOOP("platform", "フォルダーまたはファイルが見つかりません")},
    {ENOTDIR, QUELO_TR_NOOP("platform", "フォルダーの代わりにファイルがあります")},
    {EISDIR, QUELO_TR_NOOP("platform", "同じ名前のフォルダーがあります")},
    {ENAMETOOLONG, QUELO_TR_NOOP("platform", "ファイル名が長すぎます")},
    {EIO, QUELO_TR_NOOP("platform", "入出力エラーが発生しました")},
};

}  // namespace

std::string QueloError::ErrnoText(int errnoValue) {
  for (const ErrnoReason& reason : kErrnoReasons)
    if (reason.errnoValue == errnoValue) return platform::Tr("platform", reason.text);

  return std::strerror(errnoValue);
}

std::string QueloError::UserDescription() const { return errno_ != 0 ? ErrnoText(errno_) : description_; }

}  // namespace quelo
