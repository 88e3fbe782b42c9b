// TSoftware and "Applications installées" on the recorded machines, the install-date
// forms and the short date of the report.
#include <gtest/gtest.h>

#include "engine/core/date_time.h"
#include "engine/core/text.h"
#include "engine/inventory/software.h"
#include "sections/software_sections.h"
#include "tests/native/app/fake_host.h"

namespace kestrova {
namespace {

using Lines = std::vector<std::string>;

struct SoftwareRun {
  explicit SoftwareRun(const char* name)
      : machine(LoadRecordedMachine(std::string(KESTROVA_FIXTURES) + "/machines/" + name)) {}
  Lines Section() {
    context = MakeEngineContext(machine->View());
    engine = std::make_unique<TSystemInfo>(context);
    testing::FakeHost host;
    host.TickOnly({"Applications installées"});
    RunFlags flags;
    SectionContext ctx{*engine, log, host, flags};
    RunSection(kInstalledAppsWriter, ctx);
    EXPECT_EQ(log.UpdateDepth(), 0);
    return log.Texts();
  }
  TSoftware& Software() { return *engine->As<TSoftware>(TSystemInfo::Member::Software); }
  std::unique_ptr<RecordedMachine> machine;
  EngineContext context;
  std::unique_ptr<TSystemInfo> engine;
  MemoryLog log;
};

double Day(int y, int m, int d) {
  LocalTime t;
  t.Year = y, t.Month = m, t.Day = d;
  return EncodeDateTime(t);
}

TEST(InstallDate, BothFormsAndWhatIsNotADate) {
  const struct { const char* Text; double Expected; } kCases[] = {
      {"20050131", Day(2005, 1, 31)},
      {"1/31/2005", Day(2005, 1, 31)},       // M/D/YYYY
      {"12/5/2005", Day(2005, 12, 5)},
      {"20050131 (installé)", Day(2005, 1, 31)},  // only the first eight characters count
      {"20040229", Day(2004, 2, 29)},        // leap year
      {"20050229", 0},                       // not one, and no '/' to fall back on
      {"2/29/2005", 0},
      {"2005-13-45", 0},
      {"200501", 0},
      {"", 0},
      {"/", 0},
      {"1/31", 0},                           // no year
      {"1/31/2005/7", 0},                    // the rest is not a number
      {"13/1/2005", 0},                      // D/M/YYYY is not read
      {"00000101", 0},                       // year 0
      {"99991231", Day(9999, 12, 31)},
  };
  for (const auto& c : kCases) EXPECT_EQ(ParseInstallDate(c.Text), c.Expected) << '"' << c.Text << '"';
}

TEST(InstallDate, ShortDateFollowsTheUserPicture) {
  LocaleFacts locale;
  locale.DateSeparator = "-";
  const double date = Day(2005, 1, 31);
  const struct { const char* Picture; const char* Expected; } kCases[] = {
      {"dd/MM/yyyy", "31/01/2005"},
      {"d.M.yy", "31.1.05"},
      {"yyyy-MM-dd", "2005-01-31"},
      {"dd 'de' MM", "31 de 01"},
      {"M/d/y", "1/31/5"},
      {"dd''MM", "31'01"},  // two quotes make one
  };
  for (const auto& c : kCases) {
    locale.Values["LOCALE_SSHORTDATE"] = c.Picture;
    EXPECT_EQ(ShortDateText(date, locale), c.Expected) << c.Picture;
  }
  locale.Values.clear();  // no picture: day, month, year with the date separator
  EXPECT_EQ(ShortDateText(Day(2006, 6, 4), locale), "04-06-2006");
}

TEST(InstalledApps, WindowsXpSortedOnceEachInstallerEntriesWin) {
  SoftwareRun run("xp-sp2-p4ht");
  const Lines expected = {
      "",
      "Applications installées",
      // the 300-character name, cut to 255 characters
      " - " + Truncate("Collection complète de modèles éditables « Fénelon » – Collection complète de modèles "
                       "éditables « Fénelon » – Collection complète de modèles éditables « Fénelon » – "
                       "Collection complète de modèles éditables « Fénelon » – Collection complète de modèles "
                       "éditables « Fénelon » – Collection complète de modèles éditables",
                       255),
      " - Éditeur de sons Brimm",     // beside the other E names, not after z
      " - Gestionnaire de polices Kelda",
      " - LECTEUR PDF ORVIK 7.0",      // the installer's record replaced the uninstall one
      " - Pilote Audio Vantor",        // two records, one line
      " - Tessel Archiveur 3.61",
      " - zèbre de bureau"};
  EXPECT_EQ(run.Section(), expected);
  EXPECT_EQ(run.Software().Count(), 8u);  // KB873339 has no DisplayName, the installer key without properties none

  // Subkeys come in name order; "{9B1C...}" sorts after the letters.
  TSoftwareRecord r;
  run.Software().GetRecord(0, r);
  EXPECT_EQ(r.Name, "Tessel Archiveur 3.61");
  EXPECT_EQ(r.Company, "Tessel & Fils <www.tessel.example>");
  EXPECT_EQ(r.Date, Day(2005, 1, 31));  // written 1/31/2005
  run.Software().GetRecord(1, r);
  EXPECT_EQ(DecodeUtf8(r.Name).size(), 255u);
  EXPECT_EQ(r.Date, 0);  // 2005-13-45
  run.Software().GetRecord(6, r);  // the uninstall record, replaced in place
  EXPECT_EQ(r.Name, "LECTEUR PDF ORVIK 7.0");
  EXPECT_EQ(r.Version, "7.0.9");
  EXPECT_EQ(r.Company, "Orvik Systems France");
  EXPECT_EQ(r.Source, "C:\\WINDOWS\\Installer\\Orvik\\");
  EXPECT_EQ(r.Date, Day(2006, 6, 14));
  run.Software().GetRecord(7, r);
  EXPECT_EQ(r.Name, "Gestionnaire de polices Kelda");
  EXPECT_EQ(r.Date, Day(2005, 12, 5));
  run.Software().GetRecord(8, r);  // outside the list
  EXPECT_EQ(r.Name, "");
  EXPECT_EQ(r.Date, 0);
}

TEST(InstalledApps, Windows98) {
  SoftwareRun run("win98se-p3");
  EXPECT_EQ(run.Section(), (Lines{"", "Applications installées", " - Lecteur multimédia Brimm",
                                  " - Navigateur Internet 5.5 et outils Internet", " - Pilote Vantor AC97",
                                  " - Tessel Archiveur 3.61"}));
}

TEST(InstalledApps, NoRecordNoLine) {
  SoftwareRun run("win98se-p3");
  run.machine->Registry.DeleteKey(RootKey::LocalMachine, TSoftware::kUninstallKey);
  EXPECT_EQ(run.Section(), (Lines{"", "Applications installées"}));
  EXPECT_EQ(run.Software().Count(), 0u);
}

TEST(InstalledApps, SortedWithoutCaseAndEachNameOnce) {
  EXPECT_EQ(SortedDistinctNames({"beta", "Alpha", "ALPHA", "été", "Été", "eux", "Ecran", "alpha", "zoo", ""}),
            (Lines{"", "Alpha", "beta", "Ecran", "été", "eux", "zoo"}));
}

TEST(SoftwareReport, Windows98Block) {
  SoftwareRun run("win98se-p3");
  run.Section();
  ReportLines lines;
  run.Software().WriteReport(lines, false);
  const ReportLines expected = {
      "<Software classname=\"TSoftware\">",
      "<section name=\"Tessel Archiveur 3.61\">",
      "<data name=\"Version\" type=\"string\">3.61</data>",
      "<data name=\"Company\" type=\"string\">Tessel &amp; Fils</data>",
      "<data name=\"Source\" type=\"string\"></data>",
      "<data name=\"Uninstall\" type=\"string\">C:\\PROGRA~1\\Tessel\\uninst.exe</data>",
      "<data name=\"Date\" type=\"string\">15/03/2001</data>",
      "</section>",
      "<section name=\"Navigateur Internet 5.5 et outils Internet\">",
      "<data name=\"Version\" type=\"string\"></data>",
      "<data name=\"Company\" type=\"string\"></data>",
      "<data name=\"Source\" type=\"string\"></data>",
      "<data name=\"Uninstall\" type=\"string\">RunDll32 setupwbv.dll,IE5Maintenance</data>",
      "</section>",
      "<section name=\"Lecteur multim&#233;dia Brimm\">",
      "<data name=\"Version\" type=\"string\">2.0</data>",
      "<data name=\"Company\" type=\"string\"></data>",
      "<data name=\"Source\" type=\"string\"></data>",
      "<data name=\"Uninstall\" type=\"string\"></data>",
      "<data name=\"Date\" type=\"string\">15/03/2001</data>",
      "</section>",
      "<section name=\"Pilote Vantor AC97\">",  // 31/12/2000 is no install date
      "<data name=\"Version\" type=\"string\"></data>",
      "<data name=\"Company\" type=\"string\"></data>",
      "<data name=\"Source\" type=\"string\"></data>",
      "<data name=\"Uninstall\" type=\"string\"></data>",
      "</section>",
      "</Software>"};
  EXPECT_EQ(lines, expected);
}

}  // namespace
}  // namespace kestrova
