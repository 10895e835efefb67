#include "strip/StripDocument.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <exception>
#include <new>
#include <utility>

#include "platform/Platform.h"
#include "platform/QueloError.h"
#include "platform/ReplacingFile.h"
#include "platform/Tr.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#endif
#include <stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace quelo {

bool StripDocument::Insert(int position, StripEntry entry) {
  if (Full() || !entry.image || entry.image->Width() <= 0 || entry.image->Height() <= 0) return false;
  if (entries_.empty()) height_ = entry.image->Height();
  if (position < 0 || position > Count()) position = Count();
  entries_.insert(entries_.begin() + position, std::move(entry));
  return true;
}

bool StripDocument::Remove(int position) {
  if (position < 0 || position >= Count()) return false;
  entries_.erase(entries_.begin() + position);
  return true;
}

void StripDocument::Clear() {
  entries_.clear();
  height_ = 0;
}

bool StripDocument::Move(int from, int to) {
  if (from < 0 || from >= Count() || to < 0 || to >= Count()) return false;
  StripEntry moved = std::move(entries_[static_cast<size_t>(from)]);
  entries_.erase(entries_.begin() + from);
  entries_.insert(entries_.begin() + to, std::move(moved));
  return true;
}

void StripDocument::SetHeight(int32_t height) {
  if (height > 0) height_ = height;
}

int32_t StripDocument::Width() const {
  if (entries_.empty()) return kEmptyWidth;
  int64_t sum = 0;
  for (const StripEntry& e : entries_) sum += e.image->Width();
  // Twenty images of at most 16384 pixels: well inside 32 bits.
  return static_cast<int32_t>(sum);
}

std::vector<int32_t> StripDocument::Widths() const {
  std::vector<int32_t> widths;
  widths.reserve(entries_.size());
  for (const StripEntry& e : entries_) widths.push_back(e.image->Width());
  return widths;
}

int32_t StripDocument::Left(int position) const {
  if (position < 0 || position >= Count()) return -1;
  int32_t left = 0;
  for (int i = 0; i < position; ++i) left += entries_[static_cast<size_t>(i)].image->Width();
  return left;
}

StripDocument::Rect StripDocument::Place(int position) const {
  Rect r;
  if (position < 0 || position >= Count()) return r;
  const clsImage& img = *Entry(position).image;
  r.x = Left(position);
  r.width = img.Width();
  r.height = std::min(img.Height(), Height());
  return r;
}

namespace {

// BlendComponent's arithmetic, here where the loop can inline it (the tests
// hold the strip to what drawing an image gives, pixel for pixel).
inline uint8_t Blend(uint8_t s, uint8_t u, uint8_t A) {
  const unsigned n = unsigned{u} * (255u - A) + unsigned{s} * A;
  return static_cast<uint8_t>((2 * n + 255) / 510);
}

}  // namespace

bool StripDocument::Compose(StripPicture& picture, std::string* why) const {
  const int32_t w = Width(), h = Height();
  if (int64_t{w} * h * 4 > kMaxPictureBytes) {
    if (why)
      *why = platform::Arg(platform::Tr("strip", "ストリップが大きすぎます (%1 x %2 ピクセル)。"),
                           {std::to_string(w), std::to_string(h)});
    return false;
  }
  picture.width = w;
  picture.height = h;
  picture.opaque = !transparent_;
  const uint8_t back[3] = {static_cast<uint8_t>(backColor_), static_cast<uint8_t>(backColor_ >> 8),
                           static_cast<uint8_t>(backColor_ >> 16)};
  const uint32_t backArgb = 0xFF000000u | uint32_t{back[0]} << 16 | uint32_t{back[1]} << 8 | back[2];
  picture.argb.assign(static_cast<size_t>(w) * static_cast<size_t>(h), transparent_ ? 0u : backArgb);
  int32_t x0 = 0;
  for (const StripEntry& e : entries_) {
    const clsImage& img = *e.image;
    const size_t channels = static_cast<size_t>(img.BitCount());
    const std::vector<uint8_t>& src = img.Pixels();
    const int32_t rows = std::min(img.Height(), h);
    // An image whose pixels do not match its size draws nothing rather than read past them.
    if ((channels == 3 || channels == 4) &&
        src.size() >= static_cast<size_t>(img.Width()) * static_cast<size_t>(img.Height()) * channels) {
      for (int32_t y = 0; y < rows; ++y) {
        const uint8_t* s = src.data() + static_cast<size_t>(y) * static_cast<size_t>(img.Width()) * channels;
        uint32_t* d = picture.argb.data() + static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x0);
        if (transparent_) {
          // Images never overlap: each pixel is the image's own, alpha and all.
          for (int32_t x = 0; x < img.Width(); ++x, s += channels)
            d[x] = uint32_t{channels == 4 ? s[3] : uint8_t{255}} << 24 | uint32_t{s[0]} << 16 | uint32_t{s[1]} << 8 | s[2];
          continue;
        }
        for (int32_t x = 0; x < img.Width(); ++x, s += channels) {
          const uint8_t A = channels == 4 ? s[3] : 255;
          if (A == 255) {
            d[x] = 0xFF000000u | uint32_t{s[0]} << 16 | uint32_t{s[1]} << 8 | s[2];
          } else if (A != 0) {
            d[x] = 0xFF000000u | uint32_t{Blend(s[0], back[0], A)} << 16 | uint32_t{Blend(s[1], back[1], A)} << 8 |
                   Blend(s[2], back[2], A);
          }
        }
      }
    }
    x0 += img.Width();
  }
  return true;
}

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFFu);
  Put16(out, v >> 16);
}

