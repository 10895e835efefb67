// The strip's entries: the lines of lstImages, each the image's display name
// with its index in PackImages as item data. Every edit keeps the canvas in step.
#include <QListWidget>
#include <QScrollBar>

#include <algorithm>

#include "platform/Platform.h"
#include "ui/main/PictureBox.h"
#include "ui/main/StripMath.h"
#include "ui/main/frmMain.h"

namespace quelo::ui {

namespace {
// A line's own reference to its image, beside the pack index in Qt::UserRole.
constexpr int kStripImageRole = Qt::UserRole + 1;
}  // namespace

int frmMain::StripCount() const { return lstImages->count(); }

int16_t frmMain::StripImageIndex(int Position) const {
  return static_cast<int16_t>(lstImages->item(Position)->data(Qt::UserRole).toInt());
}

clsImage& frmMain::StripImage(int Position) const {
  const auto held = lstImages->item(Position)->data(kStripImageRole).value<std::shared_ptr<clsImage>>();
  // A line without its own image names one of the pack, which checks the index.
  return held ? *held : PackImage(StripImageIndex(Position));
}

int frmMain::SelectedStripPosition() const {
  const auto selected = lstImages->selectedItems();
  return selected.isEmpty() ? -1 : lstImages->row(selected.first());
}

void frmMain::ClearStripSelection() {
  lstImages->clearSelection();
  lstImages->setCurrentItem(nullptr);
}

void frmMain::AddStripImage(int16_t ImageIndex, int16_t& Position) {
  if (StripCount() >= kMaxStripImages) {
    platform::MessageBoxRequest request;
    request.title = tr("イメージ数制限").toStdString();
    request.text = tr("これ以上追加することは出来ません。\r\n追加することの出来るイメージ数は %1 に制限されています。")
                       .arg(kMaxStripImages)
                       .toStdString();
    request.icon = platform::MsgIcon::Information;
    platform::Dialogs().MessageBox(request);
    return;
  }
  // There is no image outside PackImages to add.
  if (ImageIndex < 1 || ImageIndex > PackImageCount()) return;
  if (Position < 0 || Position > StripCount()) Position = static_cast<int16_t>(StripCount());
  const clsImage& img = PackImage(ImageIndex);
  picMain->SetAutoRedraw(true);
  if (StripCount() == 0) {
    SetCanvasSize(img.Width(), img.Height());
    picMain->Cls();
  } else {
    int32_t height = picMain->height();
    if (img.Height() != height) {
      platform::MessageBoxRequest request;
      request.title = tr("イメージの高さ").toStdString();
      request.text = tr("先に追加されたイメージと高さが違います。\r\n現在の高さ\t：%1\r\n新しい高さ\t：%2"
                        "\r\n高さを変更しますか？変更すると現在のイメージは上寄せになります。")
                         .arg(height)
                         .arg(img.Height())
                         .toStdString();
      request.icon = platform::MsgIcon::Question;
      request.buttons = platform::MsgButtons::YesNoCancel;
      request.defaultButton = platform::MsgResult::Cancel;
      request.foreground = true;
      const platform::MsgResult answer = platform::Dialogs().MessageBox(request);
      if (answer == platform::MsgResult::Cancel) {
        picMain->SetAutoRedraw(false);
        return;
      }
      // Yes: the images already there stay at the top edge, not redrawn.
      if (answer == platform::MsgResult::Yes) height = img.Height();
    }
    SetCanvasSize(picMain->width() + img.Width(), height);
  }
  auto* line = new QListWidgetItem(QString::fromStdString(img.Name()));
  line->setData(Qt::UserRole, static_cast<int>(ImageIndex));
  line->setData(kStripImageRole, QVariant::fromValue(pack_->ImagePtr(ImageIndex)));
  lstImages->insertItem(Position, line);
  RedrawStrip(Position);
  picMain->SetAutoRedraw(false);
  UpdateStripScroll();
  SetStripChanged(true);
}

void frmMain::RemoveStripImage(int16_t Position) {
  const int count = StripCount();
  if (Position < -1 || Position > count) return;
  if (Position == -1 || count <= 1) {
    lstImages->clear();
    DrawEmptyStrip();
    UpdateStripScroll();
    // Nothing is left to lose.
    SetStripChanged(false);
    return;
  }
  if (Position == count) return;
  // Removing the last entry draws nothing: narrowing the canvas takes it away.
  SetCanvasSize(picMain->width() - StripImage(Position).Width(), picMain->height());
  delete lstImages->takeItem(Position);
  RedrawStrip(Position);
  UpdateStripScroll();
  SetStripChanged(true);
}

void frmMain::cmdItemDel_Click() {
  const int selected = SelectedStripPosition();
  if (selected >= 0) RemoveStripImage(static_cast<int16_t>(selected));
  ClearStripSelection();
}

void frmMain::cmdItemLeft_Click() {
  const int s = SelectedStripPosition();
  if (s <= 0) return;
  // A copy goes in front of the left neighbour; the selected line goes, and
  // with it the selection.
  lstImages->insertItem(s - 1, lstImages->item(s)->clone());
  delete lstImages->takeItem(s + 1);
  ClearStripSelection();
  RedrawStrip(static_cast<int16_t>(s - 1));
  SetStripChanged(true);
}

void frmMain::cmdItemRight_Click() {
  const int s = SelectedStripPosition();
  if (s < 0 || s >= StripCount() - 1) return;
  lstImages->insertItem(s + 2, lstImages->item(s)->clone());
  delete lstImages->takeItem(s);
  ClearStripSelection();
  RedrawStrip(static_cast<int16_t>(s));
  SetStripChanged(true);
}

void frmMain::lstImages_Click() {
  const int s = SelectedStripPosition();
  if (s < 0) return;
  const int16_t idx = StripImageIndex(s);
  if (idx < 1 || idx > PackImageCount()) return;
  // A preview scrolled out of the panel can't take the focus: bring it back
  // first, as a click on the canvas does.
  if (!picPreview[static_cast<size_t>(idx)].visible)
    vscPreviews->setValue(std::max(idx - 1, vscPreviews->minimum()));
  FocusPreview(idx);
}

bool frmMain::ConfirmEmptyStrip() {
  // A changed strip is offered for saving instead; answered, nothing more is asked.
  if (stripChanged_) return ConfirmDiscardStrip();
  platform::MessageBoxRequest request;
  request.title = tr("確認").toStdString();
  request.text = tr("現在選択されているリストは破棄されます。\r\nよろしいですか？").toStdString();

  request.icon = platform::MsgIcon::Question;
  request.buttons = platform::MsgButtons::YesNo;
  request.defaultButton = platform::MsgResult::Yes;
  return platform::Dialogs().MessageBox(request) == platform::MsgResult::Yes;
}

void frmMain::mnuFileNew_Click() {
  if (ConfirmEmptyStrip()) RemoveStripImage(-1);
}

void frmMain::MoveStripImage(int16_t From, int16_t Gap) {
  const int16_t to = StripMoveTarget(StripCount(), From, Gap);
  if (to < 0) return;
  // The moved entry stays selected, where it now stands; unlike the arrow
  // buttons, the user has just pointed at it.
  QListWidgetItem* line = lstImages->takeItem(From);
  lstImages->insertItem(to, line);
  lstImages->setCurrentRow(to);
  RedrawStrip(std::min(From, to));
  SetStripChanged(true);
}

}  // namespace quelo::ui
