#include "ui/main/PictureBox.h"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/Platform.h"

namespace quelo::ui {

namespace {

constexpr uint32_t kSystemColourFlag = 0x80000000u;
// Above this many device pixels the box shows its retained picture scaled
// instead of keeping a sharp one: a huge strip must not cost four times again.
constexpr qint64 kMaxSharpPixels = qint64(1) << 24;

bool WholeRatio(double ratio) { return ratio == std::floor(ratio); }

uint32_t Resolve(uint32_t colour) {
  if (colour & kSystemColourFlag) return platform::GetSysColor(static_cast<int>(colour & 0xFFFFFFu));
  return colour & 0xFFFFFFu;
}

}  // namespace

QRgb PictureBox::ToQRgb(uint32_t colour) {
  return 0xFF000000u | ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu);
}

uint32_t PictureBox::FromQRgb(QRgb rgb) {
  return static_cast<uint32_t>(qRed(rgb)) | (static_cast<uint32_t>(qGreen(rgb)) << 8) |
         (static_cast<uint32_t>(qBlue(rgb)) << 16);
}

PictureBox::PictureBox(QWidget* parent, Border border)
    : QWidget(parent),
      border_(border),
      backColor_(kSystemColourFlag | platform::syscolor::kButtonFace),
      foreColor_(kSystemColourFlag | platform::syscolor::kButtonText) {
  // The widget paints every pixel itself.
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Children inside the border must not paint over it: they live in a
  // see-through area that clips them, and leave it the mouse.
  if (border_ == Border::Sunken) inner_ = new QWidget(this);
}

int PictureBox::InnerWidth() const { return std::max(0, width() - 2 * BorderWidth()); }
int PictureBox::InnerHeight() const { return std::max(0, height() - 2 * BorderWidth()); }

void PictureBox::PlaceChild(QWidget* child, int left, int top) const {
  child->move(left + ChildOffset(child), top + ChildOffset(child));
}
int PictureBox::ChildLeft(const QWidget* child) const { return child->x() - ChildOffset(child); }
int PictureBox::ChildTop(const QWidget* child) const { return child->y() - ChildOffset(child); }
void PictureBox::SetChildLeft(QWidget* child, int left) const { child->move(left + ChildOffset(child), child->y()); }
void PictureBox::SetChildTop(QWidget* child, int top) const { child->move(child->x(), top + ChildOffset(child)); }

void PictureBox::SetScale(double scaleWidth, double scaleHeight) {
  userScale_ = scaleWidth != 0 && scaleHeight != 0;
  scaleWidth_ = scaleWidth;
  scaleHeight_ = scaleHeight;
}

void PictureBox::SetScalePixels() { userScale_ = false; }

double PictureBox::ScaleWidth() const { return userScale_ ? scaleWidth_ : InnerWidth(); }
double PictureBox::ScaleHeight() const { return userScale_ ? scaleHeight_ : InnerHeight(); }

int PictureBox::ToPixelX(double x) const {
  return static_cast<int>(std::lround(userScale_ ? x * InnerWidth() / scaleWidth_ : x));
}
int PictureBox::ToPixelY(double y) const {
  return static_cast<int>(std::lround(userScale_ ? y * InnerHeight() / scaleHeight_ : y));
}

void PictureBox::SetBackColor(uint32_t colour) {
  backColor_ = colour;
  SyncImage();
  if (!image_.isNull()) image_.fill(ToQRgb(Resolve(backColor_)));
  if (auto p = SharpPainter(image_.rect())) p->fillRect(image_.rect(), QColor(ToQRgb(Resolve(backColor_))));
  overlay_ = QImage();
  printed_.clear();
  update();
}

void PictureBox::SetForeColor(uint32_t colour) { foreColor_ = colour; }

void PictureBox::SetFontBold(bool bold) {
  QFont f = font();
  f.setBold(bold);
  setFont(f);
}

void PictureBox::SyncImage() const {
  const QSize size(InnerWidth(), InnerHeight());
  if (image_.size() == size) return;
  if (size.isEmpty()) {
    image_ = QImage();
    return;
  }
  QImage grown(size, QImage::Format_RGB32);
  grown.fill(ToQRgb(Resolve(backColor_)));
  // A picture too large to allocate stays empty, and drawing on it does nothing.
  if (!image_.isNull() && !grown.isNull()) {
    const int w = std::min(image_.width(), size.width());
    const int h = std::min(image_.height(), size.height());
    for (int y = 0; y < h; ++y)
      std::copy_n(reinterpret_cast<const QRgb*>(image_.constScanLine(y)), w,
                  reinterpret_cast<QRgb*>(grown.scanLine(y)));
  }
  image_ = std::move(grown);
}

