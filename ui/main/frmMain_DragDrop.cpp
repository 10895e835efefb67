// The strip canvas as a drop target and under the mouse: previews dragged onto
// picMain go into the strip at the gap under the pointer, shown beforehand by a
// red marker on the canvas's overlay; a press on an image selects its entry; a
// press and a move drag that image: dropped on this canvas it moves to the gap
// under the pointer, dropped on another program it is the strip picture; the
// wheel over the strip area scrolls the strip.
#include <QApplication>
#include <QBuffer>
#include <QCoreApplication>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QListWidget>
#include <QMimeData>
#include <QScrollBar>
#include <QUrl>

#include <algorithm>
#include <exception>
#include <functional>
#include <new>
#include <stdexcept>
#include <utility>

#include "platform/Platform.h"
#include "platform/QueloError.h"
#include "ui/main/PictureBox.h"
#include "ui/main/StripMath.h"
#include "ui/main/frmMain.h"

namespace quelo::ui {

namespace {

// What the preview panel's drag start carries: "<process id> <preview index>".
// What a drag of a strip image carries besides the picture: "<process id> <position>".
const QString kStripMimeType = QStringLiteral("application/x-quelo-strip");

// The number a drag of this running program carries in `type`; -1 when the
// data is not of that type, garbled, or from another process.
int DraggedNumber(const QMimeData* data, const QString& type) {
  if (!data || !data->hasFormat(type)) return -1;
  const QList<QByteArray> fields = data->data(type).split(' ');
  if (fields.size() != 2) return -1;
  bool pidOk = false, numberOk = false;
  const qint64 pid = fields[0].toLongLong(&pidOk);
  const int number = fields[1].toInt(&numberOk);
  if (!pidOk || !numberOk || number < 0 || pid != QCoreApplication::applicationPid()) return -1;
  return number;
}
constexpr uint32_t kMarkerColour = 0x0000FF;  // red
// The strip picture's drag image is kept small enough to follow the pointer.
constexpr int kDragImageWidth = 256;

// Hands the events of the watched controls to a function of the window.
class EventHook final : public QObject {
 public:
  EventHook(QObject* parent, std::function<bool(QObject*, QEvent*)> handler)
      : QObject(parent), handler_(std::move(handler)) {}
  bool eventFilter(QObject* watched, QEvent* event) override { return handler_(watched, event); }

 private:
  std::function<bool(QObject*, QEvent*)> handler_;
};

// The number and description of a failure, as the error message shows them.
std::pair<int32_t, std::string> ErrorOf(const std::exception& e) {
  if (const auto* q = dynamic_cast<const QueloError*>(&e)) return {q->Number(), q->UserDescription()};
  if (dynamic_cast<const std::out_of_range*>(&e))
    return {err::kSubscriptOutOfRange, QueloError::DefaultDescription(err::kSubscriptOutOfRange)};
  if (dynamic_cast<const std::bad_alloc*>(&e)) return {7, "Out of memory"};
  return {5, e.what()};  // invalid procedure call or argument
}

}  // namespace

void frmMain::ConnectStripCanvas() {
  picMain->setAcceptDrops(true);
  picMainFrame->setAcceptDrops(true);
  auto* hook = new EventHook(this, [this](QObject* watched, QEvent* event) {
    switch (event->type()) {
      case QEvent::DragEnter:
      case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        const bool reorder = DraggedStripPosition(drag->mimeData()) >= 0;
        if (watched == picMain && (reorder || DraggedPreviewIndex(drag->mimeData()) > 0)) {
          picMain_DragOver(static_cast<float>(drag->position().x()));
          drag->setDropAction(reorder ? Qt::MoveAction : Qt::CopyAction);
          drag->accept();
        } else if (!drag->source() && !DroppedPath(drag->mimeData()).empty()) {
          // A folder or pack from a file manager opens, wherever it is dropped;
          // the strip's own picture file, dragged from here, does not.
          picMainFrame_DragOver();
          drag->acceptProposedAction();
        } else {
          // The frame around the canvas, and drags that are not our previews:
          // no marker, and nothing to drop.
          picMainFrame_DragOver();
          drag->ignore();
        }
        return true;
      }
      case QEvent::DragLeave:
        // Also the end of a drag cancelled over the canvas.
        picMain->ClearOverlay();
        return true;
      case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const int16_t from = DraggedStripPosition(drop->mimeData());
        if (watched == picMain && from >= 0) {
          drop->setDropAction(Qt::MoveAction);
          drop->accept();
          picMain_ReorderDrop(from, static_cast<float>(drop->position().x()));
          return true;
        }
        const int16_t index = DraggedPreviewIndex(drop->mimeData());
        if (index < 1 && !drop->source() && !DroppedPath(drop->mimeData()).empty()) {
          dropEvent(drop);
          return true;
        }
        if (watched != picMain || index < 1) {
          drop->ignore();
          return true;
        }
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        picMain_DragDrop(index, static_cast<float>(drop->position().x()));
        return true;
      }
      case QEvent::Wheel:
        // The wheel over the strip area turns the strip's scroll bar; the
        // vertical one when only the strip's height scrolls.
        if (hscMain->isEnabled())
          QCoreApplication::sendEvent(hscMain, event);
        else if (vscMain->isVisible())
          QCoreApplication::sendEvent(vscMain, event);
        return true;
      default:
        return false;
    }
  });
  picMain->installEventFilter(hook);
  picMainFrame->installEventFilter(hook);
  connect(picMain, &PictureBox::MouseDown, this,
          [this](Qt::MouseButton button, int x, int y) { picMain_MouseDown(button, x, y); });
  connect(picMain, &PictureBox::MouseMove, this,
          [this](Qt::MouseButtons buttons, int x, int y) { picMain_MouseMove(buttons, x, y); });
  connect(picMain, &PictureBox::MouseUp, this, [this] { stripDragArmed_ = false; });
}

