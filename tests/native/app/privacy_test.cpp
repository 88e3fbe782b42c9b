// The privacy filter: placeholders and where a value counts as standing alone, then every
// recorded machine's personal values gone from the text, RTF and XML reports and from a
// private capture and its replay.
#include <gtest/gtest.h>
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "engine/core/context.h"
#include "engine/core/privacy.h"
#include "engine/core/report_writer.h"
#include "engine/core/system_info.h"
#include "engine/core/text.h"
#include "engine/hardware/cpu.h"
#include "engine/platform/capture/capturing_platform.h"
#include "engine/platform/capture/private_capture.h"
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
      {"IP_10.0.0.1 10.0.0.1.5 a10.0.0.1", "IP_<adresse IP 1> 10.0.0.1.5 a<adresse IP 1>"},
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

// Every file under `dir` (its path relative to `dir`, then its bytes), recursively.
void ReadTree(const std::string& dir, const std::string& rel, std::vector<std::pair<std::string, std::string>>& out) {
  DIR* d = opendir((dir + "/" + rel).c_str());
  if (!d) return;
  while (dirent* e = readdir(d)) {
    const std::string n = e->d_name;
    if (n == "." || n == "..") continue;
    const std::string path = rel.empty() ? n : rel + "/" + n;
    struct stat st;
    if (stat((dir + "/" + path).c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      out.push_back({path, ""});
      ReadTree(dir, path, out);
    } else {
      std::ifstream in(dir + "/" + path, std::ios::binary);
      std::ostringstream bytes;
      bytes << in.rdbuf();
      out.push_back({path, bytes.str()});
    }
  }
  closedir(d);
}

// Whether `needle` stands in `hay` as a whole: no letter or digit right before or after
// (a serial number inside an unrelated product code is not that serial number).
bool Holds(const std::string& hay, const std::string& needle) {
  auto word = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; };
  for (size_t at = hay.find(needle); at != std::string::npos; at = hay.find(needle, at + 1)) {
    if ((at == 0 || !word(hay[at - 1]) || !word(needle.front())) &&
        (at + needle.size() == hay.size() || !word(hay[at + needle.size()]) || !word(needle.back())))
      return true;
  }
  return false;
}

// The forms a value takes in recorded files: its text, its UTF-16LE bytes, and both as the
// comma-separated hex bytes of a registry file.
std::vector<std::string> RecordedForms(const std::string& value) {
  std::string utf16, hexAnsi, hexWide;
  for (uint8_t b : Utf8ToUtf16Le(value)) utf16 += static_cast<char>(b);
  for (size_t i = 0; i < value.size(); ++i) hexAnsi += Format(i ? ",%02x" : "%02x", static_cast<uint8_t>(value[i]));
  for (size_t i = 0; i < utf16.size(); ++i) hexWide += Format(i ? ",%02x" : "%02x", static_cast<uint8_t>(utf16[i]));
  return {Lower(value), Lower(utf16), hexAnsi, hexWide};
}