const QImage& PictureBox::Image() const {
  SyncImage();
  return image_;
}

bool PictureBox::KeepsSharp() const {
  const double ratio = ScreenRatio();
  const QSize size(InnerWidth(), InnerHeight());
  return ratio != 1.0 && !size.isEmpty() &&
         static_cast<double>(size.width()) * ratio * size.height() * ratio <= static_cast<double>(kMaxSharpPixels);
}

void PictureBox::SyncSharp() const {
  SyncImage();
  if (!KeepsSharp()) {
    sharp_ = QImage();
    stale_ = QRegion();
    staleRun_ = QRect();
    return;
  }
  const double ratio = ScreenRatio();
  const QSize device(static_cast<int>(std::ceil(image_.width() * ratio)),
                     static_cast<int>(std::ceil(image_.height() * ratio)));
  if (sharp_.size() == device && sharp_.devicePixelRatio() == ratio) return;
  QImage grown(device, QImage::Format_RGB32);
  if (grown.isNull()) {
    sharp_ = QImage();
    return;
  }
  grown.setDevicePixelRatio(ratio);
  grown.fill(ToQRgb(Resolve(backColor_)));
  QRect keep;
  if (!sharp_.isNull() && sharp_.devicePixelRatio() == ratio) {
    // A new size: the sharp top-left part stays, as in the retained picture.
    QPainter p(&grown);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(QPoint(0, 0), sharp_);
    keep = QRect(QPoint(0, 0), (QSizeF(sharp_.size()) / ratio).toSize()) & image_.rect();
    // Smooth scaling blends the old edge with what lay beyond it; that edge is redone.
    if (!WholeRatio(ratio)) keep.adjust(0, 0, -1, -1);
  }
  sharp_ = std::move(grown);
  // Everything else comes from the retained picture, and so does what was
  // waiting to be taken over in the part that stays.
  if (staleRun_.isValid()) stale_ += staleRun_;
  stale_ = (stale_ & QRegion(keep)) + (QRegion(image_.rect()) - QRegion(keep));
  staleRun_ = QRect();
}

void PictureBox::MarkStale(const QRect& area) {
  if (sharp_.isNull()) return;
  if (staleRun_.isValid() && area.left() == staleRun_.left() && area.width() == staleRun_.width() &&
      area.top() == staleRun_.bottom() + 1) {
    staleRun_.setBottom(area.bottom());
    return;
  }
  if (staleRun_.isValid()) stale_ += staleRun_;
  staleRun_ = area;
}

void PictureBox::FlushStale() const {
  if (staleRun_.isValid()) stale_ += staleRun_;
  staleRun_ = QRect();
  if (stale_.isEmpty() || sharp_.isNull()) {
    stale_ = QRegion();
    return;
  }
  QPainter p(&sharp_);
  p.setCompositionMode(QPainter::CompositionMode_Source);
  const double ratio = sharp_.devicePixelRatio();
  if (WholeRatio(ratio)) {
    // Each pixel becomes a whole block of device pixels.
    for (const QRect& r : stale_) p.drawImage(QRectF(r), image_, QRectF(r));
  } else {
    // Smooth, from the whole picture so that the edges blend with their neighbours.
    // A changed pixel also tints the edges of its neighbours' device pixels.
    QRegion blended;
    for (const QRect& r : stale_) blended += r.adjusted(-1, -1, 1, 1);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setClipRegion(blended & QRegion(image_.rect()));
    p.drawImage(QRectF(QPointF(0, 0), QSizeF(image_.size())), image_);
  }
  stale_ = QRegion();
}

std::unique_ptr<QPainter> PictureBox::SharpPainter(const QRect& covered) {
  SyncSharp();
  if (sharp_.isNull()) return nullptr;
  if (!covered.isEmpty()) {
    if (staleRun_.isValid()) stale_ += staleRun_;
    staleRun_ = QRect();
    // Smooth scaling reaches one pixel into the cover from outside it.
    stale_ -= WholeRatio(sharp_.devicePixelRatio()) ? covered : covered.adjusted(1, 1, -1, -1);
  }
  FlushStale();
  return std::make_unique<QPainter>(&sharp_);
}

