// The PNG decoder: every colour type, bit depths 1 to 16, palettes with tRNS and
// interlacing, as 8-bit straight-alpha RGBA (16-bit samples keep their high
// byte). The chunks are read through the byte source up to IEND, so an archive
// member is read to its own end and no further; stb_image decodes them from
// memory once the header's size has been checked.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "image/SvgDocument.h"
#include "image/clsImage.h"

namespace quelo {

namespace {

// stb_image allocates through these. A decode may not ask for more than the
// image it announced can need, so a compressed stream that inflates far beyond
// its image (a few kilobytes standing for gigabytes) is refused instead of
// growing a buffer without end. thread_local: each thread decodes on its own.
thread_local size_t allocationLimit = 0;

void* PngMalloc(size_t size) { return size <= allocationLimit ? std::malloc(size) : nullptr; }
void* PngRealloc(void* p, size_t size) { return size <= allocationLimit ? std::realloc(p, size) : nullptr; }

}  // namespace

}  // namespace quelo

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC  // private to this unit: the benchmarks compile their own copy
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_NO_FAILURE_STRINGS
#define STBI_MAX_DIMENSIONS 16384
#define STBI_MALLOC(size) quelo::PngMalloc(size)
#define STBI_REALLOC(p, size) quelo::PngRealloc(p, size)
#define STBI_FREE(p) std::free(p)
#include <stb_image.h>

namespace quelo {

namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr int32_t kHeaderLength = 13;
constexpr uint64_t kMaxDeflateRatio = 1032;
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
constexpr bool kCheckCrc = false;  // mutated inputs would hardly ever get past the checksums
#else
constexpr bool kCheckCrc = true;
#endif

uint32_t Be32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | uint32_t{p[3]};
}

void PutBe32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

// The CRC-32 of the format (ISO 3309): reflected, polynomial 0xEDB88320.
uint32_t Crc32(uint32_t crc, const uint8_t* p, size_t n) {
  static const auto table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (size_t i = 0; i < n; ++i) crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

// Frees stb's pixels on every path.
struct StbPixels {
  stbi_uc* p = nullptr;
  ~StbPixels() { stbi_image_free(p); }
};

}  // namespace