int16_t frmMain::StripDropPosition(float X, int32_t* MarkerX) const {
  return quelo::ui::StripDropPosition(StripWidths(), X, MarkerX);
}

int16_t frmMain::StripItemAt(float X) const { return quelo::ui::StripItemAt(StripWidths(), X); }

int16_t frmMain::DraggedPreviewIndex(const QMimeData* data) const {
  // Only a preview of this running program, an index of an image it has; 0
  // for anything else.
  const int index = DraggedNumber(data, kPreviewMimeType);
  return index >= 1 && index <= PackImageCount() ? static_cast<int16_t>(index) : 0;
}

bool frmMain::IsStripDrag(const QMimeData* data) { return data && data->hasFormat(kStripMimeType); }

int16_t frmMain::DraggedStripPosition(const QMimeData* data) const {
  // Only an entry of this running program's strip as it is now; -1 otherwise.
  const int position = DraggedNumber(data, kStripMimeType);
  return position < StripCount() ? static_cast<int16_t>(position) : int16_t(-1);
}

void frmMain::picMain_DragOver(float X) {
  // Only one marker at a time.
  picMain->ClearOverlay();
  // Where the marker goes: the middle of the empty canvas, or the gap under X.
  int32_t m = 0;
  if (StripCount() == 0) {
    m = static_cast<int32_t>(RoundHalfEven(picMain->ScaleWidth())) / 2;
  } else {
    const int16_t p = StripDropPosition(X, &m);
    // The marker stays inside the canvas at either end.
    if (p == 0) {
      m += 1;
    } else if (p == StripCount()) {
      m -= 2;
    }
  }
  // Red merged with the inverted picture shows on any colour; the overlay
  // keeps it out of the strip picture.
  const int h = picMain->height();
  picMain->SetDrawWidth(3);
  picMain->SetDrawMode(PictureBox::DrawMode::MergePenNot);
  picMain->Line(m, 0, m, h, kMarkerColour);
  picMain->Line(m - 3, 0, m + 3, 0, kMarkerColour);
  picMain->Line(m - 3, h - 1, m + 3, h - 1, kMarkerColour);
  // Later drawing on the canvas expects the plain pen again.
  picMain->SetDrawMode(PictureBox::DrawMode::CopyPen);
  picMain->SetDrawWidth(1);
}

void frmMain::picMainFrame_DragOver() { picMain->ClearOverlay(); }

