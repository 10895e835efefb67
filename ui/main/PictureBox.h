// A drawing surface with a retained picture, after the classic picture box:
// while AutoRedraw is on, drawing goes into a persistent picture from which the
// widget repaints itself; while it is off, drawing goes to a transient overlay
// that Cls or ClearOverlay removes. It can carry a sunken 2-pixel border, inside
// which its picture, its coordinates and its children sit.
//
// Colours are 0x00BBGGRR; a value with bit 31 set names a system colour.
// Drawing coordinates are scale units: pixels, unless SetScale chose others.
//
// The retained picture has one pixel per device-independent pixel, whatever the
// screen's scale: saving, copying and the pixel reads see exactly what was drawn.
// On a screen with more device pixels than that, the box shows a second picture
// at the screen's resolution, in which text, boxes and fills are drawn sharp and
// what was set pixel by pixel is scaled as a picture (nearest neighbour at a
// whole factor, smooth otherwise).
#pragma once

#include <QImage>
#include <QRect>
#include <QRegion>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "image/Surface.h"

class QPainter;

namespace quelo::ui {

class PictureBox : public QWidget, public ISurface {
  Q_OBJECT

 public:
  enum class Border { None, Sunken };

  explicit PictureBox(QWidget* parent = nullptr, Border border = Border::None);

  // ---- Geometry inside the border -----------------------------------------
  int BorderWidth() const { return border_ == Border::Sunken ? 2 : 0; }
  int InnerWidth() const;
  int InnerHeight() const;
  // Children belong in Inner(), which clips them to the area inside the border;
  // they are placed in inner coordinates.
  QWidget* Inner() const { return inner_ ? inner_ : const_cast<PictureBox*>(this); }
  void PlaceChild(QWidget* child, int left, int top) const;
  int ChildLeft(const QWidget* child) const;
  int ChildTop(const QWidget* child) const;
  void SetChildLeft(QWidget* child, int left) const;
  void SetChildTop(QWidget* child, int top) const;

  // ---- Scale ----------------------------------------------------------------
  // A user scale of scaleWidth x scaleHeight units across the inner area,
  // kept when the surface changes size.
  void SetScale(double scaleWidth, double scaleHeight);
  void SetScalePixels();
  double ScaleWidth() const;
  double ScaleHeight() const;

  // ---- Properties -------------------------------------------------------------
  bool AutoRedraw() const { return autoRedraw_; }
  void SetAutoRedraw(bool on) { autoRedraw_ = on; }
  uint32_t BackColor() const { return backColor_; }
  // Setting the background clears the retained picture to it.
  void SetBackColor(uint32_t colour);
  uint32_t ForeColor() const { return foreColor_; }
  void SetForeColor(uint32_t colour);
  bool FontBold() const { return font().bold(); }
  void SetFontBold(bool bold);
  // How lines meet what is below: copy, or the pen merged with the inverted
  // picture (pen OR NOT picture), which stays visible on any background.
  enum class DrawMode { CopyPen, MergePenNot };
  DrawMode Mode() const { return drawMode_; }
  void SetDrawMode(DrawMode mode) { drawMode_ = mode; }
  int DrawWidth() const { return drawWidth_; }
  void SetDrawWidth(int width) { drawWidth_ = width < 1 ? 1 : width; }
  double CurrentX = 0;
  double CurrentY = 0;

  // ---- Drawing --------------------------------------------------------------
  // Clears the overlay; with AutoRedraw also the retained picture, to BackColor.
  void Cls();
  void ClearOverlay();
  // A line without its end point, DrawWidth wide.
  void Line(double x1, double y1, double x2, double y2, uint32_t colour);
  // An outline through both corners, DrawWidth wide.
  void Box(double x1, double y1, double x2, double y2, uint32_t colour);
  // A filled box covering both corners.
  void FillBox(double x1, double y1, double x2, double y2, uint32_t colour);
  // Text in ForeColor with its top-left corner at (CurrentX, CurrentY); the
  // background shows through. CurrentY moves down one line.
  void Print(const QString& text);
  double TextHeight(const QString& text) const;
  double TextWidth(const QString& text) const;

