// Reader of the binary pack definition "!quelo.ini": pack name, version,
// description and author, and a display title, description and author per file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quelo {

struct FileDefinition {
  std::string FileName;  // UTF-8
  std::string FileTitle;
  std::string FileDescription;
  std::string FileAuther;
};

class clsQueloConfig {
 public:
  // Reads the definition from FileName at the 1-based position Offset.
  bool LoadConfig(const std::string& FileName, int32_t Offset);
  const std::string& PackName() const { return packName_; }
  std::string PackVersion() const;  // shortest decimal text of the field / 100
  const std::string& PackDescription() const { return packDescription_; }
  const std::string& PackAutherName() const { return packAutherName_; }
  const std::string& PackAutherEmail() const { return packAutherEmail_; }
  const std::string& PackAutherUrl() const { return packAutherUrl_; }
  // These four throw QueloError 9 for an index outside the definitions.
  std::string FileTitle(int16_t Index) const;
  std::string FileName(int16_t Index) const;
  std::string FileAuther(int16_t Index) const;
  std::string FileDescription(int16_t Index) const;
  int16_t GetIndex(const std::string& FileName) const;
  bool Opened() const { return opened_; }
  const std::string& GetLastErrorInfo() const { return lastError_; }
  bool FileExist(const std::string& FileName) const;

  int16_t FormatVersion() const { return formatVersion_; }
  int16_t PackVersionField() const { return packVersion_; }
  int16_t DefinitionCount() const { return static_cast<int16_t>(entries_.size()); }
  const std::vector<uint8_t>& DefaultList() const { return defaultList_; }

 private:
  char magic_[4] = {0, 0, 0, 0};
  int16_t formatVersion_ = 0;
  std::string packName_;
  int16_t packVersion_ = 0;
  std::string packDescription_;
  std::string packAutherName_;
  std::string packAutherEmail_;
  std::string packAutherUrl_;
  int16_t definitionCount_ = 0;
  int16_t defaultListCount_ = 0;
  int32_t reserved_ = 0;
  std::vector<FileDefinition> entries_;
  std::vector<uint8_t> defaultList_;
  bool opened_ = false;
  std::string lastError_;
};

}  // namespace quelo
