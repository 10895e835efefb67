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
#include <string>

#include "image/DeflateCheck.h"
#include "image/SvgDocument.h"
#include "image/clsImage.h"
#include "platform/Tr.h"

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
  // Every refusal of damaged data says what is wrong.
  const auto refuse = [this](const std::string& reason) {
    ShowImageMessage(platform::Arg(platform::Tr("image", "このPNGファイルは壊れているため読み込めません（%1）"), {reason}));
    return false;
  };
  const auto cutShort = [&refuse] { return refuse(platform::Tr("image", "ファイルが途中で終わっています")); };

  // Signature.
  std::vector<uint8_t> data(sizeof kSignature);
  in.ReadBytes(data.data(), data.size());
  if (in.Failed()) return cutShort();
  if (std::memcmp(data.data(), kSignature, sizeof kSignature) != 0) {
    ShowImageMessage(platform::Tr("image", "このファイルはPNG形式ではありません"));
    return true;
  }

  // Chunks, each length, type, data and CRC, up to IEND; the header (IHDR)
  // comes first and its size is checked before anything else is read. The
  // image data (IDAT) is also gathered apart, to check its stream before
  // stb_image inflates it.
  uint32_t width = 0, height = 0;
  int bitDepth = 0, colourType = 0, interlace = 0;
  uint32_t paletteEntries = 0;
  std::vector<uint8_t> stream;
  bool ended = false;
  while (!ended) {
    if (in.Remaining() < 8) return cutShort();
    const int32_t length = in.ReadLongBE();  // at most 2^31 - 1, as the format says
    uint8_t type[4];
    in.ReadBytes(type, sizeof type);
    const std::string typeName(reinterpret_cast<const char*>(type), 4);
    if (in.Failed()) return refuse(platform::Arg(platform::Tr("image", "チャンク %1 の長さが不正です"), {typeName}));
    if (in.Remaining() < int64_t{length} + 4) return cutShort();
    if (data.size() + 12 + static_cast<size_t>(length) > static_cast<size_t>(std::numeric_limits<int>::max()))
      return refuse(platform::Arg(platform::Tr("image", "チャンク %1 が大きすぎます"), {typeName}));
    const uint8_t* read = in.ReadSpan(static_cast<size_t>(length) + 4);
    if (!read) return cutShort();
    const bool isHeader = typeName == "IHDR";
    // stb_image does not check the CRCs; a chunk that fails its own is damaged.
    const uint32_t crc = Crc32(Crc32(0, type, 4), read, static_cast<size_t>(length));
    if (kCheckCrc && crc != Be32(read + length))
      return refuse(platform::Arg(platform::Tr("image", "チャンク %1 のCRCが一致しません"), {typeName}));
    const bool first = data.size() == sizeof kSignature;
    if (first && !isHeader) return refuse(platform::Tr("image", "最初のチャンクがIHDRではありません"));
    if (!first && isHeader) return refuse(platform::Tr("image", "IHDRチャンクが2つあります"));
    std::vector<uint8_t> body(read, read + length);
    if (isHeader) {
      if (length != kHeaderLength) return refuse(platform::Tr("image", "IHDRチャンクの長さが不正です"));
      width = Be32(body.data());
      height = Be32(body.data() + 4);
      bitDepth = body[8];
      colourType = body[9];
      interlace = body[12];
      if (width < 1 || height < 1) return refuse(platform::Tr("image", "幅または高さが0です"));
      if (!CheckImageSize(width, height)) return false;
      const bool depthFits = colourType == 0   ? (bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8 || bitDepth == 16)
                             : colourType == 3 ? (bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8)
                             : (colourType == 2 || colourType == 4 || colourType == 6) && (bitDepth == 8 || bitDepth == 16);
      if (!depthFits)
        return refuse(platform::Arg(platform::Tr("image", "ビット深度 %1 と色の種類 %2 の組み合わせは不正です"),
                                    {std::to_string(bitDepth), std::to_string(colourType)}));
      if (body[10] != 0 || body[11] != 0 || interlace > 1)
        return refuse(platform::Tr("image", "圧縮方式、フィルター方式またはインターレース方式が不正です"));
    }
    const bool isPalette = typeName == "PLTE";
    if (isPalette && colourType == 3) {
      if (length == 0 || length % 3 != 0 || length > 256 * 3)
        return refuse(platform::Tr("image", "パレット（PLTE）の長さが不正です"));
      paletteEntries = static_cast<uint32_t>(length) / 3;
      // Indices past the palette are damage too, but they exist in the wild;
      // stb_image would read them from a table nothing filled. Opaque black, as
      // libpng gives them.
      body.resize(256 * 3, 0);
    }
    if (typeName == "tRNS") {
      const bool fits = colourType == 3   ? paletteEntries > 0 && static_cast<uint32_t>(length) <= paletteEntries
                        : colourType == 0 ? length == 2
                        : colourType == 2 ? length == 6
                                          : false;
      if (!fits) return refuse(platform::Tr("image", "透過色（tRNS）が不正です"));
      // The grey key counts only its low bits at depths under 8.
      if (colourType == 0 && bitDepth < 8) {
        body[0] = 0;
        body[1] = static_cast<uint8_t>(body[1] & ((1 << bitDepth) - 1));
      }
    }
    ended = typeName == "IEND";
    const bool isData = typeName == "IDAT";
    if (isData) {
      if (colourType == 3 && paletteEntries == 0) return refuse(platform::Tr("image", "パレット（PLTE）がありません"));
      stream.insert(stream.end(), body.begin(), body.end());
    }
    // An empty IDAT adds nothing, and stb_image, meeting one first, would copy
    // its no bytes from a null buffer.
    if (isData && length == 0) continue;
    PutBe32(data, static_cast<uint32_t>(body.size()));
    data.insert(data.end(), type, type + 4);
    data.insert(data.end(), body.begin(), body.end());
    PutBe32(data, Crc32(Crc32(0, type, 4), body.data(), body.size()));
  }
  if (stream.empty()) return refuse(platform::Tr("image", "画像データ（IDAT）がありません"));

  // The bytes the rows inflate to (a filter byte each), pass by pass when
  // interlaced.
  const int samples = colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
  const auto rowsBytes = [&](uint64_t w, uint64_t h) {
    return w == 0 || h == 0 ? 0 : h * ((w * samples * static_cast<uint64_t>(bitDepth) + 7) / 8 + 1);
  };
  uint64_t needed = rowsBytes(width, height);
  if (interlace) {
    static constexpr int kPass[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                        {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    needed = 0;
    for (const auto& p : kPass) {
      const uint64_t w = width > static_cast<uint32_t>(p[0]) ? (width - p[0] + p[2] - 1) / p[2] : 0;
      const uint64_t h = height > static_cast<uint32_t>(p[1]) ? (height - p[1] + p[3] - 1) / p[3] : 0;
      needed += rowsBytes(w, h);
    }
  }
  // Deflate packs at most 1032 bytes into one: rows that the image data could
  // not hold are refused before anything is inflated.
  if (needed > kMaxDeflateRatio * stream.size() + 1024)
    return refuse(platform::Tr("image", "画像データが画像の大きさに足りません"));

  // The largest block a sound decode of this image asks for: the inflated rows
  // (the inflater doubles its buffer when its first guess falls short), or the
  // pixels at 16 bits per sample.
  // A stream may run on a little past the rows (the decoder leaves the rest),
  // but not by as much as a wrong idea of the rows' size would make of it.
  const uint64_t inflatedAtMost = needed + needed / 16 + 65536;
  const uint64_t pixels16 = uint64_t{width} * height * 8;
  const uint64_t limit = 2 * inflatedAtMost > pixels16 ? 2 * inflatedAtMost : pixels16 + (uint64_t{1} << 20);
  const DeflateCheck check = CheckZlibStream(stream.data(), stream.size(), inflatedAtMost);
  if (check.problem) return refuse(platform::Tr("image", check.problem));
  if (check.inflated < needed) return refuse(platform::Tr("image", "画像データが画像の大きさに足りません"));
  std::vector<uint8_t>().swap(stream);

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
    // What is left for stb_image to find lies in the inflated rows.
    const char* why = stbi_failure_reason();
    return refuse(why && std::strcmp(why, "invalid filter") == 0
                      ? platform::Tr("image", "行のフィルターの種類が不正です")
                      : platform::Tr("image", "画像データを復元できません"));
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
