#include "pack/LoadedPack.h"

#include <algorithm>
#include <chrono>
#include <exception>

#include "platform/Platform.h"

namespace quelo {

namespace {

// While a pack loads, a message box from a reader first brings the status line
// up to the file being read, so the two never disagree; the status itself is
// drawn only now and then, which is what keeps thousands of files fast.
class StatusBeforeMessages final : public platform::IDialogs {
 public:
  explicit StatusBeforeMessages(std::function<void()> flush)
      : inner_(platform::Dialogs()), flush_(std::move(flush)) {
    platform::SetDialogs(this);
  }
  ~StatusBeforeMessages() override { platform::SetDialogs(&inner_); }
  StatusBeforeMessages(const StatusBeforeMessages&) = delete;
  StatusBeforeMessages& operator=(const StatusBeforeMessages&) = delete;

  platform::MsgResult MessageBox(const platform::MessageBoxRequest& request) override {
    flush_();
    return inner_.MessageBox(request);
  }
  platform::SaveDialogResult SaveFileDialog(const platform::SaveDialogRequest& request) override {
    return inner_.SaveFileDialog(request);
  }
  bool ColorDialog(uint32_t& colour) override { return inner_.ColorDialog(colour); }
  platform::OpenDialogResult OpenFileDialog(const platform::OpenDialogRequest& request) override {
    return inner_.OpenFileDialog(request);
  }
  platform::OpenDialogResult FolderDialog(const platform::FolderDialogRequest& request) override {
    return inner_.FolderDialog(request);
  }

 private:
  platform::IDialogs& inner_;
  std::function<void()> flush_;
};

int32_t Percent(int32_t total, int32_t current) {
  return total <= 0 ? 0 : static_cast<int32_t>(std::clamp<int64_t>(int64_t{current} * 100 / total, 0, 100));
}

}  // namespace

const std::vector<std::string>& LoadedPack::ImageExtensions() {
  static const std::vector<std::string> extensions = {"psd", "ico", "png"};
  return extensions;
}

bool LoadedPack::SetArchive(const std::string& fileName) {
  clsExePlusFiles archive;
  try {
    if (!archive.OpenExe(fileName) || archive.FileCount() <= 0) return false;
  } catch (const std::exception&) {
    return false;  // unreadable: the same as carrying no archive
  }
  archive_ = archive;
  kind_ = SourceKind::Archive;
  source_ = fileName;
  folderFiles_.clear();
  return true;
}

void LoadedPack::SetFolder(const std::string& folder) {
  source_ = folder;
  // "/" ends a folder name on Windows too.
  if (source_.empty() || (source_.back() != '/' && source_.back() != platform::kPathSeparator))
    source_ += platform::kPathSeparator;
  kind_ = SourceKind::Folder;
  archive_ = clsExePlusFiles();
  folderFiles_ = platform::ListFilesWithExtensions(source_, ImageExtensions());
}

int32_t LoadedPack::SourceCount() const {
  switch (kind_) {
    case SourceKind::Archive: return archive_.FileCount();
    case SourceKind::Folder: return static_cast<int32_t>(folderFiles_.size());
    case SourceKind::None: break;
  }
  return 0;
}

void LoadedPack::LoadDefinition() {
  std::string defSource;
  int32_t offset = 1;
  if (kind_ == SourceKind::Archive) {
    const int16_t idx = archive_.GetFileIndex("!quelo.ini");
    if (idx < 0) return;
    defSource = source_;
    offset = archive_.FileOffset(idx);
  } else {
    defSource = source_ + "!quelo.ini";
  }
  // A folder that can't even be searched counts as having no definition.
  auto exists = [&] {
    try {
      return config_.FileExist(defSource);
    } catch (const std::exception&) {
      return false;
    }
  };
  if (!exists()) return;
  try {
    config_.LoadConfig(defSource, offset);
  } catch (const std::exception&) {
    // Not loaded: told below.
  }
  if (config_.Opened()) return;
  platform::MessageBoxRequest request;
  request.title = "定義ファイルの読み込み";
  request.text = "定義ファイルの読み込みに失敗しました。壊れている可能性があります\r\n" + config_.GetLastErrorInfo() +
                 "\r\n定義ファイルは読み込まれませんでした。";
  request.icon = platform::MsgIcon::Exclamation;
  request.buttons = platform::MsgButtons::Ok;
  request.defaultButton = platform::MsgResult::Ok;
  platform::Dialogs().MessageBox(request);
}

void LoadedPack::Load(const ProgressFn& progress) {
  images_.clear();
  config_ = clsQueloConfig();
  if (kind_ == SourceKind::None) return;
  LoadDefinition();

  const int32_t count = std::min(SourceCount(), kMaxImages);
  // The status is drawn whenever its percentage changes, and otherwise at most
  // every 20 ms: drawing it for each of thousands of small files would take
  // longer than loading them.
  using Clock = std::chrono::steady_clock;
  int32_t shownPercent = -1;
  Clock::time_point shownAt;
  int32_t current = 0;
  std::string currentText;
  bool currentShown = true;
  auto show = [&] {
    if (currentShown || !progress) return;
    progress(count, current, currentText);
    currentShown = true;
    shownPercent = Percent(count, current);
    shownAt = Clock::now();
  };
  StatusBeforeMessages flushFirst(show);
  for (int32_t i = 0; i < count; ++i) {
    std::string source = source_, name;
    int32_t offset = 1;
    if (kind_ == SourceKind::Archive) {
      name = archive_.FileName(static_cast<int16_t>(i));
      offset = archive_.FileOffset(static_cast<int16_t>(i));
    } else {
      name = folderFiles_[static_cast<size_t>(i)];
      source += name;
    }
    current = i + 1;
    currentText = "ファイルを読み込んでいます... " + name;
    currentShown = false;
    if (Percent(count, current) != shownPercent || Clock::now() - shownAt >= std::chrono::milliseconds(20)) show();
    LoadImage(source, name, offset);
  }
  if (progress) progress(1, 1, DoneText());
}

bool LoadedPack::LoadImage(const std::string& source, const std::string& name, int32_t offset) {
  auto img = std::make_shared<clsImage>();
  // A decoder's message names the image: a member by its name in the pack (the
  // program's path would not tell which), a loose file by its full path.
  if (kind_ == SourceKind::Archive) img->SetName(name);
  try {
    if (!img->LoadFile(source, img->GetFileExt(name), offset)) return false;
  } catch (const std::exception&) {
    return false;
  }
  // A decoder that refused its input leaves the image without pixels (a
  // refused compression even keeps a blank one at its size); such an image
  // would make an invisible or empty preview and a strip of no height.
  if (!img->HasPixels()) return false;
  // GetIndex answers "no entry" when no definition is loaded.
  const int16_t j = config_.GetIndex(name);
  img->SetName(j < 0 ? name : config_.FileTitle(j));
  images_.push_back(std::move(img));
  return true;
}

int32_t LoadedPack::WidestImage() const {
  int32_t widest = 0;
  for (const auto& img : images_) widest = std::max(widest, img->Width());
  return widest;
}

std::string LoadedPack::Title() const { return config_.Opened() ? config_.PackName() : std::string(); }

std::string LoadedPack::DoneText() const {
  const std::string where =
      kind_ == SourceKind::Archive ? "[自己展開書庫：" + source_ + "]" : "[カレントディレクトリ：" + source_ + "]";
  return "ファイルの読み込みが完了しました..." + where;
}

}  // namespace quelo
