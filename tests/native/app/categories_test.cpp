// The tick commands, the caption lookup the writers use, the long press and the
// double-click jump.
#include <gtest/gtest.h>

#include "sections/categories.h"
#include "sections/category_list.h"
#include "sections/find_in_log.h"

namespace kestrova {
namespace {

std::vector<bool> Ticks(const CategoryRows& rows) {
  std::vector<bool> t;
  for (const auto& r : rows) t.push_back(r.Ticked);
  return t;
}
std::vector<bool> Highlights(const CategoryRows& rows) {
  std::vector<bool> h;
  for (const auto& r : rows) h.push_back(r.Highlighted);
  return h;
}

TEST(CategoryRows, StartUpHasThe28CaptionsInListOrderAllTicked) {
  CategoryRows rows = MakeCategoryRows();
  std::vector<std::string> captions;
  for (const auto& r : rows) captions.push_back(r.Caption);
  EXPECT_EQ(captions, (std::vector<std::string>{
      "Machine (général)", "Système d'exploitation (OS)", "CPU (processeur)", "Localisation", "Affichage",
      "Moniteurs", "Multimédia", "Mémoire", "Disques", "ASPI", "DirectX", "OpenGL", "Internet",
      "Moteurs Bases de données", "Réseau", "Imprimantes", "USB", "APM - Gestion avancée de l'énergie",
      "Applications installées", "Applications démarrées automatiquement", "Processus", "Drivers", "Services",
      "Variables d'environnement", "Répertoires communs de Windows", "Répertoires Utilisateur",
      "Répertoires de c:\\", "Répertoires de c:\\program files"}));
  EXPECT_EQ(Ticks(rows), std::vector<bool>(28, true));
  EXPECT_EQ(Highlights(rows), std::vector<bool>(28, false));
}

TEST(CategoryRows, TickCommandsChangeTicksButNeverHighlights) {
  CategoryRows rows = MakeCategoryRows();
  UntickAll(rows);
  rows[0].Ticked = rows[2].Ticked = true;
  rows[5].Highlighted = rows[7].Highlighted = true;
  const auto highlights = Highlights(rows);

  InvertTicks(rows);  // rows 1 and 3 (from one) become unticked, all others ticked
  std::vector<bool> expected(28, true);
  expected[0] = expected[2] = false;
  EXPECT_EQ(Ticks(rows), expected);

  TickHighlightedOnly(rows);
  expected.assign(28, false);
  expected[5] = expected[7] = true;
  EXPECT_EQ(Ticks(rows), expected);

  TickAll(rows);
  EXPECT_EQ(Ticks(rows), std::vector<bool>(28, true));
  UntickAll(rows);
  EXPECT_EQ(Ticks(rows), std::vector<bool>(28, false));
  EXPECT_EQ(Highlights(rows), highlights);
}

TEST(IsCategoryTicked, FirstRowByCaptionWithoutRegardToCase) {
  CategoryRows rows = {{"USB", false, false}, {"usb", true, false}, {"Réseau", true, false}};
  EXPECT_FALSE(IsCategoryTicked(rows, "USB"));  // the first match decides
  EXPECT_TRUE(IsCategoryTicked(rows, "RÉSEAU"));  // accented capitals fold too
  EXPECT_TRUE(IsCategoryTicked(rows, "réseau"));
  EXPECT_FALSE(IsCategoryTicked(rows, "Réseaux"));
  EXPECT_FALSE(IsCategoryTicked({}, "USB"));
}

TEST(AutoStartCaption, FirstHighlightedFromTheTopOrNothing) {
  CategoryRows rows = MakeCategoryRows();
  EXPECT_FALSE(AutoStartCaption(rows));
  EXPECT_FALSE(AutoStartCaption({}));
  rows[16].Highlighted = rows[3].Highlighted = true;
  EXPECT_EQ(AutoStartCaption(rows), "Localisation");
}

TEST(FindInLog, SelectsTheHeadingAndSkipsMatchesAfterABlank) {
  // A "USB" inside an item line (after a blank) comes before the heading.
  const std::string log = "Kestrova\r - Contrôleur USB racine\r\rUSB\r - Hub";
  auto r = FindInLog(log, std::string("USB"));
  ASSERT_TRUE(r.Match);
  EXPECT_EQ(*r.Match, log.find("\rUSB") + 1);
  EXPECT_FALSE(r.Caret);
}

TEST(FindInLog, MatchAtTextStartOrAfterNonBlankCounts) {
  EXPECT_EQ(FindInLog(std::string("USB x"), std::string("USB")).Match, 0u);
  EXPECT_EQ(FindInLog(std::string("x-USB"), std::string("USB")).Match, 2u);  // not a blank before it
}

TEST(FindInLog, CaseIsSignificantAndOnlySkippedMatchesLeaveTheCaret) {
  auto none = FindInLog(std::string("usb\r"), std::string("USB"));
  EXPECT_FALSE(none.Match);
  EXPECT_FALSE(none.Caret);
  auto skipped = FindInLog(std::string(" - a USB b USB"), std::string("USB"));
  EXPECT_FALSE(skipped.Match);
  EXPECT_EQ(skipped.Caret, 12u);  // just after the first character of the last match
  EXPECT_FALSE(FindInLog(std::string("abc"), std::string()).Match);
  // The RichEdit pane hands its text over as UTF-16.
  EXPECT_EQ(FindInLog(std::u16string(u"\u00e9 USB\rUSB"), std::u16string(u"USB")).Match, 6u);
}

}  // namespace
}  // namespace kestrova
