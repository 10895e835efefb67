// The Qt half of the platform seam: message boxes and dialogs with Qt's own
// windows, and the system colours from the application's palette.
#pragma once

#include <QString>

#include <cstdint>
#include <string>

#include "platform/Platform.h"

namespace quelo::platform::qt {

class QtDialogs final : public IDialogs {
 public:
  MsgResult MessageBox(const MessageBoxRequest& request) override;
  SaveDialogResult SaveFileDialog(const SaveDialogRequest& request) override;
  bool ColorDialog(uint32_t& colour) override;
  OpenDialogResult OpenFileDialog(const OpenDialogRequest& request) override;
  OpenDialogResult FolderDialog(const FolderDialogRequest& request) override;
};

// Installs QtDialogs and the palette as the source of system colours, and the
// texts of a language: "ja" (the program's own) or one it carries a translation
// for ("en"). Needs a QApplication.

void InstallQtPlatform(const QString& language = QStringLiteral("ja"));

// The palette's colour for a system colour index with a palette role, 0x00BBGGRR.
uint32_t PaletteSysColor(int index);

// "Text|*.a|More|*.b;*.c" as Qt name filters: "Text (*.a)", "More (*.b *.c)".
QStringList QtNameFilters(const std::string& filter);

}  // namespace quelo::platform::qt
