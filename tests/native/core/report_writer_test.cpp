#include "engine/core/report_writer.h"

#include <gtest/gtest.h>

#include "engine/os/osinfo.h"

namespace kestrova {
namespace {

TEST(EscapeValue, EntitiesInOrderSoAmpersandsOfEntitiesAreEscapedAgain) {
  EXPECT_EQ(EscapeValue("a<b"), "a&lt;b");
  EXPECT_EQ(EscapeValue("&lt;"), "&amp;lt;");
  EXPECT_EQ(EscapeValue("say \"hi\" 'x' >"), "say &quot;hi&quot; &apos;x&apos; &gt;");
}

TEST(EscapeValue, ControlCharactersAndLineBreaks) {
  EXPECT_EQ(EscapeValue("a\tb"), "a_b");
  EXPECT_EQ(EscapeValue("line1\r\nline2\n"), "line1line2");
  EXPECT_EQ(EscapeValue(std::string("\x01z", 2)), "_z");
}

TEST(EscapeValue, CharactersFrom128AreWrittenAsTheirCodePoints) {
  EXPECT_EQ(EscapeValue("d\xC3\xA9" "cembre"), "d&#233;cembre");             // é
  EXPECT_EQ(EscapeValue("\xC3\xA9\xC3\xA8"), "&#233;&#232;");                // two in a row
  EXPECT_EQ(EscapeValue("\xE2\x82\xAC"), "&#8364;");                          // euro sign
  EXPECT_EQ(EscapeValue("\x7F"), "\x7F");                                     // 127 stays
}

TEST(EscapeValue, CutAndInvalidSequencesNextToMarkup) {
  // A broken sequence gives U+FFFD one byte at a time; the markup character that cut it
  // is escaped on its own, never taken into the sequence.
  const struct {
    std::string in, out;
  } kCases[] = {
      {"\xC3&", "&#65533;&amp;"},
      {"\xE2\x82<", "&#65533;&#65533;&lt;"},
      {"\xE2\x82", "&#65533;&#65533;"},
      {"\xE2\"", "&#65533;&quot;"},
      {"\xF0\x9F\x98'", "&#65533;&#65533;&#65533;&apos;"},
      {"\xC0\xA2", "&#65533;&#65533;"},                 // an overlong quote stays no quote
      {"\xED\xA0\x80>", "&#65533;&#65533;&#65533;&gt;"},  // a surrogate
      {"\xEF\xBF\xBE", "&#65533;"},                   // U+FFFE is no XML character
      {"\xF0\x9F\x98\x80", "&#128512;"},
      {"\xFF\r\x80\n\x1F", "&#65533;&#65533;_"},
      {"", ""},
  };
  for (const auto& c : kCases) EXPECT_EQ(EscapeValue(c.in), c.out) << c.in;
}

TEST(ReportWriter, DataLinesOfEachType) {
  ReportLines lines;
  ReportWriter w(lines);
  w.String("Name", "a&b");
  w.Integer("Count", 3);
  w.Integer("Frequency", 1995, "MHz");
  w.Boolean("Present", true);
  w.Boolean("Absent", false);
  w.Float("Ratio", 1.25);
  w.Hex("PID", 0x1f4);
  w.OpenSection("C:\\<x>");
  w.CloseSection();
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[0], "<data name=\"Name\" type=\"string\">a&amp;b</data>");
  EXPECT_EQ(lines[1], "<data name=\"Count\" type=\"integer\">3</data>");
  EXPECT_EQ(lines[2], "<data name=\"Frequency\" type=\"integer\" unit=\"MHz\">1995</data>");
  EXPECT_EQ(lines[3], "<data name=\"Present\" type=\"boolean\">1</data>");
  EXPECT_EQ(lines[4], "<data name=\"Absent\" type=\"boolean\">0</data>");
  EXPECT_EQ(lines[5], "<data name=\"Ratio\" type=\"float\">1.2</data>");
  EXPECT_EQ(lines[6], "<data name=\"PID\" type=\"integer\">1f4</data>");
  EXPECT_EQ(lines[7], "<section name=\"C:\\&lt;x&gt;\">");
  EXPECT_EQ(lines[8], "</section>");
}

TEST(ReportWriter, StringList) {
  ReportLines lines;
  ReportWriter w(lines);
  w.StringList("Count", "Item", {"a", "<b>"});
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "<data name=\"Count\" type=\"integer\">2</data>");
  EXPECT_EQ(lines[1], "<data name=\"Item[0]\" type=\"string\">a</data>");
  EXPECT_EQ(lines[2], "<data name=\"Item[1]\" type=\"string\">&lt;b&gt;</data>");

