// Comparing two reports: saved text and RTF read back, bad files refused, a machine
// against itself, a copy with one value changed, moving lines, and a 100,000-line pair.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "engine/core/context.h"
#include "engine/core/system_info.h"
#include "engine/platform/recorded/recorded_machine.h"
#include "sections/console_report.h"
#include "sections/report_compare.h"
#include "sections/report_rtf.h"
#include "sections/rtf_text.h"

namespace kestrova {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

Lines ReportOf(const std::string& dir) {
  auto m = LoadRecordedMachine(dir);
  Platform platform = m->View();
  EngineContext ctx = MakeEngineContext(platform);
  TSystemInfo engine(ctx);
  Lines out;
  for (const auto& l : BuildReport(&engine, platform, MakeCategoryRows(), "1.0")) out.push_back(l.Text);
  return out;
}

std::string Fixture(const std::string& name) { return std::string(KESTROVA_FIXTURES) + "/machines/" + name; }

// A copy of a recorded machine with one text replaced in one of its files.
std::string ChangedCopy(const std::string& name, const std::string& file, const std::string& from,
                        const std::string& to) {
  const fs::path dir = fs::temp_directory_path() / ("kestrova-compare-" + name + std::to_string(std::hash<std::string>{}(to)));
  fs::remove_all(dir);
  fs::copy(Fixture(name), dir, fs::copy_options::recursive);
  std::ifstream in(dir / file, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  in.close();
  std::string s = ss.str();
  const size_t p = s.find(from);
  EXPECT_NE(p, std::string::npos) << from;
  if (p != std::string::npos) s.replace(p, from.size(), to);
  std::ofstream(dir / file, std::ios::binary) << s;
  return dir.string();
}

// The registry.reg keys of one more monitor as Windows XP enumerates it: the device key
// (its instance under DISPLAY\<EDID id>), its Control key and the EDID value of one of
// the blocks in tests/fixtures/edid. `driver` is its key under the monitor class.
std::string MonitorKeys(const std::string& id, const std::string& instance, const std::string& edidFile,
                        const std::string& driver) {
  std::ifstream in(std::string(KESTROVA_FIXTURES) + "/edid/" + edidFile, std::ios::binary);
  const std::string edid((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(edid.size(), 128u) << edidFile;
  auto hex = [](const std::string& bytes) {
    std::string out;
    char b[4];
    for (unsigned char c : bytes) {
      std::snprintf(b, sizeof b, "%02x,", c);
      out += b;
    }
    if (!out.empty()) out.pop_back();
    return out;
  };
  std::string hardwareId;  // REG_MULTI_SZ "MONITOR\<id>", UTF-16LE
  for (char c : "MONITOR\\" + id) hardwareId += std::string(1, c) + '\0';
  hardwareId += std::string(4, '\0');
  const std::string key = "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\DISPLAY\\" + id + "\\" + instance;
  return key + "]\n\"DeviceDesc\"=\"Moniteur Plug-and-Play\"\n\"Mfg\"=\"(Types de moniteurs standard)\"\n"
         "\"ClassGUID\"=\"{4d36e96e-e325-11ce-bfc1-08002be10318}\"\n\"Class\"=\"Monitor\"\n"
         "\"HardwareID\"=hex(7):" + hex(hardwareId) + "\n"
         "\"Driver\"=\"{4D36E96E-E325-11CE-BFC1-08002BE10318}\\\\" + driver + "\"\n\"Service\"=\"monitor\"\n\n" +
         key + "\\Control]\n\n" + key + "\\Device Parameters]\n\"EDID\"=hex:" + hex(edid) + "\n\n";
}

// The comparison as "category | line" texts, one per log line.
Lines Flat(const std::vector<CategoryChanges>& changes) {
  Lines out;
  for (const auto& l : ComparisonLines(changes)) out.push_back(l.Text);
  return out;
}

TEST(Compare, MachineAgainstItselfSaysNothing) {
  for (const char* m : {"xp-sp2-p4ht", "win98se-p3", "nt40-sp6a-p2"}) {
    const Lines r = ReportOf(Fixture(m));
    EXPECT_TRUE(CompareReports(r, r, true).empty()) << m;
    // Read back from its saved forms too.
    std::string text;
    std::vector<LogLine> log;
    for (const auto& l : r) {
      text += l + "\r\n";
      log.push_back({2, l, 0});
    }
    auto fromText = ReportLinesFromFile(text, nullptr);
    auto fromRtf = ReportLinesFromFile(RenderRtf(log), nullptr);
    ASSERT_TRUE(fromText && fromRtf) << m;
    EXPECT_EQ(*fromRtf, r) << m;  // RTF gives back every line exactly
    EXPECT_TRUE(CompareReports(r, *fromText, true).empty()) << m;
  }
}

TEST(Compare, OneChangedValueShowsUnderItsCategory) {
  const Lines base = ReportOf(Fixture("xp-sp2-p4ht"));
  struct Case {
    const char* File;
    const char* From;
    std::string To;
    Lines Expected;
  };
  // The first key after the last monitor's: a fourth monitor, whose identifier sorts after
  // the three others, is enumerated last (no other monitor changes its number).
  const char* const kAfterMonitors =
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\PCI\\VEN_8086&DEV_2570&SUBSYS_25708086&REV_02\\3&61AAA01&0&00]";
  const Case kCases[] = {
      {"registry.reg", "\"SystemBiosDate\"=\"11/18/04\"", "\"SystemBiosDate\"=\"02/03/05\"",
       {"Machine (général)", "  avant : - BIOS - Date : 11/18/04", "  après : - BIOS - Date : 02/03/05"}},
      {"machine.ini", "[service:Alerter]",
       "[service:Zzsync]\nDisplayName=Synchro nocturne\nType=0x10\nStart=2\nBinaryPath=C:\\sync.exe\nState=4\n\n"
       "[service:Alerter]",
       {"Services", "  ajouté : - Synchro nocturne"}},
      // Only "Moniteurs" changes: its count and the new monitor's block, its sub-heading
      // included. The other categories that walk the device list keep to their own
      // classes (display adapters, computer, sound), and the list is no category itself.
      {"registry.reg", kAfterMonitors,
       MonitorKeys("WRL2205", "5&1B2C3D4E&0&UID1", "wrl2205-lcd-22-wide.bin", "0003") + kAfterMonitors,
       {"Moniteurs", "  avant : - Nb de moniteurs detectés : 3", "  après : - Nb de moniteurs detectés : 4",
        "  ajouté : Moniteur #03", "  ajouté : - - Nom : WRL 2205W", "  ajouté : - - Description : Moniteur Plug-and-Play",
        "  ajouté : - - Fabricant : (Types de moniteurs standard)", "  ajouté : - - Modèle : WRL2205",
        "  ajouté : - - Numéro produit : W22-5A0391", "  ajouté : - - Numéro série : 369553",
        "  ajouté : - - Dimensions (L x H) : 47 x 30"}},
  };
  for (const Case& c : kCases) {
    const std::string dir = ChangedCopy("xp-sp2-p4ht", c.File, c.From, c.To);
    const Lines changed = ReportOf(dir);
    EXPECT_EQ(Flat(CompareReports(base, changed, false)), c.Expected) << c.To;
    fs::remove_all(dir);
  }
}

TEST(Compare, MovingLinesOnlyWithAll) {
  const Lines a = {"Kestrova - Récupérateur infos système - Version 1.0", " - lundi 07 décembre 2026 - 10:00", "",
                   "Machine (général)", " - Dernier démarrage : 07/12/2026 - 09:00", " - Nom : A",
                   "Disques", " - C:\\ [Hard Disk] \"SYS\" - 8,00 GO (libre : 3,00 GO) - NTFS",
                   "CPU (processeur) - CPU #0", " - Fréquence : 2793 MHz"};
  Lines b = a;
  b[1] = " - mardi 08 décembre 2026 - 11:00";
  b[4] = " - Dernier démarrage : 08/12/2026 - 09:00";
  b[7] = " - C:\\ [Hard Disk] \"SYS\" - 8,00 GO (libre : 2,00 GO) - NTFS";
  b[9] = " - Fréquence : 2791 MHz";
  EXPECT_TRUE(CompareReports(a, b, false).empty());
  EXPECT_EQ(CompareReports(a, b, true).size(), 4u);
  b[5] = " - Nom : B";  // a line that does not move
  EXPECT_EQ(Flat(CompareReports(a, b, false)), (Lines{"Machine (général)", "  avant : - Nom : A", "  après : - Nom : B"}));
  // A category only on one side: its heading and its lines.
  Lines c = a;
  c.push_back("Réseau");
  c.push_back(" - Host : x");
  EXPECT_EQ(Flat(CompareReports(a, c, false)), (Lines{"Réseau", "  ajouté : Réseau", "  ajouté : - Host : x"}));
  EXPECT_EQ(Flat(CompareReports(c, a, false)), (Lines{"Réseau", "  retiré : Réseau", "  retiré : - Host : x"}));
}

TEST(Compare, SubHeadingsStayInTheirCategoryRunLinesApart) {
  const Lines a = {"Kestrova - Récupérateur infos système - Version 1.0", "Début Analyse", "Moniteurs",
                   " - Nb de moniteurs detectés : 1", "Moniteur #00", " - - Nom : A", "Fin Analyse"};
  Lines b = a;
  b[5] = " - - Nom : B";
  EXPECT_EQ(Flat(CompareReports(a, b, false)), (Lines{"Moniteurs", "  avant : - - Nom : A", "  après : - - Nom : B"}));
  // "Fin Analyse" after another category is no change of "Moniteurs".
  Lines c = a;
  c.insert(c.begin() + 6, {"Réseau", " - Host : x"});
  EXPECT_EQ(Flat(CompareReports(a, c, false)), (Lines{"Réseau", "  ajouté : Réseau", "  ajouté : - Host : x"}));
  Lines d = a;
  d.insert(d.begin() + 6, "Analyse interrompue par l'utilisateur");
  EXPECT_EQ(Flat(CompareReports(a, d, false)),
            (Lines{"Analyse interrompue par l'utilisateur", "  ajouté : Analyse interrompue par l'utilisateur"}));
}

TEST(Compare, BadFilesAreRefused) {
  const std::string kBad[] = {
      "", "hello\n", std::string("\x00\x01", 2), "{\\rtf1 {\\b x}", "{\\rtf1 x}}", "{\\rtf1 x} y",
      "{\\rtf1 \\'zz}", "{\\rtf1 not a report\\par}", "x\nKestrova - Récupérateur infos système - Version 1\n",
      "Kestrova - Récupérateur infos système - Version 1\n" + std::string(1, '\0'),
  };
  for (const std::string& b : kBad) {
    std::string why;
    EXPECT_FALSE(ReportLinesFromFile(b, &why).has_value()) << b;
    EXPECT_FALSE(why.empty()) << b;
  }
  EXPECT_TRUE(ReportLinesFromFile("{\\rtf1 Kestrova - R\\'e9cup\\'e9rateur infos syst\\'e8me - Version 1}", nullptr));
  std::string deep(kRtfMaxDepth + 1, '{');
  EXPECT_FALSE(RtfToLines("{\\rtf1" + deep).has_value());
  EXPECT_TRUE(RtfToLines("{\\rtf1" + std::string(kRtfMaxDepth - 2, '{') + std::string(kRtfMaxDepth - 1, '}')));
}

TEST(Compare, RtfOfARichEditControl) {
  const std::string rtf =
      "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}{\\colortbl ;\\red0\\green0\\blue255;}\r\n"
      "{\\*\\generator Msftedit 5.41.15.1507;}\\viewkind4\\uc1\\pard\\cf1\\b\\f0\\fs20 Titre\\par\r\n"
      "\\cf0\\b0\\fs16  - Mod\\'e8le : x\\tab y\\par\r\n - \\u8364?uro \\{a\\} \\\\b\\line fin\\par\r\n}\r\n";
  auto lines = RtfToLines(rtf);
  ASSERT_TRUE(lines.has_value());
  EXPECT_EQ(*lines, (Lines{"Titre", " - Modèle : x\ty", " - €uro {a} \\b", "fin"}));
}

TEST(Compare, HundredThousandLinesStayLinear) {
  Lines a = {"Kestrova - Récupérateur infos système - Version 1.0", "Processus"};
  for (int i = 0; i < 100000; ++i) a.push_back(" - C:\\prog\\p" + std::to_string(i) + ".exe");
  Lines b = a;
  b[500] = " - C:\\prog\\changed.exe";
  b.erase(b.begin() + 60000);
  b.insert(b.begin() + 90000, " - C:\\prog\\new.exe");
  const auto t0 = std::chrono::steady_clock::now();
  const auto changes = CompareReports(a, b, false);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  EXPECT_EQ(Flat(changes), (Lines{"Processus", "  avant : - C:\\prog\\p498.exe", "  après : - C:\\prog\\changed.exe",
                                  "  retiré : - C:\\prog\\p59998.exe", "  ajouté : - C:\\prog\\new.exe"}));
  EXPECT_LT(seconds, 20.0);  // a quadratic matching takes minutes here
}

}  // namespace
}  // namespace kestrova
