// Editing the strip: the document holds the entries, lstImages shows one line
// per entry (the image's display name, its preview's index as item data).
// Every edit keeps the list and the canvas in step.
#include <QListWidget>
#include <QScrollBar>

#include <algorithm>
#include <exception>

#include "platform/Platform.h"
#include "ui/main/PictureBox.h"
#include "ui/main/StripMath.h"
#include "ui/main/frmMain.h"

namespace quelo::ui {

static_assert(StripDocument::kMaxEntries == kMaxStripImages, "the strip and its message agree on the limit");

int frmMain::StripCount() const { return strip_.Count(); }

int16_t frmMain::StripImageIndex(int Position) const {
  return static_cast<int16_t>(strip_.Entry(Position).packIndex);
}

std::string frmMain::ImageSourceName(int16_t Index) const {
  const clsImage& img = PackImage(Index);
  if (pack_->Kind() == LoadedPack::SourceKind::Archive) {
    try {
      const int16_t fi = pack_->Archive().GetFileIndexFromOffset(img.SourceOffset());
      if (fi >= 0) return pack_->Archive().FileName(fi);
    } catch (const std::exception&) {
      // Named by its display name below.
    }
    return img.Name();
  }
  return platform::BaseName(img.Source());
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
  if (strip_.Full()) {
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
  int32_t height = img.Height();
  if (StripCount() > 0) {
    height = strip_.Height();
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
      if (answer == platform::MsgResult::Cancel) return;
      // Yes: the images already there stay at the top edge.
      if (answer == platform::MsgResult::Yes) height = img.Height();
    }
  }
  if (!strip_.Insert(Position, StripEntry{img.Name(), ImageSourceName(ImageIndex), ImageIndex,
                                          pack_->ImagePtr(ImageIndex)}))
    return;
  strip_.SetHeight(height);
  auto* line = new QListWidgetItem(QString::fromStdString(img.Name()));
  line->setData(Qt::UserRole, static_cast<int>(ImageIndex));
  lstImages->insertItem(Position, line);
  RedrawStrip(Position);
  UpdateStripScroll();
  SetStripChanged(true);
}

void frmMain::RemoveStripImage(int16_t Position) {
  const int count = StripCount();
  if (Position < -1 || Position > count) return;
  if (Position == -1 || count <= 1) {
    strip_.Clear();
    lstImages->clear();
    DrawEmptyStrip();
    UpdateStripScroll();
    // Nothing is left to lose.
    SetStripChanged(false);
    return;
  }
  if (Position == count) return;
  strip_.Remove(Position);
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

// The moved image stays selected, so that pressing again moves it on.
void frmMain::cmdItemLeft_Click() {
  const int s = SelectedStripPosition();
  if (s <= 0) return;
  MoveStripEntry(s, s - 1);
}

void frmMain::cmdItemRight_Click() {
  const int s = SelectedStripPosition();
  if (s < 0 || s >= StripCount() - 1) return;
  MoveStripEntry(s, s + 1);
}

void frmMain::MoveStripEntry(int From, int To) {
  if (!strip_.Move(From, To)) return;
  QListWidgetItem* line = lstImages->takeItem(From);
  lstImages->insertItem(To, line);
  lstImages->setCurrentRow(To);
  RedrawStrip(static_cast<int16_t>(std::min(From, To)));
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
  if (!ConfirmEmptyStrip()) return;
  RemoveStripImage(-1);
  // A new strip has no file yet: 上書き保存 must ask for a name rather than
  // replace the strip saved before.
  SaveFileName.clear();
  savePng_ = false;
  UpdateTitle();
}

void frmMain::MoveStripImage(int16_t From, int16_t Gap) {
  const int16_t to = StripMoveTarget(StripCount(), From, Gap);
  if (to < 0) return;
  // The moved entry stays selected, where it now stands.
  MoveStripEntry(From, to);
}

}  // namespace quelo::ui
