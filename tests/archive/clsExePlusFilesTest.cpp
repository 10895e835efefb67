#include "archive/clsExePlusFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "archive/ArchiveTestUtil.h"
#include "archive/PackWriters.h"
#include "platform/Platform.h"
#include "platform/QueloError.h"
#include "support/RecordingDialogs.h"
#include "support/TempDir.h"

namespace quelo {

// Reaches the private copy for the cases that only it can show.
struct CopyFileBinProbe {
  static bool Copy(std::FILE* s, std::FILE* d, int32_t length, int32_t buffer) {
    return clsExePlusFiles::CopyFileBin(s, d, length, buffer);
  }
};

namespace {

namespace fs = std::filesystem;
using test::ErrorOf;
using test::FakePe;
using test::RawBytes;
using test::ReadAll;
using test::WriteAll;

PackMember Member(const std::string& name, size_t size) {
  PackMember m{name, std::vector<uint8_t>(size), 0};
  for (size_t i = 0; i < size; ++i) m.Data[i] = static_cast<uint8_t>(i * 7 + name.size());
  return m;
}

long FilesIn(const std::string& folder) { return std::distance(fs::directory_iterator(folder), {}); }

const std::vector<PackMember> kSeven = {Member("ame.psd", 300),      Member("hare.psd", 11091),
                                        Member("kumori01.psd", 1024), Member("yuki01.psd", 2048),
                                        Member("!quelo.ini", 1),      Member("kiri.ico", 0),
                                        Member("kaze01.psd", 40)};

// A PE of `size` bytes whose size fields end exactly at its end, with `archive` behind it.
std::vector<uint8_t> Behind(size_t size, const std::vector<uint8_t>& archive) {
  auto exe = FakePe(static_cast<uint32_t>(size), 0, 0, size);
  exe.insert(exe.end(), archive.begin(), archive.end());
  return exe;
}

class ExePlusFiles : public ::testing::Test {
 protected:
  std::string ExeWith(const std::vector<uint8_t>& archive) {
    WriteAll(dir.File("pack.exe"), Behind(0x200, archive));
    return dir.File("pack.exe");
  }
  // One member "m.bin" of `size` bytes whose directory Offset and Size are then set.
  clsExePlusFiles OpenPatched(size_t size, int32_t offset, int32_t entrySize) {
    auto archive = SerializeArchive({Member("m.bin", size)});
    test::PatchU32(archive, 16 + 2 + 5, static_cast<uint32_t>(offset));
    test::PatchU32(archive, 16 + 2 + 5 + 4, static_cast<uint32_t>(entrySize));
    clsExePlusFiles reader;
    EXPECT_TRUE(reader.OpenExe(ExeWith(archive)));
    return reader;
  }

