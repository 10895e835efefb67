#include "archive/PackWriters.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>

#include "archive/ExeLayout.h"
#include "archive/FileIo.h"
#include "platform/ReplacingFile.h"
#include "platform/Platform.h"
#include "platform/QueloError.h"
#include "platform/Tr.h"

namespace quelo {

namespace {

constexpr int64_t kMaxPosition = std::numeric_limits<int32_t>::max();

// Little-endian fields appended to a byte vector, in file order.
class ByteWriter {
 public:
  ByteWriter(std::vector<uint8_t>& out, const char* source) : out_(out), source_(source) {}

  void U16(uint16_t v) { Raw(&v, 2); }
  void U32(uint32_t v) { Raw(&v, 4); }
  void I16(int16_t v) { U16(static_cast<uint16_t>(v)); }
  void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
  void Bytes(const void* data, size_t count) {
    const auto* p = static_cast<const uint8_t*>(data);
    out_.insert(out_.end(), p, p + count);
  }
  // A text as the pack stores it: 16-bit byte count, then code page 932 bytes.
  void Text(const std::string& utf8) { CountedBytes(Cp932(utf8, source_)); }
  void CountedBytes(const std::string& bytes) {
    if (bytes.size() > 0xFFFF)
      throw QueloError(packerr::kTextTooLong, source_,
                       platform::Arg(platform::Tr("archive", "テキストが 65535 バイトを超えています（%1 バイト）"),
                                     {std::to_string(bytes.size())}));
    U16(static_cast<uint16_t>(bytes.size()));
    Bytes(bytes.data(), bytes.size());
  }

  static std::string Cp932(const std::string& utf8, const char* source) {
    std::string bytes;
    if (!platform::EncodeCp932(utf8, bytes))
      throw QueloError(packerr::kNoCp932Form, source,
                       platform::Arg(platform::Tr("archive", "\"%1\" にはコードページ 932 で表せない文字が含まれています"),
                                     {utf8}));
    return bytes;
  }

 private:
  void Raw(const void* v, size_t size) {
    uint8_t b[4];
    uint32_t value = 0;
    std::memcpy(&value, v, size);
    for (size_t i = 0; i < size; ++i) b[i] = static_cast<uint8_t>(value >> (8 * i));
    Bytes(b, size);
  }

