// The preview panel: the previews it draws in view, selection and its
// marking, scrolling, the mouse and keyboard on a preview, and the preview
// popup menu.
#include <QApplication>
#include <QCursor>
#include <QDrag>
#include <QFocusEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QFontMetrics>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

#include <algorithm>

#include "platform/Platform.h"
#include "ui/main/PictureBox.h"
#include "ui/main/StripMath.h"
#include "ui/main/Twips.h"
#include "ui/main/frmMain.h"

namespace quelo::ui {

namespace {
// The dragged preview's index travels with the program's process id, so that a
// drop accepts only previews of this running program.

// An image's own drawing into a picture of its size.
class PictureSurface final : public ISurface {
 public:
  explicit PictureSurface(QImage& picture) : picture_(picture) {}
  void PSet(int32_t x, int32_t y, uint32_t colour) override { SetRow(x, y, &colour, 1); }
  uint32_t Point(int32_t x, int32_t y) const override {
    uint32_t colour = 0;
    GetRow(x, y, &colour, 1);
    return colour;
  }
  void SetRow(int32_t x, int32_t y, const uint32_t* colours, int32_t count) override {
    if (y < 0 || y >= picture_.height()) return;
    QRgb* line = reinterpret_cast<QRgb*>(picture_.scanLine(y));
    for (int32_t i = std::max(0, -x); i < count && x + i < picture_.width(); ++i)
      line[x + i] = PictureBox::ToQRgb(colours[i]);
  }
  void GetRow(int32_t x, int32_t y, uint32_t* colours, int32_t count) const override {
    std::fill_n(colours, count, 0u);
    if (y < 0 || y >= picture_.height()) return;
    const QRgb* line = reinterpret_cast<const QRgb*>(picture_.constScanLine(y));
    for (int32_t i = std::max(0, -x); i < count && x + i < picture_.width(); ++i)
      colours[i] = PictureBox::FromQRgb(line[x + i]);
  }

