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

std::vector<std::string> RecordingDialogs::Texts() const {
  std::vector<std::string> texts;
  for (const auto& m : messages) texts.push_back(m.text);
  return texts;
}

}  // namespace quelo::test
