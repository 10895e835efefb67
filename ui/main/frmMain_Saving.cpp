// Carrying the strip out of the program: saving the strip document's picture as
// a bitmap (or a PNG) with, when asked, its JSON listing beside it; the
// clipboard; and exporting a pack file byte for byte or as an icon.
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>

#include <cctype>
#include <exception>

#include "platform/Platform.h"
#include "platform/QueloError.h"
#include "platform/ReplacingFile.h"
#include "ui/main/PictureBox.h"
#include "ui/main/SaveFolders.h"
#include "ui/main/frmMain.h"

namespace quelo::ui {

namespace {

bool EndsWithNoCase(const std::string& text, const char* tail) {
  const std::string t(tail);
  if (text.size() < t.size()) return false;
  for (size_t i = 0; i < t.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[text.size() - t.size() + i]);
    if (std::tolower(c) != t[i]) return false;
  }
  return true;
}

constexpr int kPngFilterIndex = 3;

// The name's extension decides; a name without one follows the chosen filter.
bool ChosenPng(const platform::SaveDialogResult& answer) {
  if (EndsWithNoCase(answer.fileName, ".png")) return true;
  return answer.filterIndex == kPngFilterIndex && !EndsWithNoCase(answer.fileName, ".bmp");
}

void PutOnClipboard(const QImage& picture) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->clear();
  clipboard->setImage(picture);
}

}  // namespace

bool frmMain::SaveStripBitmap(const std::string& FileName, bool asPng) {
  // 24 bits per pixel over a colour; with alpha (32-bit BMP, RGBA PNG) when transparent.
  strip_.SetBackColor(StripBackColor);
  std::string reason;
  if (!strip_.Save(FileName, asPng ? StripDocument::Format::Png : StripDocument::Format::Bmp, &reason)) {
    platform::ShowMessage(tr("ファイル %1 に保存できませんでした。\r\n%2")
                              .arg(QString::fromStdString(FileName), QString::fromStdString(reason))
                              .toStdString(),
                          platform::MsgIcon::Critical);
    return false;
  }
  // The strip is saved whatever becomes of its listing; a listing that can't be
  // written is told.
  if (mnuFileLayoutJson->isChecked() && !strip_.SaveLayout(FileName, &reason)) {
    platform::ShowMessage(tr("ファイル %1 に保存できませんでした。\r\n%2")
                              .arg(QString::fromStdString(StripDocument::LayoutFileName(FileName)),
                                   QString::fromStdString(reason))
                              .toStdString(),
                          platform::MsgIcon::Critical);
  }
  return true;
}

bool frmMain::mnuFileSaveAs_Click() {
  platform::SaveDialogRequest request;
  request.title = tr("ビットマップを保存").toStdString();
  request.filter = tr("Windows ビットマップ (.bmp)|*.bmp|全てのファイル|*.*|PNG (.png)|*.png").toStdString();
  request.defaultExt = "bmp";
  // The folder last saved to, and the name saved under in this run.
  request.initialFolder = SaveStartFolder(SaveKind::Strip, AppDir);
  if (!SaveFileName.empty()) request.initialName = platform::BaseName(SaveFileName);
  request.confirmCreate = true;
  // Replacing a file without a question would lose it.
  request.confirmOverwrite = true;
  const platform::SaveDialogResult answer = platform::Dialogs().SaveFileDialog(request);
  // Cancel ends the command silently.
  if (!answer.accepted || answer.fileName.empty()) return false;
  const bool png = ChosenPng(answer);
  if (!SaveStripBitmap(answer.fileName, png)) return false;
  SaveFileName = answer.fileName;
  savePng_ = png;
  StripSaved(SaveFileName);
  return true;
}

bool frmMain::mnuFileSave_Click() {
  if (SaveFileName.empty()) return mnuFileSaveAs_Click();
  if (!SaveStripBitmap(SaveFileName, savePng_)) return false;
  StripSaved(SaveFileName);
  return true;
}

void frmMain::StripSaved(const std::string& FileName) {
  RememberSaveFolder(SaveKind::Strip, FileName);
  SetStripChanged(false);
  ShowProgress(1, 1, tr("ストリップを %1 に保存しました").arg(QString::fromStdString(FileName)).toStdString());
}

void frmMain::SetStripChanged(bool changed) {
  stripChanged_ = changed;
  UpdateTitle();
  // The File menu's keys act only when its entries would.
  mnuFile_Open();
}

