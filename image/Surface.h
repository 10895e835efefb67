// What an image needs of the surface it draws on: a retained picture of pixels
// addressed from the top-left corner, written and read one pixel at a time, with
// a bulk row path that must give exactly the same pixels as the per-pixel one.
// Colours are 0x00BBGGRR (red in the low byte).
#pragma once

#include <cstdint>
#include <vector>

namespace quelo {

class ISurface {
 public:
  virtual ~ISurface() = default;

  // Drawing goes into the retained picture, coordinates are pixels
  // (AutoRedraw := true, ScaleMode := pixels).
  virtual void BeginImageDrawing() {}
  // Copy pen, solid, one pixel wide.
  virtual void SetCopyPen() {}

  // Pixels outside the surface are ignored by PSet and read as 0 by Point.
  virtual void PSet(int32_t x, int32_t y, uint32_t colour) = 0;
  virtual uint32_t Point(int32_t x, int32_t y) const = 0;

  // Bulk path: count pixels of colours (0x00BBGGRR) from (x, y) to the right.
  // The default goes through PSet / Point; surfaces override it with a row copy.
  virtual void SetRow(int32_t x, int32_t y, const uint32_t* colours, int32_t count);
  virtual void GetRow(int32_t x, int32_t y, uint32_t* colours, int32_t count) const;
};

// A plain in-memory surface, for tests and for work without a window.
class MemorySurface final : public ISurface {
 public:
  MemorySurface(int32_t width, int32_t height, uint32_t fill = 0xFFFFFF);

  void PSet(int32_t x, int32_t y, uint32_t colour) override;
  uint32_t Point(int32_t x, int32_t y) const override;
  void SetRow(int32_t x, int32_t y, const uint32_t* colours, int32_t count) override;
  void GetRow(int32_t x, int32_t y, uint32_t* colours, int32_t count) const override;

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  const std::vector<uint32_t>& Pixels() const { return pixels_; }
  int64_t PSetCalls() const { return psetCalls_; }

 private:
  int32_t width_;
  int32_t height_;
  std::vector<uint32_t> pixels_;
  int64_t psetCalls_ = 0;
};

}  // namespace quelo
