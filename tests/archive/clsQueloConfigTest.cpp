#include "archive/clsQueloConfig.h"

#include <gtest/gtest.h>

#include "archive/ArchiveTestUtil.h"
#include "archive/PackWriters.h"
#include "platform/QueloError.h"
#include "support/TempDir.h"

namespace quelo {
namespace {

PackDefinition SixFiles() {
  PackDefinition d;
  d.PackName = "お天気パック";
  for (const char* name : {"hare.psd", "kumori.psd", "ame.psd", "yuki.psd", "kiri.ico", "kaze.psd"})
    d.Files.push_back({name, std::string(name) + " の題", "説明\r\n二行", "描いた人"});
  d.DefaultList = {1, 2, 3, 4, 5, 6};
  return d;
}

class QueloConfig : public ::testing::Test {
 protected:
  // The definition's bytes behind `skip` other bytes, as inside a pack.
  bool Load(const std::vector<uint8_t>& bytes, size_t skip = 0) {
    std::vector<uint8_t> file(skip, 'x');
    file.insert(file.end(), bytes.begin(), bytes.end());
    test::WriteAll(dir.File("!quelo.ini"), file);
    return config.LoadConfig(dir.File("!quelo.ini"), static_cast<int32_t>(skip) + 1);
  }
  bool Load(const PackDefinition& d) { return Load(SerializeDefinition(d)); }

  test::TempDir dir;
  clsQueloConfig config;
};

// Every field read back from a pack, Japanese text included, is shown through
// quelo-pack's tests; code page 932 with raw bytes in clsExePlusFilesTest.
TEST_F(QueloConfig, ReadsADefinitionAtItsPosition) {
  EXPECT_EQ(config.GetIndex("ame.psd"), -1);  // nothing loaded yet
  EXPECT_EQ(config.PackVersion(), "0");
  ASSERT_TRUE(Load(SerializeDefinition(SixFiles()), 1000));
  EXPECT_TRUE(config.Opened());
  EXPECT_EQ(config.GetIndex("/home/user/packs/ame.psd"), 2);
  EXPECT_EQ(config.GetIndex("C:\\packs\\ame.psd"), 2);
  EXPECT_EQ(config.GetIndex("AME.psd"), -1);
  EXPECT_EQ(config.FileTitle(2), "ame.psd の題");
  EXPECT_EQ(config.DefaultList(), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(test::ErrorOf([&] { config.FileDescription(6); }).Number(), err::kSubscriptOutOfRange);
  // The version as the shortest decimal text.
  for (const auto& [field, text] : {std::pair<int16_t, const char*>{100, "1"}, {123, "1.23"}, {150, "1.5"},
                                    {5, "0.05"}, {-150, "-1.5"}, {-5, "-0.05"}, {32767, "327.67"}}) {
    PackDefinition d;
    d.PackVersion = field;
    ASSERT_TRUE(Load(d));
    EXPECT_EQ(config.PackVersion(), text);
  }
}

// Refusals and their reasons, which the program shows at start.
TEST_F(QueloConfig, RefusesHeadersOutsideTheirLimitsAndCutShortDefinitions) {
  struct Case { int16_t formatVersion; size_t files; const char* error; };
  for (const Case c : {Case{101, 0, "このバージョンの定義ファイルには対応していません"}, Case{-5, 0, nullptr},
                       Case{100, 100, nullptr}, Case{100, 101, "定義数が許容範囲を超えています"}}) {
    PackDefinition d;
    d.FormatVersion = c.formatVersion;
    d.PackName = "名前";
    d.Files.resize(c.files, {"a.psd", "", "", ""});
    EXPECT_EQ(Load(d), c.error == nullptr);
    if (c.error) { EXPECT_EQ(config.GetLastErrorInfo(), c.error); }
    EXPECT_EQ(config.PackName(), "名前");  // kept even from a refused file
    EXPECT_EQ(config.DefinitionCount(), c.error ? 0 : static_cast<int16_t>(c.files));
  }
  const auto empty = SerializeDefinition(PackDefinition{});
  for (auto [at, error] : {std::pair<size_t, const char*>{empty.size() - 8, "定義数が許容範囲を超えています"},
                           {empty.size() - 6, "デフォルトリスト数が許容範囲を超えています"},
                           {0, "定義ファイルのシグネチャが間違っています"}}) {
    auto bytes = empty;
    bytes[at] = bytes[at + 1] = 0xFF;  // a count of -1, or a bent Magic
    EXPECT_FALSE(Load(bytes));
    EXPECT_EQ(config.GetLastErrorInfo(), error);
  }
  EXPECT_FALSE(config.LoadConfig(dir.File("none.ini"), 1));
  EXPECT_EQ(config.GetLastErrorInfo(), "指定されたファイル " + dir.File("none.ini") + " は存在しません");
  EXPECT_FALSE(config.LoadConfig(dir.File("!quelo.ini"), 0));
  EXPECT_EQ(config.GetLastErrorInfo(), "定義ファイルの開始位置 0 が不正です");

  // A cut-short definition says where it ended.
  const auto full = SerializeDefinition(SixFiles());
  auto headerOnly = SixFiles();
  headerOnly.Files.clear();
  headerOnly.DefaultList.clear();
  const size_t headerEnd = SerializeDefinition(headerOnly).size();
  const std::pair<size_t, std::string> cuts[] = {
      {3, "ヘッダーの Magic"}, {15, "ヘッダーの PackName"}, {headerEnd - 7, "ヘッダーの DefinitionCount"},
      {headerEnd + 20, "1 件目のファイル定義の FileTitle"}, {full.size() - 2, "DefaultList"}};
  ASSERT_TRUE(Load(full));
  for (const auto& [length, where] : cuts) {
    EXPECT_FALSE(Load({full.begin(), full.begin() + static_cast<int64_t>(length)})) << where;
    EXPECT_FALSE(config.Opened());
    EXPECT_EQ(config.GetLastErrorInfo(), "定義ファイルが途中で終わっています（" + where + " の途中で、位置 " +
                                             std::to_string(length) + " のファイルの終わりに達しました）");
    EXPECT_EQ(config.DefinitionCount(), 0);
  }
  EXPECT_FALSE(config.LoadConfig(dir.File("!quelo.ini"), static_cast<int32_t>(full.size()) + 10));
}

TEST_F(QueloConfig, FileExistPassesOnUnexpectedFailures) {
  EXPECT_FALSE(config.FileExist(""));
  EXPECT_FALSE(config.FileExist(dir.File("none")));
  // A folder is not a file, and no plain "not found" either: the error is passed on.
  EXPECT_EQ(test::ErrorOf([&] { config.FileExist(dir.Path()); }).Source().rfind("clsQueloConfig.FileExist->", 0), 0u);
}

}  // namespace
}  // namespace quelo