  // ---- ISurface: pixels of the retained picture -----------------------------
  void BeginImageDrawing() override;
  void SetCopyPen() override;
  void PSet(int32_t x, int32_t y, uint32_t colour) override;
  uint32_t Point(int32_t x, int32_t y) const override;
  void SetRow(int32_t x, int32_t y, const uint32_t* colours, int32_t count) override;
  void GetRow(int32_t x, int32_t y, uint32_t* colours, int32_t count) const override;

  // The retained picture, exactly the inner size.
  const QImage& Image() const;
  // Draws a picture into the retained one from the top-left corner, as the
  // image drawing does, and leaves AutoRedraw off.
  void ShowPicture(const QImage& picture);

  // What Print wrote since the retained picture was last cleared, in pixels.
  struct PrintedText {
    int x = 0;
    int y = 0;
    QString text;
    bool bold = false;
  };
  const std::vector<PrintedText>& PrintedTexts() const { return printed_; }

  static QRgb ToQRgb(uint32_t colour);
  static uint32_t FromQRgb(QRgb rgb);

  // Drawn on every paint over the retained picture and the overlay, in inner
  // pixels and clipped to the inner area, for the exposed inner rectangle:
  // what the box shows without keeping it.
  void SetPaintOver(std::function<void(QPainter&, const QRect&)> paint) { paintOver_ = std::move(paint); }

  // Resizes the box and its retained picture at once, so that a shrink followed
  // by a growth cuts off what fell outside even while the box is hidden.
  void ResizePicture(int width, int height);

  // Device pixels per pixel of the screen the box is shown on.
  double ScreenRatio() const { return devicePixelRatioF(); }

 signals:
  void MouseDown(Qt::MouseButton button, int x, int y);
  void MouseUp(Qt::MouseButton button, int x, int y);
  void MouseMove(Qt::MouseButtons buttons, int x, int y);
  void DblClick(int x, int y);
  // Focus given by a click, the keyboard or the program; not the focus that
  // comes back when the window is activated again or a menu closes.
  void GotFocus();
  void Printed(const QString& text);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;

 private:
  // Keeps the retained picture at the inner size: the top-left pixels stay,
  // new area takes BackColor. Qt delays resize events of hidden widgets, so
  // every use checks.
  void SyncImage() const;
  QImage& Target();
  int ToPixelX(double x) const;
  int ToPixelY(double y) const;
  void Changed();

  int ChildOffset(const QWidget* child) const { return child->parentWidget() == this ? BorderWidth() : 0; }

  // The picture at the screen's resolution: whether the box keeps one, and
  // keeping it in step with the retained picture's size and the screen.
  bool KeepsSharp() const;
  void SyncSharp() const;
  // Scales the areas set pixel by pixel since the last call into it.
  void FlushStale() const;
  // Pixels of the retained picture set one by one, for the sharp picture to
  // take over later (runs of rows are merged first).
  void MarkStale(const QRect& area);
  // A painter on the sharp picture in pixels, with everything before it
  // taken over, for a drawing that also went into the retained picture.
  // Null when the box keeps no sharp picture. What the drawing covers
  // entirely needs no taking over first.
  std::unique_ptr<QPainter> SharpPainter(const QRect& covered = QRect());

  Border border_;
  QWidget* inner_ = nullptr;  // only with a border
  bool autoRedraw_ = false;
  bool userScale_ = false;
  double scaleWidth_ = 0;
  double scaleHeight_ = 0;
  uint32_t backColor_;
  uint32_t foreColor_;
  int drawWidth_ = 1;
  DrawMode drawMode_ = DrawMode::CopyPen;
  mutable QImage image_;
  mutable QImage sharp_;  // null while the screen's ratio is 1
  mutable QRegion stale_;
  mutable QRect staleRun_;
  QImage overlay_;  // transparent where nothing was drawn; null when empty
  std::vector<PrintedText> printed_;
  bool updatePending_ = false;
  std::function<void(QPainter&, const QRect&)> paintOver_;
};

}  // namespace quelo::ui