constexpr uint32_t kPixelsPerMetre = 2835;  // 72 dots per inch

}  // namespace

std::vector<uint8_t> StripDocument::EncodeBmp(const StripPicture& picture) {
  const bool alpha = !picture.opaque;
  const uint32_t w = static_cast<uint32_t>(picture.width), h = static_cast<uint32_t>(picture.height);
  const uint32_t bytesPerPixel = alpha ? 4 : 3;
  const uint64_t stride = (uint64_t{w} * bytesPerPixel + 3) / 4 * 4;
  const uint32_t infoSize = alpha ? 124 : 40;
  const uint32_t offset = 14 + infoSize;
  const uint64_t imageSize = stride * h;
  std::vector<uint8_t> out;
  out.reserve(static_cast<size_t>(offset + imageSize));
  // BITMAPFILEHEADER
  out.push_back('B');
  out.push_back('M');
  Put32(out, static_cast<uint32_t>(offset + imageSize));
  Put32(out, 0);
  Put32(out, offset);
  // BITMAPINFOHEADER, or its V5 form: bit fields for the four channels, sRGB.
  Put32(out, infoSize);
  Put32(out, w);
  Put32(out, h);  // bottom-up
  Put16(out, 1);
  Put16(out, bytesPerPixel * 8);
  Put32(out, alpha ? 3 : 0);  // BI_BITFIELDS : BI_RGB
  Put32(out, static_cast<uint32_t>(imageSize));
  Put32(out, kPixelsPerMetre);
  Put32(out, kPixelsPerMetre);
  Put32(out, 0);
  Put32(out, 0);
  if (alpha) {
    Put32(out, 0x00FF0000u);  // red
    Put32(out, 0x0000FF00u);  // green
    Put32(out, 0x000000FFu);  // blue
    Put32(out, 0xFF000000u);  // alpha
    Put32(out, 0x73524742u);  // LCS_sRGB
    for (int i = 0; i < 9 + 3; ++i) Put32(out, 0);  // endpoints, gamma
    Put32(out, 4);                                   // LCS_GM_IMAGES
    Put32(out, 0);                                   // profile data
    Put32(out, 0);                                   // profile size
    Put32(out, 0);                                   // reserved
  }
  const size_t header = out.size();
  out.resize(header + static_cast<size_t>(imageSize), 0);
  for (uint32_t row = 0; row < h; ++row) {
    const uint32_t* s = picture.argb.data() + static_cast<size_t>(h - 1 - row) * w;
    uint8_t* d = out.data() + header + static_cast<size_t>(row) * static_cast<size_t>(stride);
    for (uint32_t x = 0; x < w; ++x, d += bytesPerPixel) {
      d[0] = static_cast<uint8_t>(s[x]);
      d[1] = static_cast<uint8_t>(s[x] >> 8);
      d[2] = static_cast<uint8_t>(s[x] >> 16);
      if (alpha) d[3] = static_cast<uint8_t>(s[x] >> 24);
    }
  }
  return out;
}