void frmMain::picMain_DragDrop(int16_t ImageIndex, float X) {
  // The marker goes with the drop, also when nothing is added (the limit, or
  // Cancel to the height question).
  picMain->ClearOverlay();
  int16_t position = StripDropPosition(X, nullptr);
  AddStripImage(ImageIndex, position);
}

void frmMain::picMain_ReorderDrop(int16_t From, float X) {
  picMain->ClearOverlay();
  MoveStripImage(From, StripDropPosition(X, nullptr));
}

void frmMain::picMain_MouseDown(Qt::MouseButton Button, int X, int Y) {
  stripDragArmed_ = false;
  // An empty strip has nothing to select.
  if (StripCount() == 0) return;
  try {
    const int16_t i = StripItemAt(static_cast<float>(X));
    // A left press may become a drag of the image pressed.
    stripDragArmed_ = Button == Qt::LeftButton;
    stripDragStart_ = QPoint(X, Y);
    stripDragFrom_ = i;
    // The selected image pressed again: the selection stays.
    if (i == SelectedStripPosition()) return;
    // A preview out of the panel's view comes back first: one above it from
    // one place above it, one below it, or cut by the lower edge, just far
    // enough to show whole. Then the line is selected as a click selects it.
    const int16_t idx = StripImageIndex(i);
    if (!picPreview[static_cast<size_t>(idx)].visible)
      vscPreviews->setValue(std::max<int>(idx - 1, vscPreviews->minimum()));
    else
      ScrollPreviewIntoView(idx);
    lstImages->setCurrentRow(i);
    lstImages_Click();
  } catch (const std::exception& e) {
    // A failure is shown, never passed on: the press must not end the program,
    // nor start a drag.
    stripDragArmed_ = false;
    const auto [number, description] = ErrorOf(e);
    platform::ShowMessage(tr("エラー\r\n%1\r\n%2")
                              .arg(QString::fromStdString(description), QString::number(number))
                              .toStdString());

  }
}

void frmMain::picMain_MouseMove(Qt::MouseButtons Buttons, int X, int Y) {
  if (!stripDragArmed_ || !(Buttons & Qt::LeftButton)) return;
  if ((QPoint(X, Y) - stripDragStart_).manhattanLength() < QApplication::startDragDistance()) return;
  stripDragArmed_ = false;
  // Both at once: the entry for a drop on this canvas, the picture for
  // everything else; the drop target takes what it understands.
  QMimeData* data = StripPictureData();
  if (!data) return;
  data->setData(kStripMimeType,
                QByteArray::number(QCoreApplication::applicationPid()) + ' ' + QByteArray::number(stripDragFrom_));
  const QImage picture = StripImage();
  if (picture.isNull()) {
    delete data;
    return;
  }
  auto* drag = new QDrag(picMain);
  drag->setMimeData(data);
  const double scale = std::min(1.0, static_cast<double>(kDragImageWidth) / std::max(1, picture.width()));
  drag->setPixmap(QPixmap::fromImage(
      scale < 1 ? picture.scaledToWidth(kDragImageWidth, Qt::SmoothTransformation) : picture));
  // The picture rides just below the strip, in line with it: over the strip it
  // would hide the marker that shows where a reorder lands.
  drag->setHotSpot(QPoint(static_cast<int>(stripDragStart_.x() * scale), stripDragStart_.y() - picture.height() - 4));
  drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
}

QMimeData* frmMain::StripPictureData() {
  // As an image for editors and documents, as PNG bytes, and as a PNG file for
  // file managers. The file lives until the window goes, so that a receiver
  // that reads it after the drop still finds it.
  const QImage picture = StripImage();
  // Too large to hold: there is nothing to drag.
  if (picture.isNull()) return nullptr;
  auto* data = new QMimeData;
  data->setImageData(picture);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!picture.save(&buffer, "PNG")) return data;
  data->setData(QStringLiteral("image/png"), png);
  if (!stripDragDir_) stripDragDir_ = std::make_unique<QTemporaryDir>();
  if (!stripDragDir_->isValid()) return data;
  QFile file(stripDragDir_->filePath(QStringLiteral("quelo-strip.png")));
  // Without its file the drag still carries the picture.
  if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(png) == png.size() && file.flush())
    data->setUrls({QUrl::fromLocalFile(file.fileName())});
  return data;
}

}  // namespace quelo::ui
