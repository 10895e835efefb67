// Replacing a file's contents safely: the bytes go to a temporary file beside
// the target, which is renamed over it only when everything was written, so a
// failed write never damages a file the user already had.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quelo {

// Throws QueloError (source as given, description the system's text for the
// failure) when the file can't be written; the target is then untouched.
void ReplaceFileContents(const std::string& fileName, const std::vector<uint8_t>& bytes,
                         const std::string& source);

}  // namespace quelo
