// The pack the window shows, without the window: where it came from (a file
// carrying an SXAR archive, or a folder of image files), its archive, its
// definition and its images, and the loop that loads them. The window holds one
// and replaces it whole when another pack is opened.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/clsExePlusFiles.h"
#include "archive/clsQueloConfig.h"
#include "image/clsImage.h"

namespace quelo {

class LoadedPack {
 public:
  enum class SourceKind { None, Archive, Folder };
  // total, current (1-based), text: what the status line shows while loading.
  using ProgressFn = std::function<void(int32_t total, int32_t current, const std::string& text)>;

  // Previews are counted in 16 bits: a larger pack shows its first 32767 files.
  static constexpr int32_t kMaxImages = 32767;
  // The extensions a folder is searched for, matched without regard to case
  // (SVG documents only in a folder: a pack holds PSD and ICO images).
  static const std::vector<std::string>& ImageExtensions();

  // Points the pack at the archive appended to fileName. False, with nothing
  // changed, when the file carries none or cannot be read.
  bool SetArchive(const std::string& fileName);
  // Points the pack at the image files of folder (a separator is appended).
  void SetFolder(const std::string& folder);
  // The side of the square every image is fitted into when it is loaded; 0
  // (the default) shows each at its own size. Takes effect at the next Load.
  void SetIconSize(int32_t side) { iconSize_ = side; }
  int32_t IconSize() const { return iconSize_; }

  // Reads the definition (a damaged one is reported through the dialogs and
  // left out), then every image in order: each is announced through progress
  // before it is read, and one that is refused or holds no pixels is skipped.
  // The images that can't be read are told after loading, in one message box
  // for all of them: a decoder's own refusal as it gave it, an image file cut
  // short or damaged that its decoder refused without a word in the same form.
  void Load(const ProgressFn& progress = {});

  SourceKind Kind() const { return kind_; }
  // The file that carries the archive, or the folder (ending in a separator).
  const std::string& SourcePath() const { return source_; }
  // The files a folder source will load, in order; empty for an archive.
  const std::vector<std::string>& FolderFiles() const { return folderFiles_; }
  // How many images the source offers (loaded or not).
  int32_t SourceCount() const;

  clsExePlusFiles& Archive() { return archive_; }
  const clsExePlusFiles& Archive() const { return archive_; }
  const clsQueloConfig& Config() const { return config_; }

  // Images loaded, counted from 1.
  int ImageCount() const { return static_cast<int>(images_.size()); }
  clsImage& Image(int k) const { return *images_.at(static_cast<size_t>(k - 1)); }
  // The same image as a shared reference: a strip entry keeps it alive (and at
  // the size it was loaded at) after the pack is reloaded or replaced, since a
  // reload makes new image objects instead of changing these.
  std::shared_ptr<clsImage> ImagePtr(int k) const { return images_.at(static_cast<size_t>(k - 1)); }
  int32_t WidestImage() const;

  // The window title when the definition names the pack; empty otherwise.
  std::string Title() const;
  // The status once loading is done: which pack, from where.
  std::string DoneText() const;

 private:
  void LoadDefinition();
  // How an image failed to become a preview: No (it loaded), NotAnImage (a
  // member or file of no image type), Told (the decoder refused it, and told
  // the user or chose not to), Untold (an image the decoder could not read,
  // without a word).
  enum class Refused { No, NotAnImage, Told, Untold };
  Refused LoadImage(const std::string& source, const std::string& name, int32_t offset);
  // Keeps a loaded image under its display name; Told when it holds no pixels.
  Refused Keep(std::shared_ptr<clsImage> img, const std::string& name);

  SourceKind kind_ = SourceKind::None;
  std::string source_;
  std::vector<std::string> folderFiles_;
  clsExePlusFiles archive_;
  clsQueloConfig config_;
  std::vector<std::shared_ptr<clsImage>> images_;
  int32_t iconSize_ = 0;
};

}  // namespace quelo
