#include "support/RecordingDialogs.h"

namespace quelo::test {
namespace {
// The next scripted answer, or `none` when the script has run out.
template <class T>
T Next(std::deque<T>& answers, T none) {
  if (answers.empty()) return none;
  T answer = answers.front();
  answers.pop_front();
  return answer;
}
}  // namespace

RecordingDialogs::RecordingDialogs() { platform::SetDialogs(this); }
RecordingDialogs::~RecordingDialogs() { platform::SetDialogs(nullptr); }

platform::MsgResult RecordingDialogs::MessageBox(const platform::MessageBoxRequest& request) {
  messages.push_back(request);
  return Next(answers, request.defaultButton);
}

platform::SaveDialogResult RecordingDialogs::SaveFileDialog(const platform::SaveDialogRequest& request) {
  saveRequests.push_back(request);
  return Next(saveAnswers, platform::SaveDialogResult{});
}

platform::OpenDialogResult RecordingDialogs::OpenFileDialog(const platform::OpenDialogRequest& request) {
  openTitles.push_back(request.title);
  const std::string path = Next(openAnswers, std::string());
  return {!path.empty(), path};
}

platform::OpenDialogResult RecordingDialogs::FolderDialog(const platform::FolderDialogRequest& request) {
  openTitles.push_back(request.title);
  const std::string path = Next(openAnswers, std::string());
  return {!path.empty(), path};
}

bool RecordingDialogs::ColorDialog(uint32_t& colour) {
  colourStarts.push_back(colour);
  const std::optional<uint32_t> answer = Next(colourAnswers, std::optional<uint32_t>{});
  if (answer) colour = *answer;
  return answer.has_value();
}

std::vector<std::string> RecordingDialogs::Texts() const {
  std::vector<std::string> texts;
  for (const auto& m : messages) texts.push_back(m.text);
  return texts;
}

}  // namespace quelo::test
