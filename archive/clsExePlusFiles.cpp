#include "archive/clsExePlusFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>
#include <vector>

#include "archive/ExeLayout.h"
#include "archive/FileIo.h"
#include "platform/ReplacingFile.h"
#include "platform/Platform.h"
#include "platform/QueloError.h"
#include "platform/Tr.h"

namespace quelo {

namespace {

constexpr int32_t kErrBadBufferSize = err::kUserBase + 1000;   // 0x800403E8
constexpr int32_t kErrNegativeLength = err::kUserBase + 1001;  // 0x800403E9
constexpr int32_t kErrMemberPastEnd = err::kUserBase + 1002;   // 0x800403EA
constexpr int32_t kErrOntoExecutable = err::kUserBase + 1003;  // 0x800403EB
const char* const kCopySource = "SxarExe.frmMain.CopyFileBin";
constexpr int32_t kExportBufferSize = 1024;
constexpr int64_t kSxarHeaderSize = 16;
constexpr int64_t kSxarEntryFixedSize = 16;  // NameLength, Offset, Size, Flags, Reserved

// Positions and indices are 32- and 16-bit values; a result outside them is an
// overflow raised to the caller.
int32_t CheckedPosition(int64_t value, const char* source) {
  if (value > std::numeric_limits<int32_t>::max() || value < std::numeric_limits<int32_t>::min())
    throw QueloError::Make(err::kOverflow, source);
  return static_cast<int32_t>(value);
}

int16_t CheckedIndex(size_t index, const char* source) {
  if (index > static_cast<size_t>(std::numeric_limits<int16_t>::max()))
    throw QueloError::Make(err::kOverflow, source);
  return static_cast<int16_t>(index);
}

}  // namespace

clsExePlusFiles::clsExePlusFiles() : exeDir_(platform::AppPath()) {
  if (exeDir_.empty() || exeDir_.back() != platform::kPathSeparator) exeDir_ += platform::kPathSeparator;
}

void clsExePlusFiles::Clear() {
  archiveStart_ = 0;
  dataStart_ = 0;
  header_ = SxarHeader{};
  entries_.clear();
}

std::string clsExePlusFiles::ExeFileName() const { return platform::ExeFileName(); }

bool clsExePlusFiles::FileExist(const std::string& FileName) const {
  const std::string name = FileName.empty() ? ExeFileName() : FileName;
  return platform::FileExist(name, "clsExePlusFiles.FileExist->");
}

int32_t clsExePlusFiles::GetOriginalFileSize(const std::string& FileName) {
  const std::string name = FileName.empty() ? ExeFileName() : FileName;
  if (!FileExist(name)) return -1;
  InputFile file;
  if (!file.Open(name)) return -1;
  const ExeLayout layout = ReadExeLayout(file);
  if (layout.kind == ExeLayout::Kind::Unknown) return -1;
  const int32_t size = CheckedPosition(layout.imageEnd, "clsExePlusFiles.GetOriginalFileSize");
  archiveFileName_ = name;
  return size;
}

bool clsExePlusFiles::OpenExe(const std::string& FileName) {
  const std::string name = FileName.empty() ? ExeFileName() : FileName;
  if (!FileExist(name)) return false;
  const int32_t originalSize = GetOriginalFileSize(name);
  if (originalSize == -1) return false;
  archiveStart_ = CheckedPosition(int64_t{originalSize} + 1, "clsExePlusFiles.OpenExe");

  InputFile file;
  if (!file.Open(name)) {
    Clear();
    return false;
  }
  // Header bytes beyond the end of the file count as zero: a program without a
  // pack reads Count 0 here.
  uint8_t h[kSxarHeaderSize];
  file.ReadAtZeroFilled(originalSize, h, sizeof h);
  std::memcpy(header_.Magic, h, 4);
  auto u32 = [&](int at) {
    return static_cast<uint32_t>(h[at]) | (static_cast<uint32_t>(h[at + 1]) << 8) |
           (static_cast<uint32_t>(h[at + 2]) << 16) | (static_cast<uint32_t>(h[at + 3]) << 24);
  };
  header_.Version = u32(4);
  header_.Count = static_cast<int32_t>(u32(8));
  header_.Reserved = u32(12);
  entries_.clear();
  if (header_.Count < 1) return false;

  // Every entry takes at least 16 bytes, so a Count that the rest of the file
  // cannot hold is refused before anything is allocated.
  FieldReader in(file, originalSize + kSxarHeaderSize);
  if (static_cast<int64_t>(header_.Count) > in.Remaining() / kSxarEntryFixedSize) {
    Clear();
    return false;
  }
  entries_.reserve(static_cast<size_t>(std::min(header_.Count, 65536)));
  for (int32_t i = 0; i < header_.Count && !in.Failed(); ++i) {
    SxarEntry entry;
    entry.Name = platform::DecodeCp932(in.CountedBytes());
    entry.Offset = in.I32();
    entry.Size = in.I32();
    entry.Flags = in.I16();
    entry.Reserved = in.I32();
    entries_.push_back(std::move(entry));
  }
  // A directory cut short by the end of the file: no pack rather than half a one.
  if (in.Failed()) {
    Clear();
    return false;
  }
  dataStart_ = CheckedPosition(in.Offset() + 1, "clsExePlusFiles.OpenExe");
  // A member whose position lies beyond 32-bit positions could not be asked
  // for (FileOffset raises an overflow) while the pack loads: no pack either.
  for (const SxarEntry& entry : entries_) {
    if (int64_t{dataStart_} + entry.Offset > std::numeric_limits<int32_t>::max()) {
      Clear();
      return false;
    }
  }
  return true;
}

int16_t clsExePlusFiles::GetFileIndexFromOffset(int32_t Offset) const {
  if (header_.Count <= 0 || Offset < dataStart_) return -1;
  const int64_t r = int64_t{Offset} - dataStart_;
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (r <= entries_[i].Offset) return CheckedIndex(i, "clsExePlusFiles.GetFileIndexFromOffset");
  }
  return -1;
}