  lines.clear();
  w.StringList("Count", "Item", {});
  EXPECT_EQ(lines, ReportLines{"<data name=\"Count\" type=\"integer\">0</data>"});
  lines.clear();
  w.StringList("", "Item", {"x"});
  EXPECT_EQ(lines, ReportLines{"<data name=\"Item[0]\" type=\"string\">x</data>"});
}

TEST(ReportWriter, EnvelopeNamesEncodingSystemAndMachine) {
  TOSInfo os;
  os.OSName = "Windows XP Service Pack 2";
  os.OSMajorVersion = 5;
  os.OSMinorVersion = 1;
  os.OSBuildNumber = 2600;
  os.MachineName = "PC-\xC3\x89T\xC3\x89";  // PC-ÉTÉ
  ReportLines lines;
  ReportWriter w(lines);
  w.OpenEnvelope(os, 1049);
  w.CloseEnvelope();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "<?xml version=\"1.0\" encoding=\"KOI8-R\" standalone=\"yes\"?>");
  EXPECT_EQ(lines[1].rfind("<classes componentname=\"Corvel System Information Component\" version=\"8.7.5\" copyright=\"", 0), 0u);
  EXPECT_NE(lines[1].find("1997-2005"), std::string::npos);
  EXPECT_NE(lines[1].find("os=\"Windows XP Service Pack 2 (5.1.2600)\" machine=\"PC-&#201;T&#201;\">"), std::string::npos);
  EXPECT_EQ(lines[2], "</classes>");
}

TEST(ReportWriter, EncodingByLanguage) {
  EXPECT_STREQ(ReportEncodingName(1028), "Big5");
  EXPECT_STREQ(ReportEncodingName(1029), "windows-1250");
  EXPECT_STREQ(ReportEncodingName(1037), "hebrew");
  EXPECT_STREQ(ReportEncodingName(1041), "Shift_JIS");
  EXPECT_STREQ(ReportEncodingName(1042), "korean");
  EXPECT_STREQ(ReportEncodingName(2052), "GB2312");
  EXPECT_STREQ(ReportEncodingName(1036), "iso-8859-1");
}

}  // namespace
}  // namespace kestrova

namespace kestrova {
namespace {
TEST(EscapeValue, InvalidUtf8NeverYieldsMarkup) {
  // C0 A2 is an overlong '"'; ED A0 80 a surrogate; F4 90 80 80 is past U+10FFFF.
  EXPECT_EQ(EscapeValue("\xC0\xA2"), "&#65533;&#65533;");
  EXPECT_EQ(EscapeValue("\xED\xA0\x80"), "&#65533;&#65533;&#65533;");
  EXPECT_EQ(EscapeValue("\xF4\x90\x80\x80"), "&#65533;&#65533;&#65533;&#65533;");
  EXPECT_EQ(EscapeValue("a\xC3"), "a&#65533;");  // cut sequence at the end
}
}  // namespace
}  // namespace kestrova

namespace kestrova {
namespace {
TEST(EscapeValue, NonCharactersBecomeTheReplacementCharacter) {
  // U+FFFE and U+FFFF may not appear in a document, not even as references.
  EXPECT_EQ(EscapeValue("\xEF\xBF\xBE|\xEF\xBF\xBF|\xEF\xBF\xBD|\xEF\xBF\xBC"),
            "&#65533;|&#65533;|&#65533;|&#65532;");
}

TEST(ReportWriter, OperatingSystemNameIsEscapedInTheEnvelope) {
  TOSInfo os;
  os.OSName = "Windows \"NT\" <4> & SP6\xC3\xA9";
  ReportLines lines;
  ReportWriter(lines).OpenEnvelope(os, 1036);
  EXPECT_NE(lines[1].find("os=\"Windows &quot;NT&quot; &lt;4&gt; &amp; SP6&#233; (0.0.0)\""), std::string::npos)
      << lines[1];
}

TEST(ReportDocumentText, ConvertsWhatReachedALineUnescaped) {
  EXPECT_EQ(ReportDocumentText({"<a>", "<data name=\"caf\xC3\xA9\">x\ty</data>", "\xEF\xBF\xBF", "</a>"}),
            "<a>\n<data name=\"caf&#233;\">x_y</data>\n&#65533;\n</a>\n");
  EXPECT_EQ(ReportDocumentText({}), "");
}
}  // namespace
}  // namespace kestrova
