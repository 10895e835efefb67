// The one error type of quelo: number, source and description, as errors raised
// to a caller carry them. Numbers follow the classic runtime numbering (9 subscript
// out of range, 6 overflow, 53 file not found, 63 bad record number, ...); errors the
// program raises itself use the user-defined base 0x80040000 plus a small number.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace quelo {

// Well-known error numbers.
namespace err {
constexpr int32_t kOverflow = 6;
constexpr int32_t kSubscriptOutOfRange = 9;
constexpr int32_t kBadFileNameOrNumber = 52;
constexpr int32_t kFileNotFound = 53;
constexpr int32_t kInputPastEndOfFile = 62;
constexpr int32_t kBadRecordNumber = 63;
constexpr int32_t kDiskFull = 61;
constexpr int32_t kPermissionDenied = 70;
constexpr int32_t kPathFileAccessError = 75;
constexpr int32_t kPathNotFound = 76;
constexpr int32_t kUserBase = static_cast<int32_t>(0x80040000u);
}  // namespace err

class QueloError : public std::runtime_error {
 public:
  QueloError(int32_t number, std::string source, std::string description);

  int32_t Number() const { return number_; }
  const std::string& Source() const { return source_; }
  const std::string& Description() const { return description_; }

  // Passing an error on: same number and description, the source prefixed with
  // "class.operation->" plus the previous source and description.
  QueloError PassedOn(const std::string& where) const;

  // The standard description for the well-known numbers above.
  static std::string DefaultDescription(int32_t number);
  static QueloError Make(int32_t number, const std::string& source);
  // An error for a failed file operation, from errno.
  static QueloError FromErrno(int errnoValue, const std::string& source);

  // The reason of a failed file operation as the program's messages give it:
  // the common causes in Japanese, the system's own text for the rest.
  static std::string ErrnoText(int errnoValue);
  // The description for a message to the user: ErrnoText of the errno this
  // error came from, the description itself for every other error.
  std::string UserDescription() const;

 private:
  int32_t number_;
  std::string source_;
  std::string description_;
  int errno_ = 0;  // the errno of FromErrno; 0 for other errors
};

}  // namespace quelo
