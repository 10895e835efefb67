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
  // The extensions a folder is searched for, matched without regard to case.
  static const std::vector<std::string>& ImageExtensions();

  // Points the pack at the archive appended to fileName. False, with nothing
  // changed, when the file carries none or cannot be read.
  bool SetArchive(const std::string& fileName);
  // Points the pack at the image files of folder (a separator is appended).
  void SetFolder(const std::string& folder);

  // Reads the definition (a damaged one is reported through the dialogs and
  // left out), then every image in order: each is announced through progress
  // before it is read, and one that is refused or holds no pixels is skipped.
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
  // Shared, so that what holds an image (the strip) keeps it when the pack goes.
  std::shared_ptr<clsImage> ImagePtr(int k) const { return images_.at(static_cast<size_t>(k - 1)); }
  int32_t WidestImage() const;

  // The window title when the definition names the pack; empty otherwise.
  std::string Title() const;
  // The status once loading is done: which pack, from where.
  std::string DoneText() const;

 private:
  void LoadDefinition();
  // Loads one image; false when it is refused or holds no pixels.
  bool LoadImage(const std::string& source, const std::string& name, int32_t offset);

  SourceKind kind_ = SourceKind::None;
  std::string source_;
  std::vector<std::string> folderFiles_;
  clsExePlusFiles archive_;
  clsQueloConfig config_;
  std::vector<std::shared_ptr<clsImage>> images_;
};

}  // namespace quelo
