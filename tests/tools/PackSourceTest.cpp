#include "tools/PackSource.h"

#include <gtest/gtest.h>

namespace quelo::tools {
namespace {

TEST(PackSource, JoinsContinuationLinesAndToleratesWindowsText) {
  const std::string text =
      "\xEF\xBB\xBF[pack]\r\n"
      "name = P\r\n"
      "description =  first  \r\n"
      "\t  second\r\n"
      "  .\r\n"
      "  fourth\r\n"
      "\r\n"
      "[file a.psd]\r\n"
      "title=タイトル\r\n";
  const PackSource s = ParsePackSource(text, "t");
  EXPECT_EQ(s.Definition.PackDescription, "first\r\nsecond\r\n\r\nfourth");
  EXPECT_EQ(s.Definition.PackVersion, 100);  // no version given: 1
  EXPECT_EQ(s.Definition.Files.at(0).FileTitle, "タイトル");
  EXPECT_EQ(s.Definition.Files.at(0).FileAuther, "");
}

TEST(PackSource, VersionHasAtMostTwoDecimals) {
  const std::pair<const char*, int> good[] = {{"1.23", 123}, {"1.5", 150}, {"0.05", 5}, {"0", 0}, {"327.67", 32767}};
  for (const auto& [text, field] : good) {
    int16_t v = -1;
    EXPECT_TRUE(ParsePackVersion(text, v)) << text;
    EXPECT_EQ(v, field) << text;
  }
  for (const char* text : {"1.234", "-1", "1.", ".5", "abc", "327.68", "", "1,5", "1.2.3"}) {
    int16_t v = 0;
    EXPECT_FALSE(ParsePackVersion(text, v)) << text;
  }
}

TEST(PackSource, RefusalsNameTheLine) {
  struct Case {
    std::string text;
    int line;
    std::string fragment;
  };
  const std::string head = "[pack]\nname = P\n";
  std::string many = head;
  for (int i = 0; i <= kMaxDefinitions; ++i) many += "[file f" + std::to_string(i) + ".psd]\n";
  // Two lines of 32768 bytes joined: more than a text's 16-bit length field holds.
  const std::string tooLong = head + "description = " + std::string(32768, 'x') + "\n  " + std::string(32768, 'y') + "\n";
  const Case cases[] = {
      {"name = P\n", 1, "before the [pack] section"},
      {"\n  indented\n", 2, "must continue"},
      {head + "colour = red\n", 3, "unknown key \"colour\""},
      {head + "name = Q\n", 3, "given twice"},
      {head + "version = 1.234\n", 3, "version \"1.234\""},
      {head + "[pack]\n", 3, "a second [pack]"},
      {"[file a.psd]\n", 1, "must come before"},
      {head + "[file a.psd]\n[file a.psd]\n", 4, "first is on line 3"},
      {head + "[file]\n", 3, "needs a file name"},
      {head + "[file sub/a.psd]\n", 3, "not a bare file name"},
      {head + "[file !QUELO.INI]\n", 3, "definition itself"},
      {head + "[picture a.psd]\n", 3, "unknown section"},
      {head + "just words\n", 3, "expected \"key = value\""},
      {head + "author = \xE3\x81\x82\xFF\n", 3, "not UTF-8"},
      {head + "author = 한\n", 3, "U+D55C) has no code page 932 form"},
      {head + "description = a\n  b 〜\n", 3, "\"〜\" (U+301C) has no code page 932 form; write \"～\" (U+FF5E) instead"},
      {head + "[file a.psd]\ntitle = ‖\n", 4, "\"‖\" (U+2016) has no code page 932 form; write \"∥\" (U+2225) instead"},
      {head + "author = \uF8F0\n", 3, "(U+F8F0) has no code page 932 form that reads back"},
      {head + "author = ¥\n", 3, "\"¥\" (U+00A5) has no code page 932 form; write \"￥\" (U+FFE5) instead"},
      {"[pack]\n", 1, "has no name"},
      {"# nothing\n", 0, "no [pack] section"},
      {many, 3 + kMaxDefinitions, "more than 100 [file] sections"},
      {tooLong, 3, "65538 bytes"},
  };
  for (const Case& c : cases) {
    try {
      ParsePackSource(c.text, "def.txt");
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const PackSourceError& e) {
      EXPECT_EQ(e.Line(), c.line) << e.what();
      EXPECT_NE(std::string(e.what()).find("def.txt:" + std::to_string(c.line) + ": "), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.fragment), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace quelo::tools
