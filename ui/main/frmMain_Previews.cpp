// The preview panel: selection by focus, its marking, scrolling, the mouse on a
// preview, and the preview popup menu.
#include <QApplication>
#include <QCursor>
#include <QDrag>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>

#include "platform/Platform.h"
#include "ui/main/PictureBox.h"
#include "ui/main/StripMath.h"
#include "ui/main/Twips.h"
#include "ui/main/frmMain.h"

namespace quelo::ui {

namespace {
// The dragged preview's index travels with the program's process id, so that a
// drop accepts only previews of this running program.
const QString kPreviewMimeType = QStringLiteral("application/x-quelo-preview");
}  // namespace

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
  const PictureBox* preview = picPreview[static_cast<size_t>(Index)];
  const int L = picPreviews->ChildLeft(preview), T = picPreviews->ChildTop(preview);
  const int W = preview->width(), H = preview->height();
  // The caption band and the margin around the preview.
  picPreviews->FillBox(L - 1, T - 1 - CaptionHeight, L + W, T + H, c);
  picPreviews->CurrentX = L + 1;
  picPreviews->CurrentY = T - CaptionHeight + 2;
  picPreviews->Print(QString::fromStdString(PackImage(Index).Name()));
  // The frame, 3 pixels wide; the panel goes on retaining its drawing.
  picPreviews->Box(L - 1, T - 1, L + W, T + H, c);
}

void frmMain::picPreview_GotFocus(int16_t Index) {
  SelectedPreview = Index;
  DrawPreviewFrame(Index);
}

void frmMain::FocusPreview(int16_t Index) {
  if (Index < 1 || Index > PackImageCount()) return;
  picPreview[static_cast<size_t>(Index)]->setFocus(Qt::OtherFocusReason);
  // An inactive window takes the focus without telling the preview, and a
  // preview that already has it hears nothing: select it here in both cases.
  if (SelectedPreview != Index) picPreview_GotFocus(Index);
}

void frmMain::picPreview_MouseDown(int16_t Index, Qt::MouseButton Button) {
  if (Button != Qt::LeftButton) return;
  // The drag starts once the pointer has moved a little, so that a double click
  // still reaches the preview.
  dragIndex_ = Index;
  dragStart_ = QCursor::pos();
}

void frmMain::picPreview_MouseMove(int16_t Index, Qt::MouseButtons Buttons, int, int) {
  if (!(Buttons & Qt::LeftButton) || dragIndex_ != Index) return;
  if ((QCursor::pos() - dragStart_).manhattanLength() < QApplication::startDragDistance()) return;
  dragIndex_ = 0;
  auto* data = new QMimeData;
  data->setData(kPreviewMimeType,
                QByteArray::number(QCoreApplication::applicationPid()) + ' ' + QByteArray::number(Index));
  auto* drag = new QDrag(picPreview[static_cast<size_t>(Index)]);
  drag->setMimeData(data);
  const QImage& picture = picPreview[static_cast<size_t>(Index)]->Image();
  if (!picture.isNull()) drag->setPixmap(QPixmap::fromImage(picture));
  drag->exec(Qt::CopyAction);
}

void frmMain::picPreview_MouseUp(int16_t Index, Qt::MouseButton Button) {
  dragIndex_ = 0;
  if (Button != Qt::RightButton || Index < 1) return;
  // Left edge: the panel's right edge less the scroll bar and 25 twips; height:
  // the pointer's.
  const int x = picPreviews->x() + picPreviews->width() - vscPreviews->width() - TwipsToPixels(25);
  const QPoint at(client_->mapToGlobal(QPoint(x, 0)).x(), QCursor::pos().y());
  mnuPopPreviews->popup(at);
}

void frmMain::picPreview_DblClick(int16_t Index) {
  int16_t position = -1;
  AddStripImage(Index, position);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
  // The wheel anywhere over the panel turns its scroll bar.
  if (watched == picPreviews && event->type() == QEvent::Wheel && vscPreviews->isVisible()) {
    QCoreApplication::sendEvent(vscPreviews, event);
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void frmMain::vscPreviews_Change() {
  const int count = PackImageCount();
  const int v = vscPreviews->value();
  if (v < 1 || v > count) return;
  int first = 0;
  for (int k = 1; k <= count; ++k) {
    if (!picPreview[static_cast<size_t>(k)]->isHidden()) {
      first = k;
      break;
    }
  }
  if (first == 0) return;
  const int d = picPreviews->ChildTop(picPreview[static_cast<size_t>(first)]) -
                picPreviews->ChildTop(picPreview[static_cast<size_t>(v)]);
  if (d == 0) return;
  // Previews above v are hidden, the rest shift by one common offset.
  for (int k = 1; k <= count; ++k) {
    PictureBox* preview = picPreview[static_cast<size_t>(k)];
    picPreviews->SetChildTop(preview, picPreviews->ChildTop(preview) + d);
    const bool visible = k >= v;
    if (preview->isHidden() == visible) preview->setVisible(visible);
  }
  if (d < 0) {
    SelectedPreview = static_cast<int16_t>(v);
    DrawPreviewFrame(SelectedPreview);
  } else {
    DrawPreviewFrame(SelectedPreview);
  }
}

}  // namespace quelo::ui
