#include "archive/clsQueloConfig.h"

#include <gtest/gtest.h>

#include "archive/ArchiveTestUtil.h"
#include "archive/PackWriters.h"
#include "archive/clsExePlusFiles.h"
#include "platform/QueloError.h"
#include "support/TempDir.h"

namespace quelo {
namespace {

using test::RawBytes;
using test::WriteAll;

PackDefinition SixFiles() {
  PackDefinition d;
  d.PackName = "お天気パック";
  d.PackVersion = 0;
  d.PackDescription = "一行目\r\n二行目";
  d.PackAutherName = "作者";
  d.PackAutherEmail = "a@example.jp";
  d.PackAutherUrl = "http://example.jp/";
  for (const char* name : {"hare.psd", "kumori.psd", "ame.psd", "yuki.psd", "kiri.ico", "kaze.psd"})
    d.Files.push_back({name, std::string(name) + " の題", "説明\r\n二行", "描いた人"});
  d.DefaultList = {1, 2, 3, 4, 5, 6};
  return d;
}

class QueloConfig : public ::testing::Test {
 protected:
  std::string Write(const std::vector<uint8_t>& bytes) {
    WriteAll(dir.File("!quelo.ini"), bytes);
    return dir.File("!quelo.ini");
  }
  bool Load(const PackDefinition& d) { return config.LoadConfig(Write(SerializeDefinition(d)), 1); }

