// Windows icons: a pack's icon holds one image stored right behind the
// directory, 32-bit (the kind this program writes) or PNG data (the large
// entries of current icons); an icon in a user's folder may hold several, of
// any bit depth Windows writes. The writer makes the 32-bit kind.
#include <algorithm>
#include <cstring>

#include "platform/ReplacingFile.h"
#include "image/clsImage.h"
#include "platform/Platform.h"
#include "platform/QueloError.h"
#include "platform/Tr.h"

namespace quelo {

namespace {

constexpr int32_t kBitmapHeaderSize = 40;
constexpr int32_t kIconHeaderBytes = 6 + 16 + kBitmapHeaderSize;  // 62
constexpr int32_t kPngSignatureStart = 0x474E5089;  // 89 50 4E 47 read little-endian

void Le16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Le32(std::vector<uint8_t>& out, uint32_t v) {
  Le16(out, v & 0xFFFF);
  Le16(out, v >> 16);
}

}  // namespace

bool clsImage::ReadICO() {
  ByteSource& in = bytes_;

  // Icon header.
  in.ReadIntegerLE();  // reserved
  in.ReadIntegerLE();  // type
  const int32_t imageCount = in.ReadIntegerLE();
  if (in.Failed()) return false;
  if (folderInputs_) return ReadIcoEntries(in.GetPosition() - 6, imageCount);
  if (imageCount != 1) {
    ShowImageMessage(platform::Tr("image", "このアイコンファイルには複数のイメージが格納されているため読み込めません"));
    return true;
  }

  // Directory entry: not used; the image is taken to begin right behind it.
  in.ReadByte();       // width
  in.ReadByte();       // height
  in.ReadByte();       // colour count
  in.ReadByte();       // reserved
  in.ReadIntegerLE();  // planes
  in.ReadIntegerLE();  // bit count
  in.ReadLongLE();     // bytes in resource
  in.ReadLongLE();     // image offset

  // Bitmap information header, or the first bytes of PNG data, whose
  // signature begins 89 'P' 'N' 'G'.
  const int32_t headerSize = in.ReadLongLE();
  if (!in.Failed() && headerSize == kPngSignatureStart) {
    in.SetPosition(in.GetPosition() - 4);
    return ReadPNG();
  }
  const int32_t W = in.ReadLongLE();
  const int32_t H2 = in.ReadLongLE();  // colour rows plus mask rows
  in.ReadIntegerLE();                  // planes
  const int32_t B = in.ReadIntegerLE();
  for (int i = 0; i < 6; ++i) in.ReadLongLE();  // compression .. important colours
  if (in.Failed()) return false;
  // Only 32 bits per pixel right behind a 40-byte header has the layout below.
  if (headerSize != kBitmapHeaderSize || B != 32) return false;
  const int32_t height = H2 / 2;
  if (W < 1 || height < 1) return false;
  if (!CheckImageSize(W, height)) return false;
  const int64_t pixelBytes = int64_t{W} * height * 4;
  if (pixelBytes > in.Remaining()) return false;

  // Colour pixels: bottom row first, blue green red alpha.
  std::vector<uint8_t> pixels(static_cast<size_t>(pixelBytes));
  const size_t rowBytes = static_cast<size_t>(W) * 4;
  for (int32_t y = height - 1; y >= 0; --y) {
    const uint8_t* p = in.ReadSpan(rowBytes);
    if (!p) return false;
    uint8_t* dst = pixels.data() + static_cast<size_t>(y) * rowBytes;
    for (size_t i = 0; i < rowBytes; i += 4) {
      dst[i] = p[i + 2];
      dst[i + 1] = p[i + 1];
      dst[i + 2] = p[i];
      dst[i + 3] = p[i + 3];
    }
  }

  width_ = W;
  height_ = height;
  bitCount_ = static_cast<int16_t>(B / 8);
  pixels_.swap(pixels);
  decoded_ = true;
  return true;
}

bool clsImage::ReadIcoEntries(int64_t start, int32_t count) {
  ByteSource& in = bytes_;
  if (count < 1 || count * int64_t{16} > in.Remaining()) return false;
  struct Entry {
    int32_t side;
    int32_t bits;
    int64_t offset;
  };
  std::vector<Entry> entries;
  for (int32_t i = 0; i < count; ++i) {
    const int32_t w = in.ReadByte();
    const int32_t h = in.ReadByte();
    in.ReadByte();  // colour count
    in.ReadByte();  // reserved
    in.ReadIntegerLE();  // planes
    const int32_t bits = in.ReadIntegerLE() & 0xFFFF;
    in.ReadLongLE();  // bytes in resource
    const uint32_t offset = static_cast<uint32_t>(in.ReadLongLE());
    if (in.Failed()) return false;
    // 0 stands for 256; an entry without a bit count is usually PNG data, 32-bit.
    entries.push_back({std::max(w == 0 ? 256 : w, h == 0 ? 256 : h), bits == 0 ? 32 : bits, int64_t{offset}});
  }
  // The entry of the icon size; otherwise the nearest larger one, then the
  // nearest smaller one; with no icon size the largest. The deepest colours win a tie.
  const int32_t want = iconSize_ > 0 ? iconSize_ : 256;
  auto better = [&](const Entry& a, const Entry& b) {  // a before b?
    const bool aLarger = a.side >= want, bLarger = b.side >= want;
    if (a.side != b.side) {
      if (iconSize_ <= 0) return a.side > b.side;
      if (aLarger != bLarger) return aLarger;
      return aLarger ? a.side < b.side : a.side > b.side;
    }
    return a.bits > b.bits;
  };
  const Entry chosen = *std::min_element(entries.begin(), entries.end(), better);
  in.SetPosition(start + chosen.offset);
  const int32_t signature = in.ReadLongLE();
  if (in.Failed()) return false;
  in.SetPosition(start + chosen.offset);
  return signature == kPngSignatureStart ? ReadPNG() : ReadIcoBitmap();
}

bool clsImage::ReadIcoBitmap() {
  ByteSource& in = bytes_;
  const int64_t headerStart = in.GetPosition();
  const int32_t headerSize = in.ReadLongLE();
  const int32_t W = in.ReadLongLE();
  const int32_t H2 = in.ReadLongLE();
  in.ReadIntegerLE();  // planes
  const int32_t B = in.ReadIntegerLE() & 0xFFFF;
  const int32_t compression = in.ReadLongLE();
  in.ReadLongLE();  // image bytes
  in.ReadLongLE();  // resolutions
  in.ReadLongLE();
  const uint32_t coloursUsed = static_cast<uint32_t>(in.ReadLongLE());
  in.ReadLongLE();  // important colours
  if (in.Failed() || headerSize < kBitmapHeaderSize || headerSize > 1024 || compression != 0) return false;
  if (B != 1 && B != 4 && B != 8 && B != 24 && B != 32) return false;
  const int32_t height = H2 / 2;
  if (W < 1 || height < 1) return false;
  if (!CheckImageSize(W, height)) return false;
  in.SetPosition(headerStart + headerSize);

  std::vector<uint8_t> palette;  // blue green red unused
  if (B <= 8) {
    const uint32_t full = 1u << B;
    const uint32_t n = coloursUsed == 0 || coloursUsed > full ? full : coloursUsed;
    const uint8_t* p = in.ReadSpan(n * 4);
    if (!p) return false;
    palette.assign(p, p + n * 4);
    palette.resize(full * 4, 0);  // indices past the table are black
  }
  const size_t colourRow = (static_cast<size_t>(W) * static_cast<size_t>(B) + 31) / 32 * 4;
  const size_t maskRow = (static_cast<size_t>(W) + 31) / 32 * 4;
  if (static_cast<int64_t>(colourRow) * height > in.Remaining()) return false;

  std::vector<uint8_t> pixels(static_cast<size_t>(W) * static_cast<size_t>(height) * 4);
  bool anyAlpha = false;
  for (int32_t y = height - 1; y >= 0; --y) {
    const uint8_t* p = in.ReadSpan(colourRow);
    if (!p) return false;
    uint8_t* dst = pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(W) * 4;
    for (int32_t x = 0; x < W; ++x, dst += 4) {
      const uint8_t* c;
      uint8_t alpha = 255;
      if (B == 32) {
        c = p + x * 4;
        alpha = c[3];
        anyAlpha = anyAlpha || alpha != 0;
      } else if (B == 24) {
        c = p + x * 3;
      } else {
        const int32_t bit = x * B;
        const uint32_t index = (p[bit / 8] >> (8 - B - bit % 8)) & ((1u << B) - 1);
        c = &palette[index * 4];
      }
      dst[0] = c[2];
      dst[1] = c[1];
      dst[2] = c[0];
      dst[3] = alpha;
    }
  }
  // The mask says which pixels are transparent, unless 32-bit colours carry an
  // alpha of their own. Some writers leave it out; everything is drawn then.
  if (!(B == 32 && anyAlpha) && static_cast<int64_t>(maskRow) * height <= in.Remaining()) {
    for (int32_t y = height - 1; y >= 0; --y) {
      const uint8_t* m = in.ReadSpan(maskRow);
      if (!m) return false;
      uint8_t* dst = pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(W) * 4;
      for (int32_t x = 0; x < W; ++x) dst[x * 4 + 3] = (m[x / 8] >> (7 - x % 8)) & 1 ? 0 : 255;
    }
  }

  width_ = W;
  height_ = height;
  bitCount_ = 4;
  pixels_.swap(pixels);
  decoded_ = true;
  return true;
}

bool clsImage::SaveICO(const std::string& FileName) const {
  if (width_ != height_) {
    platform::ShowMessage(platform::Tr("image", "このデータはアイコン形式での保存は出来ません"));
    return false;
  }
  if (width_ != 32 && width_ != 48) {
    platform::ShowMessage(platform::Tr("image", "このイメージはアイコン形式での保存は出来ません"));
    return false;
  }

  const uint32_t W = static_cast<uint32_t>(width_);
  const uint32_t H = static_cast<uint32_t>(height_);
  const uint32_t xorSize = W * H * 4;
  const uint32_t maskRow = (W / 8 + 3) / 4 * 4;
  const uint32_t maskSize = maskRow * H;

  std::vector<uint8_t> out;
  out.reserve(kIconHeaderBytes + xorSize + maskSize);
  // Icon header.
  Le16(out, 0);  // reserved
  Le16(out, 1);  // type: icon
  Le16(out, 1);  // image count
  // Directory entry.
  out.push_back(static_cast<uint8_t>(W));
  out.push_back(static_cast<uint8_t>(H));
  out.push_back(0);  // colour count
  out.push_back(0);  // reserved
  // Planes and bit count as in the bitmap header: readers that trust the
  // directory (Pillow) otherwise take the pixels without their alpha.
  Le16(out, 1);   // planes
  Le16(out, 32);  // bit count
  Le32(out, xorSize + maskSize + kBitmapHeaderSize);
  Le32(out, 22);  // image offset
  // Bitmap information header.
  Le32(out, kBitmapHeaderSize);
  Le32(out, W);
  Le32(out, H * 2);
  Le16(out, 1);   // planes
  Le16(out, 32);  // bit count
  Le32(out, 0);   // compression
  Le32(out, xorSize + maskSize);
  Le32(out, 0);  // horizontal resolution
  Le32(out, 0);  // vertical resolution
  Le32(out, 0);  // colours used
  Le32(out, 0);  // important colours

  // Colour pixels, bottom row first. An image without alpha is written fully
  // opaque, as it is drawn.
  const size_t stride = static_cast<size_t>(bitCount_);
  for (int32_t y = height_ - 1; y >= 0; --y) {
    for (int32_t x = 0; x < width_; ++x) {
      const uint8_t* p = &pixels_[(static_cast<size_t>(y) * W + static_cast<size_t>(x)) * stride];
      out.push_back(p[2]);
      out.push_back(p[1]);
      out.push_back(p[0]);
      out.push_back(stride == 4 ? p[3] : 255);
    }
  }
  // AND mask, bottom row first, one bit per pixel from the left: set where the
  // pixel is fully transparent, so readers that take the mask rather than the
  // alpha hide the same pixels.
  for (int32_t y = height_ - 1; y >= 0; --y) {
    std::vector<uint8_t> row(maskRow, 0);
    for (int32_t x = 0; x < width_; ++x) {
      const uint8_t* p = &pixels_[(static_cast<size_t>(y) * W + static_cast<size_t>(x)) * stride];
      if (stride == 4 && p[3] == 0) row[static_cast<size_t>(x) / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
    out.insert(out.end(), row.begin(), row.end());
  }

  try {
    WriteFileReplacing(FileName, out, "clsImage.SaveICO");
    return true;
  } catch (const QueloError& e) {
    platform::MessageBoxRequest request;
    request.title = platform::Tr("image", "Windowsアイコン形式エクスポート");
    request.text = platform::Arg(platform::Tr("image", "ファイルの保存に失敗しました。\r\n%1"), {e.UserDescription()});

    request.icon = platform::MsgIcon::Critical;
    request.buttons = platform::MsgButtons::Ok;
    platform::Dialogs().MessageBox(request);
    return false;
  }
}

}  // namespace quelo
