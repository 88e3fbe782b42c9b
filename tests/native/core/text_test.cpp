// The text helpers at their edges: blanks, case, separators, character counts, code pages.
#include "engine/core/text.h"

#include <gtest/gtest.h>

namespace kestrova {
namespace {

using Strings = std::vector<std::string>;

TEST(Text, TrimCaseSplitReplaceAndTruncate) {
  EXPECT_EQ(Trim(" \t a b \r\n"), "a b");
  EXPECT_EQ(Trim(" \t\r\n"), "");
  EXPECT_EQ(ToUpperAscii("az\xC3\xA9{@"), "AZ\xC3\xA9{@");  // ASCII letters only
  EXPECT_EQ(ToLowerAscii("AZ[`"), "az[`");
  EXPECT_TRUE(EqualsNoCase("GenuineIntel", "GENUINEintel"));
  EXPECT_FALSE(EqualsNoCase("abc", "abcd"));
  EXPECT_TRUE(StartsWith("abc", "ab") && EndsWith("abc", "bc") && EndsWith("abc", ""));
  EXPECT_FALSE(StartsWith("ab", "abc") || EndsWith("bc", "abc") || EndsWith("abc", "ab"));
  EXPECT_EQ(ReplaceAll("a\r\nb\r\n", "\r\n", " "), "a b ");
  EXPECT_EQ(ReplaceAll("aaa", "a", "aa"), "aaaaaa");  // never rescans what it wrote
  EXPECT_EQ(ReplaceAll("x", "", "y"), "x");
  EXPECT_EQ(Split("a,,b,", ','), (Strings{"a", "", "b", ""}));
  EXPECT_EQ(Split("", ';'), Strings{""});
  // Characters, not bytes: é is two bytes, € three, U+1F600 four.
  EXPECT_EQ(Truncate("\xC3\xA9t\xC3\xA9", 2), "\xC3\xA9t");
  EXPECT_EQ(Truncate("a\xE2\x82\xAC" "b", 2), "a\xE2\x82\xAC");
  EXPECT_EQ(Truncate("\xF0\x9F\x98\x80z", 1), "\xF0\x9F\x98\x80");
  EXPECT_EQ(Truncate("abc", 3), "abc");
  EXPECT_EQ(Truncate("abc", 0), "");
  EXPECT_EQ(Format("%s-%04X", "k", 0xABu), "k-00AB");
}

TEST(Text, CodePage1252AndUtf16) {
  // Windows-1252 80h-9Fh; 81h, 8Dh, 8Fh, 90h and 9Dh are undefined and kept as they are.
  const std::vector<uint32_t> k80To9F = {
      0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
  std::string high;
  for (int c = 0x80; c < 0xA0; ++c) high += static_cast<char>(c);
  EXPECT_EQ(DecodeUtf8(Cp1252ToUtf8(high)), k80To9F);
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(high)), ReplaceAll(ReplaceAll(ReplaceAll(ReplaceAll(ReplaceAll(
      high, "\x81", "?"), "\x8D", "?"), "\x8F", "?"), "\x90", "?"), "\x9D", "?"));
  EXPECT_EQ(Cp1252ToUtf8("\xE9\xFF"), "\xC3\xA9\xC3\xBF");
  EXPECT_EQ(Utf8ToCp1252("\xC3\xA9\xE2\x82\xAC\xE4\xB8\xAD"), "\xE9\x80?");
  // A surrogate pair is one character; a lone one, or a dangling last byte, is not.
  const uint8_t pair[] = {0x3D, 0xD8, 0x00, 0xDE, 0x00, 0xDC, 0x41, 0x00, 0x42};
  EXPECT_EQ(DecodeUtf8(Utf16LeToUtf8(pair, sizeof pair)), (std::vector<uint32_t>{0x1F600, 0xFFFD, 0x41}));
  // Overlong forms, surrogates and truncated sequences decode to U+FFFD, byte by byte.
  EXPECT_EQ(DecodeUtf8("\xC0\xA2" "\xED\xA0\x80" "\xE2\x82"),
            (std::vector<uint32_t>{0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD}));
}

}  // namespace
}  // namespace kestrova
