#include "archive/clsExePlusFiles.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
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

using test::FakePe;
using test::RawBytes;
using test::ReadAll;
using test::WriteAll;

PackMember Member(const std::string& name, size_t size) {
  PackMember m{name, std::vector<uint8_t>(size), 0};
  for (size_t i = 0; i < size; ++i) m.Data[i] = static_cast<uint8_t>(i * 7 + name.size());
  return m;
}

std::vector<uint8_t> Slice(const std::vector<uint8_t>& v, int64_t position, size_t size) {
  return std::vector<uint8_t>(v.begin() + position - 1, v.begin() + position - 1 + static_cast<int64_t>(size));
}

size_t FilesIn(const std::string& folder) {
  size_t count = 0;
  for (auto it = std::filesystem::directory_iterator(folder); it != std::filesystem::directory_iterator(); ++it)
    ++count;
  return count;
}

class ExePlusFiles : public ::testing::Test {
 protected:
  // A 0x200-byte PE whose size fields end exactly at its end, with `archive` behind it.
  std::string ExeWith(const std::vector<uint8_t>& archive) {
    auto exe = FakePe(0x200, 0, 0, 0x200);
    exe.insert(exe.end(), archive.begin(), archive.end());
    WriteAll(dir.File("pack.exe"), exe);
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

const std::vector<PackMember> kSeven = {Member("ame.psd", 300),      Member("hare.psd", 11091),
                                        Member("kumori01.psd", 1024), Member("yuki01.psd", 2048),
                                        Member("!quelo.ini", 1),      Member("kiri.ico", 0),
                                        Member("kaze01.psd", 40)};

TEST_F(ExePlusFiles, PeSizeFieldsDecideWhereTheArchiveBegins) {
  // The header's sum lies far beyond this small file; the writer fills the gap.
  WriteAll(dir.File("in.exe"), FakePe(0x22000, 0x7000, 0, 0x400));
  WritePackExecutable(dir.File("in.exe"), kSeven, dir.File("out.exe"));
  clsExePlusFiles reader;
  ASSERT_TRUE(reader.OpenExe(dir.File("out.exe")));
  EXPECT_EQ(reader.FileCount(), 7);
  EXPECT_EQ(reader.ArchiveStart(), 0x29001);
  EXPECT_EQ(reader.DataStart(), 0x29001 + 193);
  EXPECT_EQ(reader.FileOffset(0), reader.DataStart());
  const auto bytes = ReadAll(dir.File("out.exe"));
  for (int16_t i = 0; i < 7; ++i) {
    EXPECT_EQ(reader.FileName(i), kSeven[i].Name);
    EXPECT_EQ(Slice(bytes, reader.FileOffset(i), kSeven[i].Data.size()), kSeven[i].Data);
  }
  EXPECT_EQ(reader.ArchiveFileName(), dir.File("out.exe"));

  // The same program with nothing appended: the header reads as zeros.
  WriteAll(dir.File("bare.exe"), FakePe(0x22000, 0x7000, 0, 0x29000));
  clsExePlusFiles bare;
  EXPECT_EQ(bare.GetOriginalFileSize(dir.File("bare.exe")), 0x29000);
  EXPECT_FALSE(bare.OpenExe(dir.File("bare.exe")));
  EXPECT_EQ(bare.FileCount(), 0);
  EXPECT_EQ(bare.GetFileIndex("!quelo.ini"), -2);
}

TEST_F(ExePlusFiles, ReadsAPackAppendedToARealMingwProgram) {
  const std::string exe = test::TestData("tiny-mingw.exe");
  clsExePlusFiles reader;
  // objdump -p: SizeOfCode 0x200, SizeOfInitializedData 0x800, SizeOfUninitializedData 0x200.
  EXPECT_EQ(reader.GetOriginalFileSize(exe), 0xC00);
  WritePackExecutable(exe, kSeven, dir.File("packed.exe"));
  const auto original = ReadAll(exe);
  const auto packed = ReadAll(dir.File("packed.exe"));
  ASSERT_EQ(reader.GetOriginalFileSize(dir.File("packed.exe")), static_cast<int32_t>(original.size()));
  ASSERT_TRUE(reader.OpenExe(dir.File("packed.exe")));
  EXPECT_EQ(reader.FileCount(), 7);
  EXPECT_EQ(Slice(packed, reader.FileOffset(1), 11091), kSeven[1].Data);
  // Only SizeOfUninitializedData changed in the program's own bytes.
  size_t changed = 0;
  for (size_t i = 0; i < original.size(); ++i) changed += original[i] != packed[i];
  EXPECT_LE(changed, 4u);
}

TEST_F(ExePlusFiles, ReadsAPackAppendedToThisLinuxTestProgram) {
  const std::string self = platform::ExeFileName();
  clsExePlusFiles reader;
  EXPECT_EQ(reader.GetOriginalFileSize(self), platform::FileLength(self));
  EXPECT_FALSE(reader.OpenExe());  // nothing appended to the test program itself
  // Beside the test program rather than in the temporary folder, which may be mounted noexec.
  const std::string copyDir = std::string(QUELO_BINARY_DIR) + "/selfcopy-" + std::to_string(::getpid()) + "/";
  std::filesystem::create_directories(copyDir);
  struct Cleanup {
    std::string path;
    ~Cleanup() { std::filesystem::remove_all(path); }
  } cleanup{copyDir};
  const std::string selfCopy = copyDir + "selfcopy";
  WritePackExecutable(self, kSeven, selfCopy);

  platform::OverrideExecutablePath(selfCopy);
  clsExePlusFiles copy;
  const bool opened = copy.OpenExe();
  platform::OverrideExecutablePath("");
  ASSERT_TRUE(opened);
  EXPECT_EQ(copy.ExeDir(), copyDir);
  EXPECT_EQ(copy.FileCount(), 7);
  EXPECT_EQ(copy.GetFileIndex("yuki01.psd"), 3);
  EXPECT_EQ(Slice(ReadAll(selfCopy), copy.FileOffset(3), 2048), kSeven[3].Data);
  // The copy still runs.
  EXPECT_EQ(std::system(("'" + selfCopy + "' --gtest_filter=-* > /dev/null").c_str()), 0);
}

TEST_F(ExePlusFiles, ReadsAPackBehindABigEndian32BitElf) {
  const std::string elf = test::TestData("blob-elf32be.o");
  clsExePlusFiles reader;
  EXPECT_EQ(reader.GetOriginalFileSize(elf), 516);  // readelf: section headers 316 + 5 x 40
  WritePackExecutable(elf, {Member("ame.psd", 10)}, dir.File("packed.o"));
  ASSERT_TRUE(reader.OpenExe(dir.File("packed.o")));
  EXPECT_EQ(reader.ArchiveStart(), 517);
  EXPECT_EQ(reader.FileName(0), "ame.psd");
}

// ELF64 little-endian: one segment [0, segmentEnd), a section table of two
// entries at shoff (a PROGBITS section [0x100, sectionEnd) and a huge NOBITS
// one that takes no file space), then 32 appended bytes.
std::vector<uint8_t> SyntheticElf(uint64_t segmentEnd, uint64_t sectionEnd, uint64_t shoff, uint64_t length) {
  RawBytes e;
  e.Raw("\x7F" "ELF").Put(2, 1).Put(1, 1).Put(1, 1).Put(0, 9).U16(2).U16(62).U32(1).Put(0, 8);
  e.Put(64, 8).Put(shoff, 8).U32(0).U16(64).U16(56).U16(1).U16(64).U16(2).U16(0);
  e.U32(1).U32(5).Put(0, 8).Put(0, 8).Put(0, 8).Put(segmentEnd, 8).Put(segmentEnd, 8).Put(0x1000, 8);
  e.b.resize(shoff, 0);
  e.U32(1).U32(1).Put(0, 16).Put(0x100, 8).Put(sectionEnd - 0x100, 8).Put(0, 24);
  e.U32(2).U32(8).Put(0, 16).Put(0x100, 8).Put(0x100000, 8).Put(0, 24);
  e.b.resize(length, 'x');
  return e.b;
}

TEST_F(ExePlusFiles, ElfImageEndsAtTheLastTableSegmentOrSection) {
  struct Case { uint64_t segmentEnd, sectionEnd, shoff, expected; };
  for (const Case c : {Case{0x300, 0x180, 0x200, 0x300}, Case{0x200, 0x400, 0x200, 0x400},
                       Case{0x200, 0x180, 0x500, 0x580}}) {
    WriteAll(dir.File("elf"), SyntheticElf(c.segmentEnd, c.sectionEnd, c.shoff, c.expected + 32));
    EXPECT_EQ(clsExePlusFiles().GetOriginalFileSize(dir.File("elf")), static_cast<int32_t>(c.expected));
  }
}

TEST_F(ExePlusFiles, BrokenExecutableHeadersGiveMinusOne) {
  auto check = [&](const std::vector<uint8_t>& bytes) {
    WriteAll(dir.File("bad"), bytes);
    clsExePlusFiles reader;
    EXPECT_EQ(reader.GetOriginalFileSize(dir.File("bad")), -1);
    EXPECT_FALSE(reader.OpenExe(dir.File("bad")));
    EXPECT_EQ(reader.FileCount(), 0);
  };
  auto pe = FakePe(0x200, 0, 0, 0x200);
  test::PatchU32(pe, 0x3C, 0x1F0);  // e_lfanew leaves no room for the size fields
  check(pe);
  test::PatchU32(pe, 0x3C, 0xFFFFFFF0u);
  check(pe);
  check({'n', 'o', 't', ' ', 'a', 'n', ' ', 'e', 'x', 'e'});
  check(SyntheticElf(0x300, 0x180, 0x200, 0x2F0));  // segment runs past the end
  check(SyntheticElf(0x200, 0x400, 0x200, 0x3F0));  // section runs past the end
  check(SyntheticElf(0x200, 0x180, 0x500, 0x540));  // section table runs past the end
  auto elf = SyntheticElf(0x200, 0x180, 0x200, 0x300);
  elf[0x38] = 0xFE;  // e_phnum 0xFE01 entries of 56 bytes
  elf[0x39] = 0xFF;
  check(elf);
  clsExePlusFiles reader;
  EXPECT_EQ(reader.GetOriginalFileSize(dir.File("missing")), -1);
  EXPECT_FALSE(reader.OpenExe(dir.File("missing")));
  EXPECT_EQ(reader.ArchiveFileName(), "");

  WriteAll(dir.File("huge.exe"), FakePe(0x7FFFFFFF, 0x7FFFFFFF, 0, 0x200));
  EXPECT_EQ(test::ErrorNumberOf([&] { reader.GetOriginalFileSize(dir.File("huge.exe")); }), err::kOverflow);
}

TEST_F(ExePlusFiles, CutShortOrAbsurdDirectoriesAreNoPack) {
  auto archive = SerializeArchive(kSeven);
  archive.resize(16 + 3 * 16 + 20);  // ends inside the fourth entry
  clsExePlusFiles reader;
  EXPECT_FALSE(reader.OpenExe(ExeWith(archive)));
  EXPECT_EQ(reader.FileCount(), 0);
  EXPECT_EQ(reader.GetFileIndex("ame.psd"), -2);

  // Count 2147483647 in a 200-byte file.
  auto tiny = FakePe(168, 0, 0, 168);
  const auto header = RawBytes().Raw("SXAR").U32(100).U32(0x7FFFFFFF).U32(0).b;
  tiny.insert(tiny.end(), header.begin(), header.end());
  tiny.resize(200, 0);
  WriteAll(dir.File("absurd.exe"), tiny);
  EXPECT_FALSE(reader.OpenExe(dir.File("absurd.exe")));
  EXPECT_EQ(reader.FileCount(), 0);

  // A name length that runs past the end of the file.
  EXPECT_FALSE(reader.OpenExe(ExeWith(RawBytes().Raw("SXAR").U32(100).U32(1).U32(0).U16(5000).Raw("abc").b)));
  EXPECT_EQ(reader.FileCount(), 0);
}

TEST_F(ExePlusFiles, LooksUpMembersByNameOffsetAndExtension) {
  auto archive = SerializeArchive({Member("ame.psd", 10), Member("a.b.ico", 10), Member("README", 10),
                                   Member("end.", 10), Member("ame.psd", 10)});
  std::memcpy(archive.data(), "XXXX\x07\0\0\0", 8);  // neither Magic nor Version is checked
  clsExePlusFiles reader;
  ASSERT_TRUE(reader.OpenExe(ExeWith(archive)));
  EXPECT_EQ(reader.FileCount(), 5);
  EXPECT_EQ(reader.GetFileIndex("ame.psd"), 0);
  EXPECT_EQ(reader.GetFileIndex("AME.psd"), -2);
  EXPECT_EQ(reader.GetFileIndexFromOffset(reader.FileOffset(3)), 3);
  EXPECT_EQ(reader.GetFileIndexFromOffset(reader.DataStart() - 1), -1);
  EXPECT_EQ(reader.GetFileIndexFromOffset(reader.FileOffset(3) + 1), 4);
  EXPECT_EQ(reader.GetFileIndexFromOffset(reader.FileOffset(4) + 1), -1);
  EXPECT_EQ(reader.GetFileExt(0), "psd");
  EXPECT_EQ(reader.GetFileExt(1), "ico");
  EXPECT_EQ(reader.GetFileExt(2), "README");
  EXPECT_EQ(reader.GetFileExt(3), "");
  EXPECT_EQ(reader.GetFileExt(5), "");
  EXPECT_EQ(test::ErrorNumberOf([&] { reader.FileName(5); }), err::kSubscriptOutOfRange);
  EXPECT_EQ(test::ErrorNumberOf([&] { reader.FileSize(-1); }), err::kSubscriptOutOfRange);
  EXPECT_EQ(test::ErrorNumberOf([&] { reader.FileFlags(5); }), err::kSubscriptOutOfRange);
  EXPECT_EQ(test::ErrorNumberOf([&] { reader.FileOffset(5); }), err::kSubscriptOutOfRange);
}

TEST_F(ExePlusFiles, DecodesCodePage932Names) {
  // 雨の日アイコン.psd, 表示ソフト.psd (two trail bytes 5C), ①, a\b.
  const std::string names[] = {"\x89\x4a\x82\xcc\x93\xfa\x83\x41\x83\x43\x83\x52\x83\x93.psd",
                               "\x95\x5c\x8e\xa6\x83\x5c\x83\x74\x83\x67.psd", "\x87\x40.ico", "a\\b"};
  RawBytes raw;
  raw.Raw("SXAR").U32(100).U32(4).U32(0);
  for (const auto& n : names) raw.Str(n).U32(0).U32(0).U16(0).U32(0);
  clsExePlusFiles reader;
  ASSERT_TRUE(reader.OpenExe(ExeWith(raw.b)));
  EXPECT_EQ(reader.FileName(0), "雨の日アイコン.psd");
  EXPECT_EQ(reader.FileName(1), "表示ソフト.psd");
  EXPECT_EQ(reader.FileName(2), "①.ico");
  EXPECT_EQ(reader.FileName(3), "a\\b");
  EXPECT_EQ(reader.GetFileIndex("表示ソフト.psd"), 1);
}

TEST_F(ExePlusFiles, ExportWritesExactlyTheMembersBytes) {
  const std::string exe = dir.File("pack.exe");
  WritePackExecutable(test::TestData("tiny-mingw.exe"), kSeven, exe);
  clsExePlusFiles reader;
  ASSERT_TRUE(reader.OpenExe(exe));
  WriteAll(dir.File("out5"), std::vector<uint8_t>(5000, 'o'));  // longer than the member
  for (int16_t i = 0; i < 7; ++i) {
    reader.FileExport(i, dir.File("out" + std::to_string(i)));
    EXPECT_EQ(ReadAll(dir.File("out" + std::to_string(i))), kSeven[i].Data) << kSeven[i].Name;
  }
  EXPECT_TRUE(dialogs.messages.empty());  // the empty member is an empty file, without complaint
  EXPECT_EQ(FilesIn(dir.Path()), 8u);  // the program and the 7 exports: no temporary files
}

TEST_F(ExePlusFiles, ExportReportsBadMembersInMessageBoxes) {
  const std::string general = "ファイル操作中に予期しないエラーが発生しました";
  {
    auto reader = OpenPatched(100, 0, 250);  // Size reaches past the end of the executable
    reader.FileExport(0, dir.File("short"));
    EXPECT_EQ(ReadAll(dir.File("short")).size(), 100u);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              general + "62メンバーが実行ファイルの終わりを越えています。250 バイトのうち、存在する 100 バイトだけを書き出しました");
    EXPECT_EQ(dialogs.messages[0].title, platform::AppTitle());
    EXPECT_EQ(dialogs.messages[0].icon, platform::MsgIcon::None);
    EXPECT_EQ(dialogs.messages[0].buttons, platform::MsgButtons::Ok);
  }
  {
    dialogs.messages.clear();
    auto reader = OpenPatched(100, 10, 0x7FFFFFFF);  // Offset + Size overflows
    reader.FileExport(0, dir.File("overflow"));
    EXPECT_EQ(ReadAll(dir.File("overflow")).size(), 90u);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text.rfind(general + "62", 0), 0u);
  }
  struct Case { int32_t offset, size; std::vector<std::string> texts; };
  const Case cases[] = {
      {-100000, 10, {"ファイルをコピー出来ませんでした", general + "63Bad record number"}},
      {0x7FFFFFF0, 10, {general + "6Overflow"}},
      {0, -5, {general + "-2147220503コピーする領域サイズがマイナスになっています"}},
  };
  for (const auto& c : cases) {
    dialogs.messages.clear();
    auto reader = OpenPatched(100, c.offset, c.size);
    reader.FileExport(0, dir.File("never"));
    EXPECT_EQ(dialogs.Texts(), c.texts);
    EXPECT_FALSE(std::filesystem::exists(dir.File("never")));
  }
  dialogs.messages.clear();
  auto reader = OpenPatched(100, 0, 100);
  reader.FileExport(1, dir.File("never"));
  EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{general + "9Subscript out of range"});
  EXPECT_FALSE(std::filesystem::exists(dir.File("never")));
}

