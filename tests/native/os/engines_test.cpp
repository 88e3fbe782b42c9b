// TEngines, TDirectX, TASPI32 and the five runtime sections on the recorded machines, and
// their edge cases on small built machines.
#include <gtest/gtest.h>

#include "engine/core/context.h"
#include "engine/core/system_info.h"
#include "engine/os/engines.h"
#include "engine/platform/recorded/recorded_machine.h"
#include "sections/engines_sections.h"
#include "../app/fake_host.h"

namespace kestrova {
namespace {

std::string MachineDir(const char* name) { return std::string(KESTROVA_FIXTURES) + "/machines/" + name; }

std::vector<std::string> RuntimeSections(RecordedMachine& machine) {
  const EngineContext context = MakeEngineContext(machine.View());
  TSystemInfo engine(context);
  MemoryLog log;
  kestrova::testing::FakeHost host;
  RunFlags flags;
  SectionContext ctx{engine, log, host, flags};
  for (const SectionWriter* w : {&kAspiWriter, &kDirectXWriter, &kOpenGLWriter, &kInternetWriter, &kDatabasesWriter})
    RunSection(*w, ctx);
  EXPECT_EQ(log.UpdateDepth(), 0);
  return log.Texts();
}

TEST(RuntimeSections, WindowsXp) {
  auto machine = LoadRecordedMachine(MachineDir("xp-sp2-p4ht"));
  EXPECT_EQ(RuntimeSections(*machine),
            (std::vector<std::string>{
                "", "ASPI", " - Version : 4.71 (0001)",
                "", "DirectX", " - Version : 4.09.00.0904",
                "", "OpenGL", " - Version : 5.1.2600.2180 (xpsp_sp2_rtm.040803-2158)",
                "", "Internet", " - Version IE : 6.0.2900.2180 (SP2)", " - Version NET : 1.1.4322.2032",
                "", "Moteurs Bases de données", " - ADO : 2.81", " - DAO : 3.6", " - BDE : ",
                " - ODBC : 3.525.1117.0 (xpsp_sp2_rtm.040803-2158)"}));
}

TEST(RuntimeSections, Windows98) {
  auto machine = LoadRecordedMachine(MachineDir("win98se-p3"));
  EXPECT_EQ(RuntimeSections(*machine),
            (std::vector<std::string>{
                "", "ASPI", " - Version : 4.60 (1021)",
                "", "DirectX", " - Version : 4.06.03.0518",
                "", "OpenGL", " - Version : 4.10.2222",
                "", "Internet", " - Version IE : 5.00.2614.3500 ()", " - Version NET : ",
                "", "Moteurs Bases de données", " - ADO : 2.1", " - DAO : 3.51", " - BDE : 5.1.1.1",
                " - ODBC : 3.520.4403.2"}));
}

struct Engines {
  explicit Engines(const char* name) : machine(LoadRecordedMachine(MachineDir(name))) {}
  TEngines& Make() {
    context = MakeEngineContext(machine->View());
    engines = std::make_unique<TEngines>(context);
    return *engines;
  }
  void SetString(const std::string& key, const std::string& name, const std::string& text) {
    machine->Registry.SetString(RootKey::LocalMachine, key, name, text);
  }
  std::unique_ptr<RecordedMachine> machine;
  EngineContext context;
  std::unique_ptr<TEngines> engines;
};

TEST(Engines, InternetExplorerMinorVersions) {
  const std::pair<std::string, std::string> cases[] = {
      {";SP2;", "6.0.2900.2180 (SP2)"},
      {"SP1;Q867801", "6.0.2900.2180 (SP1,Q867801)"},
      {"   ", "6.0.2900.2180 ()"},
      {"a b;;c", "6.0.2900.2180 (a,b,c)"},
      {"\"x y\";z", "6.0.2900.2180 (\"x y\",z)"},
  };
  for (const auto& c : cases) {
    Engines e("xp-sp2-p4ht");
    e.SetString("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", "MinorVersion", c.first);
    TEngines& engines = e.Make();
    engines.Refresh();
    EXPECT_EQ(engines.IE(), c.second) << c.first;
  }
}

TEST(Engines, InternetExplorerFromTheBrowserOrNothing) {
  // No Internet Explorer key: the default browser's file version, when it is iexplore.exe.
  Engines e("xp-sp2-p4ht");
  e.machine->Registry.DeleteKey(RootKey::LocalMachine, "SOFTWARE\\Microsoft\\Internet Explorer");
  e.machine->VersionResources["C:\\PROGRAM FILES\\INTERNET EXPLORER\\IEXPLORE.EXE"] =
      e.machine->VersionResources["C:\\WINDOWS\\SYSTEM32\\OPENGL32.DLL"];
  TEngines& engines = e.Make();
  engines.Refresh();
  EXPECT_EQ(engines.IE(), "5.1.2600.2180 (xpsp_sp2_rtm.040803-2158)");
  // A browser of another name is not asked.
  e.machine->Registry.SetString(RootKey::ClassesRoot, "htmlfile\\shell\\open\\command", "",
                                "C:\\WINDOWS\\system32\\opengl32.dll");
  engines.Refresh();
  EXPECT_EQ(engines.IE(), "");
}

TEST(Engines, OdbcKeyWithoutItsValueKeepsTheEarlierVersion) {
  Engines e("xp-sp2-p4ht");
  TEngines& engines = e.Make();
  engines.Refresh();
  ASSERT_EQ(engines.ODBC(), "3.525.1117.0 (xpsp_sp2_rtm.040803-2158)");
  e.machine->Registry.DeleteValue(RootKey::LocalMachine, "SOFTWARE\\ODBC\\ODBCINST.INI\\ODBC Core\\FileList", "ODBC32.DLL");
  engines.Refresh();
  EXPECT_EQ(engines.ODBC(), "3.525.1117.0 (xpsp_sp2_rtm.040803-2158)");
}

TEST(Engines, NoDirectXKeyKeepsTheVersionAndRebuildsTheLists) {
  Engines e("xp-sp2-p4ht");
  TEngines& engines = e.Make();
  engines.Refresh();
  EXPECT_EQ(engines.DirectX().Direct3D(), (std::vector<std::string>{"Émulation Rampe", "Émulation RVB"}));
  EXPECT_EQ(engines.DirectX().DirectPlay(),
            (std::vector<std::string>{"Connexion IPX pour DirectPlay", "Connexion Internet TCP/IP pour DirectPlay"}));
  EXPECT_EQ(engines.DirectX().DirectMusic(), std::vector<std::string>{"Synthétiseur logiciel"});
  e.machine->Registry.DeleteKey(RootKey::LocalMachine, "SOFTWARE\\Microsoft\\DirectX");
  e.machine->Registry.DeleteKey(RootKey::LocalMachine, "SOFTWARE\\Microsoft\\Direct3D\\Drivers\\Ramp");
  engines.Refresh();
  EXPECT_EQ(engines.DirectX().Version(), "4.09.00.0904");
  EXPECT_EQ(engines.DirectX().Direct3D(), std::vector<std::string>{"Émulation RVB"});
}

TEST(Engines, DirectXInstalledVersionWhenNoVersionText) {
  const std::pair<std::vector<uint8_t>, std::string> cases[] = {
      {{0, 0, 0, 4, 0, 0, 0, 9}, "4.09"}, {{0, 0, 0, 9, 0, 0, 0, 0}, "9.00"}, {{5, 2}, "5.02"},
      {{7}, "7.00"}, {{1, 0, 0, 0, 2}, "1.02"}, {{}, ""}, {std::vector<uint8_t>(9, 1), ""}};
  for (const auto& c : cases) EXPECT_EQ(DirectXInstalledVersionText(c.first), c.second);
  Engines e("xp-sp2-p4ht");
  e.machine->Registry.DeleteValue(RootKey::LocalMachine, "SOFTWARE\\Microsoft\\DirectX", "Version");
  TEngines& engines = e.Make();
  engines.Refresh();
  EXPECT_EQ(engines.DirectX().Version(), "9.00");
}

TEST(Engines, DaoTriesItsThreeNamesAndKeepsTheEarlierVersion) {
  Engines e("xp-sp2-p4ht");
  TEngines& engines = e.Make();
  engines.Refresh();
  ASSERT_EQ(engines.DAO(), "3.6");
  e.machine->Runtimes.Objects = {{"DAO.DBEngine", {{"Version", "3.0"}}}, {"DAO.DBEngine.35", {{"Version", "3.51"}}}};
  engines.Refresh();
  EXPECT_EQ(engines.DAO(), "3.51");
  e.machine->Runtimes.Objects = {{"dao.dbengine", {{"Version", "3.0"}}}};
  engines.Refresh();
  EXPECT_EQ(engines.DAO(), "3.0");
  e.machine->Runtimes.Objects.clear();
  engines.Refresh();
  EXPECT_EQ(engines.DAO(), "3.0");
  EXPECT_EQ(engines.ADO(), "2.81");
}

TEST(Aspi, DevicesOfTheXpMachineAndItsReport) {
  Engines e("xp-sp2-p4ht");
  TEngines& engines = e.Make();
  engines.Refresh();
  const auto& devices = engines.ASPI32().Devices();
  ASSERT_EQ(devices.size(), 2u);
  EXPECT_EQ(devices[0].Vendor, "IBM");
  EXPECT_EQ(devices[0].Product, "DDYS-T36950N");
  EXPECT_EQ(devices[0].Revision, "S96H");
  EXPECT_EQ(devices[0].VendorSpecific, "1230 0217FA58");
  EXPECT_EQ(devices[1].Target, "3");
  EXPECT_EQ(devices[1].DeviceType, "5");
  EXPECT_EQ(devices[1].Status, "1");  // INQUIRY's status replaces TEST UNIT READY's 4
  ReportLines lines;
  engines.WriteReport(lines, false);
  const std::vector<std::string> aspi(lines.end() - 21, lines.end() - 1);
  EXPECT_EQ(aspi, (std::vector<std::string>{
                      "<ASPI32 classname=\"TASPI32\">", "<data name=\"Version\" type=\"string\">4.71 (0001)</data>",
                      "<section name=\"Device_0\">", "<data name=\"Vendor\" type=\"string\">IBM</data>",
                      "<data name=\"Product\" type=\"string\">DDYS-T36950N</data>",
                      "<data name=\"Revision\" type=\"string\">S96H</data>",
                      "<data name=\"Adapter\" type=\"string\">0</data>", "<data name=\"ID\" type=\"string\">0</data>",
                      "<data name=\"Type\" type=\"string\">0</data>", "<data name=\"Status\" type=\"string\">1</data>",
                      "</section>", "<section name=\"Device_1\">",
                      "<data name=\"Vendor\" type=\"string\">PLEXTOR</data>",
                      "<data name=\"Product\" type=\"string\">CD-ROM PX-40TS</data>",
                      "<data name=\"Revision\" type=\"string\">1.01</data>",
                      "<data name=\"Adapter\" type=\"string\">0</data>", "<data name=\"ID\" type=\"string\">3</data>",
                      "<data name=\"Type\" type=\"string\">5</data>", "<data name=\"Status\" type=\"string\">1</data>",
                      "</section>"}));
  EXPECT_EQ(lines.back(), "</ASPI32>");
}

TEST(Aspi, EdgeCasesOfTheDeviceScan) {
  Engines e("win98se-p3");
  RecordedRuntimes& aspi = e.machine->Runtimes;
  aspi.ScsiDevices.push_back({0, 5, 1, kAspiComplete, kAspiComplete, true, "NEVER", "ANSWERS", "", ""});
  aspi.ScsiDevices.push_back({0, 6, 0, kAspiComplete, 4, false, "FAILS", "INQUIRY", "1.0", ""});
  aspi.ScsiDevices.push_back({1, 0, 0, kAspiComplete, kAspiComplete, false, "BEHIND", "SILENT ADAPTER", "", ""});
  TEngines& engines = e.Make();
  engines.Refresh();
  const auto& devices = engines.ASPI32().Devices();
  ASSERT_EQ(devices.size(), 4u);  // the device on adapter 1 is not reached: that adapter fails
  EXPECT_EQ(devices[2].Target, "5");
  EXPECT_EQ(devices[2].Status, "2");  // given up on and aborted
  EXPECT_EQ(devices[2].Vendor, "");
  EXPECT_EQ(devices[3].Status, "4");
  EXPECT_EQ(devices[3].Vendor, "");
  EXPECT_EQ(devices[3].Product, "");
  EXPECT_EQ(devices[3].Revision, "");
  ASSERT_FALSE(aspi.Waits.empty());
  for (uint32_t w : aspi.Waits) EXPECT_LE(w, 5000u);

  // Without events nothing is sent: the entries stay empty.
  aspi.EventsFail = true;
  engines.Refresh();
  ASSERT_EQ(engines.ASPI32().Devices().size(), 4u);
  EXPECT_EQ(engines.ASPI32().Devices()[0].Status, "");
  EXPECT_EQ(engines.ASPI32().Devices()[0].DeviceType, "0");

  // A layer that answers with another status: no devices, no version.
  aspi.AspiStatus = 0xE8;
  engines.Refresh();
  EXPECT_TRUE(engines.ASPI32().Devices().empty());
  EXPECT_EQ(engines.ASPI32().ASPI(), "");
}

}  // namespace
}  // namespace kestrova