std::vector<uint8_t> StripDocument::EncodePng(const StripPicture& picture) {
  std::vector<uint8_t> out;
  const int channels = picture.opaque ? 3 : 4;
  std::vector<uint8_t> bytes(picture.argb.size() * static_cast<size_t>(channels));
  for (size_t i = 0; i < picture.argb.size(); ++i) {
    const uint32_t p = picture.argb[i];
    uint8_t* d = bytes.data() + i * static_cast<size_t>(channels);
    d[0] = static_cast<uint8_t>(p >> 16);
    d[1] = static_cast<uint8_t>(p >> 8);
    d[2] = static_cast<uint8_t>(p);
    if (channels == 4) d[3] = static_cast<uint8_t>(p >> 24);
  }
  const uint8_t* pixels = bytes.data();
  auto append = [](void* context, void* data, int size) {
    auto* bytes = static_cast<std::vector<uint8_t>*>(context);
    bytes->insert(bytes->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
  };
  if (!stbi_write_png_to_func(append, &out, picture.width, picture.height, channels, pixels,
                              picture.width * channels))
    out.clear();
  return out;
}

bool StripDocument::Save(const std::string& fileName, Format format, std::string* why) const {
  try {
    StripPicture picture;
    if (!Compose(picture, why)) return false;
    const std::vector<uint8_t> bytes = format == Format::Png ? EncodePng(picture) : EncodeBmp(picture);
    if (bytes.empty()) {
      if (why) *why = platform::Tr("strip", "画像を作れませんでした。");
      return false;
    }
    // A failure leaves a file of that name as it was.
    WriteFileReplacing(fileName, bytes, "StripDocument.Save");
    return true;
  } catch (const QueloError& e) {
    if (why) *why = e.UserDescription();
  } catch (const std::bad_alloc&) {
    if (why) *why = platform::Tr("strip", "メモリが足りません。");
  } catch (const std::exception& e) {
    if (why) *why = e.what();
  }
  return false;
}

namespace {

// A JSON string: quotes, backslashes and control characters escaped; other
// bytes (UTF-8) as they are.
std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

std::string ColourText(uint32_t colour) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", colour & 0xFFu, (colour >> 8) & 0xFFu, (colour >> 16) & 0xFFu);
  return text;
}

}  // namespace

std::string StripDocument::LayoutJson(const std::string& stripFileName) const {
  std::string json = "{\n";
  json += "  \"file\": " + JsonString(platform::BaseName(stripFileName)) + ",\n";
  json += "  \"width\": " + std::to_string(Width()) + ",\n";
  json += "  \"height\": " + std::to_string(Height()) + ",\n";
  json += "  \"background\": " + (transparent_ ? std::string("null") : JsonString(ColourText(backColor_))) + ",\n";
  json += "  \"images\": [";
  for (int i = 0; i < Count(); ++i) {
    const Rect r = Place(i);
    json += i ? ",\n" : "\n";
    json += "    {\"name\": " + JsonString(Entry(i).sourceName) + ", \"text\": " + JsonString(Entry(i).text) +
            ", \"x\": " + std::to_string(r.x) + ", \"y\": " + std::to_string(r.y) +
            ", \"width\": " + std::to_string(r.width) + ", \"height\": " + std::to_string(r.height) + "}";
  }
  json += Count() ? "\n  ]\n}\n" : "]\n}\n";
  return json;
}

std::string StripDocument::LayoutFileName(const std::string& stripFileName) {
  const std::string base = platform::BaseName(stripFileName);
  const size_t dot = base.rfind('.');
  // A leading dot starts a hidden file's name, not an extension.
  if (dot == std::string::npos || dot == 0) return stripFileName + ".json";
  std::string ext = base.substr(dot);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  // A strip saved under a .json name must not be replaced by its own listing.
  if (ext == ".json") return stripFileName + ".json";
  return stripFileName.substr(0, stripFileName.size() - (base.size() - dot)) + ".json";
}

bool StripDocument::SaveLayout(const std::string& stripFileName, std::string* why) const {
  try {
    const std::string json = LayoutJson(stripFileName);
    WriteFileReplacing(LayoutFileName(stripFileName), std::vector<uint8_t>(json.begin(), json.end()),
                       "StripDocument.SaveLayout");
    return true;
  } catch (const QueloError& e) {
    if (why) *why = e.UserDescription();
  } catch (const std::exception& e) {
    if (why) *why = e.what();
  }
  return false;
}

}  // namespace quelo
