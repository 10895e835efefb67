// Windows icons: the reader takes one image stored right behind the directory,
// 32-bit (the kind this program writes) or PNG data (the large entries of
// current icons); the writer makes the 32-bit kind.
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
