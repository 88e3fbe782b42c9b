// The privacy filter: placeholders and where a value counts as standing alone, then every
// recorded machine's personal values gone from the text and RTF reports.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/core/context.h"
#include "engine/core/privacy.h"
#include "engine/core/system_info.h"
#include "engine/platform/recorded/recorded_machine.h"
#include "sections/console_report.h"
#include "sections/report_rtf.h"

namespace kestrova {
namespace {

using K = PersonalKind;

TEST(Privacy, KindNames) {
  const char* const kNames[] = {"numéro de série", "adresse MAC", "adresse IP", "nom d'utilisateur",
                                "nom de l'ordinateur", "propriétaire", "organisation", "identifiant de produit"};
  for (size_t i = 0; i < static_cast<size_t>(K::Count_); ++i)
    EXPECT_STREQ(PersonalKindName(static_cast<K>(i)), kNames[i]) << i;
  EXPECT_STREQ(PersonalKindName(K::Count_), "");
}

TEST(Privacy, PlaceholdersAndBoundaries) {
  PrivacyFilter f;
  f.Add(K::UserName, "Jean");
  f.Add(K::ComputerName, "PC");
  f.Add(K::SerialNumber, "AB-12");
  f.Add(K::SerialNumber, "  XYZ987 ");  // blanks around are not part of it
  f.Add(K::SerialNumber, "0000-0000");  // tells nothing
  f.Add(K::SerialNumber, "0");
  f.Add(K::MACAddress, "");
  f.Add(K::IPAddress, "127.0.0.1");
  f.Add(K::IPAddress, "10.0.0.1");
  f.Add(K::IPAddress, "10.0.0.12");
  f.Add(K::UserName, "JEAN");                  // the same value in another case
  f.Add(K::SerialNumber, "<nom d'utilisateur 1>");  // a placeholder fed back
  f.Add(K::Owner, "Jean Dupont");
  EXPECT_EQ(f.Count(), 7u);
  EXPECT_EQ(f.PlaceholderOf("jean"), "<nom d'utilisateur 1>");
  EXPECT_EQ(f.PlaceholderOf("XYZ987"), "<numéro de série 2>");
  EXPECT_EQ(f.PlaceholderOf("10.0.0.12"), "<adresse IP 2>");
  EXPECT_EQ(f.PlaceholderOf("0000-0000"), "");
  const struct { const char* In; const char* Out; } kCases[] = {
      {"Nom : Jean", "Nom : <nom d'utilisateur 1>"},
      {"C:\\Documents and Settings\\jean\\Bureau", "C:\\Documents and Settings\\<nom d'utilisateur 1>\\Bureau"},
      {"Jeanne", "Jeanne"},                        // a longer word
      {"Jeané", "Jeané"},                          // followed by an accented letter
      {"PCI PC", "PCI <nom de l'ordinateur 1>"},
      {"\\\\PC\\share", "\\\\<nom de l'ordinateur 1>\\share"},
      {"AB-12 AB-123 XAB-12", "<numéro de série 1> AB-123 XAB-12"},
      {"10.0.0.12 10.0.0.1, 110.0.0.1", "<adresse IP 2> <adresse IP 1>, 110.0.0.1"},
      {"Jean Dupont", "<propriétaire 1>"},         // the longest value first
      {"127.0.0.1 0000-0000", "127.0.0.1 0000-0000"},
      {"", ""},
      {"Jean", "<nom d'utilisateur 1>"},
  };
  for (const auto& c : kCases) EXPECT_EQ(f.Apply(c.In), c.Out) << c.In;
}

struct MachineCase {
  const char* Dir;
  std::vector<std::string> Personal;  // values recorded on the machine, each must go
  std::vector<std::pair<std::string, std::string>> Lines;  // line as written -> private line
};

std::vector<LogLine> Report(const std::string& dir, bool privateValues) {
  auto m = LoadRecordedMachine(std::string(KESTROVA_FIXTURES) + "/machines/" + dir);
  Platform platform = m->View();
  EngineContext ctx = MakeEngineContext(platform);
  TSystemInfo engine(ctx);
  return BuildReport(&engine, platform, MakeCategoryRows(), "1.0", nullptr, nullptr, privateValues);
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

TEST(Privacy, RecordedMachinesLeaveNoPersonalValue) {
  const MachineCase kMachines[] = {
      {"xp-sp2-p4ht",
       {"BUREAU-01", "Jean", "55274-OEM-0011903-00102", "0000-0F29-BFEB-FBFF-0000-4400", "K6A012", "67305985",
        "192.168.1.20", "10.8.0.6", "192.168.1.1", "212.27.40.240", "00-0c-6e-4a-1b-2c", "00-ff-8a-3d-00-01"},
       {{" - Nom Machine : BUREAU-01", " - Nom Machine : <nom de l'ordinateur 1>"},
        {" - Nom Utilisateur : Jean", " - Nom Utilisateur : <nom d'utilisateur 1>"},
        {" - USERPROFILE=C:\\Documents and Settings\\Jean", " - USERPROFILE=C:\\Documents and Settings\\<nom d'utilisateur 1>"},
        {" - COMPUTERNAME=BUREAU-01", " - COMPUTERNAME=<nom de l'ordinateur 1>"},
        {" - Host : bureau-01", " - Host : <nom de l'ordinateur 1>"},
        {" - Id. produit : 55274-OEM-0011903-00102", " - Id. produit : <identifiant de produit 1>"},
        {" - Adresse IP #01 : 10.8.0.6", " - Adresse IP #01 : <adresse IP 2>"},
        {" - Adresse MAC #00 : 00-0c-6e-4a-1b-2c", " - Adresse MAC #00 : <adresse MAC 1>"}}},
      {"win98se-p3",
       {"ATELIER", "Marie", "12345-OEM-0012345-67890", "0000-0686-0383-FBFF-0000-0000", "192.168.0.12",
        "192.168.0.1", "00-10-4b-7a-3c-21", "44-45-53-54-00-00", "Marie Dupré", "Atelier de poterie"},
       {{" - Host : atelier", " - Host : <nom de l'ordinateur 1>"},
        {" - Adresse MAC #01 : 44-45-53-54-00-00", " - Adresse MAC #01 : <adresse MAC 2>"}}},
      {"nt40-sp6a-p2",
       {"COMPTA-NT", "Paul", "51222-270-0176543-71342", "0000-0634-0080-FBFF-0000-0000", "Paul Rousseau",
        "Fiduciaire Rousseau"},
       {{" - LOGONSERVER=\\\\COMPTA-NT", " - LOGONSERVER=\\\\<nom de l'ordinateur 1>"},
        {" - USERPROFILE=C:\\WINNT\\Profiles\\Paul", " - USERPROFILE=C:\\WINNT\\Profiles\\<nom d'utilisateur 1>"},
        {" - Numéro série : 0000-0634-0080-FBFF-0000-0000", " - Numéro série : <numéro de série 3>"}}},
  };
  for (const MachineCase& mc : kMachines) {
    SCOPED_TRACE(mc.Dir);
    const auto plain = Report(mc.Dir, false);
    const auto hidden = Report(mc.Dir, true);
    // The values the engine knows as personal: collected from a plain run's engine.
    auto m = LoadRecordedMachine(std::string(KESTROVA_FIXTURES) + "/machines/" + mc.Dir);
    Platform platform = m->View();
    EngineContext ctx = MakeEngineContext(platform);
    TSystemInfo engine(ctx);
    BuildReport(&engine, platform, MakeCategoryRows(), "1.0");
    PrivacyFilter known;
    CollectPersonalValues(engine, known);
    EXPECT_GE(known.Count(), 5u);
    for (const std::string& v : mc.Personal) EXPECT_NE(known.PlaceholderOf(v), "") << v;
    std::vector<std::string> all = known.Values();
    all.insert(all.end(), mc.Personal.begin(), mc.Personal.end());

    const std::string text = Lower(RenderText(hidden)), rtf = Lower(RenderRtf(hidden));
    // Every output byte searched for every value (RTF holds accents escaped).
    for (const std::string& v : all) {
      EXPECT_EQ(text.find(Lower(v)), std::string::npos) << v;
      EXPECT_EQ(rtf.find(Lower(RtfEscape(v))), std::string::npos) << v;
    }
    EXPECT_EQ(hidden.size(), plain.size());
    for (const auto& [before, after] : mc.Lines) {
      auto has = [](const std::vector<LogLine>& lines, const std::string& t) {
        return std::any_of(lines.begin(), lines.end(), [&](const LogLine& l) { return l.Text == t; });
      };
      EXPECT_TRUE(has(plain, before)) << before;
      EXPECT_TRUE(has(hidden, after)) << after;
    }
  }
}

}  // namespace
}  // namespace kestrova
