// Shared pieces of the fuzz targets: dialogs that show nothing, a scratch
// folder per process, and an abort that says which check failed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace quelo::fuzz {

// Message boxes are answered with their default button, other dialogs are
// cancelled; nothing reaches the screen or standard error. Counts what was asked.
class SilentDialogs : public platform::IDialogs {
 public:
  platform::MsgResult MessageBox(const platform::MessageBoxRequest& request) override;
  platform::SaveDialogResult SaveFileDialog(const platform::SaveDialogRequest&) override { return {}; }
  bool ColorDialog(uint32_t&) override { return false; }

  std::vector<std::string> texts;  // of the message boxes since the last Reset
  void Reset() { texts.clear(); }
};

// Installs SilentDialogs once and gives them back.
SilentDialogs& Dialogs();

// A folder of this process under the temporary folder, removed at exit; ends in "/".
const std::string& ScratchDir();

void WriteFile(const std::string& fileName, const uint8_t* data, size_t size);
// The file's bytes; false when it does not exist.
bool ReadFile(const std::string& fileName, std::vector<uint8_t>& bytes);

// Prints the broken expectation and aborts, so libFuzzer keeps the input.
[[noreturn]] void Fail(const std::string& what);
inline void Expect(bool condition, const std::string& what) {
  if (!condition) Fail(what);
}

}  // namespace quelo::fuzz
