// The image object: its state, properties and the two load entry points with the
// type dispatch. The decoders live in PsdDecoder.cpp and IcoCodec.cpp, drawing
// in Drawing.cpp.
#include "image/clsImage.h"

#include "image/IconScale.h"
#include "platform/Platform.h"
#include "platform/Tr.h"

namespace quelo {

namespace {
constexpr int32_t kSourceMemory = 1;
constexpr int32_t kSourceFile = 2;

std::string UpperAscii(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}
}  // namespace

clsImage::clsImage() { SetBackColor(0xFFFFFF); }

clsImage::~clsImage() = default;

bool clsImage::LoadFile(const std::string& FileName, const std::string& DataType, int32_t Offset) {
  // These say what was asked for, whatever the outcome.
  sourceKind_ = kSourceFile;
  source_ = FileName;
  sourceOffset_ = Offset;
  // A file that can't be opened (or a position before its first byte) is
  // refused like any other unreadable image: the owner skips it.
  if (!bytes_.OpenFile(FileName, Offset)) return false;
  const bool result = LoadByType(DataType.empty() ? GetFileExt(FileName) : DataType);
  bytes_.Close();
  return result;
}

bool clsImage::LoadByteArray(const std::vector<uint8_t>& Data, const std::string& DataType) {
  sourceKind_ = kSourceMemory;
  // The load runs to its end inside this call, so the caller's array is read in
  // place rather than copied.
  bytes_.OpenMemory(Data.data(), Data.size());
  const bool result = LoadByType(DataType);
  bytes_.Close();
  return result;
}

bool clsImage::LoadSvgPicture(const std::string& FileName, SvgPicture&& Picture) {
  sourceKind_ = kSourceFile;
  source_ = FileName;
  sourceOffset_ = 1;
  sourceType_ = "SVG";
  decoded_ = false;
  return AdoptSvg(std::move(Picture));
}

bool clsImage::LoadByType(const std::string& Type) {
  const std::string t = UpperAscii(Type);
  bool (clsImage::*decoder)() = nullptr;
  if (t == "PSD") {
    sourceType_ = "PSD";
    decoder = &clsImage::ReadPSD;
  } else if (t == "ICO" || t == "ICON") {
    sourceType_ = "ICO";
    decoder = &clsImage::ReadICO;
  } else if (t == "PNG") {
    sourceType_ = "PNG";
    decoder = &clsImage::ReadPNG;
  } else if (folderInputs_ && (t == "SVG" || t == "SVGZ")) {
    sourceType_ = "SVG";
    decoder = &clsImage::ReadSVG;
  } else {
    return false;
  }
  // A refusal with a message loads as true but shows nothing; a false load
  // leaves everything as it was.
  const bool wasDecoded = decoded_;
  decoded_ = false;
  const bool result = (this->*decoder)();
  if (!result) {
    decoded_ = wasDecoded;
    return result;
  }
  if (decoded_ && iconSize_ > 0) FitToIconSize();
  return result;
}

void clsImage::FitToIconSize() {
  int32_t w = 0, h = 0;
  FitIconSize(width_, height_, iconSize_, w, h);
  if (w == width_ && h == height_) return;
  std::vector<uint8_t> scaled;
  if (!ScalePixels(pixels_, width_, height_, bitCount_, scaled, w, h)) return;
  pixels_.swap(scaled);
  width_ = w;
  height_ = h;
}

bool clsImage::CheckImageSize(int64_t width, int64_t height) const {
  if (width <= kMaxImageSide && height <= kMaxImageSide && width * height * 4 <= kMaxImageBytes) return true;
  ShowImageMessage(platform::Tr("image", "このイメージは大きすぎるため読み込めません"));
  return false;
}

void clsImage::ShowImageMessage(const std::string& text) const {
  const std::string name = !name_.empty() ? name_ : sourceKind_ == kSourceFile ? source_ : std::string();
  platform::ShowMessage(name.empty() ? text : text + "\r\n" + name);
}

std::string clsImage::GetFileExt(const std::string& FileName) const {
  const auto dot = FileName.rfind('.');
  return dot == std::string::npos ? FileName : FileName.substr(dot + 1);
}

uint32_t clsImage::BackColor() const {
  return uint32_t{backColor_[0]} | uint32_t{backColor_[1]} << 8 | uint32_t{backColor_[2]} << 16;
}

void clsImage::SetBackColor(uint32_t Color) {
  // System colours are resolved now, once: the stored value is a plain colour.
  const uint32_t c =
      (Color & 0x80000000u) ? platform::GetSysColor(static_cast<int>(Color & 0xFFFFFFu)) : Color;
  backColor_[0] = static_cast<uint8_t>(c & 0xFF);
  backColor_[1] = static_cast<uint8_t>((c >> 8) & 0xFF);
  backColor_[2] = static_cast<uint8_t>((c >> 16) & 0xFF);
}

std::string clsImage::Source() const { return sourceKind_ == kSourceMemory ? platform::Tr("image", "メモリ") : source_; }


}  // namespace quelo
