// quelo: opens the pack appended to this executable (or the *.psd files beside
// it) and lets the user compose a strip of its images. No command line, no settings.
#include <QApplication>

#include "platform/qt/QtPlatform.h"
#include "ui/main/frmMain.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  quelo::platform::qt::InstallQtPlatform();
  quelo::ui::frmMain window;
  window.Form_Load();
  return QApplication::exec();
}
