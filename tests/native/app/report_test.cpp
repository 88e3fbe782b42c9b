// The report as the console companion writes it: header in the machine's clock and
// language, text lines, and the RTF rendering of sizes, weights and colours.
#include <gtest/gtest.h>

#include "sections/categories.h"
#include "sections/console_report.h"
#include "sections/report_rtf.h"
#include "tests/native/app/fake_host.h"

namespace kestrova {
namespace {

using Lines = std::vector<std::string>;

TEST(ReportLog, LevelsPrefixesAndNothingOutsideTheRange) {
  MemoryLog log;
  log.AddLogLine(2, "", 0);
  log.AddLogLine(3, "x", 0);
  log.AddLogLine(4, "x", 0);
  log.AddLogLine(-1, "x", 0);
  EXPECT_EQ(log.Texts(), (Lines{" - ", "   . x"}));
  EXPECT_EQ(LogLevelPointSize(0), 10);
  EXPECT_EQ(LogLevelPointSize(3), 8);
  EXPECT_TRUE(LogLevelBold(1));
  EXPECT_FALSE(LogLevelBold(2));
}

TEST(ConsoleReport, HeaderUsesTheRecordedClockAndLanguage) {
  auto m = LoadRecordedMachine(std::string(KESTROVA_FIXTURES) + "/machines/xp-sp2-p4ht");
  testing::EngineOver engine(*m);
  CategoryRows rows = MakeCategoryRows();
  UntickAll(rows);
  auto lines = BuildReport(&engine.Engine, m->View(), rows, "1.1.0.0");
  EXPECT_EQ(RenderText(lines), "Kestrova - Récupérateur infos système - Version 1.1.0.0\n"
                               " - dimanche 06 décembre 2026 - 19:06\n"
                               "\nDébut Analyse\n\nFin Analyse\n");
  EXPECT_EQ(lines[0].Colour, kColourBlue);
  EXPECT_EQ(lines[0].Level, kLevelTitle);
  // Without an engine: the header and the refusal only; an empty version ends the title
  // with its blank.
  auto refused = BuildReport(nullptr, m->View(), rows, "");
  EXPECT_EQ(RenderText(refused), "Kestrova - Récupérateur infos système - Version \n"
                                 " - dimanche 06 décembre 2026 - 19:06\n"
                                 "Moteur d'analyse système non initialisé (analyse impossible)\n");
}

TEST(ConsoleReport, StatusObserverSeesEachSectionStartAndEndWithoutChangingTheReport) {
  auto m = LoadRecordedMachine(std::string(KESTROVA_FIXTURES) + "/machines/xp-sp2-p4ht");
  CategoryRows rows = MakeCategoryRows();
  UntickAll(rows);
  for (const char* caption : {kCatLocale, kCatEnvironment, kCatAPM}) rows[*FindCategoryRow(rows, caption)].Ticked = true;
  testing::EngineOver plain(*m);
  const std::string expected = RenderText(BuildReport(&plain.Engine, m->View(), rows, "1.1.0.0"));
  testing::EngineOver observed(*m);
  Lines statuses;
  std::string error;
  auto lines = BuildReport(&observed.Engine, m->View(), rows, "1.1.0.0", nullptr, &error, false,
                           [&statuses](const std::string& text) { statuses.push_back(text); });
  EXPECT_EQ(RenderText(lines), expected);
  EXPECT_EQ(error, "");
  // In run order: each ticked section's caption, then the reset that ends it.
  EXPECT_EQ(statuses, (Lines{kCatLocale, "", kCatAPM, "", kCatEnvironment, ""}));
}

TEST(RtfEscape, SpecialCharactersCp1252AndBeyond) {
  EXPECT_EQ(RtfEscape("a\\b{c}"), "a\\\\b\\{c\\}");
  EXPECT_EQ(RtfEscape("Début"), "D\\'e9but");
  EXPECT_EQ(RtfEscape("€"), "\\'80");                     // cp1252 holds the euro sign
  EXPECT_EQ(RtfEscape("\xE2\x98\x83"), "\\u9731?");        // U+2603 is not in cp1252
  EXPECT_EQ(RtfEscape("\xEF\xBF\xBD"), "\\u-3?");          // U+FFFD as a signed 16-bit number
  EXPECT_EQ(RtfEscape("\xF0\x9F\x98\x80"), "\\u-10179?\\u-8704?");  // U+1F600, surrogates
  EXPECT_EQ(RtfEscape(std::string("a\x01\tb", 4)), "a\\tab b");
}

TEST(RenderRtf, EachLineCarriesItsSizeWeightAndColour) {
  std::vector<LogLine> lines = {{0, "Titre", kColourBlue}, {1, "", kColourBlack}, {2, " - é", kColourBlack},
                                {1, "Erreur", kColourRed}};
  std::string rtf = RenderRtf(lines);
  EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi", 0), 0u);
  EXPECT_NE(rtf.find("{\\colortbl ;\\red0\\green0\\blue255;\\red0\\green0\\blue0;\\red255\\green0\\blue0;}"),
            std::string::npos);
  EXPECT_NE(rtf.find("\\fs20\\cf1\\b Titre\\par"), std::string::npos);
  EXPECT_NE(rtf.find("\\fs16\\cf2\\b \\par"), std::string::npos);
  EXPECT_NE(rtf.find("\\fs16\\cf2  - \\'e9\\par"), std::string::npos);
  EXPECT_NE(rtf.find("\\fs16\\cf3\\b Erreur\\par"), std::string::npos);
  // Braces balance, so readers accept the document.
  int depth = 0;
  for (size_t i = 0; i < rtf.size(); ++i) {
    if (rtf[i] == '\\') { ++i; continue; }
    depth += rtf[i] == '{' ? 1 : rtf[i] == '}' ? -1 : 0;
    ASSERT_GE(depth, 0);
  }
  EXPECT_EQ(depth, 0);
}

}  // namespace
}  // namespace kestrova