 private:
  QImage& picture_;
};
}  // namespace

void frmMain::ConnectPreviews() {
  picPreviews->setFocusPolicy(Qt::StrongFocus);
  picPreviews->SetPaintOver([this](QPainter& p, const QRect& exposed) { PaintPreviews(p, exposed); });
  // Mouse events on the panel belong to the preview under the pointer; the
  // release and moves of a press stay with the preview it went down on.
  connect(picPreviews, &PictureBox::MouseDown, this, [this](Qt::MouseButton button, int x, int y) {
    pressedPreview_ = static_cast<int16_t>(picPreview.IndexAt(x, y));
    dragStart_ = QPoint(x, y);
    if (pressedPreview_ > 0) picPreview_MouseDown(pressedPreview_, button);
  });
  connect(picPreviews, &PictureBox::MouseMove, this, [this](Qt::MouseButtons buttons, int x, int y) {
    if (pressedPreview_ > 0) picPreview_MouseMove(pressedPreview_, buttons, x, y);
  });
  connect(picPreviews, &PictureBox::MouseUp, this, [this](Qt::MouseButton button, int x, int y) {
    const int16_t k = pressedPreview_ > 0 ? pressedPreview_ : static_cast<int16_t>(picPreview.IndexAt(x, y));
    pressedPreview_ = 0;
    if (k > 0) picPreview_MouseUp(k, button);
  });
  connect(picPreviews, &PictureBox::DblClick, this, [this](int x, int y) {
    if (const int k = picPreview.IndexAt(x, y); k > 0) picPreview_DblClick(static_cast<int16_t>(k));
  });
}

void frmMain::PaintPreviews(QPainter& painter, const QRect& exposed) {
  int from = 0, to = 0;
  picPreview.InRows(exposed.top(), exposed.bottom() + 1, &from, &to);
  for (int k = from; k <= to; ++k) {
    const QImage& picture = PreviewPicture(static_cast<int16_t>(k));
    if (!picture.isNull()) painter.drawImage(picPreview[static_cast<size_t>(k)].left, picPreview.Top(k), picture);
  }
  // Pictures that left the view are dropped: only a few ever exist.
  int shownFrom = 0, shownTo = 0;
  picPreview.InRows(0, picPreviews->InnerHeight(), &shownFrom, &shownTo);
  const int margin = std::max(4, shownTo - shownFrom + 1);
  previewPictures_.erase(std::remove_if(previewPictures_.begin(), previewPictures_.end(),
                                        [&](const auto& kept) {
                                          return kept.first < shownFrom - margin || kept.first > shownTo + margin;
                                        }),
                         previewPictures_.end());
}

const QImage& frmMain::PreviewPicture(int16_t Index) {
  for (const auto& [k, picture] : previewPictures_)
    if (k == Index) return picture;
  const PreviewElement e = picPreview[static_cast<size_t>(Index)];
  QImage picture = ImagePicture(Index);
  // A large image is shown scaled down to the preview's size.
  if (!picture.isNull() && picture.size() != QSize(e.width, e.height))
    picture = picture.scaled(e.width, e.height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  previewPictures_.emplace_back(Index, std::move(picture));
  return previewPictures_.back().second;
}

QImage frmMain::ImagePicture(int16_t Index) const {
  if (Index < 1 || Index > PackImageCount()) return QImage();
  const clsImage& image = PackImage(Index);
  QImage picture;
  if (image.Width() > 0 && image.Height() > 0) picture = QImage(image.Width(), image.Height(), QImage::Format_RGB32);
  if (picture.isNull()) return picture;
  // Drawn on the colour the preview was given when it was loaded: blending over
  // that colour is what Show does with it as BackColor.
  const uint32_t back = picPreview.BackColour(Index);
  picture.fill(PictureBox::ToQRgb(back & 0x80000000u ? platform::GetSysColor(static_cast<int>(back & 0xFFFFFFu))
                                                     : back & 0xFFFFFFu));
  PictureSurface surface(picture);
  image.ShowEx(surface, 0, 0);
  return picture;
}

QString frmMain::PreviewCaption(int16_t Index) const {
  // The caption band is as wide as the preview; the text starts one pixel in
  // and may not run past the band, where it would be white on white.
  const QString name = QString::fromStdString(PackImage(Index).Name());
  const int room = picPreview[static_cast<size_t>(Index)].width - 1;
  return QFontMetrics(picPreviews->font()).elidedText(name, Qt::ElideRight, std::max(room, 0));
}

void frmMain::DrawPreviewFrame(int16_t Index) {
  constexpr uint32_t kSys = 0x80000000u;
  // At most one preview is ever marked.
  picPreviews->SetAutoRedraw(true);
  picPreviews->Cls();
  if (Index < 1 || Index > PackImageCount()) return;
  picPreviews->SetDrawWidth(3);
  // 2-3.
  const uint32_t c = kSys | platform::syscolor::kHighlight;
  picPreviews->SetForeColor(0xFFFFFF);
  const PreviewElement preview = picPreview[static_cast<size_t>(Index)];
  const int L = preview.left, T = preview.top, W = preview.width, H = preview.height;
  // The caption band and the margin around the preview.
  picPreviews->FillBox(L - 1, T - 1 - CaptionHeight, L + W, T + H, c);
  picPreviews->CurrentX = L + 1;
  picPreviews->CurrentY = T - CaptionHeight + 2;
  picPreviews->Print(PreviewCaption(Index));
  // The frame, 3 pixels wide; the panel goes on retaining its drawing.
  picPreviews->Box(L - 1, T - 1, L + W, T + H, c);
}

void frmMain::picPreview_GotFocus(int16_t Index) {
  SelectedPreview = Index;
  DrawPreviewFrame(Index);
}

void frmMain::FocusPreview(int16_t Index) {
  if (Index < 1 || Index > PackImageCount()) return;
  picPreviews->setFocus(Qt::OtherFocusReason);
  picPreview_GotFocus(Index);
}

void frmMain::picPreview_MouseDown(int16_t Index, Qt::MouseButton Button) {
  // Any press selects the preview under it, whether or not the panel already
  // had the focus, so that the popup's commands act on what was pressed.
  if (!picPreviews->hasFocus()) picPreviews->setFocus(Qt::MouseFocusReason);
  picPreview_GotFocus(Index);
  if (Button != Qt::LeftButton) return;
  // The drag starts once the pointer has moved a little from where it was
  // pressed, so that a double click still reaches the preview.
  dragIndex_ = Index;
}

void frmMain::picPreview_MouseMove(int16_t Index, Qt::MouseButtons Buttons, int X, int Y) {
  if (!(Buttons & Qt::LeftButton) || dragIndex_ != Index) return;
  if ((QPoint(X, Y) - dragStart_).manhattanLength() < QApplication::startDragDistance()) return;
  dragIndex_ = 0;
  pressedPreview_ = 0;
  auto* data = new QMimeData;
  data->setData(kPreviewMimeType,
                QByteArray::number(QCoreApplication::applicationPid()) + ' ' + QByteArray::number(Index));
  auto* drag = new QDrag(picPreviews);
  drag->setMimeData(data);
  const QImage& picture = PreviewPicture(Index);
  if (!picture.isNull()) drag->setPixmap(QPixmap::fromImage(picture));
  drag->exec(Qt::CopyAction);
}

void frmMain::picPreview_MouseUp(int16_t Index, Qt::MouseButton Button) {
  dragIndex_ = 0;
  if (Button != Qt::RightButton || Index < 1) return;
  ShowPreviewPopup(QCursor::pos().y());
}

void frmMain::ShowPreviewPopup(int globalY) {
  // Left edge: the panel's right edge less the scroll bar and 25 twips.
  const int x = picPreviews->x() + picPreviews->width() - vscPreviews->width() - TwipsToPixels(25);
  mnuPopPreviews->popup(QPoint(client_->mapToGlobal(QPoint(x, 0)).x(), globalY));
}

void frmMain::picPreview_DblClick(int16_t Index) {
  int16_t position = -1;
  AddStripImage(Index, position);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched != picPreviews) return QMainWindow::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::Wheel:
      // The wheel anywhere over the panel turns its scroll bar.
      if (!vscPreviews->isVisible()) break;
      QCoreApplication::sendEvent(vscPreviews, event);
      return true;
    case QEvent::KeyPress:
      return picPreviews_KeyDown(*static_cast<QKeyEvent*>(event));
    case QEvent::FocusIn: {
      // Coming in with Tab or Shift+Tab, the keyboard needs a selection to move.
      const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
      if ((reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason) && SelectedPreview < 1 &&
          picPreview.FirstVisible() > 0)
        picPreview_GotFocus(static_cast<int16_t>(picPreview.FirstVisible()));
      break;
    }
    case QEvent::ToolTip: {
      // A display name that the preview's width cuts short shows whole.
      auto* help = static_cast<QHelpEvent*>(event);
      const int b = picPreviews->BorderWidth();
      const int k = picPreview.IndexAt(help->pos().x() - b, help->pos().y() - b);
      const PreviewElement e = picPreview[static_cast<size_t>(k)];
      const QString name = k > 0 ? QString::fromStdString(PackImage(k).Name()) : QString();
      if (k > 0 && PreviewCaption(static_cast<int16_t>(k)) != name)
        QToolTip::showText(help->globalPos(), name, picPreviews, QRect(e.left + b, e.top + b, e.width, e.height));
      else
        QToolTip::hideText();
      return true;
    }
    case QEvent::ContextMenu:
      // The Menu key; the keyboard handler has opened the popup already.
      return true;
    default:
      break;
  }
  return QMainWindow::eventFilter(watched, event);
}