int16_t clsExePlusFiles::GetFileIndex(const std::string& FileName) const {
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].Name == FileName) return CheckedIndex(i, "clsExePlusFiles.GetFileIndex");
  }
  return -2;
}

const SxarEntry& clsExePlusFiles::Entry(int16_t Index, const char* operation) const {
  if (Index < 0 || Index >= header_.Count || static_cast<size_t>(Index) >= entries_.size())
    throw QueloError::Make(err::kSubscriptOutOfRange, std::string("clsExePlusFiles.") + operation);
  return entries_[static_cast<size_t>(Index)];
}

std::string clsExePlusFiles::FileName(int16_t Index) const { return Entry(Index, "FileName").Name; }
int32_t clsExePlusFiles::FileSize(int16_t Index) const { return Entry(Index, "FileSize").Size; }
int16_t clsExePlusFiles::FileFlags(int16_t Index) const { return Entry(Index, "FileFlags").Flags; }

int32_t clsExePlusFiles::FileOffset(int16_t Index) const {
  return CheckedPosition(int64_t{dataStart_} + Entry(Index, "FileOffset").Offset, "clsExePlusFiles.FileOffset");
}

std::string clsExePlusFiles::GetFileExt(int16_t Index) const {
  if (entries_.empty() || Index < 0 || Index > header_.Count - 1 || static_cast<size_t>(Index) >= entries_.size())
    return {};
  const std::string& name = entries_[static_cast<size_t>(Index)].Name;
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(dot + 1);
}

// ---- Export ------------------------------------------------------------------

