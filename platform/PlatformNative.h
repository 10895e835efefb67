// What each system's half of the seam gives the portable half.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quelo::platform {

// The system's own value 0x00BBGGRR of a colour index, or fallback where the
// system has none to give.
uint32_t NativeSysColor(int index, uint32_t fallback);

// Helpers both halves share.
// The folder part of a path, ending in a separator; either separator splits.
std::string FolderOf(const std::string& path);
// Whether name ends in "." plus one of the extensions, without regard to case.
bool HasExtension(const std::string& name, const std::vector<std::string>& extensions);
// Alphabetical without regard to case; names that differ only in case by code point.
void SortFileNames(std::vector<std::string>& names);
bool IsCp932LeadByte(unsigned char b);

}  // namespace quelo::platform
