// TPrinters, its printer layer and the "Imprimantes" section: both families on the
// recorded machines, the port-list split, ports from the registry on NT, the default.
#include <gtest/gtest.h>

#include "engine/core/context.h"
#include "engine/core/system_info.h"
#include "engine/inventory/printers.h"
#include "engine/platform/recorded/recorded_machine.h"
#include "sections/printers_section.h"
#include "../app/fake_host.h"

namespace kestrova {
namespace {

using Strings = std::vector<std::string>;

std::string MachineDir(const char* name) { return std::string(KESTROVA_FIXTURES) + "/machines/" + name; }

TEST(PortList, SplitsAtCommasAsTheSpoolerWritesThem) {
  const struct { const char* In; Strings Out; } cases[] = {
      {"LPT1:", {"LPT1:"}},
      {"LPT1:,FILE:", {"LPT1:", "FILE:"}},
      {"LPT1:, FILE:", {"LPT1:", "FILE:"}},   // blanks before a port are skipped
      {"LPT1: ,FILE:", {"LPT1: ", "FILE:"}},  // blanks after it are not
      {"LPT1:,", {"LPT1:"}},                  // nothing after a final comma
      {"A,,B", {"A", "", "B"}},
      {",A", {"", "A"}},
      {"  ", {""}},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitPortList(c.In), c.Out) << '"' << c.In << '"';
  EXPECT_EQ(SplitPortList(std::string("A,B\0C", 5)), (Strings{"A", "B"}));  // a NUL ends the list
}

// A machine of the NT or the 9x family with the given printers.
struct Spooled {
  explicit Spooled(bool nt) {
    machine.VersionData.PlatformId = nt ? 2 : 1;
    machine.VersionData.MajorVersion = nt ? 5 : 4;
    machine.VersionData.MinorVersion = nt ? 1 : 10;
    machine.VersionData.BuildNumber = nt ? 2600 : 0x040A08AE;
    if (!nt) machine.Spooler.Levels = {1, 2, 5};
  }
  void Add(const std::string& name, const std::string& ports, bool connection = false) {
    machine.Spooler.Printers.push_back({name, ports, connection, 0});
  }
  void Port(const std::string& key, const std::string& port) {
    machine.Registry.SetString(RootKey::LocalMachine, std::string(TPrinters::kPrintersKey) + key, "Port", port);
  }
  TPrinters& Refresh() {
    context = MakeEngineContext(machine.View());
    printers = std::make_unique<TPrinters>(context);
    printers->Refresh();
    return *printers;
  }
  RecordedMachine machine;
  EngineContext context;
  std::unique_ptr<TPrinters> printers;
};

TEST(PrintersNT, PortsComeFromTheRegistryUnderTheCommaName) {
  Spooled s(true);
  s.Add("Laser", "LPT1:");
  s.Add("\\\\SRV\\Couleur", "", true);
  s.Add("Sans clé", "COM1:");
  s.Port("Laser", "LPT2:");  // the registry wins over what the spooler would say
  s.Port(",,SRV,Couleur", "Ne01:");
  s.machine.Spooler.Default = "laser";
  TPrinters& p = s.Refresh();
  EXPECT_EQ(p.Names(), (Strings{"Laser", "\\\\SRV\\Couleur", "Sans clé"}));
  EXPECT_EQ(p.Ports(), (Strings{"LPT2:", "Ne01:", ""}));  // a missing key: still listed, empty port
  EXPECT_EQ(p.DefaultIndex(), 0);                        // letter case ignored
}

TEST(PrintersNT, LevelFourOfLocalPrintersAndConnections) {
  Spooled s(true);
  s.Add("Laser", "LPT1:");
  s.Add("\\\\SRV\\Couleur", "", true);
  s.machine.Spooler.Levels = {1, 2, 5};  // a spooler without level 4 gives no printer
  EXPECT_TRUE(s.Refresh().Names().empty());
  s.machine.Spooler.Levels = {4};
  EXPECT_EQ(s.Refresh().Names().size(), 2u);
}

TEST(Printers9x, OneDevicePerPortAtLevelFiveOfLocalPrinters) {
  Spooled s(false);
  s.Add("Epson", "LPT1:,FILE:");
  s.Add("\\\\SRV\\Couleur", "\\\\SRV\\Couleur", true);  // connections are not enumerated here
  s.Add("Jet", "COM2:");
  s.Port("Jet", "LPT3:");  // the registry is not read on this family
  s.machine.Spooler.Default = "Jet";
  TPrinters& p = s.Refresh();
  EXPECT_EQ(p.Names(), (Strings{"Epson", "Epson", "Jet"}));
  EXPECT_EQ(p.Ports(), (Strings{"LPT1:", "FILE:", "COM2:"}));
  EXPECT_EQ(p.DefaultIndex(), 2);
  s.machine.Spooler.Levels = {1, 2, 4};
  EXPECT_TRUE(s.Refresh().Names().empty());
}

TEST(PrintersDefault, MinusOneWithoutADefaultOrWhenItIsNotListed) {
  Spooled s(true);
  s.Add("Laser", "LPT1:");
  EXPECT_EQ(s.Refresh().DefaultIndex(), -1);
  EXPECT_EQ(s.printers->Names().size(), 1u);  // the list stays
  s.machine.Spooler.Default = "Ailleurs";
  EXPECT_EQ(s.Refresh().DefaultIndex(), -1);
  s.machine.Spooler.Default = "LASER";
  EXPECT_EQ(s.Refresh().DefaultIndex(), 0);
}

TEST(PrintersRefresh, AsksTheSpoolerAgainAndCutsLongNames) {
  Spooled s(false);
  s.Add("Epson", "LPT1:");
  TPrinters& p = s.Refresh();
  EXPECT_EQ(p.Names().size(), 1u);
  s.Add(std::string(300, 'x'), "LPT2:");  // added while the program runs
  p.Refresh();
  ASSERT_EQ(p.Names().size(), 2u);
  EXPECT_EQ(p.Names()[1], std::string(260, 'x'));  // the device name buffer's length
  s.machine.Spooler.Fails = true;
  p.Refresh();
  EXPECT_TRUE(p.Names().empty());
  EXPECT_TRUE(p.Ports().empty());
  EXPECT_EQ(p.DefaultIndex(), -1);
}

TEST(PrintersLayer, DisplayTextsAndSelection) {
  Spooled nt(true);
  nt.Add("Laser", "LPT1:");
  nt.Refresh();
  TPrinterLayer ntLayer(nt.context);
  ASSERT_EQ(ntLayer.Devices().size(), 1u);
  EXPECT_EQ(ntLayer.Devices()[0].DisplayText, "Laser");
  EXPECT_EQ(ntLayer.Devices()[0].Port, "");
  EXPECT_THROW(ntLayer.Select(1), std::out_of_range);
  EXPECT_THROW(ntLayer.Select(-1), std::out_of_range);  // no default
  nt.Add("Jet", "LPT2:");
  EXPECT_EQ(ntLayer.Devices().size(), 1u);  // kept until rebuilt
  ntLayer.Rebuild();
  EXPECT_EQ(ntLayer.Devices().size(), 2u);

  Spooled x(false);
  x.Add("Epson", "LPT1:,FILE:");
  x.Refresh();
  TPrinterLayer layer(x.context);
  ASSERT_EQ(layer.Devices().size(), 2u);
  EXPECT_EQ(layer.Devices()[1].DisplayText, "Epson sur FILE:");
  EXPECT_EQ(layer.Select(1).Port, "FILE:");
}

// --- the recorded machines ----------------------------------------------------------------

struct PrinterRun {
  explicit PrinterRun(const char* name)
      : machine(LoadRecordedMachine(MachineDir(name))), context(MakeEngineContext(machine->View())),
        engine(context) {}
  Strings Section() {
    testing::FakeHost host;
    host.TickOnly({"Imprimantes"});
    RunFlags flags;
    MemoryLog log;
    SectionContext ctx{engine, log, host, flags};
    RunSection(kPrintersWriter, ctx);
    EXPECT_EQ(log.UpdateDepth(), 0);
    return log.Texts();
  }
  ReportLines Block() {
    ReportLines lines;
    engine.Get(TSystemInfo::Member::Printers)->WriteReport(lines, false);
    return lines;
  }
  TPrinters& Printers() { return *engine.As<TPrinters>(TSystemInfo::Member::Printers); }
  std::unique_ptr<RecordedMachine> machine;
  EngineContext context;
  TSystemInfo engine;
};

TEST(PrintersSection, WindowsXpLocalPrinterAndConnection) {
  PrinterRun run("xp-sp2-p4ht");
  EXPECT_EQ(run.Section(), (Strings{"", "Imprimantes", " - Imprimante #00 : HP LaserJet 4050 Series PCL 6",
                                    " - Imprimante #01 : \\\\SERVEUR\\Canon iR2200"}));
  EXPECT_EQ(run.Printers().Ports(), (Strings{"LPT1:", "IP_192.168.1.20"}));
  EXPECT_EQ(run.Printers().DefaultIndex(), 1);
  EXPECT_EQ(run.Block(), (Strings{"<Printers classname=\"TPrinters\">",
                                  "<data name=\"Count\" type=\"integer\">2</data>",
                                  "<data name=\"HP LaserJet 4050 Series PCL 6\" type=\"string\">LPT1:</data>",
                                  "<data name=\"\\\\SERVEUR\\Canon iR2200 (Default)\" type=\"string\">IP_192.168.1.20</data>",
                                  "</Printers>"}));
}

TEST(PrintersSection, Windows98PrinterOnTwoPortsIsListedTwice) {
  PrinterRun run("win98se-p3");
  EXPECT_EQ(run.Section(), (Strings{"", "Imprimantes", " - Imprimante #00 : Epson Stylus Color 740",
                                    " - Imprimante #01 : Epson Stylus Color 740"}));
  EXPECT_EQ(run.Printers().Ports(), (Strings{"LPT1:", "FILE:"}));
  EXPECT_EQ(run.Printers().DefaultIndex(), 0);
  EXPECT_EQ(run.Block(), (Strings{"<Printers classname=\"TPrinters\">",
                                  "<data name=\"Count\" type=\"integer\">2</data>",
                                  "<data name=\"Epson Stylus Color 740 (Default)\" type=\"string\">LPT1:</data>",
                                  "<data name=\"Epson Stylus Color 740\" type=\"string\">FILE:</data>",
                                  "</Printers>"}));
}

TEST(PrintersSection, NoPrinterWritesOnlyTheHeadingAndEscapesNames) {
  Spooled s(true);
  EngineContext context = MakeEngineContext(s.machine.View());
  TSystemInfo engine(context);
  testing::FakeHost host;
  RunFlags flags;
  MemoryLog log;
  SectionContext ctx{engine, log, host, flags};
  RunSection(kPrintersWriter, ctx);
  EXPECT_EQ(log.Texts(), (Strings{"", "Imprimantes"}));

  s.Add("R&D <Étage 2>", "");
  s.Port("R&D <Étage 2>", "LPT1:");
  s.machine.Spooler.Default = "R&D <Étage 2>";
  s.Refresh();
  ReportLines lines;
  s.printers->WriteReport(lines, false);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[2], "<data name=\"R&amp;D &lt;&#201;tage 2&gt; (Default)\" type=\"string\">LPT1:</data>");
}

}  // namespace
}  // namespace kestrova
