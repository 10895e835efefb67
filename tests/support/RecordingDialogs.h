// Test doubles for the platform's dialogs: every message box, save dialog and
// colour dialog is recorded with what it was asked to show, and answered from a
// script. A message box without a scripted answer takes its default button; a
// save or colour dialog without one is cancelled.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace quelo::test {

class RecordingDialogs : public platform::IDialogs {
 public:
  RecordingDialogs();   // installs itself
  ~RecordingDialogs() override;  // restores the fallback

  platform::MsgResult MessageBox(const platform::MessageBoxRequest& request) override;
  platform::SaveDialogResult SaveFileDialog(const platform::SaveDialogRequest& request) override;
  bool ColorDialog(uint32_t& colour) override;
  platform::OpenDialogResult OpenFileDialog(const platform::OpenDialogRequest& request) override;
  platform::OpenDialogResult FolderDialog(const platform::FolderDialogRequest& request) override;

  std::vector<platform::MessageBoxRequest> messages;
  std::deque<platform::MsgResult> answers;

  std::vector<platform::SaveDialogRequest> saveRequests;
  std::deque<platform::SaveDialogResult> saveAnswers;  // accepted = false: Cancel
  // Scripts the next save dialog's answer: the user chooses fileName under filter filterIndex.
  void AnswerSave(const std::string& fileName, int filterIndex = 1) {
    saveAnswers.push_back({true, fileName, filterIndex});
  }

  // Open and folder dialogs: the titles asked, and the paths chosen (empty: Cancel).
  std::vector<std::string> openTitles;
  std::deque<std::string> openAnswers;

  std::vector<uint32_t> colourStarts;               // the colour each dialog opened on
  std::deque<std::optional<uint32_t>> colourAnswers;  // nullopt: Cancel

  std::vector<std::string> Texts() const;
};

// Injects a write failure after `bytes` bytes for one scope (platform::FailWritesAfter).
class ScopedWriteFailure {
 public:
  explicit ScopedWriteFailure(int64_t bytes) { platform::FailWritesAfter(bytes); }
  ~ScopedWriteFailure() { platform::FailWritesAfter(-1); }
  ScopedWriteFailure(const ScopedWriteFailure&) = delete;
  ScopedWriteFailure& operator=(const ScopedWriteFailure&) = delete;
};

// Where a write of `size` bytes is made to fail: at its first byte, in the
// middle, at its last byte.
inline std::vector<int64_t> FailurePoints(int64_t size) { return {0, size / 2, size - 1}; }

}  // namespace quelo::test
