// The portable half of the platform seam: system colour table, dialog fallback.
#include "platform/Platform.h"

#include "platform/PlatformNative.h"
#include "platform/QueloError.h"

#include <algorithm>
#include <array>
#include <iostream>

namespace quelo::platform {

namespace {

constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

// Classic default values, used for indices without a palette role and, for
// those with one, until the windowed program installs its palette.
constexpr std::array<uint32_t, 31> kDefaultSysColors = {
    Rgb(200, 200, 200),  // 0 scroll bar
    Rgb(0, 0, 0),        // 1 desktop
    Rgb(153, 180, 209),  // 2 active caption
    Rgb(191, 205, 219),  // 3 inactive caption
    Rgb(240, 240, 240),  // 4 menu
    Rgb(255, 255, 255),  // 5 window
    Rgb(100, 100, 100),  // 6 window frame
    Rgb(0, 0, 0),        // 7 menu text
    Rgb(0, 0, 0),        // 8 window text
    Rgb(0, 0, 0),        // 9 caption text
    Rgb(180, 180, 180),  // 10 active border
    Rgb(244, 247, 252),  // 11 inactive border
    Rgb(171, 171, 171),  // 12 application workspace
    Rgb(0, 120, 215),    // 13 highlight
    Rgb(255, 255, 255),  // 14 highlight text
    Rgb(240, 240, 240),  // 15 button face
    Rgb(160, 160, 160),  // 16 button shadow
    Rgb(109, 109, 109),  // 17 grey text
    Rgb(0, 0, 0),        // 18 button text
    Rgb(0, 0, 0),        // 19 inactive caption text
    Rgb(255, 255, 255),  // 20 button highlight
    Rgb(105, 105, 105),  // 21 dark shadow
    Rgb(227, 227, 227),  // 22 light
    Rgb(0, 0, 0),        // 23 info text
    Rgb(255, 255, 225),  // 24 info background
    Rgb(0, 0, 0),        // 25 (unused)
    Rgb(0, 102, 204),    // 26 hot light
    Rgb(185, 209, 234),  // 27 active caption gradient
    Rgb(215, 228, 242),  // 28 inactive caption gradient
    Rgb(0, 120, 215),    // 29 menu highlight
    Rgb(240, 240, 240),  // 30 menu bar
};

std::function<uint32_t(int)>& SysColorSource() {
  static std::function<uint32_t(int)> source;
  return source;
}

class FallbackDialogs final : public IDialogs {
 public:
  MsgResult MessageBox(const MessageBoxRequest& request) override {
    std::cerr << request.title << ": " << request.text << '\n';
    return request.defaultButton;
  }
  SaveDialogResult SaveFileDialog(const SaveDialogRequest&) override { return {}; }
  bool ColorDialog(uint32_t&) override { return false; }
};

IDialogs*& InstalledDialogs() {
  static IDialogs* dialogs = nullptr;
  return dialogs;
}

}  // namespace

const std::string& AppTitle() {
  static const std::string title = "quelo";
  return title;
}

int VersionMajor() { return QUELO_VERSION_MAJOR; }
int VersionMinor() { return QUELO_VERSION_MINOR; }
int VersionRevision() { return QUELO_VERSION_REVISION; }

std::string VersionText() {
  return std::to_string(VersionMajor()) + "." + std::to_string(VersionMinor()) + "." + std::to_string(VersionRevision());
}

std::string BaseName(const std::string& path) {
  const auto pos = path.find_last_of("/\\");
  return pos == std::string::npos ? path : path.substr(pos + 1);
}

bool FileExist(const std::string& fileName, const std::string& caller) {
  try {
    FileLength(fileName);
    return true;
  } catch (const QueloError& e) {
    if (e.Number() == err::kFileNotFound) return false;
    throw QueloError(e.Number(), caller + e.Source(), e.Description());
  }
}

bool SysColorHasPaletteRole(int index) {
  switch (index) {
    case 5: case 8: case 13: case 14: case 15: case 16: case 18: case 20: case 23: case 24:
      return true;
    default:
      return false;
  }
}

uint32_t GetSysColor(int index) {
  if (index < 0 || index >= static_cast<int>(kDefaultSysColors.size())) return 0;
  if (SysColorHasPaletteRole(index) && SysColorSource()) return SysColorSource()(index) & 0xFFFFFFu;
  return NativeSysColor(index, kDefaultSysColors[static_cast<size_t>(index)]);
}

void SetSysColorSource(std::function<uint32_t(int)> source) { SysColorSource() = std::move(source); }

IDialogs& Dialogs() {
  static FallbackDialogs fallback;
  IDialogs* installed = InstalledDialogs();
  return installed ? *installed : fallback;
}

void SetDialogs(IDialogs* dialogs) { InstalledDialogs() = dialogs; }

MsgResult ShowMessage(const std::string& text, MsgIcon icon) {
  MessageBoxRequest request;
  request.title = AppTitle();
  request.text = text;
  request.icon = icon;
  return Dialogs().MessageBox(request);
}

namespace {
int64_t& WriteBudget() {
  static int64_t budget = -1;  // -1: no failure injected
  return budget;
}
}  // namespace

void FailWritesAfter(int64_t bytes) { WriteBudget() = bytes < 0 ? -1 : bytes; }

size_t TakeWriteAllowance(size_t count) {
  int64_t& budget = WriteBudget();
  if (budget < 0) return count;
  const size_t granted = static_cast<size_t>(std::min<int64_t>(budget, static_cast<int64_t>(count)));
  budget -= static_cast<int64_t>(granted);
  return granted;
}

namespace {
int& StepFailure(ReplaceStep step) {
  static int failures[3] = {0, 0, 0};
  return failures[static_cast<int>(step)];
}
}  // namespace

void FailReplaceStep(ReplaceStep step, int errnoValue) { StepFailure(step) = errnoValue; }

int TakeReplaceStepFailure(ReplaceStep step) {
  const int failure = StepFailure(step);
  StepFailure(step) = 0;
  return failure;
}

std::string FolderOf(const std::string& path) {
  const auto pos = path.find_last_of("/\\");
  if (pos == std::string::npos) return std::string(1, kPathSeparator);
  return path.substr(0, pos + 1);
}

namespace {
std::string LowerAscii(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
  return s;
}
}  // namespace

bool HasExtension(const std::string& name, const std::vector<std::string>& extensions) {
  const std::string lower = LowerAscii(name);
  return std::any_of(extensions.begin(), extensions.end(), [&](const std::string& extension) {
    const std::string suffix = "." + LowerAscii(extension);
    return lower.size() >= suffix.size() && lower.compare(lower.size() - suffix.size(), suffix.size(), suffix) == 0;
  });
}

void SortFileNames(std::vector<std::string>& names) {
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const std::string la = LowerAscii(a), lb = LowerAscii(b);
    return la != lb ? la < lb : a < b;
  });
}

bool IsCp932LeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

std::vector<std::string> ListFilesWithExtension(const std::string& folder, const std::string& extension) {
  return ListFilesWithExtensions(folder, {extension});
}

}  // namespace quelo::platform