bool clsImage::ReadPNG() {
  ByteSource& in = bytes_;

  // Signature.
  std::vector<uint8_t> data(sizeof kSignature);
  in.ReadBytes(data.data(), data.size());
  if (in.Failed()) return false;
  if (std::memcmp(data.data(), kSignature, sizeof kSignature) != 0) {
    ShowImageMessage("このファイルはPNG形式ではありません");
    return true;
  }

  // Chunks, each length, type, data and CRC, up to IEND; the header (IHDR)
  // comes first and its size is checked before anything else is read.
  uint32_t width = 0, height = 0;
  int bitDepth = 0, colourType = 0;
  uint64_t compressed = 0;  // bytes of image data (IDAT)
  bool ended = false;
  while (!ended) {
    const int32_t length = in.ReadLongBE();  // at most 2^31 - 1, as the format says
    uint8_t type[4];
    in.ReadBytes(type, sizeof type);
    if (in.Failed()) return false;
    if (in.Remaining() < int64_t{length} + 4) return false;  // cut short
    if (data.size() + 12 + static_cast<size_t>(length) > static_cast<size_t>(std::numeric_limits<int>::max()))
      return false;  // more than the decoder can address
    const uint8_t* body = in.ReadSpan(static_cast<size_t>(length) + 4);
    if (!body) return false;
    const bool isHeader = std::memcmp(type, "IHDR", 4) == 0;
    // stb_image does not check the CRCs; a chunk that fails its own is damaged.
    const uint32_t crc = Crc32(Crc32(0, type, 4), body, static_cast<size_t>(length));
    if ((kCheckCrc && crc != Be32(body + length)) || isHeader != (data.size() == sizeof kSignature) ||
        (isHeader && length != kHeaderLength)) {
      ShowImageMessage("このPNGファイルは壊れているため読み込めません");
      return false;
    }
    if (isHeader) {
      width = Be32(body);
      height = Be32(body + 4);
      bitDepth = body[8];
      colourType = body[9];
      if (width < 1 || height < 1) {
        ShowImageMessage("このPNGファイルは壊れているため読み込めません");
        return false;
      }
      if (!CheckImageSize(width, height)) return false;
    }
    ended = std::memcmp(type, "IEND", 4) == 0;
    const bool isData = std::memcmp(type, "IDAT", 4) == 0;
    compressed += isData ? static_cast<uint64_t>(length) : 0;
    // An empty IDAT adds nothing, and stb_image, meeting one first, would copy
    // its no bytes from a null buffer.
    if (isData && length == 0) continue;
    PutBe32(data, static_cast<uint32_t>(length));
    data.insert(data.end(), type, type + 4);
    data.insert(data.end(), body, body + length + 4);
  }

  // The largest block a sound decode of this image asks for: the inflated rows
  // (with a filter byte each; interlaced passes add a few, and the inflater
  // doubles its buffer when its first guess falls short), or the pixels at 16
  // bits per sample.
  const int samples = colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
  const uint64_t rowBytes = (uint64_t{width} * samples * static_cast<uint64_t>(bitDepth) + 7) / 8 + 1;
  const uint64_t inflated = 2 * (rowBytes + 7) * (uint64_t{height} + 7);
  const uint64_t pixels16 = uint64_t{width} * height * 8;
  const uint64_t limit = (inflated > pixels16 ? inflated : pixels16) + (uint64_t{1} << 20);
  // Deflate packs at most 1032 bytes into one: rows that the image data could
  // not hold are refused before the decoder allocates room for them.
  if (rowBytes * height > kMaxDeflateRatio * compressed + 1024) {
    ShowImageMessage("このPNGファイルは壊れているため読み込めません");
    return false;
  }

  const auto* bytes = data.data();
  const int size = static_cast<int>(data.size());
  int w = 0, h = 0, channels = 0;
  StbPixels decoded;
  allocationLimit = static_cast<size_t>(limit);
  if (stbi_info_from_memory(bytes, size, &w, &h, &channels) && static_cast<uint32_t>(w) == width &&
      static_cast<uint32_t>(h) == height)
    decoded.p = stbi_load_from_memory(bytes, size, &w, &h, &channels, 4);
  allocationLimit = 0;
  if (!decoded.p) {
    ShowImageMessage("このPNGファイルは壊れているため読み込めません");
    return false;
  }

  const size_t pixelBytes = static_cast<size_t>(width) * height * 4;
  pixels_.assign(decoded.p, decoded.p + pixelBytes);
  width_ = static_cast<int32_t>(width);
  height_ = static_cast<int32_t>(height);
  bitCount_ = 4;
  decoded_ = true;
  return true;
}

// gzip (RFC 1952): a header, raw deflate data, a checksum and the length. The
// deflate data goes through stb's inflater, whose buffer may not grow past limit.
bool InflateGzip(const uint8_t* data, size_t size, size_t limit, std::vector<uint8_t>& out) {
  if (size < 18 || data[0] != 0x1F || data[1] != 0x8B || data[2] != 8) return false;
  const uint8_t flags = data[3];
  size_t i = 10;
  if (flags & 4) {  // extra field
    if (i + 2 > size) return false;
    i += 2 + (size_t{data[i]} | size_t{data[i + 1]} << 8);
  }
  for (const uint8_t text : {uint8_t{8}, uint8_t{16}}) {  // file name, comment
    if (!(flags & text)) continue;
    while (i < size && data[i] != 0) ++i;
    ++i;
  }
  if (flags & 2) i += 2;  // header checksum
  if (i + 8 > size || size - i - 8 > static_cast<size_t>(INT32_MAX)) return false;
  int length = 0;
  allocationLimit = limit;
  // The trailer goes in too: the inflater reads ahead a little past the end of
  // the deflate data and would take a stream without those bytes for cut short.
  char* p = stbi_zlib_decode_noheader_malloc(reinterpret_cast<const char*>(data + i), static_cast<int>(size - i),
                                             &length);
  allocationLimit = 0;
  if (!p) return false;
  out.assign(p, p + length);
  std::free(p);
  return true;
}

}  // namespace quelo