  test::TempDir dir;
  test::RecordingDialogs dialogs;
};

// A program from mingw's linker (objdump -p: SizeOfCode 0x200, SizeOfInitializedData
// 0x800, SizeOfUninitializedData 0x200; 0xE00 bytes long), a big-endian 32-bit ELF
// object (readelf: section headers at 316, 5 x 40 bytes), and a PE whose size
// fields reach far beyond its end (the writer fills the gap).
TEST_F(ExePlusFiles, FindsPacksBehindRealAndSyntheticPrograms) {
  WriteAll(dir.File("gap.exe"), FakePe(0x22000, 0x7000, 0, 0x400));
  const std::tuple<std::string, int32_t, int32_t> programs[] = {{test::TestData("tiny-mingw.exe"), 0xC00, 0xE01},
                                                                {test::TestData("blob-elf32be.o"), 516, 517},
                                                                {dir.File("gap.exe"), 0x29000, 0x29001}};
  for (const auto& [program, size, start] : programs) {
    SCOPED_TRACE(program);
    clsExePlusFiles reader;
    EXPECT_EQ(reader.GetOriginalFileSize(program), size);
    WritePackExecutable(program, kSeven, dir.File("packed"));
    ASSERT_TRUE(reader.OpenExe(dir.File("packed")));
    EXPECT_EQ(reader.ArchiveStart(), start);
    const auto original = ReadAll(program), packed = ReadAll(dir.File("packed"));
    ASSERT_EQ(reader.FileCount(), 7);
    for (int16_t i = 0; i < 7; ++i) {  // over the longer export before, the empty member as an empty file
      EXPECT_EQ(reader.FileName(i), kSeven[i].Name);
      reader.FileExport(i, dir.File("out"));
      EXPECT_EQ(ReadAll(dir.File("out")), kSeven[i].Data);
    }
    // At most one size field of the program itself changes.
    size_t changed = 0;
    for (size_t i = 0; i < original.size(); ++i) changed += original[i] != packed[i];
    EXPECT_LE(changed, 4u);
  }
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(FilesIn(dir.Path()), 3);  // gap.exe, packed, out: no temporary files
}

// Damaged headers give -1; cut-short or absurd directories are no pack.
TEST_F(ExePlusFiles, BrokenHeadersAndDirectoriesAreNoPack) {
  auto pe = FakePe(0x200, 0, 0, 0x200), farPe = pe;
  test::PatchU32(pe, 0x3C, 0x1F0);  // e_lfanew leaves no room for the size fields
  test::PatchU32(farPe, 0x3C, 0xFFFFFFF0u);
  // The ELF object's section table and its .data section running past the end.
  const auto blob = ReadAll(test::TestData("blob-elf32be.o"));
  auto table = blob, section = blob;
  table[0x23] = 0x90;   // e_shoff 316 -> 400
  section[377] = 0x01;  // .data's size 0x64 -> 0x10064
  for (const auto& bytes : {pe, farPe, RawBytes().Raw("not an exe").b, table, section}) {
    WriteAll(dir.File("bad"), bytes);
    EXPECT_EQ(clsExePlusFiles().GetOriginalFileSize(dir.File("bad")), -1);
    EXPECT_FALSE(clsExePlusFiles().OpenExe(dir.File("bad")));
  }
  clsExePlusFiles reader;
  EXPECT_EQ(reader.GetOriginalFileSize(dir.File("missing")), -1);
  WriteAll(dir.File("huge.exe"), FakePe(0x7FFFFFFF, 0x7FFFFFFF, 0, 0x200));
  EXPECT_EQ(ErrorOf([&] { reader.GetOriginalFileSize(dir.File("huge.exe")); }).Number(), err::kOverflow);

  // Ending inside the fourth entry; Count 2147483647 in a 200-byte file; a name
  // length that runs past the end of the file. (A member beyond 32-bit positions
  // is in the archive fuzz target's regression corpus.)
  auto cut = SerializeArchive(kSeven);
  cut.resize(16 + 3 * 16 + 20);
  for (const auto& bytes : {Behind(0x200, cut), Behind(168, RawBytes().Raw("SXAR").U32(100).U32(0x7FFFFFFF).Put(0, 20).b),
                            Behind(0x200, RawBytes().Raw("SXAR").U32(100).U32(1).U32(0).U16(5000).Raw("abc").b)}) {
    WriteAll(dir.File("bad"), bytes);
    EXPECT_FALSE(reader.OpenExe(dir.File("bad")));
    EXPECT_EQ(reader.FileCount(), 0);
    EXPECT_EQ(reader.GetFileIndex("ame.psd"), -2);
  }
}

TEST_F(ExePlusFiles, LooksUpMembersByNameOffsetAndExtension) {
  auto archive = SerializeArchive({Member("ame.psd", 10), Member("a.b.ico", 10), Member("README", 10),
                                   Member("end.", 10), Member("ame.psd", 10)});
  std::memcpy(archive.data(), "XXXX\x07\0\0\0", 8);  // neither Magic nor Version is checked
  clsExePlusFiles reader;
  ASSERT_TRUE(reader.OpenExe(ExeWith(archive)));
  EXPECT_EQ(reader.GetFileIndex("ame.psd"), 0);
  EXPECT_EQ(reader.GetFileIndex("AME.psd"), -2);
  const int32_t at3 = reader.FileOffset(3), at4 = reader.FileOffset(4), data = reader.DataStart();
  for (auto [offset, index] : {std::pair{at3, 3}, {data - 1, -1}, {at3 + 1, 4}, {at4 + 1, -1}})
    EXPECT_EQ(reader.GetFileIndexFromOffset(offset), index) << offset;
  for (auto [index, ext] : {std::pair<int16_t, const char*>{0, "psd"}, {1, "ico"}, {2, "README"}, {3, ""}, {5, ""}})
    EXPECT_EQ(reader.GetFileExt(index), ext) << index;
  EXPECT_EQ(ErrorOf([&] { reader.FileName(5); }).Number(), err::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorOf([&] { reader.FileSize(-1); }).Number(), err::kSubscriptOutOfRange);
}

TEST_F(ExePlusFiles, DecodesCodePage932Names) {
  // Kana and kanji, trail bytes 5C, ①, a backslash, a lead byte with nothing after it.
  const std::pair<std::string, std::string> names[] = {
      {"ame.psd", "ame.psd"},
      {"\x89\x4a\x82\xcc\x93\xfa\x83\x41\x83\x43\x83\x52\x83\x93.psd", "雨の日アイコン.psd"},
      {"\x95\x5c\x8e\xa6\x83\x5c\x83\x74\x83\x67.psd", "表示ソフト.psd"},
      {"\x87\x40.ico", "①.ico"},
      {"a\\b", "a\\b"},
      {"a\x82", "a\xEF\xBF\xBD"}};
  RawBytes raw;
  raw.Raw("SXAR").U32(100).U32(6).U32(0);
  for (const auto& n : names) raw.Str(n.first).U32(0).U32(0).U16(0).U32(0);
  clsExePlusFiles reader;
  ASSERT_TRUE(reader.OpenExe(ExeWith(raw.b)));
  for (int16_t i = 0; i < 6; ++i) EXPECT_EQ(reader.FileName(i), names[i].second);
  EXPECT_EQ(reader.GetFileIndex("表示ソフト.psd"), 2);
}

// Every failed export shows why (OK button, no icon, the program's title) and
// keeps the earlier file byte for byte with no temporary file beside it: bad
// directory entries, the copy's writes failing at the member's first byte,
// inside a piece and at its last byte, the pack itself as the destination. A
// Size past the end of the file writes what exists and says so.
TEST_F(ExePlusFiles, FailedExportsShowWhyAndKeepTheEarlierFile) {
  const std::string general = "ファイル操作中に予期しないエラーが発生しました。\r\n";
  const std::string past = general + "-2147220502 メンバーが実行ファイルの終わりを越えています。";
  const auto member = Member("m.bin", 10000).Data;
  const std::vector<uint8_t> before(100, 'k');
  struct Case { int32_t offset, size; int16_t index; int64_t failAt; std::vector<std::string> texts; long written; };
  std::vector<Case> cases = {
      {0, 10250, 0, -1, {past + "10250 バイトのうち、存在する 10000 バイトだけを書き出しました"}, 10000},
      {10, 0x7FFFFFFF, 0, -1, {past + "2147483647 バイトのうち、存在する 9990 バイトだけを書き出しました"}, 9990},
      {-100000, 10, 0, -1, {"ファイルをコピー出来ませんでした", general + "63 Bad record number"}, 0},
      {0, -5, 0, -1, {general + "-2147220503 コピーする領域サイズがマイナスになっています"}, 0},
      {0, 10000, 1, -1, {general + "9 Subscript out of range"}, 0},
      {0, 10000, 0, 10000, {}, 10000}};  // a write allowed every byte
  for (int64_t at : test::FailurePoints(10000)) cases.push_back({0, 10000, 0, at, {general + "61 ディスクの空き容量が不足しています"}, 0});
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.offset << " " << c.size << " " << c.failAt);
    dialogs.messages.clear();
    WriteAll(dir.File("keep.psd"), before);
    auto reader = OpenPatched(10000, c.offset, c.size);
    {
      test::ScopedWriteFailure failure(c.failAt);  // -1: none
      EXPECT_EQ(reader.FileExport(c.index, dir.File("keep.psd")), c.texts.empty());
    }
    EXPECT_EQ(dialogs.Texts(), c.texts);
    EXPECT_EQ(ReadAll(dir.File("keep.psd")),
              c.written ? std::vector<uint8_t>(member.begin() + c.offset, member.begin() + c.offset + c.written) : before);
    EXPECT_EQ(FilesIn(dir.Path()), 2);
  }
  const auto& m = dialogs.messages.at(0);
  EXPECT_EQ(std::make_tuple(m.title, m.icon, m.buttons),
            std::make_tuple(platform::AppTitle(), platform::MsgIcon::None, platform::MsgButtons::Ok));
  const auto program = ReadAll(dir.File("pack.exe"));
  EXPECT_FALSE(OpenPatched(10000, 0, 10000).FileExport(0, dir.File("pack.exe")));
  EXPECT_EQ(ReadAll(dir.File("pack.exe")), program);
  EXPECT_EQ(dialogs.messages.back().text, general + "-2147220501 書き出し先がパックの入っている実行ファイルそのものです");
}

// A bad buffer size is refused before anything is read; length 0 copies to the end.
TEST_F(ExePlusFiles, CopyFileBinChecksItsArgumentsBeforeCopying) {
  WriteAll(dir.File("src"), std::vector<uint8_t>(3000, 's'));
  std::FILE* src = std::fopen(dir.File("src").c_str(), "rb");
  std::FILE* dst = std::fopen(dir.File("dst").c_str(), "wb");
  std::fseek(src, 1000, SEEK_SET);
  const QueloError e = ErrorOf([&] { CopyFileBinProbe::Copy(src, dst, 10, 0); });
  EXPECT_EQ(e.Description() + " " + std::to_string(std::ftell(src)), "ファイルのコピーに使用するバッファサイズが不正です 1000");
  EXPECT_TRUE(CopyFileBinProbe::Copy(src, dst, 0, 7));
  std::fclose(src);
  std::fclose(dst);
  EXPECT_EQ(ReadAll(dir.File("dst")).size(), 2000u);
}

}  // namespace
}  // namespace quelo
