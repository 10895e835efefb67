#include "pack/LoadedPack.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include "image/ByteSource.h"
#include "image/SvgDocument.h"
#include "platform/Platform.h"
#include "platform/Tr.h"

namespace quelo {

namespace {

// While a pack loads, the images' refusals are gathered instead of shown one
// box per file: a folder of damaged files would otherwise stop the user at
// every one of them. A question (not an OK box) goes through at once.
class GatherMessages final : public platform::IDialogs {
 public:
  GatherMessages() : inner_(platform::Dialogs()) { platform::SetDialogs(this); }
  ~GatherMessages() override { platform::SetDialogs(&inner_); }
  GatherMessages(const GatherMessages&) = delete;
  GatherMessages& operator=(const GatherMessages&) = delete;

  platform::MsgResult MessageBox(const platform::MessageBoxRequest& request) override {
    if (request.buttons != platform::MsgButtons::Ok) return inner_.MessageBox(request);
    gathered.push_back(request);
    return request.defaultButton;
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

  std::vector<platform::MessageBoxRequest> gathered;

 private:
  platform::IDialogs& inner_;
};

// The refusals of one load, told once it is over: one as it was, several in
// one box that lists the first of them.
void TellRefusals(const std::vector<platform::MessageBoxRequest>& refusals) {
  if (refusals.empty()) return;
  if (refusals.size() == 1) {
    platform::Dialogs().MessageBox(refusals.front());
    return;
  }
  constexpr size_t kListed = 10;
  platform::MessageBoxRequest summary = refusals.front();
  summary.text = platform::Arg(platform::Tr("pack", "%1 個のファイルを読み込めませんでした。"),
                               {std::to_string(refusals.size())});
  for (size_t i = 0; i < refusals.size() && i < kListed; ++i) summary.text += "\r\n\r\n" + refusals[i].text;
  if (refusals.size() > kListed)
    summary.text += "\r\n\r\n" + platform::Arg(platform::Tr("pack", "ほか %1 個"),
                                                 {std::to_string(refusals.size() - kListed)});
  platform::Dialogs().MessageBox(summary);
}

bool IsImageType(std::string type) {
  for (char& c : type) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const auto& known = LoadedPack::ImageExtensions();
  return type == "icon" || std::find(known.begin(), known.end(), type) != known.end();
}

// SVG documents of a folder are drawn ahead on worker threads (drawing one
// takes milliseconds, far longer than any other image), in order and at most
// kLookAhead ahead of the loader, which takes them one by one and shows their
// messages itself, as if it had read them. An item that no worker has taken
// yet when the loader reaches it is drawn by the loader.
class SvgDrawnAhead {
 public:
  static constexpr size_t kLookAhead = 64;

  // paths: the file of each item, empty for one that is no SVG document.
  SvgDrawnAhead(std::vector<std::string> paths, int32_t side) : paths_(std::move(paths)), side_(side) {
    state_.assign(paths_.size(), State::Waiting);
    pictures_.resize(paths_.size());
    size_t svgs = 0;
    for (const std::string& p : paths_) svgs += p.empty() ? 0 : 1;
    const unsigned cores = std::thread::hardware_concurrency();
    const unsigned workers = svgs < 2 || !InstalledSvgRenderer() ? 0 : std::clamp(cores, 2u, 4u) - 1;
    for (unsigned k = 0; k < workers; ++k) threads_.emplace_back([this] { Work(); });
  }
  ~SvgDrawnAhead() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    for (std::thread& t : threads_) t.join();
  }
  SvgDrawnAhead(const SvgDrawnAhead&) = delete;
  SvgDrawnAhead& operator=(const SvgDrawnAhead&) = delete;

  bool IsSvg(size_t i) const { return i < paths_.size() && !paths_[i].empty(); }

  // The picture of item i; the loader calls this in order.
  SvgPicture Take(size_t i) {
    std::unique_lock<std::mutex> lock(mutex_);
    taken_ = i + 1;
    changed_.notify_all();
    if (state_[i] == State::Waiting) {
      state_[i] = State::Drawing;
      lock.unlock();
      return Draw(i);
    }
    changed_.wait(lock, [&] { return state_[i] == State::Done; });
    return std::move(pictures_[i]);
  }

 private:
  enum class State { Waiting, Drawing, Done };

  SvgPicture Draw(size_t i) const {
    // A file that can't be read gives an empty picture: skipped without a word.
    ByteSource in;
    if (!in.OpenFile(paths_[i], 1)) return {};
    const int64_t size = in.Remaining();
    if (size > static_cast<int64_t>(kMaxSvgBytes)) {
      SvgPicture refused;
      refused.problem = SvgProblemText(SvgProblem::TooLarge);
      return refused;
    }
    const uint8_t* p = in.ReadSpan(static_cast<size_t>(size));
    if (!p) return {};
    return DrawSvgDocument(p, static_cast<size_t>(size), side_);
  }

  void Work() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (true) {
      changed_.wait(lock, [&] { return stop_ || Next() < std::min(paths_.size(), taken_ + kLookAhead); });
      if (stop_) return;
      const size_t i = Next();
      state_[i] = State::Drawing;
      lock.unlock();
      SvgPicture picture = Draw(i);
      lock.lock();
      pictures_[i] = std::move(picture);
      state_[i] = State::Done;
      changed_.notify_all();
    }
  }

  // The first SVG item nobody has taken, from the loader's place on.
  size_t Next() {
    while (next_ < paths_.size() && (paths_[next_].empty() || state_[next_] != State::Waiting || next_ < taken_)) ++next_;
    return next_;
  }

