#include "platform/QueloError.h"

#include <cerrno>
#include <cstring>

namespace quelo {

QueloError::QueloError(int32_t number, std::string source, std::string description)
    : std::runtime_error(description),
      number_(number),
      source_(std::move(source)),
      description_(std::move(description)) {}

QueloError QueloError::PassedOn(const std::string& where) const {
  return QueloError(number_, where + source_ + description_, description_);
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
  return QueloError(number, source, std::strerror(errnoValue));
}

}  // namespace quelo
