// Writers of the two pack formats: an SXAR archive appended to a copy of an
// executable, and a binary pack definition. Used by the tests and by quelo-pack.
// Both write to a temporary file beside the destination and rename it into place
// only when everything was written, so a failure never damages an existing file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/QueloError.h"

namespace quelo {

// Numbers of the errors the writers raise themselves.
namespace packerr {
constexpr int32_t kNoCp932Form = err::kUserBase + 1100;      // a text without a code page 932 form
constexpr int32_t kTextTooLong = err::kUserBase + 1101;      // a text over 65535 bytes
constexpr int32_t kTooMany = err::kUserBase + 1102;          // more members or definitions than fit
constexpr int32_t kUnknownExecutable = err::kUserBase + 1103;  // neither PE nor ELF
constexpr int32_t kSameFile = err::kUserBase + 1104;         // output would overwrite the input
constexpr int32_t kTooLarge = err::kUserBase + 1105;         // beyond 32-bit positions
}  // namespace packerr

struct PackMember {
  std::string Name;           // UTF-8; stored as code page 932
  std::vector<uint8_t> Data;  // the member's bytes
  int16_t Flags = 0;
};

struct PackDefinition {
  int16_t FormatVersion = 100;
  std::string PackName;
  int16_t PackVersion = 100;  // the version times 100
  std::string PackDescription;
  std::string PackAutherName;
  std::string PackAutherEmail;
  std::string PackAutherUrl;
  struct File {
    std::string FileName, FileTitle, FileDescription, FileAuther;
  };
  std::vector<File> Files;
  std::vector<uint8_t> DefaultList;
};

// The definition's bytes. Throws QueloError when a text has no code page 932
// form or is longer than 65535 bytes.
std::vector<uint8_t> SerializeDefinition(const PackDefinition& definition);

// The archive's bytes (header, directory, members back to back from Offset 0).
// Throws QueloError for a name with no code page 932 form or too many members.
std::vector<uint8_t> SerializeArchive(const std::vector<PackMember>& members);

// Writes a copy of the executable ExeIn to Out with the archive appended where
// the reader will look for it. Throws QueloError with a clear description on any
// failure (unreadable input, unknown executable format, Out equal to ExeIn, a
// failed write); Out is then left as it was.
void WritePackExecutable(const std::string& ExeIn, const std::vector<PackMember>& members,
                         const std::string& Out);

// Writes bytes to a file through a temporary file and a rename. Throws QueloError.
void WriteFileAtomically(const std::string& fileName, const std::vector<uint8_t>& bytes);

}  // namespace quelo