  const std::vector<std::string> paths_;
  const int32_t side_;
  std::vector<State> state_;
  std::vector<SvgPicture> pictures_;
  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable changed_;
  size_t taken_ = 0;
  size_t next_ = 0;
  bool stop_ = false;
};

bool IsSvgName(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  std::string ext = name.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return ext == "svg" || ext == "svgz";
}

int32_t Percent(int32_t total, int32_t current) {
  return total <= 0 ? 0 : static_cast<int32_t>(std::clamp<int64_t>(int64_t{current} * 100 / total, 0, 100));
}

}  // namespace

const std::vector<std::string>& LoadedPack::ImageExtensions() {
  static const std::vector<std::string> extensions = {"psd", "ico", "png", "svg", "svgz"};
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
  request.title = platform::Tr("pack", "定義ファイルの読み込み");
  request.text = platform::Arg(platform::Tr("pack", "定義ファイルの読み込みに失敗しました。壊れている可能性があります\r\n"
                                                    "%1\r\n定義ファイルは読み込まれませんでした。"),
                               {config_.GetLastErrorInfo()});
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
  auto gather = std::make_unique<GatherMessages>();
  std::vector<std::string> svgPaths(static_cast<size_t>(count));
  if (kind_ == SourceKind::Folder) {
    for (int32_t i = 0; i < count; ++i) {
      const std::string& name = folderFiles_[static_cast<size_t>(i)];
      if (IsSvgName(name)) svgPaths[static_cast<size_t>(i)] = source_ + name;
    }
  }
  SvgDrawnAhead drawnAhead(std::move(svgPaths), iconSize_);
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
    currentText = platform::Arg(platform::Tr("pack", "ファイルを読み込んでいます... %1"), {name});
    currentShown = false;
    if (Percent(count, current) != shownPercent || Clock::now() - shownAt >= std::chrono::milliseconds(20)) show();
    if (drawnAhead.IsSvg(static_cast<size_t>(i))) {
      auto img = std::make_shared<clsImage>();
      img->SetIconSize(iconSize_);
      img->SetFolderInputs(true);
      img->LoadSvgPicture(source, drawnAhead.Take(static_cast<size_t>(i)));
      Keep(std::move(img), name);
    } else if (const size_t told = gather->gathered.size();
               LoadImage(source, name, offset) == Refused::Untold && gather->gathered.size() == told) {
      // Cut short, damaged or unreadable, and the decoder said nothing: told
      // as every other image that can't be read is, naming the file as they do.
      platform::MessageBoxRequest request;
      request.title = platform::AppTitle();
      request.text = platform::Tr("pack", "このファイルは途中で切れているか壊れているため読み込めません") + "\r\n" +
                     (kind_ == SourceKind::Archive ? name : source);
      gather->gathered.push_back(request);
    }
  }
  if (progress) progress(1, 1, DoneText());
  const std::vector<platform::MessageBoxRequest> refusals = std::move(gather->gathered);
  gather.reset();
  TellRefusals(refusals);
}

LoadedPack::Refused LoadedPack::LoadImage(const std::string& source, const std::string& name, int32_t offset) {
  auto img = std::make_shared<clsImage>();
  // A decoder's message names the image: a member by its name in the pack (the
  // program's path would not tell which), a loose file by its full path.
  if (kind_ == SourceKind::Archive) img->SetName(name);
  img->SetIconSize(iconSize_);
  // A user's folder may hold icon files of several sizes and SVG documents; a
  // pack promises one image per icon file.
  img->SetFolderInputs(kind_ == SourceKind::Folder);
  const std::string type = img->GetFileExt(name);
  // A false load of an image type is data the decoder could not hold (cut
  // short, damaged) or a file that could not be read; of any other type
  // ("!quelo.ini", a text file), simply no image.
  const Refused failed = IsImageType(type) ? Refused::Untold : Refused::NotAnImage;
  try {
    if (!img->LoadFile(source, type, offset)) return failed;
  } catch (const std::exception&) {
    return failed;
  }
  return Keep(std::move(img), name);
}

LoadedPack::Refused LoadedPack::Keep(std::shared_ptr<clsImage> img, const std::string& name) {
  // A decoder that refused its input leaves the image without pixels (a
  // refused compression even keeps a blank one at its size); such an image
  // would make an invisible or empty preview and a strip of no height. The
  // decoder has said why, or, for a document that is no RGB image, chose to
  // say nothing.
  if (!img->HasPixels()) return Refused::Told;
  // GetIndex answers "no entry" when no definition is loaded.
  const int16_t j = config_.GetIndex(name);
  img->SetName(j < 0 ? name : config_.FileTitle(j));
  images_.push_back(std::move(img));
  return Refused::No;
}

int32_t LoadedPack::WidestImage() const {
  int32_t widest = 0;
  for (const auto& img : images_) widest = std::max(widest, img->Width());
  return widest;
}

std::string LoadedPack::Title() const { return config_.Opened() ? config_.PackName() : std::string(); }

std::string LoadedPack::DoneText() const {
  return platform::Arg(kind_ == SourceKind::Archive
                           ? platform::Tr("pack", "ファイルの読み込みが完了しました...[自己展開書庫：%1]")
                           : platform::Tr("pack", "ファイルの読み込みが完了しました...[カレントディレクトリ：%1]"),
                       {source_});

}

}  // namespace quelo
