// Test doubles for the platform's dialogs: every message box is recorded with its
// title, text, icon and buttons, and answered from a script (default button when
// the script is empty); file and colour dialogs are cancelled.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace quelo::test {

class RecordingDialogs : public platform::IDialogs {
 public:
  RecordingDialogs();   // installs itself
  ~RecordingDialogs() override;  // restores the fallback

  platform::MsgResult MessageBox(const platform::MessageBoxRequest& request) override;
  platform::SaveDialogResult SaveFileDialog(const platform::SaveDialogRequest&) override { return {}; }
  bool ColorDialog(uint32_t&) override { return false; }

  std::vector<platform::MessageBoxRequest> messages;
  std::deque<platform::MsgResult> answers;

  std::vector<std::string> Texts() const;
};

}  // namespace quelo::test
