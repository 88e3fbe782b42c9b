// The EDID decode: descriptor layouts and text rules, the fixed fields, and values of any
// length (bytes past the end read as 0, nothing past 128 bytes is looked at).
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "engine/os/edid.h"

namespace kestrova {
namespace {

using Bytes = std::vector<uint8_t>;

// A 128-byte block of zeros with the given bytes set.
Bytes Block(std::initializer_list<std::pair<size_t, Bytes>> at) {
  Bytes b(128, 0);
  for (const auto& [offset, bytes] : at)
    for (size_t i = 0; i < bytes.size(); ++i) b[offset + i] = bytes[i];
  return b;
}

// A display descriptor: 00 00 00 tag 00 and up to 13 text bytes.
std::pair<size_t, Bytes> Descriptor(size_t offset, uint8_t tag, const std::string& text) {
  Bytes d = {0, 0, 0, tag, 0};
  d.insert(d.end(), text.begin(), text.end());
  EXPECT_LE(d.size(), 18u);
  return {offset, d};
}

Bytes ReadFixture(const char* name) {
  std::ifstream in(std::string(KESTROVA_FIXTURES) + "/edid/" + name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

struct Case {
  const char* Label;
  Bytes Data;
  std::string Name, ProductNumber;
};

TEST(EDIDDecode, DescriptorLayoutsAndTextRules) {
  const Case cases[] = {
      {"range limits, serial, name (each with line feed and blanks)",
       Block({{72, {0, 0, 0, 0xFD, 0, 56, 76, 30, 81, 14, 0, 0x0A, ' ', ' '}},
              Descriptor(90, 0xFF, "K6A012\n      "), Descriptor(108, 0xFC, "QV 1901FP\n   ")}),
       "QV 1901FP", "K6A012"},
      {"name first, serial last", Block({Descriptor(72, 0xFC, "ALPHA\n"), Descriptor(108, 0xFF, "123\n")}), "ALPHA",
       "123"},
      {"two name halves join without a separator",
       Block({Descriptor(72, 0xFF, "X1\n"), Descriptor(90, 0xFC, "HALVORSEN VIS"), Descriptor(108, 0xFC, "TA 17\n  ")}),
       "HALVORSEN VISTA 17", "X1"},
      {"two serial halves", Block({Descriptor(90, 0xFF, "AB "), Descriptor(108, 0xFF, " CD")}), "", "ABCD"},
      {"no name descriptor", Block({Descriptor(72, 0xFD, ""), Descriptor(90, 0xFE, "LCD PANEL\n")}), "", ""},
      {"the first (preferred timing) block is never read", Block({Descriptor(54, 0xFC, "HIDDEN\n")}), "", ""},
      {"a tag at byte 2 or 4 is not a tag", Block({{72, {0, 0, 0xFC, 0, 0xFC, 'N'}}}), "", ""},
      {"a single zero byte is skipped", Block({{72, {0, 0, 0, 0xFC, 0, 'A', 0, 'B', 0, 'C'}}}), "ABC", ""},
      {"two zero bytes end the text", Block({{72, {0, 0, 0, 0xFC, 0, 'A', 'B', 0, 0, 'C', 'D'}}}), "AB", ""},
      {"all 13 text bytes, nothing of the next block",
       Block({Descriptor(72, 0xFC, "ABCDEFGHIJKLM"), {90, {'Z'}}}), "ABCDEFGHIJKLM", ""},
      {"control characters and blanks trimmed at both ends, kept inside",
       Block({{72, {0, 0, 0, 0xFC, 0, '\t', ' ', 'A', 0x01, 'B', 0x0A, 0x0D, ' '}}}), "A\x01" "B", ""},
      {"bytes of 128 and above read as cp1252", Block({Descriptor(72, 0xFC, "\xC9" "CRAN\n")}), "\xC3\x89" "CRAN", ""},
  };
  for (const Case& c : cases) {
    const TEDIDInfo info = DecodeEDID(c.Data.data(), c.Data.size());
    EXPECT_EQ(info.Name, c.Name) << c.Label;
    EXPECT_EQ(info.ProductNumber, c.ProductNumber) << c.Label;
  }
}

TEST(EDIDDecode, FixedFieldsFromTheirBytes) {
  const Bytes b = Block({{12, {0x01, 0x02, 0x03, 0x04, 12, 15, 1, 3}}, {21, {38, 30, 120}}});
  const TEDIDInfo info = DecodeEDID(b.data(), b.size());
  EXPECT_EQ(info.SerialNumber, 0x04030201u);  // little-endian: 04 most significant, 01 least
  EXPECT_EQ(info.Week, 12);
  EXPECT_EQ(info.Year, 2005);
  EXPECT_EQ(info.EDIDVersion, "1.3");
  EXPECT_EQ(info.Width, 38);
  EXPECT_EQ(info.Height, 30);
  EXPECT_DOUBLE_EQ(info.Gamma, 2.2);
  // Extremes of each byte.
  const Bytes top = Block({{12, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}}, {21, {0xFF, 0xFF, 0xFF}}});
  const TEDIDInfo max = DecodeEDID(top.data(), top.size());
  EXPECT_EQ(max.SerialNumber, 0xFFFFFFFFu);
  EXPECT_EQ(max.Year, 2245);
  EXPECT_EQ(max.EDIDVersion, "255.255");
  EXPECT_DOUBLE_EQ(max.Gamma, 3.55);
  const TEDIDInfo zero = DecodeEDID(Bytes(128, 0).data(), 128);
  EXPECT_EQ(zero.Year, 1990);
  EXPECT_DOUBLE_EQ(zero.Gamma, 1.0);
  EXPECT_EQ(zero.EDIDVersion, "0.0");
}

TEST(EDIDDecode, AnyLengthReadsOnlyItsOwnBytes) {
  const Bytes full = ReadFixture("qva1901-lcd-19.bin");
  ASSERT_EQ(full.size(), 128u);
  // Cut inside the name descriptor: the rest reads as zeros, which end the text.
  Bytes cut(full.begin(), full.begin() + 120);  // text from byte 113
  TEDIDInfo info = DecodeEDID(cut.data(), cut.size());  // ASan watches the copy
  EXPECT_EQ(info.Name, "QV 1901");
  EXPECT_EQ(info.ProductNumber, "K6A012");
  Bytes tiny(full.begin(), full.begin() + 14);
  info = DecodeEDID(tiny.data(), tiny.size());
  EXPECT_EQ(info.SerialNumber, 0x0201u);
  EXPECT_EQ(info.Year, 1990);
  EXPECT_EQ(DecodeEDID(nullptr, 0).EDIDVersion, "0.0");
  // An extension block after the base block changes nothing.
  Bytes twoBlocks = full;
  twoBlocks.resize(384, 0xFC);
  info = DecodeEDID(twoBlocks.data(), twoBlocks.size());
  EXPECT_EQ(info.Name, "QV 1901FP");
}

TEST(EDIDDecode, TheFixtureBlocks) {
  struct Fixture {
    const char* File;
    const char* Name;
    const char* Serial;
    uint32_t SerialNumber;
    uint16_t Year;
    uint8_t Width, Height;
    double Gamma;
  };
  const Fixture fixtures[] = {
      {"qva1901-lcd-19.bin", "QV 1901FP", "K6A012", 0x04030201, 2005, 38, 30, 2.2},
      {"hlv-crt-17-two-names.bin", "HALVORSEN VISTA 17 PLUS", "HX3-0094417", 1234567, 2003, 32, 24, 2.4},
      {"nrd0710-no-name.bin", "", "NR15X-77201", 0, 2002, 30, 23, 2.2},
      {"wrl2205-lcd-22-wide.bin", "WRL 2205W", "W22-5A0391", 0x0005A391, 2006, 47, 30, 2.2},
  };
  for (const Fixture& f : fixtures) {
    const Bytes b = ReadFixture(f.File);
    ASSERT_EQ(b.size(), 128u) << f.File;
    const TEDIDInfo info = DecodeEDID(b.data(), b.size());
    EXPECT_EQ(info.Name, f.Name) << f.File;
    EXPECT_EQ(info.ProductNumber, f.Serial) << f.File;
    EXPECT_EQ(info.SerialNumber, f.SerialNumber) << f.File;
    EXPECT_EQ(info.Year, f.Year) << f.File;
    EXPECT_EQ(info.Width, f.Width) << f.File;
    EXPECT_EQ(info.Height, f.Height) << f.File;
    EXPECT_DOUBLE_EQ(info.Gamma, f.Gamma) << f.File;
    EXPECT_EQ(info.EDIDVersion, "1.3") << f.File;
  }
}

}  // namespace
}  // namespace kestrova
