// The archive behind an executable's own image, read as the program reads its
// own file at start: the directory, the definition at its member's position,
// every member decoded by its extension, then each member looked up again by
// position and exported, the file compared with the bytes the directory names.
// Built twice: QUELO_FUZZ_ELF=1 takes only ELF programs, 0 only the others (PE).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "FuzzSupport.h"
#include "archive/clsExePlusFiles.h"
#include "archive/clsQueloConfig.h"
#include "image/clsImage.h"

using namespace quelo;

namespace {
// Past this many members the same code only runs again; keeps each run short.
constexpr int16_t kMembersChecked = 48;

bool IsElf(const uint8_t* data, size_t size) { return size >= 4 && std::memcmp(data, "\x7F" "ELF", 4) == 0; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (IsElf(data, size) != (QUELO_FUZZ_ELF != 0)) return -1;  // the other target's input
  fuzz::Dialogs().Reset();
  const std::string exe = fuzz::ScratchDir() + "program";
  const std::string out = fuzz::ScratchDir() + "member";
  fuzz::WriteFile(exe, data, size);

  // Start: the program treats an unreadable executable as one without an archive.
  clsExePlusFiles archive;
  try {
    archive.OpenExe(exe);
  } catch (const std::exception&) {
  }
  if (archive.FileCount() <= 0) return 0;

  const int16_t ini = archive.GetFileIndex("!quelo.ini");
  if (ini >= 0) {
    clsQueloConfig config;
    try {
      config.LoadConfig(exe, archive.FileOffset(ini));
    } catch (const std::exception&) {
    }
  }

  const int16_t count = static_cast<int16_t>(std::min<int32_t>(archive.FileCount(), kMembersChecked));
  for (int16_t i = 0; i < count; ++i) {
    const std::string name = archive.FileName(i);
    const int32_t position = archive.FileOffset(i);
    const int32_t memberSize = archive.FileSize(i);
    clsImage image;
    try {
      image.LoadFile(exe, image.GetFileExt(name), position);
    } catch (const std::exception&) {
    }

    // The export command finds the member again from the image's position.
    const int16_t found = archive.GetFileIndexFromOffset(position);
    if (position >= archive.DataStart()) {
      fuzz::Expect(found >= 0 && found <= i, "a member's own position finds no member at or before it");
      fuzz::Expect(archive.FileOffset(found) >= position, "the member found starts before the position");
    }

    std::remove(out.c_str());
    archive.FileExport(i, out);
    std::vector<uint8_t> written;
    const bool exists = fuzz::ReadFile(out, written);
    if (name.empty() || position < 1 || memberSize < 0) {
      fuzz::Expect(!exists, "a member without a name, position or size was exported");
      continue;
    }
    fuzz::Expect(exists, "an exportable member wrote no file");
    const size_t start = std::min(static_cast<size_t>(position - 1), size);
    const size_t end = std::min(size, start + static_cast<size_t>(memberSize));
    fuzz::Expect(written.size() == end - start && std::equal(written.begin(), written.end(), data + start),
                 "the exported file differs from the member's bytes");
  }
  return 0;
}
