// Walks a zlib stream (a PNG's image data) without keeping its output, to find
// what stb_image's inflater would take without complaint but turn into
// undefined bytes: a distance code of 30 or 31, or a distance reaching back
// before the first byte, copies from memory nothing has written. zlib refuses
// both, and so does this; it also refuses what zlib refuses besides (bad
// headers, block types, code tables, lengths) and a stream cut short.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quelo {

struct DeflateCheck {
  // Null when the stream is sound; otherwise why not, as a text marked for
  // translation in the "image" context (see platform/Tr.h).
  const char* problem = nullptr;
  // Bytes the stream inflates to (as far as it was read).
  uint64_t inflated = 0;
};

// Stops, with a problem, as soon as the stream inflates to more than maxInflated
// bytes, so a small stream standing for gigabytes costs little to refuse.
DeflateCheck CheckZlibStream(const uint8_t* data, size_t size, uint64_t maxInflated);

}  // namespace quelo
