// Where an executable's own image ends, so that data appended behind it can be
// found: from the PE optional header's size fields, or from the ELF header
// tables. Shared by the archive reader and the pack writer.
#pragma once

#include <cstdint>

namespace quelo {

class InputFile;

struct ExeLayout {
  enum class Kind { Unknown, Pe, Elf };
  Kind kind = Kind::Unknown;
  // Zero-based offset of the first byte behind the image.
  int64_t imageEnd = -1;
  // PE only: offset of the "PE\0\0" signature and the three size fields.
  uint32_t peSignature = 0;
  uint32_t sizeOfCode = 0;
  uint32_t sizeOfInitializedData = 0;
  uint32_t sizeOfUninitializedData = 0;
};

// Offsets of the three PE size fields from the signature.
constexpr uint32_t kPeSizeOfCode = 28;
constexpr uint32_t kPeSizeOfUninitializedData = 36;

// Kind::Unknown for a file that is neither, or whose headers point outside it.
ExeLayout ReadExeLayout(InputFile& file);

}  // namespace quelo
