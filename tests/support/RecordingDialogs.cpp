#include "support/RecordingDialogs.h"

namespace quelo::test {

RecordingDialogs::RecordingDialogs() { platform::SetDialogs(this); }
RecordingDialogs::~RecordingDialogs() { platform::SetDialogs(nullptr); }

platform::MsgResult RecordingDialogs::MessageBox(const platform::MessageBoxRequest& request) {
  messages.push_back(request);
  if (answers.empty()) return request.defaultButton;
  const auto answer = answers.front();
  answers.pop_front();
  return answer;
}

platform::SaveDialogResult RecordingDialogs::SaveFileDialog(const platform::SaveDialogRequest& request) {
  saveRequests.push_back(request);
  if (saveAnswers.empty()) return {};
  const auto answer = saveAnswers.front();
  saveAnswers.pop_front();
  return answer;
}

bool RecordingDialogs::ColorDialog(uint32_t& colour) {
  colourStarts.push_back(colour);
  if (colourAnswers.empty()) return false;
  const auto answer = colourAnswers.front();
  colourAnswers.pop_front();
  if (!answer) return false;
  colour = *answer;
  return true;
}

std::vector<std::string> RecordingDialogs::Texts() const {
  std::vector<std::string> texts;
  for (const auto& m : messages) texts.push_back(m.text);
  return texts;
}

}  // namespace quelo::test