TEST(Privacy, StandInsKeepTheShapeTheRecordedFormatNeeds) {
  EXPECT_EQ(PersonalStandIn(K::MACAddress, 2, "00-0c-6e-4a-1b-2c"), "02-00-00-00-00-02");
  EXPECT_EQ(PersonalStandIn(K::MACAddress, 11, "00:0C:6E:4A:1B:2C"), "02:00:00:00:00:0B");
  EXPECT_EQ(PersonalStandIn(K::MACAddress, 1, "000c6e4a1b2c"), "020000000001");
  EXPECT_EQ(PersonalStandIn(K::IPAddress, 3, "10.8.0.6"), "192.0.2.3");
  EXPECT_EQ(PersonalStandIn(K::ComputerName, 1, "BUREAU-01"), "ORDINATEUR-1");
  EXPECT_EQ(PersonalStandIn(K::SerialNumber, 4, "K6A012"), "SERIE-4");
  // Inside bytes of fixed length: the same length, as ANSI and as UTF-16LE, a UUID as its
  // sixteen bytes; an EDID block's numeric serial and its checksum follow.
  PrivacyFilter f;
  f.Add(K::SerialNumber, "K6A012");
  f.Add(K::SerialNumber, "00112233445566778899AABBCCDDEEFF");
  f.Add(K::SerialNumber, "67305985");  // 0x04030201
  std::string mem = std::string("\x01K6A012\0XK6A0123\0\0", 18) + std::string("K\0" "6\0" "A\0" "0\0" "1\0" "2\0", 12);
  for (int i = 0; i < 16; ++i) mem += static_cast<char>(i * 0x11);
  const size_t before = mem.size();
  EXPECT_EQ(ReplaceInBinary(mem, f), 3u);
  EXPECT_EQ(mem.size(), before);
  EXPECT_EQ(mem.substr(0, 18), std::string("\x01XXXXX1\0XK6A0123\0\0", 18));
  EXPECT_EQ(mem.substr(18, 12), std::string("X\0X\0X\0X\0X\0" "1\0", 12));
  EXPECT_EQ(mem.substr(30), std::string(15, '\0') + "\x02");
  // The folder's own file names stay, even where a value's digits match an image address.
  {
    PrivacyFilter digits;
    digits.Add(K::SerialNumber, "000F0000");
    CaptureOutput out;
    out.SetFile("memory-000F0000.bin", "000F0000");
    out.SetFile("files/c/000F0000/a.txt", "x");
    MakeCapturePrivate(out, digits);
    EXPECT_EQ(out.Files().count("memory-000F0000.bin"), 1u);
    EXPECT_EQ(out.Files().at("memory-000F0000.bin"), "XXXXXXX1");
    EXPECT_EQ(out.Files().count("files/c/SERIE-1/a.txt"), 1u);
  }
  std::string edid(128, '\0');
  const uint8_t header[] = {0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0x3A, 0x44, 0x10, 0x07, 1, 2, 3, 4};
  for (size_t i = 0; i < sizeof header; ++i) edid[i] = static_cast<char>(header[i]);
  uint8_t sum = 0;
  for (size_t i = 0; i < 127; ++i) sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(edid[i]));
  edid[127] = static_cast<char>(-sum);
  ReplaceInBinary(edid, f);
  EXPECT_EQ(edid.substr(12, 4), std::string("\xA3\xBB\x0D\0", 4));  // 900003
  sum = 0;
  for (char c : edid) sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(c));
  EXPECT_EQ(sum, 0);
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
        {" - Numéro série : 0000-0634-0080-FBFF-0000-0000", " - Numéro série : <numéro de série 2>"}}},
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

    // The whole engine document: values escaped as the document holds them.
    {
      TSystemInfo whole(ctx);
      whole.RefreshAll();
      ReportLines document;
      whole.WriteReport(document);
      PrivacyFilter values;
      CollectPersonalValues(whole, values);
      values.ApplyToDocument(document);
      const std::string xml = Lower(ReportDocumentText(document));
      EXPECT_NE(xml.find("&lt;nom de l&apos;ordinateur 1&gt;"), std::string::npos);
      for (const std::string& v : all) EXPECT_EQ(xml.find(Lower(EscapeValue(v))), std::string::npos) << v;
    }

    // A private capture: no value in any file, path or form; its replay shows none either.
    // The processor's "serial" stays: it is made of the CPUID signature and feature words.
    {
      auto source = LoadRecordedMachine(std::string(KESTROVA_FIXTURES) + "/machines/" + mc.Dir);
      CapturingPlatform capture(source->View());
      Platform view = capture.View();
      EngineContext cctx = MakeEngineContext(view);
      TSystemInfo captured(cctx);
      BuildReport(&captured, view, MakeCategoryRows(), "1.0", nullptr, nullptr, true);
      CaptureOutput out;
      capture.Write(out);
      PrivacyFilter values;
      CollectPersonalValues(captured, values);
      MakeCapturePrivate(out, values);
      std::string folder = ::testing::TempDir() + "kestrova-private-XXXXXX";
      ASSERT_NE(mkdtemp(&folder[0]), nullptr);
      out.WriteFolder(folder + "/m");
      std::vector<std::pair<std::string, std::string>> files;
      ReadTree(folder + "/m", "", files);
      EXPECT_GE(files.size(), 4u);
      const auto* cpu = dynamic_cast<const TCPU*>(engine.Get(TSystemInfo::Member::CPU));
      ASSERT_NE(cpu, nullptr);
      for (const std::string& v : all) {
        if (v == cpu->SerialNumber()) continue;
        for (const auto& [path, bytes] : files) {
          EXPECT_FALSE(Holds(Lower(path), Lower(v))) << v << " in the path " << path;
          if (path == "cpuid.txt") continue;
          for (const std::string& form : RecordedForms(v)) EXPECT_FALSE(Holds(Lower(bytes), form)) << v << " in " << path;
        }
      }
      auto replayed = LoadRecordedMachine(folder + "/m");
      Platform rview = replayed->View();
      EngineContext rctx = MakeEngineContext(rview);
      TSystemInfo replay(rctx);
      std::string error;
      const auto lines = BuildReport(&replay, rview, MakeCategoryRows(), "1.0", nullptr, &error);
      EXPECT_EQ(error, "");
      EXPECT_EQ(lines.size(), plain.size());
      const std::string text = Lower(RenderText(lines));
      for (const std::string& v : all) {
        if (v == cpu->SerialNumber()) continue;
        EXPECT_EQ(text.find(Lower(v)), std::string::npos) << v << " in the replay";
      }
      EXPECT_NE(text.find("ordinateur-1"), std::string::npos);
    }
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