TEST_F(ExePlusFiles, FailedExportLeavesTheDestinationAsItWas) {
  const std::string exe = dir.File("pack.exe");
  WritePackExecutable(test::TestData("tiny-mingw.exe"), kSeven, exe);
  clsExePlusFiles reader;
  ASSERT_TRUE(reader.OpenExe(exe));
  const std::vector<uint8_t> before(100, 'k');
  WriteAll(dir.File("keep.psd"), before);
  {
    test::FileSizeLimit limit(4096);  // the 11091-byte member cannot be written
    reader.FileExport(1, dir.File("keep.psd"));
  }
  EXPECT_EQ(ReadAll(dir.File("keep.psd")), before);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_NE(dialogs.messages[0].text.find("ファイル操作中に予期しないエラーが発生しました"), std::string::npos);
  EXPECT_EQ(FilesIn(dir.Path()), 2u);  // no temporary file left behind

  dialogs.messages.clear();
  reader.FileExport(0, dir.File("no/such/folder/ame.psd"));
  EXPECT_EQ(dialogs.messages.size(), 1u);

  const auto program = ReadAll(exe);
  reader.FileExport(0, exe);  // over the pack itself
  EXPECT_EQ(ReadAll(exe), program);
  EXPECT_EQ(dialogs.messages.back().text,
            "ファイル操作中に予期しないエラーが発生しました70書き出し先がパックの入っている実行ファイルそのものです");
}

