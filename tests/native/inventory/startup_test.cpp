// TStartup and "Applications démarrées automatiquement" on the recorded machines, and the
// edge cases of each source on small changes to them.
#include <gtest/gtest.h>

#include <functional>

#include "engine/core/text.h"
#include "engine/inventory/startup.h"
#include "engine/platform/recorded/load_error.h"
#include "sections/software_sections.h"
#include "tests/native/app/fake_host.h"

namespace kestrova {
namespace {

using Lines = std::vector<std::string>;
using S = TStartupSource;

const char* const kWinLogon = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
const char* const kSessionManager = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const char* const kUserStartup = "C:\\Documents and Settings\\Jean\\Menu Démarrer\\Programmes\\Démarrage";

struct StartupRun {
  explicit StartupRun(const char* name)
      : machine(LoadRecordedMachine(std::string(KESTROVA_FIXTURES) + "/machines/" + name)) {}
  Lines Section() {
    context = MakeEngineContext(machine->View());
    engine = std::make_unique<TSystemInfo>(context);
    testing::FakeHost host;
    host.TickOnly({"Applications démarrées automatiquement"});
    RunFlags flags;
    MemoryLog log;
    SectionContext ctx{*engine, log, host, flags};
    RunSection(kAutoStartWriter, ctx);
    EXPECT_EQ(log.UpdateDepth(), 0);
    return log.Texts();
  }
  TStartup& Startup() { return *engine->As<TStartup>(TSystemInfo::Member::Startup); }
  // The commands of one source after a refresh.
  Lines Commands(S source) {
    if (!engine) Section();
    Lines out;
    for (const auto& e : Startup().Entries(source)) out.push_back(e.Name + "=" + e.Command);
    return out;
  }
  std::unique_ptr<RecordedMachine> machine;
  EngineContext context;
  std::unique_ptr<TSystemInfo> engine;
};

TEST(AutoStart, WindowsXpEverySourceWithItsSuffix) {
  StartupRun run("xp-sp2-p4ht");
  const Lines expected = {
      "",
      "Applications démarrées automatiquement",
      " - SoundMan (HKLM)",
      " - Antivirus Halden (HKLM)",
      " - ctfmon.exe (HKCU)",
      " - MiseAJourPilotes (HKLMOnce)",
      " - NettoyageProfil (HKCUOnce)",
      " -  (HKLMOnceEx)",  // the default value of subkey 000 is one of its values too
      " - Exemple (HKLMOnceEx)",
      " - Register (HKLMOnceEx)",  // nothing from the Depend subkey
      " - Configuration (HKCUOnceEx)",
      " - Planificateur (HKLMServices)",
      " - Inventaire (HKLMServicesOnce)",
      " - Synchro (HKCUServices)",
      " - PremierLancement (HKCUServicesOnce)",
      " - BootExecute (HKLMSessionManager)",
      " - UserInit (HKLMWinLogon)",
      " - Shell (HKLMWinLogon)",
      " - Load (HKCULoad)",
      " - Ancien raccourci (User)",  // hidden Cache.lnk, desktop.ini, a .txt and a folder are not
      " - Outlook (User)",
      " - Agent de mise à jour Halden (Common)",
      " - Synchro Kelda (Common)",
      " - run (WinINI)",  // load= is empty
      " - shell (SystemINI)",
      " - SCRNSAVE.EXE (SystemINI)"};
  EXPECT_EQ(run.Section(), expected);
  // Every line plus the two browser helper objects, which are not printed.
  EXPECT_EQ(run.Startup().RunsCount(), static_cast<int>(expected.size()) - 2 + 2);
}

TEST(AutoStart, WindowsXpCommands) {
  StartupRun run("xp-sp2-p4ht");
  EXPECT_EQ(run.Commands(S::HKLM_OnceEx),
            (Lines{"=Enregistrement", "Exemple=ab c", "Register=C:\\WINDOWS\\system32\\kbarre.dll DllRegisterServer"}));
  EXPECT_EQ(run.Commands(S::HKCU_OnceEx), (Lines{"Configuration=regsvr32.exe /skelda.dll"}));
  EXPECT_EQ(run.Commands(S::HKLM_SessionManager), (Lines{"BootExecute=autocheck autochk *"}));
  EXPECT_EQ(run.Commands(S::HKLM_WinLogon),
            (Lines{"UserInit=C:\\Program Files\\Halden\\hlogon.exe /silencieux", "Shell=Explorer.exe"}));
  EXPECT_EQ(run.Commands(S::HKCU_Load), (Lines{"Load=C:\\Program Files\\Vantor\\vtray.exe"}));
  EXPECT_EQ(run.Commands(S::UserStartup),
            (Lines{"Ancien raccourci= ",  // does not resolve: empty target and arguments
                   "Outlook=C:\\Program Files\\Outlook Express\\msimn.exe /nosplash"}));
  EXPECT_EQ(run.Commands(S::CommonStartup),
            (Lines{"Agent de mise à jour Halden=C:\\Program Files\\Halden\\hupdate.exe "
                   "\"C:\\Program Files\\Halden\\profil par défaut.cfg\" -q",
                   "Synchro Kelda=C:\\Program Files\\Kelda\\synchro.exe "}));
  EXPECT_EQ(run.Commands(S::WIN_INI), (Lines{"run=C:\\WINDOWS\\rappel.exe/min"}));  // blanks removed
  EXPECT_EQ(run.Commands(S::SYSTEM_INI),
            (Lines{"shell=Explorer.exe", "SCRNSAVE.EXE=C:\\WINDOWS\\system32\\logon.scr"}));
  // No default value: the class identifier names it; a class that is not there: no entry.
  EXPECT_EQ(run.Commands(S::BHO), (Lines{"Assistant PDF Orvik=C:\\Program Files\\Orvik\\pdfbho.dll",
                                         "{9D02B6E4-1A77-4C3B-8E5F-6B1D0C4A9E22}=C:\\WINDOWS\\system32\\kbarre.dll"}));
  EXPECT_EQ(run.Startup().Name(S::BHO, 2), "");
  EXPECT_EQ(run.Startup().Name(S::BHO, -1), "");
  EXPECT_EQ(run.Startup().Command(S::HKCU_Run, 0), "C:\\WINDOWS\\system32\\ctfmon.exe");
}

TEST(AutoStart, Windows98) {
  StartupRun run("win98se-p3");
  EXPECT_EQ(run.Section(),
            (Lines{"", "Applications démarrées automatiquement", " - ScanRegistry (HKLM)", " - TaskMonitor (HKLM)",
                   " - SystemTray (HKLM)", " - LoadPowerProfile (HKLM)", " - Agenda (HKCU)",
                   " - SchedulingAgent (HKLMServices)", " - Vantor Moniteur (HKLMServices)", " - Agenda (User)",
                   " - Outil de configuration (User)", " - load (WinINI)", " - shell (SystemINI)"}));
  // WIN.INI in the ANSI code page; run= is empty; the commented load and the bare "run"
  // line of SYSTEM.INI are no keys.
  EXPECT_EQ(run.Commands(S::WIN_INI), (Lines{"load=C:\\WINDOWS\\Bureau\\Rappeldéjàvu.exe"}));
  EXPECT_EQ(run.Commands(S::CommonStartup), Lines{});  // no such folder on this system
}

TEST(AutoStart, RefreshingTwiceGivesTheSameLists) {
  StartupRun run("xp-sp2-p4ht");
  run.Section();
  ReportLines first, second;
  run.Startup().WriteReport(first, false);
  run.Startup().Refresh();
  run.Startup().WriteReport(second, false);
  EXPECT_EQ(first, second);
  EXPECT_EQ(run.Startup().Count(S::BHO), 2);
}

// Each case changes the XP machine and looks at one source.
TEST(AutoStart, EdgeCasesOfEachSource) {
  const std::string longTail(300, 'x');
  const struct Case {
    const char* What;
    std::function<void(RecordedMachine&)> Change;
    S Source;
    Lines Expected;
  } kCases[] = {
      {"UserInit without ,,", [](RecordedMachine& m) {
         m.Registry.SetString(RootKey::LocalMachine, kWinLogon, "Userinit", "C:\\WINDOWS\\system32\\userinit.exe,");
       }, S::HKLM_WinLogon, {"Shell=Explorer.exe"}},
      {"UserInit: the text after the first ,, keeps 255 characters", [&](RecordedMachine& m) {
         m.Registry.SetString(RootKey::LocalMachine, kWinLogon, "Userinit", "u.exe,,a,,b" + longTail);
       }, S::HKLM_WinLogon, {"UserInit=" + ("a,,b" + longTail).substr(0, 255), "Shell=Explorer.exe"}},
      {"an empty Shell is still an entry", [](RecordedMachine& m) {
         m.Registry.SetString(RootKey::LocalMachine, kWinLogon, "Shell", "");
       }, S::HKLM_WinLogon, {"UserInit=C:\\Program Files\\Halden\\hlogon.exe /silencieux", "Shell="}},
      {"no Winlogon key", [](RecordedMachine& m) { m.Registry.DeleteKey(RootKey::LocalMachine, kWinLogon); },
       S::HKLM_WinLogon, {}},
      {"BootExecute as a string", [](RecordedMachine& m) {
         m.Registry.SetString(RootKey::LocalMachine, kSessionManager, "BootExecute", "autocheck autochk /p \\??\\C:");
       }, S::HKLM_SessionManager, {"BootExecute=autocheck autochk /p \\??\\C:"}},
      {"BootExecute blank", [](RecordedMachine& m) {
         m.Registry.SetString(RootKey::LocalMachine, kSessionManager, "BootExecute", "  ");
       }, S::HKLM_SessionManager, {}},
      {"BootExecute as an integer", [](RecordedMachine& m) {
         m.Registry.SetDword(RootKey::LocalMachine, kSessionManager, "BootExecute", 16);
       }, S::HKLM_SessionManager, {"BootExecute=16"}},
      {"BootExecute as bytes: up to the first zero byte", [](RecordedMachine& m) {
         m.Registry.SetValue(RootKey::LocalMachine, kSessionManager, "BootExecute", {kRegBinary, {'a', 'b', 0, 'c'}});
       }, S::HKLM_SessionManager, {"BootExecute=ab"}},
      {"BootExecute: an empty multi-string", [](RecordedMachine& m) {
         m.Registry.SetMultiString(RootKey::LocalMachine, kSessionManager, "BootExecute", {});
       }, S::HKLM_SessionManager, {}},
      {"Load blank", [](RecordedMachine& m) {
         m.Registry.SetString(RootKey::CurrentUser, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows", "Load", " ");
       }, S::HKCU_Load, {}},
      {"a Run value that is no string keeps its name", [](RecordedMachine& m) {
         m.Registry.SetDword(RootKey::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Compteur", 3);
       }, S::HKCU_Run, {"ctfmon.exe=C:\\WINDOWS\\system32\\ctfmon.exe", "Compteur="}},
      {"Depend in any letter case is skipped", [](RecordedMachine& m) {
         m.Registry.SetString(RootKey::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx\\DEPEND", "x", "y");
       }, S::HKCU_OnceEx, {"Configuration=regsvr32.exe /skelda.dll"}},
      {"a shortcut's target keeps 259 characters and its arguments 254", [&](RecordedMachine& m) {
         m.ShellLinks.Targets[ToUpperAscii(std::string(kUserStartup) + "\\Outlook.lnk")] = {"C:\\" + longTail, longTail};
       }, S::UserStartup, {"Ancien raccourci= ", "Outlook=C:\\" + longTail.substr(0, 256) + " " + longTail.substr(0, 254)}},
      {"no user Startup folder", [](RecordedMachine& m) { m.ShellFolders.erase(7); }, S::UserStartup, {}},
      {"a Startup folder path ending in a backslash", [](RecordedMachine& m) {
         m.ShellFolders[7] = std::string(kUserStartup) + "\\";
       }, S::UserStartup, {"Ancien raccourci= ", "Outlook=C:\\Program Files\\Outlook Express\\msimn.exe /nosplash"}},
      {"SYSTEM.INI: only run, load, scrnsave.exe and shell; values without blanks and line breaks", [](RecordedMachine& m) {
         m.ProfileFiles.Contents["C:\\WINDOWS\\SYSTEM.INI"] =
             "[boot]\r\nLoad = \" a b.exe \"\r\nRun=\r\nshell=Explorer.exe\r\nmouse.drv=mouse.drv\r\n"
             "scrnsave.exe=x.scr\r\n[BOOT]\r\nrun=second.exe\r\n";
       }, S::SYSTEM_INI, {"Load=ab.exe", "shell=Explorer.exe", "scrnsave.exe=x.scr"}},
      {"WIN.INI: only run and load", [](RecordedMachine& m) {
         m.ProfileFiles.Contents["C:\\WINDOWS\\WIN.INI"] = "[windows]\nrun=r.exe\nload=l.exe\nshell=s.exe\n";
       }, S::WIN_INI, {"run=r.exe", "load=l.exe"}},
      {"no WIN.INI", [](RecordedMachine& m) { m.WindowsDirectoryData = "C:\\NOWHERE"; }, S::WIN_INI, {}},
  };
  for (const Case& c : kCases) {
    StartupRun run("xp-sp2-p4ht");
    c.Change(*run.machine);
    EXPECT_EQ(run.Commands(c.Source), c.Expected) << c.What;
  }
}

TEST(AutoStart, SourceNamesAndReportOrder) {
  // name                 source, in the order the class holds them
  const struct { S Source; const char* Name; } kTable[] = {
      {S::HKCU_Run, "HKCU_Run"}, {S::HKLM_Run, "HKLM_Run"}, {S::HKCU_Once, "HKCU_Once"},
      {S::HKLM_Once, "HKLM_Once"}, {S::HKCU_OnceEx, "HKCU_OnceEx"}, {S::HKLM_OnceEx, "HKLM_OnceEx"},
      {S::HKLM_Services, "HKLM_Services"}, {S::HKLM_ServicesOnce, "HKLM_ServicesOnce"},
      {S::HKCU_Services, "HKCU_Services"}, {S::HKCU_ServicesOnce, "HKCU_ServicesOnce"},
      {S::HKLM_SessionManager, "HKLM_SessionManager"}, {S::HKLM_WinLogon, "HKLM_WinLogon"},
      {S::HKCU_Load, "HKCU_Load"}, {S::UserStartup, "UserStartup"}, {S::CommonStartup, "CommonStartup"},
      {S::WIN_INI, "WIN_INI"}, {S::SYSTEM_INI, "SYSTEM_INI"}, {S::BHO, "BHO"}};
  ASSERT_EQ(std::size(kTable), kStartupSourceCount);
  for (size_t i = 0; i < kStartupSourceCount; ++i) {
    EXPECT_EQ(static_cast<size_t>(kTable[i].Source), i);
    EXPECT_STREQ(TStartup::SourceName(kTable[i].Source), kTable[i].Name);
  }
  const Lines reportOrder = {"UserStartup", "CommonStartup", "HKLM_Run", "HKLM_Once", "HKLM_OnceEx", "HKLM_Services",
                             "HKLM_ServicesOnce", "HKLM_SessionManager", "HKLM_WinLogon", "HKCU_Run", "HKCU_Once",
                             "HKCU_OnceEx", "HKCU_Services", "HKCU_ServicesOnce", "HKCU_Load", "WIN_INI",
                             "SYSTEM_INI", "BHO"};
  Lines names;
  for (S s : TStartup::kReportOrder) names.push_back(TStartup::SourceName(s));
  EXPECT_EQ(names, reportOrder);
}

TEST(AutoStart, ReportBlockOnWindows98) {
  StartupRun run("win98se-p3");
  run.Section();
  ReportLines lines;
  run.Startup().WriteReport(lines, false);
  const ReportLines expected = {
      "<Startup classname=\"TStartup\">",
      "<section name=\"UserStartup\">",
      "<data name=\"Count\" type=\"integer\">2</data>",
      "<data name=\"Agenda\" type=\"string\">C:\\PROGRA~1\\AGENDA\\AGENDA.EXE /icone</data>",
      "<data name=\"Outil de configuration\" type=\"string\">C:\\WINDOWS\\SYSTEM\\CONFIG.EXE </data>",
      "</section>",
      "<section name=\"CommonStartup\">", "<data name=\"Count\" type=\"integer\">0</data>", "</section>",
      "<section name=\"HKLM_Run\">",
      "<data name=\"Count\" type=\"integer\">4</data>",
      "<data name=\"ScanRegistry\" type=\"string\">C:\\WINDOWS\\scanregw.exe /autorun</data>",
      "<data name=\"TaskMonitor\" type=\"string\">C:\\WINDOWS\\taskmon.exe</data>",
      "<data name=\"SystemTray\" type=\"string\">SysTray.Exe</data>",
      "<data name=\"LoadPowerProfile\" type=\"string\">Rundll32.exe powrprof.dll,LoadCurrentPwrScheme</data>",
      "</section>",
      "<section name=\"HKLM_Once\">", "<data name=\"Count\" type=\"integer\">0</data>", "</section>",
      "<section name=\"HKLM_OnceEx\">", "<data name=\"Count\" type=\"integer\">0</data>", "</section>",
      "<section name=\"HKLM_Services\">",
      "<data name=\"Count\" type=\"integer\">2</data>",
      "<data name=\"SchedulingAgent\" type=\"string\">mstask.exe</data>",
      "<data name=\"Vantor Moniteur\" type=\"string\">C:\\WINDOWS\\SYSTEM\\VMON.EXE</data>",
      "</section>",
      "<section name=\"HKLM_ServicesOnce\">", "<data name=\"Count\" type=\"integer\">0</data>", "</section>",
      "<section name=\"HKLM_SessionManager\">", "<data name=\"Count\" type=\"integer\">0</data>", "</section>",
      "<section name=\"HKLM_WinLogon\">", "<data name=\"Count\" type=\"integer\">0</data>", "</section>",
      "<section name=\"HKCU_Run\">",
      "<data name=\"Count\" type=\"integer\">1</data>",
      "<data name=\"Agenda\" type=\"string\">C:\\Program Files\\Agenda\\rappels.exe</data>",
      "</section>",
      "<section name=\"HKCU_Once\">", "<data name=\"Count\" type=\"integer\">0</data>", "</section>",
      "<section name=\"HKCU_OnceEx\">", "<data name=\"Count\" type=\"integer\">0</data>", "</section>",
      "<section name=\"HKCU_Services\">", "<data name=\"Count\" type=\"integer\">0</data>", "</section>",
      "<section name=\"HKCU_ServicesOnce\">", "<data name=\"Count\" type=\"integer\">0</data>", "</section>",
      "<section name=\"HKCU_Load\">", "<data name=\"Count\" type=\"integer\">0</data>", "</section>",
      "<section name=\"WIN_INI\">",
      "<data name=\"Count\" type=\"integer\">1</data>",
      "<data name=\"load\" type=\"string\">C:\\WINDOWS\\Bureau\\Rappeld&#233;j&#224;vu.exe</data>",
      "</section>",
      "<section name=\"SYSTEM_INI\">",
      "<data name=\"Count\" type=\"integer\">1</data>",
      "<data name=\"shell\" type=\"string\">Explorer.exe</data>",
      "</section>",
      "<section name=\"BHO\">", "<data name=\"Count\" type=\"integer\">0</data>", "</section>",
      "</Startup>"};
  EXPECT_EQ(lines, expected);
}

TEST(AutoStart, EntryNamesAreEscapedInTheReport) {
  StartupRun run("win98se-p3");
  run.machine->Registry.SetString(RootKey::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                                  "A<\"&\"", "x>y");
  run.Section();
  ReportLines lines;
  run.Startup().WriteReport(lines, false);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "<data name=\"A&lt;&quot;&amp;&quot;\" type=\"string\">x&gt;y</data>"),
            lines.end());
}

TEST(ShortcutSection, UnknownKeysAreErrors) {
  RecordedMachine m;
  ApplyMachineIni(m, "[shortcut:C:\\a.lnk]\nTarget=C:\\b.exe\nArguments=-x\n", "machine.ini");
  auto t = m.ShellLinks.Resolve("c:\\A.LNK");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->Path, "C:\\b.exe");
  EXPECT_EQ(t->Arguments, "-x");
  EXPECT_FALSE(m.ShellLinks.Resolve("C:\\other.lnk"));
  try {
    ApplyMachineIni(m, "[shortcut:C:\\a.lnk]\nTarget=x\nWorkingDirectory=C:\\\n", "machine.ini");
    FAIL() << "no error";
  } catch (const LoadError& e) {
    EXPECT_EQ(e.Line(), 3);
  }
}

}  // namespace
}  // namespace kestrova
