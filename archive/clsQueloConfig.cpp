#include "archive/clsQueloConfig.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "archive/FileIo.h"
#include "platform/Platform.h"
#include "platform/QueloError.h"
#include "platform/Tr.h"

namespace quelo {

namespace {

constexpr int16_t kMaxFormatVersion = 100;
constexpr int16_t kMaxDefinitionCount = 100;

// Reads the fields of the definition in file order and remembers where the
// file ended, if it ended before the definition did.
class DefinitionReader {
 public:
  DefinitionReader(InputFile& file, int64_t offset) : in_(file, offset), length_(file.Length()) {}

  std::string Text(const std::string& where) { return Note(platform::DecodeCp932(in_.CountedBytes()), where); }
  int16_t I16(const std::string& where) { return Note(in_.I16(), where); }
  int32_t I32(const std::string& where) { return Note(in_.I32(), where); }
  void Bytes(void* out, size_t count, const std::string& where) {
    in_.Bytes(out, count);
    Note(0, where);
  }
  // False, and the definition cut short at where, when fewer than count bytes are left.
  bool Holds(int64_t count, const std::string& where) {
    if (count <= in_.Remaining()) return true;
    if (cutAt_.empty()) cutAt_ = where;
    return false;
  }

  bool CutShort() const { return !cutAt_.empty(); }
  const std::string& CutAt() const { return cutAt_; }
  std::string CutShortText() const {
    return platform::Arg(platform::Tr("archive", "定義ファイルが途中で終わっています（%1 の途中で、位置 %2 "
                                                 "のファイルの終わりに達しました）"),
                         {cutAt_, std::to_string(length_)});
  }

 private:
  template <typename T>
  T Note(T value, const std::string& where) {
    if (in_.Failed() && cutAt_.empty()) cutAt_ = where;
    return value;
  }