void frmMain::UpdateTitle() {
  QString title = packTitle_;
  if (!SaveFileName.empty()) title += QStringLiteral(" - ") + QString::fromStdString(platform::BaseName(SaveFileName));
  // "[*]" in a name is the toolkit's mark for a changed window; doubled, it shows as written.
  title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
  if (stripChanged_) title += QStringLiteral(" *");
  setWindowTitle(title);
}

bool frmMain::ConfirmDiscardStrip() {
  if (!stripChanged_ || StripCount() == 0) return true;
  platform::MessageBoxRequest request;
  request.title = platform::AppTitle();
  request.text = tr("ストリップは保存されていません。保存しますか？").toStdString();
  request.icon = platform::MsgIcon::Exclamation;
  request.buttons = platform::MsgButtons::YesNoCancel;
  request.defaultButton = platform::MsgResult::Yes;
  switch (platform::Dialogs().MessageBox(request)) {
    case platform::MsgResult::Yes:
      return mnuFileSave_Click();
    case platform::MsgResult::No:
      return true;
    default:
      return false;
  }
}

void frmMain::mnuEditCopy_Click() {
  // With its alpha when the strip is transparent.
  std::string why;
  const QImage picture = StripImage(&why);
  if (picture.isNull()) {
    platform::ShowMessage(why, platform::MsgIcon::Exclamation);
    return;
  }
  PutOnClipboard(picture);
}

void frmMain::mnuPopPreviewsCopy_Click() {
  if (SelectedPreview < 1 || SelectedPreview > PackImageCount()) return;
  PutOnClipboard(ImagePicture(SelectedPreview));
}

void frmMain::mnuPopPreviewsExport_Click() {
  // Without a selected preview there is nothing to export: the command ends silently.
  if (SelectedPreview < 1 || SelectedPreview > PackImageCount()) return;
  const clsImage& img = PackImage(SelectedPreview);
  clsExePlusFiles& archive = pack_->Archive();
  std::string name, ext;
  int16_t fi = -1;
  try {
    fi = archive.GetFileIndexFromOffset(img.SourceOffset());
    if (fi >= 0) {
      name = archive.FileName(fi);
      ext = archive.GetFileExt(fi);
    }
  } catch (const std::exception&) {
    return;  // any failure before the dialog ends the export silently
  }
  if (fi < 0) {
    platform::MessageBoxRequest request;
    request.title = tr("ファイルのエクスポート").toStdString();
    request.text = tr("このファイルは自己解凍書庫から読み込まれたファイルではありません").toStdString();
    request.icon = platform::MsgIcon::Information;
    request.buttons = platform::MsgButtons::Ok;
    platform::Dialogs().MessageBox(request);
    return;
  }
  // The proposed name is the member's own name without its extension; a folder
  // part written into the pack is not followed.
  std::string base = platform::BaseName(name);
  const size_t dot = base.rfind('.');
  if (dot != std::string::npos) base.erase(dot);

  platform::SaveDialogRequest request;
  request.title = tr("エクスポート").toStdString();
  request.filter = tr("%1 ファイル |*.%1|Windows アイコン|*.ico").arg(QString::fromStdString(ext)).toStdString();
  request.defaultExt = ext;
  request.initialFolder = SaveStartFolder(SaveKind::Export, AppDir);
  request.initialName = base;
  request.confirmOverwrite = true;
  request.confirmCreate = true;
  const platform::SaveDialogResult answer = platform::Dialogs().SaveFileDialog(request);
  if (!answer.accepted || answer.fileName.empty()) return;
  // A name without an extension takes the chosen entry's; the rule below then
  // goes by that name.
  std::string f = answer.fileName;
  const std::string entryExt = answer.filterIndex == 2 ? std::string("ico") : ext;
  if (platform::BaseName(f).find('.') == std::string::npos && !entryExt.empty()) f += "." + entryExt;
  // The last three letters decide, whatever stands before them.
  const bool icon = EndsWithNoCase(f, "ico");
  const bool written = icon ? img.SaveICO(f) : archive.FileExport(fi, f);
  // After a failure its own message is what the user sees.
  if (!written) return;
  RememberSaveFolder(SaveKind::Export, f);
  ShowProgress(1, 1, tr("エクスポート %1 に保存されました").arg(QString::fromStdString(f)).toStdString());

}

}  // namespace quelo::ui