  test::TempDir dir;
  clsQueloConfig config;
};

TEST_F(QueloConfig, ReadsAStandAloneDefinition) {
  EXPECT_EQ(config.GetIndex("ame.psd"), -1);  // nothing loaded yet
  EXPECT_EQ(config.PackVersion(), "0");
  ASSERT_TRUE(Load(SixFiles()));
  EXPECT_TRUE(config.Opened());
  EXPECT_EQ(config.PackName(), "お天気パック");
  EXPECT_EQ(config.PackVersion(), "0");
  EXPECT_EQ(config.PackDescription(), "一行目\r\n二行目");
  EXPECT_EQ(config.PackAutherUrl(), "http://example.jp/");
  EXPECT_EQ(config.GetIndex("/home/user/packs/ame.psd"), 2);
  EXPECT_EQ(config.GetIndex("C:\\packs\\ame.psd"), 2);
  EXPECT_EQ(config.GetIndex("AME.psd"), -1);
  EXPECT_EQ(config.FileTitle(2), "ame.psd の題");
  EXPECT_EQ(config.FileAuther(5), "描いた人");
  EXPECT_EQ(config.DefaultList(), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(test::ErrorNumberOf([&] { config.FileDescription(6); }), err::kSubscriptOutOfRange);
}

TEST_F(QueloConfig, ReadsTheDefinitionInsideAPackExecutable) {
  const auto definition = SerializeDefinition(SixFiles());
  WriteAll(dir.File("in.exe"), test::FakePe(0x200, 0, 0, 0x200));
  WritePackExecutable(dir.File("in.exe"),
                      {{"ame.psd", std::vector<uint8_t>(50, 'a')},
                       {"!quelo.ini", definition},
                       {"hare.psd", std::vector<uint8_t>(50, 'h')}},
                      dir.File("pack.exe"));
  clsExePlusFiles archive;
  ASSERT_TRUE(archive.OpenExe(dir.File("pack.exe")));
  ASSERT_TRUE(config.LoadConfig(dir.File("pack.exe"), archive.FileOffset(archive.GetFileIndex("!quelo.ini"))));
  EXPECT_EQ(config.GetIndex("yuki.psd"), 3);
  EXPECT_EQ(config.FileTitle(3), "yuki.psd の題");
}

TEST_F(QueloConfig, DecodesCodePage932Text) {
  // Raw bytes: 雨の日アイコン, 表示ソフト.psd (trail bytes 5C), "C:\packs", ① with CR LF.
  const std::string rain = "\x89\x4a\x82\xcc\x93\xfa\x83\x41\x83\x43\x83\x52\x83\x93";
  const std::string soft = "\x95\x5c\x8e\xa6\x83\x5c\x83\x74\x83\x67.psd";
  RawBytes raw;
  raw.Raw("VeKo").U16(100).Str(rain).U16(123).Str("\x87\x40\r\n\x87\x41").Str("C:\\packs").Str("").Str("");
  raw.U16(2).U16(0).U32(0);
  raw.Str("ame.psd").Str(rain).Str("").Str("");
  raw.Str(soft).Str("\x83\x5c\x83\x74\x83\x67").Str("").Str("");
  ASSERT_TRUE(config.LoadConfig(Write(raw.b), 1));
  EXPECT_EQ(config.PackName(), "雨の日アイコン");
  EXPECT_EQ(config.PackVersion(), "1.23");
  EXPECT_EQ(config.PackDescription(), "①\r\n②");
  EXPECT_EQ(config.PackAutherName(), "C:\\packs");
  EXPECT_EQ(config.FileTitle(0), "雨の日アイコン");
  EXPECT_EQ(config.GetIndex("D:\\絵\\表示ソフト.psd"), 1);
  EXPECT_EQ(config.FileTitle(1), "ソフト");
}

TEST_F(QueloConfig, RefusesHeadersOutsideTheirLimits) {
  struct Case { int16_t formatVersion; size_t files; const char* error; };
  const Case cases[] = {{101, 0, "このバージョンの定義ファイルには対応していません"},
                        {-5, 0, nullptr},
                        {100, 100, nullptr},
                        {100, 101, "定義数が許容範囲を超えています"}};
  for (const auto& c : cases) {
    PackDefinition d;
    d.FormatVersion = c.formatVersion;
    d.PackName = "名前";
    d.Files.resize(c.files, {"a.psd", "", "", ""});
    EXPECT_EQ(Load(d), c.error == nullptr);
    EXPECT_EQ(config.Opened(), c.error == nullptr);
    if (c.error) {
      EXPECT_EQ(config.GetLastErrorInfo(), c.error);
    }
    EXPECT_EQ(config.PackName(), "名前");  // kept even from a refused file
    EXPECT_EQ(config.DefinitionCount(), c.error ? 0 : static_cast<int16_t>(c.files));
  }
  auto bytes = SerializeDefinition(PackDefinition{});
  bytes[bytes.size() - 8] = 0xFF;  // DefinitionCount -1
  bytes[bytes.size() - 7] = 0xFF;
  EXPECT_FALSE(config.LoadConfig(Write(bytes), 1));
  EXPECT_EQ(config.GetLastErrorInfo(), "定義数が許容範囲を超えています");
  bytes[bytes.size() - 8] = bytes[bytes.size() - 7] = 0;
  bytes[bytes.size() - 6] = bytes[bytes.size() - 5] = 0xFF;  // DefaultListCount -1
  EXPECT_FALSE(config.LoadConfig(Write(bytes), 1));
  EXPECT_EQ(config.GetLastErrorInfo(), "デフォルトリスト数が許容範囲を超えています");
  bytes[0] = 'v';
  EXPECT_FALSE(config.LoadConfig(Write(bytes), 1));
  EXPECT_EQ(config.GetLastErrorInfo(), "定義ファイルのシグネチャが間違っています");
  EXPECT_FALSE(config.LoadConfig(dir.File("none.ini"), 1));
  EXPECT_EQ(config.GetLastErrorInfo(), "指定されたファイル " + dir.File("none.ini") + " は存在しません");
}

TEST_F(QueloConfig, SaysWhereACutShortDefinitionEnded) {
  const auto full = SerializeDefinition(SixFiles());
  auto headerOnly = SixFiles();
  headerOnly.Files.clear();
  headerOnly.DefaultList.clear();
  const size_t headerEnd = SerializeDefinition(headerOnly).size();
  struct Case { size_t length; std::string where; };
  const Case cases[] = {
      {3, "ヘッダーの Magic"},
      {15, "ヘッダーの PackName"},
      {headerEnd - 7, "ヘッダーの DefinitionCount"},
      {headerEnd + 20, "1 件目のファイル定義の FileTitle"},
      {headerEnd + 50, "2 件目のファイル定義の FileName"},
      {full.size() - 2, "DefaultList"},
  };
  ASSERT_TRUE(Load(SixFiles()));
  for (const auto& c : cases) {
    const std::vector<uint8_t> cut(full.begin(), full.begin() + static_cast<int64_t>(c.length));
    EXPECT_FALSE(config.LoadConfig(Write(cut), 1)) << c.where;
    EXPECT_FALSE(config.Opened());
    EXPECT_EQ(config.GetLastErrorInfo(), "定義ファイルが途中で終わっています（" + c.where + " の途中で、位置 " +
                                             std::to_string(c.length) + " のファイルの終わりに達しました）");
    EXPECT_EQ(config.DefinitionCount(), 0);
  }
  EXPECT_FALSE(config.LoadConfig(Write(full), static_cast<int32_t>(full.size()) + 10));
  EXPECT_FALSE(config.LoadConfig(Write(full), 0));
  EXPECT_EQ(config.GetLastErrorInfo(), "定義ファイルの開始位置 0 が不正です");
}

TEST_F(QueloConfig, PackVersionIsTheShortestDecimalText) {
  const std::pair<int16_t, const char*> cases[] = {{100, "1"}, {123, "1.23"}, {150, "1.5"}, {5, "0.05"},
                                                   {-150, "-1.5"}, {-5, "-0.05"}, {0, "0"}, {32767, "327.67"}};
  for (const auto& [field, text] : cases) {
    PackDefinition d;
    d.PackVersion = field;
    ASSERT_TRUE(Load(d));
    EXPECT_EQ(config.PackVersion(), text);
  }
  EXPECT_EQ(config.GetIndex("a.psd"), -1);  // no definitions at all
}

TEST_F(QueloConfig, FileExistPassesOnUnexpectedFailures) {
  EXPECT_FALSE(config.FileExist(""));
  EXPECT_FALSE(config.FileExist(dir.File("none")));
  try {
    config.FileExist(dir.Path());
    FAIL() << "a folder is not a file";
  } catch (const QueloError& e) {
    EXPECT_EQ(e.Source().rfind("clsQueloConfig.FileExist->", 0), 0u);
  }
}

}  // namespace
}  // namespace quelo