  std::vector<uint8_t>& out_;
  const char* source_;
};

int16_t CountField(size_t count, const char* what, const char* source) {
  if (count > static_cast<size_t>(std::numeric_limits<int16_t>::max()))
    throw QueloError(packerr::kTooMany, source,
                     platform::Arg(platform::Tr("archive", what), {std::to_string(count)}));
  return static_cast<int16_t>(count);
}

}  // namespace

std::vector<uint8_t> SerializeDefinition(const PackDefinition& definition) {
  const char* source = "SerializeDefinition";
  std::vector<uint8_t> bytes;
  ByteWriter out(bytes, source);
  out.Bytes("VeKo", 4);
  out.I16(definition.FormatVersion);
  out.Text(definition.PackName);
  out.I16(definition.PackVersion);
  out.Text(definition.PackDescription);
  out.Text(definition.PackAutherName);
  out.Text(definition.PackAutherEmail);
  out.Text(definition.PackAutherUrl);
  out.I16(CountField(definition.Files.size(), QUELO_TR_NOOP("archive", "ファイル定義が多すぎます（%1、最大 32767）"),
                     source));
  out.I16(CountField(definition.DefaultList.size(),
                     QUELO_TR_NOOP("archive", "DefaultList のバイトが多すぎます（%1、最大 32767）"), source));
  out.I32(0);
  for (const auto& file : definition.Files) {
    out.Text(file.FileName);
    out.Text(file.FileTitle);
    out.Text(file.FileDescription);
    out.Text(file.FileAuther);
  }
  out.Bytes(definition.DefaultList.data(), definition.DefaultList.size());
  return bytes;
}

std::vector<uint8_t> SerializeArchive(const std::vector<PackMember>& members) {
  const char* source = "SerializeArchive";
  // Members are addressed by 16-bit indices 0 to 32767.
  if (members.size() > 32768u)
    throw QueloError(packerr::kTooMany, source,
                     platform::Arg(platform::Tr("archive", "メンバーが多すぎます（%1、最大 32768）"),
                                   {std::to_string(members.size())}));
  std::vector<uint8_t> bytes;
  ByteWriter out(bytes, source);
  out.Bytes("SXAR", 4);
  out.U32(100);
  out.I32(static_cast<int32_t>(members.size()));
  out.U32(0);
  int64_t offset = 0;
  for (const auto& member : members) {
    out.CountedBytes(ByteWriter::Cp932(member.Name, source));
    if (offset + static_cast<int64_t>(member.Data.size()) > kMaxPosition)
      throw QueloError(packerr::kTooLarge, source, platform::Tr("archive", "アーカイブが 2 GB を超えます"));
    out.I32(static_cast<int32_t>(offset));
    out.I32(static_cast<int32_t>(member.Data.size()));
    out.I16(member.Flags);
    out.I32(0);
    offset += static_cast<int64_t>(member.Data.size());
  }
  for (const auto& member : members) out.Bytes(member.Data.data(), member.Data.size());
  return bytes;
}

void WritePackExecutable(const std::string& ExeIn, const std::vector<PackMember>& members,
                         const std::string& Out) {
  namespace fs = std::filesystem;
  const char* source = "WritePackExecutable";
  std::error_code ec;
  if (ExeIn == Out || fs::equivalent(platform::FsPath(ExeIn), platform::FsPath(Out), ec))
    throw QueloError(packerr::kSameFile, source,
                     platform::Arg(platform::Tr("archive", "書き出し先が元の実行ファイルと同じです: %1"), {Out}));
  InputFile in;
  if (!in.Open(ExeIn)) throw QueloError::FromErrno(errno, source);
  const ExeLayout layout = ReadExeLayout(in);
  if (layout.kind == ExeLayout::Kind::Unknown)
    throw QueloError(packerr::kUnknownExecutable, source,
                     platform::Arg(platform::Tr("archive", "%1 は PE 形式でも ELF 形式でもないか、ヘッダーが壊れています"),
                                   {ExeIn}));
  const std::vector<uint8_t> archive = SerializeArchive(members);

  // The reader looks for the archive where the image ends. For ELF that is
  // inside the file; anything behind it (an earlier pack) is left out.
  int64_t copyLength = layout.imageEnd;
  int64_t padding = 0;
  bool patchUninitialized = false;
  uint32_t newUninitialized = layout.sizeOfUninitializedData;
  if (layout.kind == ExeLayout::Kind::Pe) {
    const int64_t length = in.Length();
    char magic[4];
    if (layout.imageEnd >= length) {
      // The size fields reach beyond the file: fill the gap so the archive sits there.
      copyLength = length;
      padding = layout.imageEnd - length;
    } else if (in.ReadAtZeroFilled(layout.imageEnd, magic, 4) == 4 && std::memcmp(magic, "SXAR", 4) == 0) {
      // Already a pack: the new archive replaces the old one.
    } else {
      // Linkers count neither the headers nor file alignment in the size fields,
      // so the sum usually falls inside the image. The loader ignores these
      // fields; raising SizeOfUninitializedData moves the sum to the file's end.
      const uint64_t raised = uint64_t{layout.sizeOfUninitializedData} + static_cast<uint64_t>(length - layout.imageEnd);
      if (raised > std::numeric_limits<uint32_t>::max())
        throw QueloError(packerr::kTooLarge, source,
                         platform::Arg(platform::Tr("archive", "%1 のヘッダーを書き換えられません"), {ExeIn}));
      copyLength = length;
      patchUninitialized = true;
      newUninitialized = static_cast<uint32_t>(raised);
    }
  }
  if (copyLength + padding + static_cast<int64_t>(archive.size()) > kMaxPosition)
    throw QueloError(packerr::kTooLarge, source, platform::Tr("archive", "パック入りの実行ファイルが 2 GB を超えます"));


  ReplacingFile out(Out, source);
  out.SetPermissionsFrom(ExeIn);  // the copy must stay runnable
  if (!in.Seek(0)) throw QueloError::FromErrno(errno, source);
  const int64_t patchAt = int64_t{layout.peSignature} + kPeSizeOfUninitializedData;
  std::vector<uint8_t> buffer(64 * 1024);
  for (int64_t done = 0; done < copyLength;) {
    const size_t piece = static_cast<size_t>(std::min<int64_t>(copyLength - done, static_cast<int64_t>(buffer.size())));
    if (in.Read(buffer.data(), piece) != piece) throw QueloError::FromErrno(errno ? errno : EIO, source);
    for (int k = 0; patchUninitialized && k < 4; ++k) {
      const int64_t at = patchAt + k - done;
      if (at >= 0 && at < static_cast<int64_t>(piece))
        buffer[static_cast<size_t>(at)] = static_cast<uint8_t>(newUninitialized >> (8 * k));
    }
    out.Write(buffer.data(), piece);
    done += static_cast<int64_t>(piece);
  }
  out.WriteZeros(padding);
  out.Write(archive.data(), archive.size());
  out.Commit();
}

void WriteFileAtomically(const std::string& fileName, const std::vector<uint8_t>& bytes) {
  WriteFileReplacing(fileName, bytes, "WriteFileAtomically");
}

}  // namespace quelo
