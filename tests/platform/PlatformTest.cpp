// The rest of the seam is tested where it is used: code page 932, the program's
// path, injected write failures at every write point, system colours.
#include <gtest/gtest.h>

#include "archive/ArchiveTestUtil.h"
#include "platform/Platform.h"
#include "platform/QueloError.h"
#include "support/TempDir.h"

using namespace quelo;

TEST(Files, LengthReportsMissingFilesAsFileNotFound) {
  test::TempDir dir;
  test::WriteAll(dir.File("a.bin"), {1, 2, 3});
  EXPECT_EQ(platform::FileLength(dir.File("a.bin")), 3);
  EXPECT_EQ(test::ErrorOf([&] { platform::FileLength(dir.File("missing")); }).Number(), err::kFileNotFound);
  EXPECT_THROW(platform::FileLength(""), QueloError);
}

// Code page 932 answers as Windows' own table does, on every system: the rows
// where glibc's table differs, and the paths around them (a 0x80 trail byte,
// a refused pair costing one byte, NEC-selected IBM codes encoded as IBM's).
TEST(CodePage932, DecodesAsWindowsDoes) {
  const std::pair<std::string, std::string> cases[] = {
      {"\x80", "\u0080"},
      {"\xA0\xFD\xFE\xFF", "\uFFFD\uFFFD\uFFFD\uFFFD"},  // encoded from U+F8F0..U+F8F3, never decoded
      {"a\x80\x82\xA0", "a\u0080あ"},
      {"\x81\x80", "÷"},                       // 0x80 as a trail byte
      {"\x85\x80", "\uFFFD\u0080"},            // no pair: one byte refused
      {"\x82", "\uFFFD"},                      // a lead byte at the end
      {"\xED\x40\xFA\x40\x87\x40", "纊ⅰ①"},
  };
  for (const auto& [bytes, utf8] : cases) EXPECT_EQ(platform::DecodeCp932(bytes), utf8) << utf8;
}

TEST(CodePage932, EncodesAsWindowsDoesOrRefuses) {
  const std::pair<std::string, std::string> accepted[] = {
      {"\u0080", "\x80"},
      {"\uF8F0\uF8F1\uF8F2\uF8F3", "\xA0\xFD\xFE\xFF"},
      {"a\u0080あ\uF8F3~\\", "a\x80\x82\xA0\xFF~\\"},
      {"～―∥－￠￡￥￢￣", "\x81\x60\x81\x5C\x81\x61\x81\x7C\x81\x91\x81\x92\x81\x8F\x81\xCA\x81\x50"},
      {"纊ⅰ", "\xFA\x5C\xFA\x40"},
      {"", ""},
  };
  for (const auto& [utf8, bytes] : accepted) {
    std::string out;
    EXPECT_TRUE(platform::EncodeCp932(utf8, out)) << utf8;
    EXPECT_EQ(out, bytes) << utf8;
  }
  const char* const refused[] = {"\u00A2", "\u00A3", "\u00A5", "\u00AC", "\u2014", "\u2016",     "\u203E",
                                 "\u2212", "\u301C", "a〜b",   "한",     "😀",     "\xE3\x81", "\xFF"};
  for (const char* utf8 : refused) {
    std::string out;
    EXPECT_FALSE(platform::EncodeCp932(utf8, out)) << utf8;
  }
}

#include "platform/Tr.h"

// A translation may reorder the parts of a message; arguments are taken as they are.
TEST(Texts, ArgFillsPlaceholdersInOnePassInAnyOrder) {
  using platform::Arg;
  EXPECT_EQ(Arg("%1 を %2 に保存しました", {"a.bmp", "/tmp"}), "a.bmp を /tmp に保存しました");
  EXPECT_EQ(Arg("Saved to %2: %1", {"a.bmp", "/tmp"}), "Saved to /tmp: a.bmp");
  EXPECT_EQ(Arg("%1%1", {"x"}), "xx");
  EXPECT_EQ(Arg("%1 and %2", {"%2"}), "%2 and %2");
  EXPECT_EQ(Arg("100% of %", {}), "100% of %");
  EXPECT_EQ(Arg("ends with %", {"a"}), "ends with %");
}

namespace {
std::string Shout(const char* context, const char* text) { return std::string(context) + ":" + text; }
}  // namespace

TEST(Texts, TrUsesTheInstalledTranslatorAndOtherwiseTheJapaneseText) {
  EXPECT_EQ(platform::Tr("image", "このファイルはPSD形式ではありません"), "このファイルはPSD形式ではありません");
  platform::SetTranslator(Shout);
  EXPECT_EQ(platform::Tr("image", "x"), "image:x");
  platform::SetTranslator(nullptr);
  EXPECT_EQ(platform::Tr("image", "x"), "x");
}
