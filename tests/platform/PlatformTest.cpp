#include <gtest/gtest.h>

#include "platform/Platform.h"
#include "platform/QueloError.h"
#include "support/TempDir.h"

using namespace quelo;

TEST(Cp932, DecodesTheBytesWhereItDiffersFromShiftJis) {
  EXPECT_EQ(platform::DecodeCp932("ame.psd"), "ame.psd");
  EXPECT_EQ(platform::DecodeCp932("\x5C"), "\\");
  EXPECT_EQ(platform::DecodeCp932("\x87\x40"), "①");
  // "あめ傘" : hiragana and a kanji.
  EXPECT_EQ(platform::DecodeCp932("\x82\xA0\x82\xDF\x8E\x50"), "あめ傘");
}

TEST(Cp932, BrokenBytesBecomeReplacementCharacters) {
  EXPECT_EQ(platform::DecodeCp932("a\x82"), "a\xEF\xBF\xBD");
}

TEST(Cp932, EncodesAndRefusesWhatItCannotHold) {
  std::string out;
  ASSERT_TRUE(platform::EncodeCp932("あめ傘①", out));
  EXPECT_EQ(out, "\x82\xA0\x82\xDF\x8E\x50\x87\x40");
  EXPECT_FALSE(platform::EncodeCp932("😀", out));
}

TEST(ProgramPath, ExecutableAndFolderAgree) {
  const std::string exe = platform::ExeFileName();
  ASSERT_FALSE(exe.empty());
  EXPECT_EQ(exe.front(), '/');
  EXPECT_EQ(platform::AppPath(), exe.substr(0, exe.find_last_of('/') + 1));
  platform::OverrideExecutablePath("/x/y/prog");
  EXPECT_EQ(platform::AppPath(), "/x/y/");
  platform::OverrideExecutablePath("");
  EXPECT_EQ(platform::ExeFileName(), exe);
}

TEST(Files, LengthReportsMissingFilesAsFileNotFound) {
  test::TempDir dir;
  test::WriteAll(dir.File("a.bin"), {1, 2, 3});
  EXPECT_EQ(platform::FileLength(dir.File("a.bin")), 3);
  try {
    platform::FileLength(dir.File("missing"));
    FAIL();
  } catch (const QueloError& e) {
    EXPECT_EQ(e.Number(), err::kFileNotFound);
  }
  EXPECT_THROW(platform::FileLength(""), QueloError);
}

TEST(Files, ListsPsdFilesCaseInsensitivelyInAlphabeticalOrder) {
  test::TempDir dir;
  for (const char* name : {"b.psd", "A.psd", "c.PSD", "d.png", "psd"}) test::WriteAll(dir.File(name), {0});
  const auto names = platform::ListFilesWithExtension(dir.Path(), "psd");
  EXPECT_EQ(names, (std::vector<std::string>{"A.psd", "b.psd", "c.PSD"}));
}

TEST(SysColors, FixedIndicesAndPaletteRoles) {
  EXPECT_EQ(platform::GetSysColor(12), 171u | (171u << 8) | (171u << 16));
  EXPECT_EQ(platform::GetSysColor(99), 0u);
  platform::SetSysColorSource([](int index) { return index == 5 ? 0x123456u : 0u; });
  EXPECT_EQ(platform::GetSysColor(5), 0x123456u);
  EXPECT_EQ(platform::GetSysColor(3), 191u | (205u << 8) | (219u << 16));  // no role: fixed
  platform::SetSysColorSource(nullptr);
  EXPECT_EQ(platform::GetSysColor(5), 0xFFFFFFu);
}

TEST(Errors, PassingOnPrefixesTheSource) {
  const QueloError e(9, "clsX.Op", "Subscript out of range");
  const QueloError passed = e.PassedOn("clsQueloConfig.GetIndex->");
  EXPECT_EQ(passed.Number(), 9);
  EXPECT_EQ(passed.Source(), "clsQueloConfig.GetIndex->clsX.OpSubscript out of range");
  EXPECT_EQ(passed.Description(), "Subscript out of range");
}
