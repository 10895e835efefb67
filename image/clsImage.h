// The program's one image type: loaded once from a file (a loose file or a member
// of the executable at its position) or from memory, decoded (PSD, PNG, or ICO
// holding one 32-bit or PNG image) into straight-alpha RGB(A) pixels, drawn
// blended onto a surface, and written as an icon.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/ByteSource.h"
#include "image/Surface.h"
#include "image/SvgDocument.h"

namespace quelo {

class clsImage {
 public:
  clsImage();
  ~clsImage();
  clsImage(const clsImage&) = delete;
  clsImage& operator=(const clsImage&) = delete;

  // Loads from FileName at the 1-based position Offset. The result says only
  // whether the type is known ("PSD", "PNG", "ICO"/"ICON", any case); a decoder
  // that refuses its input tells the user itself and the load is still true,
  // leaving no pixels (see HasPixels), unless the data is unsafe to hold (cut
  // short, damaged, too large), which gives false. Every message names the
  // image: by Name when the owner set one before loading (an archive member's
  // name, say), otherwise by the file name given here.
  bool LoadFile(const std::string& FileName, const std::string& DataType = std::string(),
                int32_t Offset = 1);
  bool LoadByteArray(const std::vector<uint8_t>& Data, const std::string& DataType);
  // Takes an SVG file drawn beforehand (DrawSvgDocument, perhaps on another
  // thread): its pixels, or its refusal told as a load would tell it.
  bool LoadSvgPicture(const std::string& FileName, SvgPicture&& Picture);

  std::string GetFileExt(const std::string& FileName) const;

  // Set before loading. The side of the square every image is fitted into
  // (keeping its proportions); 0 keeps each image at its own size.
  void SetIconSize(int32_t Side) { iconSize_ = Side; }
  int32_t IconSize() const { return iconSize_; }
  // Set before loading: take what a user's folder of icons may hold besides a
  // pack's images, icon files of several images (the entry nearest the icon
  // size is read, at any bit depth) and SVG documents ("SVG", "SVGZ").
  void SetFolderInputs(bool Allow) { folderInputs_ = Allow; }

  uint32_t BackColor() const;
  void SetBackColor(uint32_t Color);

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  int16_t BitCount() const { return bitCount_; }
  const std::string& Name() const { return name_; }
  void SetName(const std::string& Name) { name_ = Name; }
  std::string Source() const;
  int32_t SourceOffset() const { return sourceOffset_; }
  const std::string& SourceType() const { return sourceType_; }
  const std::vector<uint8_t>& Pixels() const { return pixels_; }
  // False for an image that has nothing to show: never loaded, or refused by
  // its decoder (a grey-scale PSD, a file of another format, a PSD whose
  // compression is refused and kept blank at its size) while the load itself
  // answered true.
  bool HasPixels() const { return decoded_ && width_ > 0 && height_ > 0; }

  // Draw at (X, Y), blended over BackColor (Show) or over what the target holds
  // (ShowEx).
  void Show(ISurface& Target, int32_t X, int32_t Y) const;
  void ShowEx(ISurface& Target, int32_t X, int32_t Y) const;

  // Writes a 32 x 32 or 48 x 48 32-bit icon; reports refusals and failures
  // itself. True when the icon was written.
  bool SaveICO(const std::string& FileName) const;

 private:
  bool LoadByType(const std::string& Type);

  // Decoders, reading through bytes_. False when the data is unsafe to hold
  // (cut short, out of range, inconsistent); the object is then left as it was.
  bool ReadPSD();
  // Reads the byte-count table and the packed rows, then allocates pixels
  // (only for a size those bytes could encode) and unpacks into them.
  bool DecodeRLE(int32_t Rows, int32_t Columns, int32_t Channels, std::vector<uint8_t>& pixels);
  bool ReadICO();
  // An icon file of any number of images: picks the entry for iconSize_ and
  // decodes it (1, 4, 8, 24 or 32 bits, or PNG). start: the file's first byte.
  bool ReadIcoEntries(int64_t start, int32_t count);
  bool ReadIcoBitmap();
  bool ReadSVG();
  bool AdoptSvg(SvgPicture&& picture);
  // Scales the decoded pixels into the iconSize_ square.
  void FitToIconSize();
  bool ReadPNG();

  // False, after telling the user, when an image of this size may not be held:
  // over kMaxImageSide pixels a side or over kMaxImageBytes as RGBA.
  bool CheckImageSize(int64_t width, int64_t height) const;
  // A decoder's message with the name of the image being read on a line of its own.
  void ShowImageMessage(const std::string& text) const;

  // One row of the image as surface colours, blended over under (or BackColor
  // when under is null).
  void MakeRow(int32_t y, const uint32_t* under, uint32_t* out) const;

  int32_t width_ = 0;
  int32_t height_ = 0;
  int16_t bitCount_ = 0;
  std::string name_;
  int32_t sourceKind_ = 0;
  std::string source_;
  int32_t sourceOffset_ = 0;
  std::string sourceType_;
  uint8_t backColor_[3] = {255, 255, 255};
  std::vector<uint8_t> pixels_;
  // Set when a decoder filled pixels_ from the image's own data.
  bool decoded_ = false;
  int32_t iconSize_ = 0;
  bool folderInputs_ = false;
  // The file or array being read; open only while a load runs.
  ByteSource bytes_;
};

// The largest image any decoder takes: a side, and its pixels as 8-bit RGBA.
constexpr int64_t kMaxImageSide = 16384;
constexpr int64_t kMaxImageBytes = int64_t{256} * 1024 * 1024;

// The blend of one colour component (source s over underlying u with alpha A),
// single-precision a and ia, products and sum in double, halves to even.
uint8_t BlendComponent(uint8_t s, uint8_t u, uint8_t A);

}  // namespace quelo
