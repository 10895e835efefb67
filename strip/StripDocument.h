// The strip as a document, without a window: its entries (the line the strip
// list shows and a shared reference to the image), its height, the background
// (a colour or transparent), where each image lies, the picture composed from
// them, and the files written from it (the strip as BMP or PNG, and a JSON file
// listing each image's rectangle). The window shows it and forwards commands;
// everything that leaves the program takes its picture from here.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "image/clsImage.h"

namespace quelo {

struct StripEntry {
  std::string text;        // the strip list's line: the image's display name
  std::string sourceName;  // the pack member or file the image came from
  int packIndex = 0;       // its preview in the pack it was added from (1-based)
  // Held here, so that the image keeps the size it was added at when the pack
  // reloads its images.
  std::shared_ptr<const clsImage> image;
};

// One 0xAARRGGBB value a pixel (alpha not premultiplied), rows top to bottom
// without padding: the layout a window toolkit shows without converting.
struct StripPicture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> argb;
  // Whether every pixel is opaque (a strip over a colour).
  bool opaque = true;
};

class StripDocument {
 public:
  static constexpr int kMaxEntries = 20;
  // The empty strip's picture: the window writes its hint on it.
  static constexpr int32_t kEmptyWidth = 300;
  static constexpr int32_t kEmptyHeight = 60;
  // A picture larger than this (as RGBA) is not composed: saving or copying it
  // is refused with a message instead of exhausting memory.
  static constexpr int64_t kMaxPictureBytes = int64_t{1} << 30;

  // ---- Entries ----
  int Count() const { return static_cast<int>(entries_.size()); }
  bool Full() const { return Count() >= kMaxEntries; }
  const StripEntry& Entry(int position) const { return entries_.at(static_cast<size_t>(position)); }
  // Inserts at position (the end when out of range); the first entry of an
  // empty strip sets its height. False, with nothing changed, when the strip is
  // full or the entry holds no image.
  bool Insert(int position, StripEntry entry);
  // False when position names no entry. The height stays.
  bool Remove(int position);
  void Clear();
  // Entry from to place to (both positions of the strip as it is); false when
  // either names no entry.
  bool Move(int from, int to);

  // ---- Geometry ----
  // The strip's height: the first image's, or the one chosen later; images
  // taller than it are cut at the bottom, shorter ones leave background below.
  int32_t Height() const { return entries_.empty() ? kEmptyHeight : height_; }
  void SetHeight(int32_t height);
  // The sum of the images' widths; the empty strip's width when there are none.
  int32_t Width() const;
  std::vector<int32_t> Widths() const;
  // Left edge of entry position, -1 when there is none.
  int32_t Left(int position) const;
  // The rectangle entry position covers in the picture.
  struct Rect {
    int32_t x = 0, y = 0, width = 0, height = 0;
  };
  Rect Place(int position) const;

  // ---- Background ----
  // 0x00BBGGRR. A transparent strip keeps the colour for when it is opaque again.
  uint32_t BackColor() const { return backColor_; }
  void SetBackColor(uint32_t colour) { backColor_ = colour & 0xFFFFFFu; }
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool transparent) { transparent_ = transparent; }

  // ---- The picture ----
  // Each image at its place, blended over the background colour exactly as an
  // image is drawn on a surface, or with its own alpha on a transparent
  // background. False, with *why set, when the picture would be too large.
  bool Compose(StripPicture& picture, std::string* why) const;

  // ---- Files ----
  enum class Format { Bmp, Png };
  // A BMP is 24-bit over a colour and 32-bit with alpha (BITMAPV5HEADER) when
  // transparent; a PNG is RGB over a colour and RGBA when transparent.
  static std::vector<uint8_t> EncodeBmp(const StripPicture& picture);
  static std::vector<uint8_t> EncodePng(const StripPicture& picture);
  // Writes the strip to fileName, leaving an existing file as it was on any
  // failure. False with *why set (the reason, for the user).
  bool Save(const std::string& fileName, Format format, std::string* why) const;

  // The JSON listing, for the strip saved as stripFileName: the strip's file
  // (its name alone), size and background, and each image's name, display text
  // and rectangle.
  std::string LayoutJson(const std::string& stripFileName) const;
  // stripFileName with its extension replaced by ".json" (added when it has none).
  static std::string LayoutFileName(const std::string& stripFileName);
  bool SaveLayout(const std::string& stripFileName, std::string* why) const;

 private:
  std::vector<StripEntry> entries_;
  int32_t height_ = 0;
  uint32_t backColor_ = 0xFFFFFF;
  bool transparent_ = false;
};

}  // namespace quelo
