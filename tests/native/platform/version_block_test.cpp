// The version block read node by node, on blocks built here byte by byte.
#include "engine/platform/version_block.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace kestrova {
namespace {

using Bytes = std::vector<uint8_t>;

void PutWord(Bytes& b, uint16_t w) {
  b.push_back(static_cast<uint8_t>(w));
  b.push_back(static_cast<uint8_t>(w >> 8));
}
void PutDword(Bytes& b, uint32_t d) {
  PutWord(b, static_cast<uint16_t>(d));
  PutWord(b, static_cast<uint16_t>(d >> 16));
}
void PutUtf16(Bytes& b, const std::u16string& s) {
  for (char16_t c : s) PutWord(b, static_cast<uint16_t>(c));
  PutWord(b, 0);
}
void Pad4(Bytes& b) {
  while (b.size() % 4) b.push_back(0);
}
void SetWord(Bytes& b, size_t at, uint16_t w) {
  b[at] = static_cast<uint8_t>(w);
  b[at + 1] = static_cast<uint8_t>(w >> 8);
}

// A node of a 32-bit resource as rc writes it: the children each start on a 32-bit
// boundary, and wLength leaves out the padding after the last one.
Bytes WideNode(const std::u16string& key, uint16_t type, uint16_t valueLength, const Bytes& value,
               const std::vector<Bytes>& children = {}) {
  Bytes b;
  PutWord(b, 0);
  PutWord(b, valueLength);
  PutWord(b, type);
  PutUtf16(b, key);
  Pad4(b);
  b.insert(b.end(), value.begin(), value.end());
  for (const Bytes& child : children) {
    Pad4(b);
    b.insert(b.end(), child.begin(), child.end());
  }
  SetWord(b, 0, static_cast<uint16_t>(b.size()));
  return b;
}

Bytes String(const std::u16string& name, const std::u16string& text) {
  Bytes value;
  PutUtf16(value, text);
  return WideNode(name, 1, static_cast<uint16_t>(text.size() + 1), value);
}

Bytes Table(const std::u16string& key, const std::vector<Bytes>& strings) { return WideNode(key, 1, 0, {}, strings); }
Bytes StringFileInfo(const std::vector<Bytes>& tables) { return WideNode(u"StringFileInfo", 1, 0, {}, tables); }

Bytes VarFileInfo(const std::vector<uint32_t>& translations) {
  Bytes value;
  for (uint32_t t : translations) PutDword(value, t);
  Bytes var = WideNode(u"Translation", 0, static_cast<uint16_t>(value.size()), value);
  return WideNode(u"VarFileInfo", 1, 0, {}, {var});
}

Bytes FixedInfo(uint32_t fileMS, uint32_t fileLS, uint32_t productMS, uint32_t productLS) {
  Bytes f;
  PutDword(f, 0xFEEF04BD);
  PutDword(f, 0x00010000);
  PutDword(f, fileMS);
  PutDword(f, fileLS);
  PutDword(f, productMS);
  PutDword(f, productLS);
  while (f.size() < 52) PutDword(f, 0);
  return f;
}

Bytes Root(const std::vector<Bytes>& children, const Bytes& fixed = FixedInfo(0x00050001, 0x0A280000, 0x00050001, 0x0A280001)) {
  return WideNode(u"VS_VERSION_INFO", 0, static_cast<uint16_t>(fixed.size()), fixed, children);
}

// Parses a copy of exactly the given bytes, so a read past them is a sanitizer error.
std::optional<VersionResource> Parse(const Bytes& block, AnsiTextDecoder decode = nullptr) {
  std::vector<uint8_t> exact(block.begin(), block.end());
  return ParseVersionBlock(exact.empty() ? nullptr : exact.data(), exact.size(), decode);
}

const char* const kEte = "\xC3\xA9t\xC3\xA9";  // "été"

Bytes TwoTableBlock() {
  return Root({StringFileInfo({Table(u"040C04E4", {String(u"CompanyName", u"Maison"),
                                                   String(u"FileDescription", u"\u00e9t\u00e9"),
                                                   String(u"FileVersion", u"5.1.2600.0")}),
                               Table(u"040904B0", {String(u"FileVersion", u"5.1 (en)")})}),
               VarFileInfo({0x04E4040C, 0x04B00409})});
}

TEST(VersionBlock, FixedInfoTranslationsAndTwoTables) {
  auto res = Parse(TwoTableBlock());
  ASSERT_TRUE(res);
  EXPECT_TRUE(res->HasFixedInfo);
  EXPECT_EQ(res->FileVersionMS, 0x00050001u);
  EXPECT_EQ(res->FileVersionLS, 0x0A280000u);
  EXPECT_EQ(res->ProductVersionMS, 0x00050001u);
  EXPECT_EQ(res->ProductVersionLS, 0x0A280001u);
  EXPECT_EQ(res->Translations, (std::vector<uint32_t>{0x04E4040C, 0x04B00409}));
  ASSERT_EQ(res->StringTables.size(), 2u);
  const auto& fr = res->StringTables.at("040C04E4");
  EXPECT_EQ(fr, (std::map<std::string, std::string>{
                    {"CompanyName", "Maison"}, {"FileDescription", kEte}, {"FileVersion", "5.1.2600.0"}}));
  EXPECT_EQ(res->StringTables.at("040904B0"), (std::map<std::string, std::string>{{"FileVersion", "5.1 (en)"}}));
}

TEST(VersionBlock, TableTheTranslationDoesNotNameIsRead) {
  // Translation 0409/04E4, strings under 040904B0 (in small letters, as some tools write).
  auto res = Parse(Root({VarFileInfo({0x04E40409}),
                         StringFileInfo({Table(u"040904b0", {String(u"FileVersion", u"4.00.950"),
                                                             String(u"ProductName", u"Syst\u00e8me")})})}));
  ASSERT_TRUE(res);
  EXPECT_EQ(res->Translations, std::vector<uint32_t>{0x04E40409});
  ASSERT_EQ(res->StringTables.count("040904B0"), 1u);
  EXPECT_EQ(res->StringTables.at("040904B0").at("FileVersion"), "4.00.950");
  EXPECT_EQ(res->StringTables.at("040904B0").at("ProductName"), "Syst\xC3\xA8me");
  EXPECT_EQ(res->StringTables.count("040904E4"), 0u);
}

TEST(VersionBlock, EveryStringIsKeptUsualNamesInTheirUsualSpellingFirstOneCounts) {
  auto res = Parse(Root({StringFileInfo({Table(u"040904E4", {String(u"Fileversion", u"1.0"),
                                                             String(u"Build Date", u"1998-05-11"),
                                                             String(u"FileVersion", u"second"),
                                                             String(u"Empty", u"")}),
                                         Table(u"040904e4", {String(u"FileVersion", u"other table")})})}));
  ASSERT_TRUE(res);
  EXPECT_TRUE(res->Translations.empty());
  ASSERT_EQ(res->StringTables.size(), 1u);
  EXPECT_EQ(res->StringTables.at("040904E4"),
            (std::map<std::string, std::string>{{"FileVersion", "1.0"}, {"Build Date", "1998-05-11"}, {"Empty", ""}}));
}

TEST(VersionBlock, TextLengthInBytesOrWithoutItsNulStaysInsideTheNode) {
  Bytes value;
  PutUtf16(value, u"4.10.2222");
  // Some linkers count bytes rather than characters.
  Bytes inBytes = WideNode(u"FileVersion", 1, static_cast<uint16_t>(value.size()), value);
  // No NUL at all: the text ends with the node.
  Bytes noNul;
  for (char16_t c : std::u16string(u"Kestrova")) PutWord(noNul, static_cast<uint16_t>(c));
  Bytes unterminated = WideNode(u"CompanyName", 1, 200, noNul);
  auto res = Parse(Root({StringFileInfo({Table(u"040904E4", {inBytes, unterminated})})}));
  ASSERT_TRUE(res);
  const auto& t = res->StringTables.at("040904E4");
  EXPECT_EQ(t.at("FileVersion"), "4.10.2222");
  EXPECT_EQ(t.at("CompanyName"), "Kestrova");
}

TEST(VersionBlock, ZeroLengthChildEndsOnlyItsParentsWalk) {
  Bytes zero(8, 0);  // wLength 0
  Bytes sfi = WideNode(u"StringFileInfo", 1, 0, {},
                       {Table(u"040904E4", {String(u"FileVersion", u"1.0")}), zero,
                        Table(u"040C04E4", {String(u"FileVersion", u"unseen")})});
  auto res = Parse(Root({sfi, VarFileInfo({0x04E40409})}));
  ASSERT_TRUE(res);
  EXPECT_EQ(res->StringTables.size(), 1u);
  EXPECT_EQ(res->StringTables.at("040904E4").at("FileVersion"), "1.0");
  EXPECT_EQ(res->Translations, std::vector<uint32_t>{0x04E40409});  // the sibling after it is read

  // A root whose length is zero, or too small for its own header, is no block at all.
  Bytes block = TwoTableBlock();
  SetWord(block, 0, 0);
  EXPECT_FALSE(Parse(block));
  SetWord(block, 0, 5);
  EXPECT_FALSE(Parse(block));
}

TEST(VersionBlock, EveryTruncationIsReadSafelyAndKeepsWhatItHolds) {
  Bytes block = TwoTableBlock();
  for (size_t n = 0; n < block.size(); ++n) {
    Bytes cut(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(n));
    auto res = Parse(cut);
    EXPECT_EQ(res.has_value(), n >= 6 + 32) << n;  // the root's header and key
  }
  // Cut inside the English table's key: the French table is whole, the fixed information
  // too, and the English table, whose key has no end, is not there.
  Bytes fr = Table(u"040C04E4", {String(u"CompanyName", u"Maison"), String(u"FileDescription", u"\u00e9t\u00e9"),
                                 String(u"FileVersion", u"5.1.2600.0")});
  auto at = std::search(block.begin(), block.end(), fr.begin(), fr.end());
  ASSERT_NE(at, block.end());
  size_t frEnd = static_cast<size_t>(at - block.begin()) + fr.size();
  auto res = Parse(Bytes(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(frEnd + 16)));
  ASSERT_TRUE(res);
  EXPECT_TRUE(res->HasFixedInfo);
  ASSERT_EQ(res->StringTables.size(), 1u);
  EXPECT_EQ(res->StringTables.at("040C04E4").size(), 3u);
  EXPECT_TRUE(res->Translations.empty());  // VarFileInfo was cut away
  // Cut inside the English table's only string: the table is there, empty.
  res = Parse(Bytes(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(frEnd + 36)));
  ASSERT_TRUE(res);
  ASSERT_EQ(res->StringTables.size(), 2u);
  EXPECT_TRUE(res->StringTables.at("040904B0").empty());
  // Without the whole fixed record there is no fixed information.
  res = Parse(Bytes(block.begin(), block.begin() + 60));
  ASSERT_TRUE(res);
  EXPECT_FALSE(res->HasFixedInfo);
}

TEST(VersionBlock, ChildLongerThanItsParentIsCutAtTheParentsEnd) {
  Bytes table = Table(u"040904E4", {String(u"FileVersion", u"1.0")});
  Bytes sfi = StringFileInfo({table});
  SetWord(sfi, sfi.size() - table.size(), 0x7FFF);  // the table claims far more than there is
  auto res = Parse(Root({sfi, VarFileInfo({0x04E40409})}));
  ASSERT_TRUE(res);
  EXPECT_EQ(res->StringTables.at("040904E4").at("FileVersion"), "1.0");
  EXPECT_EQ(res->Translations, std::vector<uint32_t>{0x04E40409});
}

TEST(VersionBlock, BytesAfterTheRootAreNotPartOfIt) {
  // GetFileVersionInfo on NT leaves room after the block ("FE2X" and scratch space).
  Bytes block = Root({VarFileInfo({0x04B00409})});
  Bytes tail = String(u"FileVersion", u"junk");
  block.insert(block.end(), {'F', 'E', '2', 'X'});
  block.insert(block.end(), tail.begin(), tail.end());
  auto res = Parse(block);
  ASSERT_TRUE(res);
  EXPECT_TRUE(res->StringTables.empty());
  EXPECT_EQ(res->Translations, std::vector<uint32_t>{0x04B00409});
}

TEST(VersionBlock, ShortFixedRecordIsNoFixedInformation) {
  auto res = Parse(Root({}, Bytes(20, 0)));
  ASSERT_TRUE(res);
  EXPECT_FALSE(res->HasFixedInfo);
  EXPECT_FALSE(Parse({}));
}

// --- 16-bit (NE) resources: no wType, 8-bit keys and texts, lengths in bytes -------------

Bytes NarrowNode(const std::string& key, const std::string& value, const std::vector<Bytes>& children = {},
                 bool textValue = false) {
  Bytes b;
  PutWord(b, 0);
  PutWord(b, static_cast<uint16_t>(value.size() + (textValue ? 1 : 0)));
  b.insert(b.end(), key.begin(), key.end());
  b.push_back(0);
  Pad4(b);
  b.insert(b.end(), value.begin(), value.end());
  if (textValue) b.push_back(0);
  for (const Bytes& child : children) {
    Pad4(b);
    b.insert(b.end(), child.begin(), child.end());
  }
  SetWord(b, 0, static_cast<uint16_t>(b.size()));
  return b;
}

Bytes NarrowBlock() {
  Bytes fixed = FixedInfo(0x00030000, 0x0000000A, 0x00030000, 0x0000000A);
  std::string translation("\x09\x04\xE4\x04", 4);
  return NarrowNode("VS_VERSION_INFO", std::string(fixed.begin(), fixed.end()),
                    {NarrowNode("StringFileInfo", "",
                                {NarrowNode("040904E4", "",
                                            {NarrowNode("CompanyName", "Soci\xE9t\xE9", {}, true),
                                             NarrowNode("FileVersion", "3.10", {}, true)})}),
                     NarrowNode("VarFileInfo", "", {NarrowNode("Translation", translation)})});
}

TEST(VersionBlock, SixteenBitResourceWithWindowsTexts) {
  auto res = Parse(NarrowBlock());
  ASSERT_TRUE(res);
  EXPECT_TRUE(res->HasFixedInfo);
  EXPECT_EQ(res->FileVersionMS, 0x00030000u);
  EXPECT_EQ(res->FileVersionLS, 0x0000000Au);
  EXPECT_EQ(res->Translations, std::vector<uint32_t>{0x04E40409});
  EXPECT_EQ(res->StringTables.at("040904E4"),
            (std::map<std::string, std::string>{{"CompanyName", "Soci\xC3\xA9t\xC3\xA9"}, {"FileVersion", "3.10"}}));
}

// Marks every byte above 127, to see which texts went through the decoder.
std::string Marked(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      const char* hex = "0123456789ABCDEF";
      out += '<';
      out += hex[c >> 4];
      out += hex[c & 15];
      out += '>';
    }
  }
  return out;
}

TEST(VersionBlock, SixteenBitTextsGoThroughTheGivenDecoder) {
  auto res = Parse(NarrowBlock(), &Marked);
  ASSERT_TRUE(res);
  EXPECT_EQ(res->StringTables.at("040904E4").at("CompanyName"), "Soci<E9>t<E9>");
  // 32-bit resources hold UTF-16: the decoder is not asked.
  res = Parse(TwoTableBlock(), &Marked);
  ASSERT_TRUE(res);
  EXPECT_EQ(res->StringTables.at("040C04E4").at("FileDescription"), kEte);
}

TEST(VersionBlock, EveryTruncationOfASixteenBitBlockIsReadSafely) {
  Bytes block = NarrowBlock();
  for (size_t n = 0; n <= block.size(); ++n) {
    auto res = Parse(Bytes(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(n)));
    EXPECT_EQ(res.has_value(), n >= 4 + 16) << n;  // the root's header and key
  }
}

}  // namespace
}  // namespace kestrova
