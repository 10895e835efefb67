// quelo-pack's English for the core's texts: the table made from the .ts at
// build time holds every kind of text the translation file can hold (line
// breaks, quotes, apostrophes, placeholders), and Tr() answers from it only
// while the tool runs.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "platform/Tr.h"
#include "tools/EnglishTexts.h"

namespace quelo::tools {
namespace {

std::set<std::string> Placeholders(const std::string& text) {
  std::set<std::string> found;
  const std::regex placeholder("%[1-9]");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), placeholder); it != std::sregex_iterator(); ++it)
    found.insert(it->str());
  return found;
}

TEST(EnglishTexts, TableHoldsTheCoreTranslationsAsWritten) {
  ASSERT_GE(kTranslatedTextCount, 60u);
  std::set<std::string> contexts;
  for (size_t i = 0; i < kTranslatedTextCount; ++i) {
    const TranslatedText& t = kTranslatedTexts[i];
    contexts.insert(t.context);
    const std::string english = t.translation;
    EXPECT_FALSE(english.empty()) << t.source;
    // Japanese in UTF-8 starts with a byte from 0xE3 (kana, CJK punctuation) to 0xE9 (kanji).
    for (unsigned char c : english) EXPECT_FALSE(c >= 0xE3 && c <= 0xE9) << english;
    EXPECT_EQ(Placeholders(english), Placeholders(t.source)) << t.source;
  }
  // The core's contexts, and only those: the window's texts stay out of the tool.
  for (const char* core : {"archive", "image", "pack", "platform"}) EXPECT_EQ(contexts.count(core), 1u) << core;
  for (const std::string& c : contexts)
    EXPECT_TRUE(c == "archive" || c == "image" || c == "pack" || c == "platform" || c == "tools") << c;


  EXPECT_EQ(EnglishText("archive", "ファイル操作中に予期しないエラーが発生しました。\r\n%1 %2"),
            "An unexpected error occurred while working on a file.\r\n%1 %2");
  EXPECT_EQ(EnglishText("archive", "\"%1\" にはコードページ 932 で表せない文字が含まれています"),
            "\"%1\" contains characters that code page 932 cannot represent");
  EXPECT_EQ(EnglishText("archive", "ヘッダーの Magic"), "the header's Magic");
  EXPECT_EQ(EnglishText("image", "このファイルはPSD形式ではありません"), "This file is not a PSD image");
  // A text of another context, or one without a translation, stays as written.
  EXPECT_EQ(EnglishText("pack", "このファイルはPSD形式ではありません"), "このファイルはPSD形式ではありません");
  EXPECT_EQ(EnglishText("image", "未知のテキスト"), "未知のテキスト");
}

TEST(EnglishTexts, TrSpeaksEnglishOnlyWhileTheToolRuns) {
  const char* text = "このイメージは大きすぎるため読み込めません";
  EXPECT_EQ(platform::Tr("image", text), text);
  {
    const EnglishCoreTexts english;
    EXPECT_EQ(platform::Tr("image", text), "This image is too large to load");
    EXPECT_EQ(platform::Arg(platform::Tr("platform", "シンボリックリンク %1 の指す先 %2 がありません"), {"a", "b"}),
              "The target b of the symbolic link a does not exist");
  }
  EXPECT_EQ(platform::Tr("image", text), text);
}

}  // namespace
}  // namespace quelo::tools