void PictureBox::ShowPicture(const QImage& picture) {
  BeginImageDrawing();
  const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
  QImage& target = Target();
  // Row by row into the retained picture, as SetRow would put them, without
  // converting each pixel there and back.
  const QRect area = rgb.rect() & target.rect();
  if (!area.isEmpty()) {
    for (int y = 0; y < area.height(); ++y)
      std::copy_n(reinterpret_cast<const QRgb*>(rgb.constScanLine(y)), area.width(),
                  reinterpret_cast<QRgb*>(target.scanLine(y)));
    MarkStale(area);
    Changed();
  }
  SetAutoRedraw(false);
}

QImage& PictureBox::Target() {
  SyncImage();
  if (autoRedraw_) return image_;
  const QSize size(InnerWidth(), InnerHeight());
  if (overlay_.size() != size) {
    overlay_ = size.isEmpty() ? QImage() : QImage(size, QImage::Format_ARGB32_Premultiplied);
    if (!overlay_.isNull()) overlay_.fill(Qt::transparent);
  }
  return overlay_;
}

void PictureBox::Changed() {
  if (updatePending_) return;
  updatePending_ = true;
  update();
}

void PictureBox::Cls() {
  if (autoRedraw_) {
    SyncImage();
    if (!image_.isNull()) image_.fill(ToQRgb(Resolve(backColor_)));
    if (auto p = SharpPainter(image_.rect())) p->fillRect(image_.rect(), QColor(ToQRgb(Resolve(backColor_))));
    printed_.clear();
  }
  overlay_ = QImage();
  CurrentX = 0;
  CurrentY = 0;
  update();
}

void PictureBox::ClearOverlay() {
  if (overlay_.isNull()) return;
  overlay_ = QImage();
  update();
}

