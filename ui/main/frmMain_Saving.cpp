// Carrying the strip out of the program: saving the canvas as a bitmap (or a
// PNG), the clipboard, and exporting a pack file byte for byte or as an icon.
#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImageWriter>

#include <cctype>
#include <exception>

#include "platform/Platform.h"
#include "platform/QueloError.h"
#include "platform/ReplacingFile.h"
#include "ui/main/PictureBox.h"
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
  // 24 bits per pixel: the canvas holds opaque colours only.
  const QImage picture = picMain->Image().convertToFormat(QImage::Format_RGB888);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, asPng ? "png" : "bmp");
  std::string reason;
  if (!writer.write(picture)) {
    reason = writer.errorString().toStdString();
  } else {
    try {
      // A failure leaves a file of that name as it was.
      ReplacingFile out(FileName, "frmMain.SaveStripBitmap");
      out.Write(bytes.constData(), static_cast<size_t>(bytes.size()));
      out.Commit();
      return true;
    } catch (const QueloError& e) {
      reason = e.Description();
    } catch (const std::exception& e) {
      reason = e.what();
    }
  }
  platform::ShowMessage("ファイル " + FileName + " に保存できませんでした。\r\n" + reason,
                        platform::MsgIcon::Critical);
  return false;
}

void frmMain::mnuFileSaveAs_Click() {
  platform::SaveDialogRequest request;
  request.title = "ビットマップを保存";
  request.filter = "Windows ビットマップ (.bmp)|*.bmp|全てのファイル|*.*|PNG (.png)|*.png";
  request.defaultExt = "bmp";
  request.initialFolder = AppDir;
  request.initialName = dlgFileName_;
  request.confirmCreate = true;
  // Replacing a file without a question would lose it.
  request.confirmOverwrite = true;
  const platform::SaveDialogResult answer = platform::Dialogs().SaveFileDialog(request);
  // Cancel ends the command silently.
  if (!answer.accepted || answer.fileName.empty()) return;
  dlgFileName_ = answer.fileName;
  const bool png = ChosenPng(answer);
  if (!SaveStripBitmap(answer.fileName, png)) return;
  SaveFileName = answer.fileName;
  savePng_ = png;
}

void frmMain::mnuFileSave_Click() {
  if (SaveFileName.empty()) {
    mnuFileSaveAs_Click();
    return;
  }
  SaveStripBitmap(SaveFileName, savePng_);
}

void frmMain::mnuEditCopy_Click() { PutOnClipboard(picMain->Image()); }

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
    request.title = "ファイルのエクスポート";
    request.text = "このファイルは自己解凍書庫から読み込まれたファイルではありません";
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
  request.title = "エクスポート";
  request.filter = ext + " ファイル |*." + ext + "|Windows アイコン|*.ico";
  request.defaultExt = ext;
  request.initialName = base;
  request.confirmOverwrite = true;
  request.confirmCreate = true;
  const platform::SaveDialogResult answer = platform::Dialogs().SaveFileDialog(request);
  if (!answer.accepted || answer.fileName.empty()) return;
  const std::string& f = answer.fileName;
  dlgFileName_ = f;
  // The last three letters decide, whatever stands before them.
  const bool icon = EndsWithNoCase(f, "ico");
  const bool written = icon ? img.SaveICO(f) : archive.FileExport(fi, f);
  // After a failure its own message is what the user sees.
  if (written) ShowProgress(1, 1, "エクスポート " + f + " に保存されました");
}

}  // namespace quelo::ui
