#include "archive/ExeLayout.h"

#include <algorithm>

#include "archive/FileIo.h"

namespace quelo {

namespace {

// Fixed-size fields of the PE and ELF structures in either byte order. Every field is
// read from a buffer already known to lie inside the file.
struct EndianBytes {
  const uint8_t* p;
  bool bigEndian;
  uint64_t Get(size_t at, size_t size) const {
    uint64_t v = 0;
    for (size_t i = 0; i < size; ++i) {
      const size_t k = bigEndian ? i : size - 1 - i;
      v = (v << 8) | p[at + k];
    }
    return v;
  }
};

// a + b when it stays within limit; false otherwise (overflow included).
bool EndWithin(uint64_t a, uint64_t b, uint64_t limit, uint64_t& end) {
  if (a > limit || b > limit - a) return false;
  end = a + b;
  return true;
}

ExeLayout ReadPe(InputFile& file) {
  ExeLayout layout;
  uint8_t b[4];
  if (file.ReadAtZeroFilled(0x3C, b, 4) != 4) return layout;
  const uint32_t eLfanew = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
  // The signature and the three size fields behind it must all be inside the file.
  uint64_t headerEnd = 0;
  if (!EndWithin(eLfanew, kPeSizeOfUninitializedData + 4, static_cast<uint64_t>(file.Length()), headerEnd))
    return layout;
  uint8_t h[kPeSizeOfUninitializedData + 4];
  if (file.ReadAtZeroFilled(eLfanew, h, sizeof h) != sizeof h) return layout;
  if (h[0] != 'P' || h[1] != 'E' || h[2] != 0 || h[3] != 0) return layout;
  const EndianBytes le{h, false};  // plain little-endian fields
  layout.kind = ExeLayout::Kind::Pe;
  layout.peSignature = eLfanew;
  layout.sizeOfCode = static_cast<uint32_t>(le.Get(kPeSizeOfCode, 4));
  layout.sizeOfInitializedData = static_cast<uint32_t>(le.Get(kPeSizeOfCode + 4, 4));
  layout.sizeOfUninitializedData = static_cast<uint32_t>(le.Get(kPeSizeOfUninitializedData, 4));
  layout.imageEnd = int64_t{layout.sizeOfCode} + layout.sizeOfInitializedData + layout.sizeOfUninitializedData;
  return layout;
}

// One ELF header table: count entries of entrySize bytes at offset. Each entry
// is handed to visit(); false from visit() or a table outside the file refuses.
template <typename Visit>
bool ReadElfTable(InputFile& file, uint64_t offset, uint64_t count, uint64_t entrySize,
                  size_t minEntrySize, uint64_t& end, Visit visit) {
  if (count == 0) return true;
  const uint64_t length = static_cast<uint64_t>(file.Length());
  // Checked before reading, so an absurd count costs nothing.
  if (entrySize < minEntrySize || count > length / entrySize) return false;
  uint64_t tableEnd = 0;
  if (!EndWithin(offset, count * entrySize, length, tableEnd)) return false;
  end = std::max(end, tableEnd);
  uint8_t entry[64];
  for (uint64_t i = 0; i < count; ++i) {
    if (file.ReadAtZeroFilled(static_cast<int64_t>(offset + i * entrySize), entry, minEntrySize) != minEntrySize)
      return false;
    if (!visit(entry)) return false;
  }
  return true;
}

ExeLayout ReadElf(InputFile& file, const uint8_t* ident) {
  ExeLayout layout;
  const bool is64 = ident[4] == 2;
  if ((ident[4] != 1 && ident[4] != 2) || (ident[5] != 1 && ident[5] != 2)) return layout;
  uint8_t h[64];
  const size_t headerSize = is64 ? 64 : 52;
  if (file.ReadAtZeroFilled(0, h, headerSize) != headerSize) return layout;
  const EndianBytes e{h, ident[5] == 2};
  const uint64_t phoff = is64 ? e.Get(0x20, 8) : e.Get(0x1C, 4);
  const uint64_t shoff = is64 ? e.Get(0x28, 8) : e.Get(0x20, 4);
  const size_t at = is64 ? 0x36 : 0x2A;  // e_phentsize, e_phnum, e_shentsize, e_shnum
  const uint64_t phentsize = e.Get(at, 2), shentsize = e.Get(at + 4, 2);
  uint64_t phnum = e.Get(at + 2, 2), shnum = e.Get(at + 6, 2);
  const size_t phMin = is64 ? 56 : 32, shMin = is64 ? 64 : 40;
  const uint64_t length = static_cast<uint64_t>(file.Length());

  // Extended numbering: the real counts sit in section header 0.
  if ((shnum == 0 && shoff != 0) || phnum == 0xFFFF) {
    uint8_t s0[64];
    if (shoff == 0 || shentsize < shMin || shoff > length || length - shoff < shMin ||
        file.ReadAtZeroFilled(static_cast<int64_t>(shoff), s0, shMin) != shMin)
      return layout;
    const EndianBytes s{s0, e.bigEndian};
    if (shnum == 0) shnum = is64 ? s.Get(32, 8) : s.Get(20, 4);
    if (phnum == 0xFFFF) phnum = is64 ? s.Get(44, 4) : s.Get(28, 4);
  }

  // The header itself and the program header table belong to the image even
  // in a file that has no segment covering them.
  uint64_t end = headerSize;
  const bool segmentsOk = ReadElfTable(file, phoff, phnum, phentsize, phMin, end, [&](const uint8_t* p) {
    const EndianBytes ph{p, e.bigEndian};
    const uint64_t offset = is64 ? ph.Get(8, 8) : ph.Get(4, 4);
    const uint64_t fileSize = is64 ? ph.Get(32, 8) : ph.Get(16, 4);
    uint64_t segmentEnd = 0;
    if (!EndWithin(offset, fileSize, length, segmentEnd)) return false;
    end = std::max(end, segmentEnd);
    return true;
  });
  if (!segmentsOk) return layout;
  constexpr uint64_t kNoBits = 8;
  const bool sectionsOk = ReadElfTable(file, shoff, shnum, shentsize, shMin, end, [&](const uint8_t* p) {
    const EndianBytes sh{p, e.bigEndian};
    if (sh.Get(4, 4) == kNoBits) return true;
    const uint64_t offset = is64 ? sh.Get(24, 8) : sh.Get(16, 4);
    const uint64_t size = is64 ? sh.Get(32, 8) : sh.Get(20, 4);
    uint64_t sectionEnd = 0;
    if (!EndWithin(offset, size, length, sectionEnd)) return false;
    end = std::max(end, sectionEnd);
    return true;
  });
  if (!sectionsOk) return layout;
  layout.kind = ExeLayout::Kind::Elf;
  layout.imageEnd = static_cast<int64_t>(end);
  return layout;
}

}  // namespace

ExeLayout ReadExeLayout(InputFile& file) {
  uint8_t ident[6];
  if (file.ReadAtZeroFilled(0, ident, sizeof ident) == sizeof ident && ident[0] == 0x7F && ident[1] == 'E' &&
      ident[2] == 'L' && ident[3] == 'F')
    return ReadElf(file, ident);
  return ReadPe(file);
}

}  // namespace quelo