void PictureBox::Line(double x1, double y1, double x2, double y2, uint32_t colour) {
  QImage& target = Target();
  if (target.isNull()) return;
  const QPoint a(ToPixelX(x1), ToPixelY(y1)), b(ToPixelX(x2), ToPixelY(y2));
  const QRgb pen = ToQRgb(Resolve(colour));
  // The line's pixels first, then each one gets its colour from the draw mode.
  std::vector<QPoint> points;
  if (drawWidth_ == 1) {
    // One-pixel lines leave out their end point, so that lines joined end to
    // start set each pixel once.
    int x = a.x(), y = a.y();
    const int dx = std::abs(b.x() - x), dy = -std::abs(b.y() - y);
    const int sx = x < b.x() ? 1 : -1, sy = y < b.y() ? 1 : -1;
    int err = dx + dy;
    while (x != b.x() || y != b.y()) {
      points.emplace_back(x, y);
      const int e2 = 2 * err;
      if (e2 >= dy) { err += dy; x += sx; }
      if (e2 <= dx) { err += dx; y += sy; }
    }
  } else {
    const int pad = drawWidth_;
    const QRect area = QRect(a, b).normalized().adjusted(-pad, -pad, pad, pad) & target.rect();
    if (area.isEmpty()) return;
    QImage mask(area.size(), QImage::Format_ARGB32_Premultiplied);
    mask.fill(Qt::transparent);
    QPainter p(&mask);
    p.setPen(QPen(Qt::black, drawWidth_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(a - area.topLeft(), b - area.topLeft());
    p.end();
    for (int y = 0; y < mask.height(); ++y) {
      const QRgb* line = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
      for (int x = 0; x < mask.width(); ++x)
        if (qAlpha(line[x]) != 0) points.emplace_back(area.left() + x, area.top() + y);
    }
  }
  const bool onOverlay = &target == &overlay_;
  // Lines in the retained picture are rare; the sharp picture takes them as pixels.
  if (!onOverlay && !points.empty()) {
    SyncSharp();
    QRect bounds(points.front(), QSize(1, 1));
    for (const QPoint& pt : points) bounds |= QRect(pt, QSize(1, 1));
    MarkStale(bounds & target.rect());
  }
  for (const QPoint& pt : points) {
    if (!target.rect().contains(pt)) continue;
    QRgb value = pen;
    if (drawMode_ == DrawMode::MergePenNot) {
      // The pixel below is the one that shows: the overlay's where it was drawn
      // on, else the picture's. A second line over the same pixel merges again.
      const QRgb below = onOverlay && qAlpha(target.pixel(pt)) != 0 ? target.pixel(pt) : Image().pixel(pt);
      value = 0xFF000000u | (pen | ~below);
    }
    reinterpret_cast<QRgb*>(target.scanLine(pt.y()))[pt.x()] = value;
  }
  update();
}

void PictureBox::Box(double x1, double y1, double x2, double y2, uint32_t colour) {
  QImage& target = Target();
  if (target.isNull()) return;
  const QPen pen(QColor(ToQRgb(Resolve(colour))), drawWidth_, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
  const QRect box =
      QRect(QPoint(ToPixelX(x1), ToPixelY(y1)), QPoint(ToPixelX(x2), ToPixelY(y2))).normalized().adjusted(0, 0, -1, -1);
  QPainter p(&target);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  p.drawRect(box);
  p.end();
  if (&target == &image_) {
    if (auto sharp = SharpPainter()) {
      sharp->setPen(pen);
      sharp->setBrush(Qt::NoBrush);
      sharp->drawRect(box);
    }
  }
  update();
}

void PictureBox::FillBox(double x1, double y1, double x2, double y2, uint32_t colour) {
  QImage& target = Target();
  if (target.isNull()) return;
  const QRect r = QRect(QPoint(ToPixelX(x1), ToPixelY(y1)), QPoint(ToPixelX(x2), ToPixelY(y2))).normalized() &
                  target.rect();
  if (r.isEmpty()) return;
  const QRgb rgb = ToQRgb(Resolve(colour));
  for (int y = r.top(); y <= r.bottom(); ++y)
    std::fill_n(reinterpret_cast<QRgb*>(target.scanLine(y)) + r.left(), r.width(), rgb);
  if (&target == &image_) {
    if (auto sharp = SharpPainter(r)) sharp->fillRect(r, QColor(rgb));
  }
  update();
}

void PictureBox::Print(const QString& text) {
  const int x = ToPixelX(CurrentX), y = ToPixelY(CurrentY);
  QImage& target = Target();
  if (!target.isNull()) {
    const QPoint baseline(x, y + QFontMetrics(font()).ascent());
    const QColor colour(ToQRgb(Resolve(foreColor_)));
    QPainter p(&target);
    p.setFont(font());
    p.setPen(colour);
    p.drawText(baseline, text);
    p.end();
    // The same text at the screen's resolution, where the box shows it.
    if (&target == &image_) {
      if (auto sharp = SharpPainter()) {
        sharp->setFont(font());
        sharp->setPen(colour);
        sharp->drawText(baseline, text);
      }
    }
  }
  printed_.push_back({x, y, text, FontBold()});
  CurrentX = 0;
  CurrentY += TextHeight(text);
  update();
  emit Printed(text);
}

double PictureBox::TextHeight(const QString& text) const {
  const int lines = static_cast<int>(text.count(QLatin1Char('\n'))) + 1;
  const double pixels = static_cast<double>(QFontMetrics(font()).height()) * lines;
  return userScale_ && InnerHeight() > 0 ? pixels * scaleHeight_ / InnerHeight() : pixels;
}

double PictureBox::TextWidth(const QString& text) const {
  const double pixels = QFontMetrics(font()).horizontalAdvance(text);
  return userScale_ && InnerWidth() > 0 ? pixels * scaleWidth_ / InnerWidth() : pixels;
}

void PictureBox::BeginImageDrawing() {
  autoRedraw_ = true;
  userScale_ = false;
}

void PictureBox::SetCopyPen() {
  drawWidth_ = 1;
  drawMode_ = DrawMode::CopyPen;
}

void PictureBox::PSet(int32_t x, int32_t y, uint32_t colour) { SetRow(x, y, &colour, 1); }

uint32_t PictureBox::Point(int32_t x, int32_t y) const {
  uint32_t colour = 0;
  GetRow(x, y, &colour, 1);
  return colour;
}

void PictureBox::SetRow(int32_t x, int32_t y, const uint32_t* colours, int32_t count) {
  QImage& target = Target();
  if (target.isNull() || y < 0 || y >= target.height() || count <= 0) return;
  const int64_t from = std::max<int64_t>(x, 0);
  const int64_t to = std::min<int64_t>(static_cast<int64_t>(x) + count, target.width());
  if (from >= to) return;
  QRgb* line = reinterpret_cast<QRgb*>(target.scanLine(y));
  for (int64_t i = from; i < to; ++i) line[i] = ToQRgb(colours[i - x]);
  // Without a sharp picture yet, the first one is made from the whole retained one.
  if (&target == &image_) MarkStale(QRect(static_cast<int>(from), y, static_cast<int>(to - from), 1));
  Changed();
}

void PictureBox::GetRow(int32_t x, int32_t y, uint32_t* colours, int32_t count) const {
  SyncImage();
  for (int32_t i = 0; i < count; ++i) colours[i] = 0;
  if (image_.isNull() || y < 0 || y >= image_.height() || count <= 0) return;
  const int64_t from = std::max<int64_t>(x, 0);
  const int64_t to = std::min<int64_t>(static_cast<int64_t>(x) + count, image_.width());
  const QRgb* line = reinterpret_cast<const QRgb*>(image_.constScanLine(y));
  for (int64_t i = from; i < to; ++i) colours[i - x] = FromQRgb(line[i]);
}

void PictureBox::paintEvent(QPaintEvent* event) {
  updatePending_ = false;
  QPainter p(this);
  const int b = BorderWidth();
  if (b > 0) {
    // A sunken edge in the classic system colours.
    const QRect r = rect();
    auto colour = [](int index) { return QColor(ToQRgb(platform::GetSysColor(index))); };
    p.setPen(colour(platform::syscolor::kButtonShadow));
    p.drawLine(r.left(), r.top(), r.right() - 1, r.top());
    p.drawLine(r.left(), r.top(), r.left(), r.bottom() - 1);
    p.setPen(colour(21));  // dark shadow
    p.drawLine(r.left() + 1, r.top() + 1, r.right() - 2, r.top() + 1);
    p.drawLine(r.left() + 1, r.top() + 1, r.left() + 1, r.bottom() - 2);
    p.setPen(colour(platform::syscolor::kButtonHighlight));
    p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    p.drawLine(r.right(), r.top(), r.right(), r.bottom());
    p.setPen(colour(platform::syscolor::kButtonFace));
    p.drawLine(r.left() + 1, r.bottom() - 1, r.right() - 1, r.bottom() - 1);
    p.drawLine(r.right() - 1, r.top() + 1, r.right() - 1, r.bottom() - 1);
  }
  const QImage& picture = Image();
  SyncSharp();
  FlushStale();
  if (!sharp_.isNull()) {
    p.drawImage(QPointF(b, b), sharp_);  // one to one with the screen's pixels
  } else if (!picture.isNull()) {
    // Scaled to the screen: whole blocks at a whole factor, smooth otherwise.
    p.setRenderHint(QPainter::SmoothPixmapTransform, !WholeRatio(ScreenRatio()));
    p.drawImage(b, b, picture);
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
  }
  // The marker's pixels stay whole pixels of the picture below them.
  if (!overlay_.isNull() && overlay_.size() == picture.size()) p.drawImage(b, b, overlay_);
  if (paintOver_) {
    const QRect exposed = event->rect().translated(-b, -b) & QRect(0, 0, InnerWidth(), InnerHeight());
    if (exposed.isEmpty()) return;
    if (!WholeRatio(ScreenRatio())) p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.translate(b, b);
    p.setClipRect(exposed);
    paintOver_(p, exposed);
  }
}

void PictureBox::ResizePicture(int width, int height) {
  resize(width, height);
  SyncImage();
}

void PictureBox::resizeEvent(QResizeEvent* event) {
  if (inner_) inner_->setGeometry(BorderWidth(), BorderWidth(), InnerWidth(), InnerHeight());
  SyncImage();
  QWidget::resizeEvent(event);
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  emit MouseDown(event->button(), pos.x() - BorderWidth(), pos.y() - BorderWidth());
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  emit MouseUp(event->button(), pos.x() - BorderWidth(), pos.y() - BorderWidth());
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  emit MouseMove(event->buttons(), pos.x() - BorderWidth(), pos.y() - BorderWidth());
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (event->button() == Qt::LeftButton) emit DblClick(pos.x() - BorderWidth(), pos.y() - BorderWidth());
}

void PictureBox::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
    emit GotFocus();
}

}  // namespace quelo::ui