bool frmMain::picPreviews_KeyDown(const QKeyEvent& event) {
  const Qt::KeyboardModifiers mods = event.modifiers() & ~Qt::KeypadModifier;
  switch (event.key()) {
    case Qt::Key_Up:
      MovePreviewSelection(-1);
      return true;
    case Qt::Key_Down:
      MovePreviewSelection(1);
      return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
      // At either end the focus goes on to the window's other controls.
      const bool back = event.key() == Qt::Key_Backtab || mods == Qt::ShiftModifier;
      return (back || mods == Qt::NoModifier) && MovePreviewSelection(back ? -1 : 1);
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
      if (SelectedPreview >= 1) picPreview_DblClick(SelectedPreview);
      return true;
    case Qt::Key_F10:
      if (mods != Qt::ShiftModifier) return false;
      [[fallthrough]];
    case Qt::Key_Menu: {
      if (SelectedPreview < 1) return true;
      // At the selected preview's height while it is in the panel.
      const int b = picPreviews->BorderWidth();
      const int top = std::clamp(picPreview.Top(SelectedPreview), 0, picPreviews->InnerHeight() - 1);
      ShowPreviewPopup(picPreviews->mapToGlobal(QPoint(0, top + b)).y());
      return true;
    }
    default:
      return false;
  }
}

bool frmMain::MovePreviewSelection(int step) {
  // Without a selection the keys start from the preview at the top.
  const int from = SelectedPreview >= 1 ? SelectedPreview : picPreview.FirstVisible() - step;
  const int k = from + step;
  if (picPreview.FirstVisible() == 0 || k < 1 || k > PackImageCount()) return false;
  ScrollPreviewIntoView(static_cast<int16_t>(k));
  picPreview_GotFocus(static_cast<int16_t>(k));
  return true;
}

void frmMain::ScrollPreviewIntoView(int16_t Index) {
  const int first = picPreview.FirstVisible();
  if (first == 0 || Index < 1 || Index > PackImageCount()) return;
  // Up to the top when it is above; down only as far as needed when it is below.
  const int v = Index < first ? Index
                              : std::max(first, picPreview.FirstShowing(Index, picPreview.Top(first),
                                                                        picPreviews->InnerHeight()));
  if (v != first) vscPreviews->setValue(v);
}

void frmMain::vscPreviews_Change() {
  const int count = PackImageCount();
  const int v = vscPreviews->value();
  if (v < 1 || v > count) return;
  // The previews stand where they stood relative to each other: v takes the
  // place of the first visible one, those above v are hidden.
  const int first = picPreview.FirstVisible();
  if (first == 0) return;
  const int d = picPreview.Top(first) - picPreview.Top(v);
  if (d == 0) return;
  picPreview.ShiftAll(d, v);
  picPreviews->update();
  if (d < 0) {
    SelectedPreview = static_cast<int16_t>(v);
    DrawPreviewFrame(SelectedPreview);
  } else {
    DrawPreviewFrame(SelectedPreview);
  }
}

}  // namespace quelo::ui