TEST_F(ExePlusFiles, CopyFileBinChecksItsArgumentsBeforeCopying) {
  WriteAll(dir.File("src"), std::vector<uint8_t>(3000, 's'));
  std::FILE* src = std::fopen(dir.File("src").c_str(), "rb");
  std::FILE* dst = std::fopen(dir.File("dst").c_str(), "wb");
  std::fseek(src, 1000, SEEK_SET);
  try {
    CopyFileBinProbe::Copy(src, dst, 10, 0);
    ADD_FAILURE() << "no error raised";
  } catch (const QueloError& e) {
    EXPECT_EQ(e.Number(), static_cast<int32_t>(0x800403E8u));
    EXPECT_EQ(e.Source(), "SxarExe.frmMain.CopyFileBin");
    EXPECT_EQ(e.Description(), "ファイルのコピーに使用するバッファサイズが不正です");
    EXPECT_EQ(std::ftell(src), 1000);
  }
  EXPECT_TRUE(CopyFileBinProbe::Copy(src, dst, 0, 7));  // to the end: 2000 bytes
  std::fseek(src, 5000, SEEK_SET);
  EXPECT_EQ(test::ErrorNumberOf([&] { CopyFileBinProbe::Copy(src, dst, 0, 1024); }),
            static_cast<int32_t>(0x800403E9u));  // the position lies beyond the end
  std::fclose(src);
  std::fclose(dst);
  EXPECT_EQ(ReadAll(dir.File("dst")).size(), 2000u);
}

}  // namespace
}  // namespace quelo
