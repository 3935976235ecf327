// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "cli/RegEncoding.h"

namespace zf::cli {
namespace {

TEST(RegEncoding, Utf16CarriesEveryPlaneBothWays) {
  const std::string text = std::string("a\0é☃😀", 11);
  const auto utf16 = Utf8ToUtf16(text);
  ASSERT_TRUE(utf16);
  EXPECT_EQ(*utf16, std::u16string(u"a\0é☃\xD83D\xDE00", 6));
  EXPECT_EQ(Utf16ToLittleEndianBytes(*utf16), std::string("a\0\0\0\xE9\0\x03\x26\x3D\xD8\x00\xDE", 12));
  EXPECT_EQ(LittleEndianBytesToUtf16(Utf16ToLittleEndianBytes(*utf16)), utf16);
  EXPECT_EQ(Utf16ToUtf8(*utf16), text);
}

TEST(RegEncoding, RefusesWhatIsNotTheEncoding) {
  for (const std::string& bad : {std::string("\xC3"), std::string("\xC0\xAF"), std::string("\xED\xA0\x80"),
                                 std::string("\xF4\x90\x80\x80"), std::string("\x80"), std::string("\xE9t\xE9")}) {
    EXPECT_FALSE(IsUtf8(bad)) << bad;
    EXPECT_FALSE(Utf8ToUtf16(bad)) << bad;
    EXPECT_FALSE(Utf8ToCp1252(bad)) << bad;
  }
  EXPECT_FALSE(Utf16ToUtf8(u"\xD800"));
  EXPECT_FALSE(Utf16ToUtf8(u"\xDC00x"));
  EXPECT_FALSE(Utf16ToUtf8(u"\xD800x"));
  EXPECT_FALSE(LittleEndianBytesToUtf16("abc"));
}

TEST(RegEncoding, Windows1252BothWays) {
  EXPECT_EQ(Cp1252ToUtf8("caf\xE9 \x80 \x96 \x9F"), "café € – Ÿ");
  EXPECT_EQ(Utf8ToCp1252("café € – Ÿ"), "caf\xE9 \x80 \x96 \x9F");
  EXPECT_EQ(Cp1252ToUtf8("\x81\x8D\x8F\x90\x9D"), "\u0081\u008D\u008F\u0090\u009D");
  EXPECT_EQ(Utf8ToCp1252("\u0081\u009D"), "\x81\x9D");
  EXPECT_FALSE(Utf8ToCp1252("☃"));
  EXPECT_FALSE(Utf8ToCp1252("\u0080"));  // the code point, not the euro sign
  // Every byte reads as a character that writes back as that byte.
  for (int byte = 0; byte < 256; ++byte) {
    const std::string one(1, static_cast<char>(byte));
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(one)), one) << byte;
  }
}

TEST(RegEncoding, Regedit4TextNeverReadsBackAsSomethingElse) {
  EXPECT_EQ(Regedit4TextToUtf8("caf\xE9"), "café");
  EXPECT_EQ(Regedit4TextToUtf8("café"), "café");  // UTF-8 from earlier versions
  EXPECT_EQ(Utf8ToRegedit4Text("café"), "caf\xE9");
  EXPECT_EQ(Utf8ToRegedit4Text("plain"), "plain");
  EXPECT_FALSE(Utf8ToRegedit4Text("Ã¤"));  // its code-page bytes are the UTF-8 of "ä"
  EXPECT_FALSE(Utf8ToRegedit4Text("☃"));
}

}  // namespace
}  // namespace zf::cli