  FieldReader in_;
  int64_t length_;
  std::string cutAt_;
};

std::string FieldOfRecord(size_t index, const char* field) {
  return platform::Arg(platform::Tr("archive", "%1 件目のファイル定義の %2"), {std::to_string(index + 1), field});
}

}  // namespace

bool clsQueloConfig::LoadConfig(const std::string& FileName, int32_t Offset) {
  opened_ = false;
  if (!FileExist(FileName)) {
    lastError_ = platform::Arg(platform::Tr("archive", "指定されたファイル %1 は存在しません"), {FileName});
    return false;
  }
  auto refuse = [&](const std::string& text) {
    lastError_ = text;
    entries_.clear();
    defaultList_.clear();
    return false;
  };
  InputFile file;
  if (!file.Open(FileName))
    return refuse(platform::Arg(platform::Tr("archive", "定義ファイル %1 を開けませんでした（%2）"),
                                {FileName, QueloError::ErrnoText(errno)}));
  if (Offset < 1)
    return refuse(platform::Arg(platform::Tr("archive", "定義ファイルの開始位置 %1 が不正です"), {std::to_string(Offset)}));

  DefinitionReader in(file, int64_t{Offset} - 1);
  std::memset(magic_, 0, sizeof magic_);
  formatVersion_ = packVersion_ = definitionCount_ = defaultListCount_ = 0;
  reserved_ = 0;
  packName_.clear();
  packDescription_.clear();
  packAutherName_.clear();
  packAutherEmail_.clear();
  packAutherUrl_.clear();

  in.Bytes(magic_, sizeof magic_, platform::Tr("archive", "ヘッダーの Magic"));
  formatVersion_ = in.I16(platform::Tr("archive", "ヘッダーの FormatVersion"));
  packName_ = in.Text(platform::Tr("archive", "ヘッダーの PackName"));
  packVersion_ = in.I16(platform::Tr("archive", "ヘッダーの PackVersion"));
  packDescription_ = in.Text(platform::Tr("archive", "ヘッダーの PackDescription"));
  packAutherName_ = in.Text(platform::Tr("archive", "ヘッダーの PackAutherName"));
  packAutherEmail_ = in.Text(platform::Tr("archive", "ヘッダーの PackAutherEmail"));
  packAutherUrl_ = in.Text(platform::Tr("archive", "ヘッダーの PackAutherUrl"));
  definitionCount_ = in.I16(platform::Tr("archive", "ヘッダーの DefinitionCount"));
  defaultListCount_ = in.I16(platform::Tr("archive", "ヘッダーの DefaultListCount"));
  reserved_ = in.I32(platform::Tr("archive", "ヘッダーの Reserved"));

  // The checks look at what was read; fields beyond a cut read as 0 and pass,
  // so a header that is cut short but not refused reports where it ended.
  if (in.CutAt() == platform::Tr("archive", "ヘッダーの Magic")) return refuse(in.CutShortText());
  if (std::memcmp(magic_, "VeKo", 4) != 0) return refuse(platform::Tr("archive", "定義ファイルのシグネチャが間違っています"));
  if (formatVersion_ > kMaxFormatVersion)
    return refuse(platform::Tr("archive", "このバージョンの定義ファイルには対応していません"));
  if (definitionCount_ < 0 || definitionCount_ > kMaxDefinitionCount)
    return refuse(platform::Tr("archive", "定義数が許容範囲を超えています"));
  if (defaultListCount_ < 0) return refuse(platform::Tr("archive", "デフォルトリスト数が許容範囲を超えています"));

  if (in.CutShort()) return refuse(in.CutShortText());

  std::vector<FileDefinition> entries(static_cast<size_t>(definitionCount_));
  for (size_t i = 0; i < entries.size() && !in.CutShort(); ++i) {
    entries[i].FileName = in.Text(FieldOfRecord(i, "FileName"));
    entries[i].FileTitle = in.Text(FieldOfRecord(i, "FileTitle"));
    entries[i].FileDescription = in.Text(FieldOfRecord(i, "FileDescription"));
    entries[i].FileAuther = in.Text(FieldOfRecord(i, "FileAuther"));
  }
  if (in.CutShort()) return refuse(in.CutShortText());
  // Allocated only for a count the rest of the file can hold.
  if (!in.Holds(defaultListCount_, "DefaultList")) return refuse(in.CutShortText());
  std::vector<uint8_t> defaultList(static_cast<size_t>(defaultListCount_));
  in.Bytes(defaultList.data(), defaultList.size(), "DefaultList");
  if (in.CutShort()) return refuse(in.CutShortText());

  entries_ = std::move(entries);
  defaultList_ = std::move(defaultList);
  opened_ = true;
  return true;
}

std::string clsQueloConfig::PackVersion() const {
  // The field counts hundredths; integer arithmetic gives the shortest decimal
  // text exactly and ignores the locale's decimal separator.
  const int value = packVersion_;
  const int magnitude = std::abs(value);
  std::string text = (value < 0 ? "-" : "") + std::to_string(magnitude / 100);
  const int cents = magnitude % 100;
  if (cents != 0) {
    text += '.';
    text += static_cast<char>('0' + cents / 10);
    if (cents % 10 != 0) text += static_cast<char>('0' + cents % 10);
  }
  return text;
}

namespace {
const FileDefinition& Definition(const std::vector<FileDefinition>& entries, int16_t index, const char* operation) {
  if (index < 0 || static_cast<size_t>(index) >= entries.size())
    throw QueloError::Make(err::kSubscriptOutOfRange, std::string("clsQueloConfig.") + operation);
  return entries[static_cast<size_t>(index)];
}
}  // namespace

std::string clsQueloConfig::FileTitle(int16_t Index) const { return Definition(entries_, Index, "FileTitle").FileTitle; }
std::string clsQueloConfig::FileName(int16_t Index) const { return Definition(entries_, Index, "FileName").FileName; }
std::string clsQueloConfig::FileAuther(int16_t Index) const { return Definition(entries_, Index, "FileAuther").FileAuther; }
std::string clsQueloConfig::FileDescription(int16_t Index) const {
  return Definition(entries_, Index, "FileDescription").FileDescription;
}

int16_t clsQueloConfig::GetIndex(const std::string& FileName) const {
  if (!opened_) return -1;
  try {
    const std::string name = platform::BaseName(FileName);
    for (size_t i = 0; i < entries_.size(); ++i) {
      if (entries_[i].FileName == name) return static_cast<int16_t>(i);
    }
    return -1;
  } catch (const QueloError& e) {
    throw e.PassedOn("clsQueloConfig.GetIndex->");
  }
}

bool clsQueloConfig::FileExist(const std::string& FileName) const {
  if (FileName.empty()) return false;  // an empty name never names a file
  return platform::FileExist(FileName, "clsQueloConfig.FileExist->");
}

}  // namespace quelo