bool clsExePlusFiles::FileExport(int16_t Index, const std::string& FileName) {
  try {
    const SxarEntry& entry = Entry(Index, "FileName");
    if (entry.Name.empty()) return false;
    if (archiveFileName_.empty() || !FileExist(archiveFileName_)) return false;

    InputFile source;
    if (!source.Open(archiveFileName_)) throw QueloError::FromErrno(errno, "clsExePlusFiles.FileExport");
    const int32_t position = FileOffset(Index);
    if (position < 1 || !source.Seek(int64_t{position} - 1))
      throw QueloError::Make(err::kBadRecordNumber, "clsExePlusFiles.FileExport");
    // A negative Size would mean "to the end of the executable" to the copy;
    // it is a damaged directory entry, refused like a negative copy length.
    if (entry.Size < 0)
      throw QueloError(kErrNegativeLength, kCopySource,
                       platform::Tr("archive", "コピーする領域サイズがマイナスになっています"));

    // Replacing the executable would throw away the program and its whole pack.
    std::error_code ec;
    if (std::filesystem::equivalent(platform::FsPath(FileName), platform::FsPath(archiveFileName_), ec))
      throw QueloError(kErrOntoExecutable, "clsExePlusFiles.FileExport",
                       platform::Tr("archive", "書き出し先がパックの入っている実行ファイルそのものです"));
    ReplacingFile destination(FileName, "clsExePlusFiles.FileExport");
    // An empty member is an empty file, not the rest of the executable.
    const bool complete =
        entry.Size == 0 || CopyFileBin(source.Handle(), destination.Handle(), entry.Size, kExportBufferSize);
    destination.Commit();
    if (!complete) {
      const int64_t available = std::max<int64_t>(0, source.Length() - (int64_t{position} - 1));
      throw QueloError(kErrMemberPastEnd, "clsExePlusFiles.FileExport",
                       platform::Arg(platform::Tr("archive", "メンバーが実行ファイルの終わりを越えています。%1 "
                                                             "バイトのうち、存在する %2 バイトだけを書き出しました"),
                                     {std::to_string(entry.Size), std::to_string(available)}));
    }
    return true;
  } catch (const QueloError& e) {
    if (e.Number() == err::kBadRecordNumber)
      platform::ShowMessage(platform::Tr("archive", "ファイルをコピー出来ませんでした"));
    // The number and the reason on a line of their own, apart from each other.
    platform::ShowMessage(platform::Arg(platform::Tr("archive", "ファイル操作中に予期しないエラーが発生しました。\r\n%1 %2"),
                                        {std::to_string(e.Number()), e.UserDescription()}));
  } catch (const std::exception& e) {
    // Anything else (out of memory, a file system error) is still reported, never passed on.
    platform::ShowMessage(
        platform::Arg(platform::Tr("archive", "ファイル操作中に予期しないエラーが発生しました。\r\n%1"), {e.what()}));
  }
  return false;
}

bool clsExePlusFiles::CopyFileBin(std::FILE* SourceFile, std::FILE* DestFile, int32_t CopyLength,
                                  int32_t BufferSize) {
  if (BufferSize < 1)
    throw QueloError(kErrBadBufferSize, kCopySource,
                     platform::Tr("archive", "ファイルのコピーに使用するバッファサイズが不正です"));
  int64_t n = CopyLength;
  if (CopyLength < 1) {
    const long current = std::ftell(SourceFile);
    if (current < 0 || std::fseek(SourceFile, 0, SEEK_END) != 0) throw QueloError::FromErrno(errno, kCopySource);
    const long length = std::ftell(SourceFile);
    if (length < 0 || std::fseek(SourceFile, current, SEEK_SET) != 0) throw QueloError::FromErrno(errno, kCopySource);
    n = int64_t{length} - current;
    if (n < 0)
      throw QueloError(kErrNegativeLength, kCopySource,
                       platform::Tr("archive", "コピーする領域サイズがマイナスになっています"));

    if (n == 0) return true;
  }
  // One buffer for the whole pieces; the last, shorter piece uses its front.
  std::vector<char> buffer(static_cast<size_t>(std::min<int64_t>(BufferSize, n)));
  while (n > 0) {
    const size_t piece = static_cast<size_t>(std::min<int64_t>(n, static_cast<int64_t>(buffer.size())));
    const size_t got = std::fread(buffer.data(), 1, piece, SourceFile);
    if (got < piece && std::ferror(SourceFile)) throw QueloError::FromErrno(errno ? errno : EIO, kCopySource);
    // The injected write failures of the tests apply here as to every other write.
    const size_t allowed = platform::TakeWriteAllowance(got);
    errno = 0;
    if (allowed > 0 && std::fwrite(buffer.data(), 1, allowed, DestFile) != allowed)
      throw QueloError::FromErrno(errno ? errno : EIO, kCopySource);
    if (allowed < got) throw QueloError::FromErrno(ENOSPC, kCopySource);
    if (got < piece) return false;  // the source ended early; what existed is written
    n -= static_cast<int64_t>(got);
  }
  return true;
}

}  // namespace quelo
