// The information windows: the program's version and the pack's description in
// the one shared window, modal; the properties of a pack file in a new window
// each time, beside the main window, closed with it. A property window has no
// owner: it neither stays above the main window nor is minimised with it.
#include <QApplication>

#include "platform/Platform.h"
#include "platform/QueloError.h"
#include "ui/info/frmAbout.h"
#include "ui/main/frmMain.h"

namespace quelo::ui {

frmAbout* frmMain::SharedAbout() {
  // The window releases itself when it closes; the next use loads it afresh.
  if (!about_) about_ = new frmAbout(this);
  return about_;
}

void frmMain::mnuHelpAbout_Click() { SharedAbout()->ShowAppVersion(this); }

void frmMain::mnuHelpPackInfo_Click() { SharedAbout()->ShowPackInfo(&pack_->Config(), this); }

void frmMain::mnuHelpFileInfo_Click() {
  if (SelectedPreview < 1) return;
  auto* window = new frmAbout(nullptr);
  window->setWindowFlags(Qt::Window);  // an ordinary window, with its own minimise button
  window->SetIcon(windowIcon());
  window->setProperty("Tag", QStringLiteral("FILEPROPWND"));
  // Closing the main window closes it; this covers the main window going
  // without a close as well.
  connect(this, &QObject::destroyed, window, &QWidget::close);
  // Each new window a little below and to the right of the last one, so that
  // none hides another entirely.
  int open = 0;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w != window && w->isVisible() && w->property("Tag").toString() == QStringLiteral("FILEPROPWND")) ++open;
  const int step = 24 * (open % 8);
  window->move(frameGeometry().topLeft() + QPoint(60 + step, 60 + step));
  const clsImage& img = PackImage(SelectedPreview);
  try {
    const clsExePlusFiles& archive = pack_->Archive();
    if (pack_->Kind() == LoadedPack::SourceKind::Archive) {
      const int16_t index = archive.GetFileIndexFromOffset(img.SourceOffset());
      window->ShowFileInfo(archive.FileName(index), &pack_->Config(), &img, &archive);
    } else {
      window->ShowFileInfoFromFile(img.Source(), &pack_->Config(), &img);
    }
  } catch (const QueloError& e) {
    // The image matches no member of the archive: say so instead of showing
    // half a window.
    window->close();
    platform::ShowMessage(tr("ファイルのプロパティを表示できませんでした\r\n%1")
                              .arg(QString::fromStdString(e.UserDescription()))
                              .toStdString(),

                          platform::MsgIcon::Exclamation);
  }
}

}  // namespace quelo::ui
