// TMedia, TMemory with TResources, TAPM and their sections ("Multimédia", "Mémoire",
// "APM - Gestion avancée de l'énergie") on the recorded machines and variations of them.
#include <gtest/gtest.h>

#include <stdexcept>

#include "engine/os/apm.h"
#include "engine/os/media.h"
#include "engine/os/memory.h"
#include "sections/apm_section.h"
#include "sections/console_report.h"
#include "sections/media_memory_sections.h"
#include "tests/native/os/section_run.h"

namespace kestrova {
namespace {

using testing::SectionRun;
using M = TSystemInfo::Member;

// --- Multimédia -----------------------------------------------------------------------------

TEST(MultimediaSection, WindowsXpLineByLine) {
  SectionRun run("xp-sp2-p4ht");
  const std::vector<std::string> expected = {
      "",
      "Multimédia",
      " - Périphérique #00 : Contrôleur audio AC'97 Intel(R) 82801EB",
      " - Auxiliaire #00 : CD Audio v5.10",
      " - MIDI Out #00 : Synthétiseur SW table de sons GS v5.0",  // name cut to 32 characters
      " - Mixer #00 : Intel(r) Audio AC'97 v5.10",
      " - Wave In #00 : Intel(r) Audio AC'97 v5.10",  // the second number does not answer
      " - Wave Out #00 : Intel(r) Audio AC'97 v5.10",  // two identical devices, one entry
  };
  EXPECT_EQ(run.Run(kMultimediaWriter), expected);
  auto& media = run.Member<TMedia>(M::Media);
  EXPECT_EQ(media.SoundCardIndex(), 0);
  EXPECT_EQ(media.GamePortIndex(), -1);
  EXPECT_TRUE(media.MIDIIn().empty());
}

TEST(MultimediaDevices, ListsAreKeptAcrossRefreshesWithoutRepeats) {
  SectionRun run("xp-sp2-p4ht");
  auto& media = run.Member<TMedia>(M::Media);
  media.Refresh();
  auto& waveOut = run.machine->Multimedia.Devices[static_cast<size_t>(MediaKind::WaveOut)];
  waveOut.clear();  // gone at the next refresh: the entry stays
  waveOut.push_back(MediaCaps{"USB Audio", 0x0105});
  media.Refresh();
  media.Refresh();
  EXPECT_EQ(media.WAVEOut(), (std::vector<std::string>{"Intel(r) Audio AC'97 v5.10", "USB Audio v1.5"}));
}

TEST(MultimediaDevices, VersionTextAndNameLength) {
  EXPECT_EQ(MediaDeviceText({"Wave", 0x0105}), "Wave v1.5");
  EXPECT_EQ(MediaDeviceText({"Wave", 0xABCD0A00}), "Wave v10.0");  // only the low word counts
  EXPECT_EQ(MediaDeviceText({"", 0}), " v0.0");
  EXPECT_EQ(MediaDeviceText({std::string(40, 'x'), 0x0001}), std::string(32, 'x') + " v0.1");
}

TEST(MultimediaDevices, GamePortAndSoundCardIndexes) {
  SectionRun run("xp-sp2-p4ht");
  auto& reg = run.machine->Registry;
  // A game port before the sound card (device keys list in name order), then a second
  // media device without a location.
  const std::string game = "\\SYSTEM\\CurrentControlSet\\Enum\\PCI\\VEN_0000&DEV_GAME\\1";
  reg.SetString(RootKey::LocalMachine, game, "DeviceDesc", "Port jeu standard");
  reg.SetString(RootKey::LocalMachine, game, "FriendlyName", "Gameport Joystick");
  reg.SetString(RootKey::LocalMachine, game, "ClassGUID", "{4D36E96C-E325-11CE-BFC1-08002BE10318}");
  reg.SetString(RootKey::LocalMachine, game, "LocationInformation", "PCI bus 0, device 5, function 1");
  reg.CreateKey(RootKey::LocalMachine, game + "\\Control");
  const std::string modem = "\\SYSTEM\\CurrentControlSet\\Enum\\ROOT\\MEDIA\\0000";
  reg.SetString(RootKey::LocalMachine, modem, "DeviceDesc", "Codecs audio");
  reg.SetString(RootKey::LocalMachine, modem, "ClassGUID", "{4D36E96C-E325-11CE-BFC1-08002BE10318}");
  reg.CreateKey(RootKey::LocalMachine, modem + "\\Control");
  auto& media = run.Member<TMedia>(M::Media);
  ASSERT_EQ(media.Devices().size(), 3u);
  EXPECT_EQ(media.Devices()[0], "Gameport Joystick");
  EXPECT_EQ(media.GamePortIndex(), 0);
  EXPECT_EQ(media.SoundCardIndex(), 1);  // the first with a location that is no game port
}

TEST(MultimediaReport, Block) {
  SectionRun run("win98se-p3");
  run.Member<TMedia>(M::Media).Refresh();
  const ReportLines expected = {
      "<Media classname=\"TMedia\">",
      "<data name=\"SoundCardDeviceIndex\" type=\"integer\">-1</data>",  // no location on this 98
      "<data name=\"GamePortDeviceIndex\" type=\"integer\">-1</data>",
      "<section name=\"Devices\">",
      "<data name=\"Count\" type=\"integer\">1</data>",
      "<data name=\"Device[0]\" type=\"string\">Contr&#244;leur audio AC&apos;97 Intel(r) 82801BA</data>",
      "</section>",
      "<section name=\"WAVE\">",
      "<data name=\"WaveInCount\" type=\"integer\">1</data>",
      "<data name=\"WaveIn[0]\" type=\"string\">Intel(r) 82801BA AC&apos;97 Audio v4.0</data>",
      "<data name=\"WaveOutCount\" type=\"integer\">1</data>",
      "<data name=\"WaveOut[0]\" type=\"string\">Intel(r) 82801BA AC&apos;97 Audio v4.0</data>",
      "</section>",
      "<section name=\"MIDI\">",
      "<data name=\"MIDIInCount\" type=\"integer\">0</data>",
      "<data name=\"MIDIOutCount\" type=\"integer\">1</data>",
      "<data name=\"MIDIOut[0]\" type=\"string\">Synth&#233;. de table de sons MS v4.0</data>",
      "</section>",
      "<section name=\"AUX\">",
      "<data name=\"AUXCount\" type=\"integer\">1</data>",
      "<data name=\"AUX[0]\" type=\"string\">CD Audio v4.0</data>",
      "</section>",
      "<section name=\"Mixer\">",
      "<data name=\"MixerCount\" type=\"integer\">1</data>",
      "<data name=\"Mixer[0]\" type=\"string\">Intel(r) 82801BA AC&apos;97 Audio v4.0</data>",
      "</section>",
      "</Media>",
  };
  EXPECT_EQ(run.Report(M::Media), expected);
}

// --- Mémoire ---------------------------------------------------------------------------------

TEST(MemorySection, WindowsXpWritesTheLoad) {
  SectionRun run("xp-sp2-p4ht");
  EXPECT_EQ(run.Run(kMemoryWriter), (std::vector<std::string>{
                                        "",
                                        "Mémoire",
                                        " - Mémoire physique totale : 511,48 MO",
                                        " - Mémoire physique libre : 288,00 MO",
                                        " - Mémoire virtuelle totale : 2,00 GO",
                                        " - Mémoire virtuelle libre : 1,96 GO",
                                        " - Charge mémoire : 43",
                                    }));
  EXPECT_EQ(run.Member<TMemory>(M::Memory).Resources().GDI(), TResources::kNTValue);
  EXPECT_TRUE(run.machine->Gate16.Journal.empty());
}

TEST(MemorySection, Windows98WritesTheResourcesThroughTheGateOnce) {
  SectionRun run("win98se-p3");
  EXPECT_EQ(run.Run(kMemoryWriter), (std::vector<std::string>{
                                        "",
                                        "Mémoire",
                                        " - Mémoire physique totale : 127,48 MO",
                                        " - Mémoire physique libre : 39,32 MO",
                                        " - Mémoire virtuelle totale : 2,00 GO",
                                        " - Mémoire virtuelle libre : 1,96 GO",
                                        " - Ressources GDI : 85",
                                        " - Ressources Système : 78",
                                        " - Ressources User : 81",
                                    }));
  run.Member<TMemory>(M::Memory).Refresh();
  // The module and routine are looked up at the first query only; system, user, GDI.
  EXPECT_EQ(run.machine->Gate16.Journal,
            (std::vector<std::string>{"load user.exe", "free", "address GetFreeSystemResources", "call 0", "call 2",
                                      "call 1", "call 0", "call 2", "call 1"}));
}

TEST(MemorySection, Windows98WithoutTheModuleOrRoutineEndsWithTheErrorText) {
  for (bool moduleLoads : {false, true}) {
    SectionRun run("win98se-p3");
    run.machine->Gate16.UserModuleLoads = moduleLoads;
    run.machine->Gate16.FreeResourcesExported = false;
    try {
      run.Run(kMemoryWriter);
      ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), moduleLoads ? "Can't get address of GetFreeSystemResources" : "Can't load USER.EXE!");
    }
    // The heading came before the refresh; the bracket was closed however it ended.
    EXPECT_EQ(run.log.Texts(), (std::vector<std::string>{"", "Mémoire"}));
    EXPECT_EQ(run.log.UpdateDepth(), 0);
  }
}

TEST(MemorySection, TheConsoleReportKeepsTheLinesBeforeTheErrorThatEndsTheRun) {
  SectionRun run("win98se-p3");
  run.machine->Gate16.UserModuleLoads = false;
  CategoryRows rows = MakeCategoryRows();
  UntickAll(rows);
  for (const char* caption : {"Mémoire", "APM - Gestion avancée de l'énergie"})
    rows[*FindCategoryRow(rows, caption)].Ticked = true;
  std::string error;
  const auto lines = BuildReport(&run.Engine(), run.machine->View(), rows, "1.1.0.0", nullptr, &error);
  EXPECT_EQ(error, "Can't load USER.EXE!");
  EXPECT_EQ(RenderText(lines), "Kestrova - Récupérateur infos système - Version 1.1.0.0\n"
                               " - dimanche 06 décembre 2026 - 19:06\n"
                               "\nDébut Analyse\n\nMémoire\n");  // no later section, no end line
  EXPECT_THROW(BuildReport(&run.Engine(), run.machine->View(), rows, "1.1.0.0"), std::runtime_error);
}

TEST(MemorySection, NT4WritesOnlyTheSizesFromTheShortRecord) {
  SectionRun run("xp-sp2-p4ht");
  run.machine->VersionData.MajorVersion = 4;
  run.machine->VersionData.MinorVersion = 0;
  run.machine->VersionData.BuildNumber = 1381;
  run.machine->MemoryPower.Memory.TotalPhys = 6ULL << 30;  // the short record cuts this
  const auto lines = run.Run(kMemoryWriter);
  EXPECT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[2], " - Mémoire physique totale : 4,00 GO");
}

TEST(MemoryStatus, RecordByOsKindAndTheExportLookedUpOnce) {
  // A Windows 2000 or later without the export leaves everything at zero.
  SectionRun run("xp-sp2-p4ht");
  run.machine->Libraries.erase("KERNEL32.DLL");
  auto& m = run.Member<TMemory>(M::Memory);
  m.Refresh();
  EXPECT_EQ(m.PhysicalTotal(), 0);
  EXPECT_EQ(m.PageSize(), 4096u);  // GetSystemInfo all the same
  // An NT 6 system (not classified): the long record when it exists, no gate.
  SectionRun vista("xp-sp2-p4ht");
  vista.machine->VersionData.MajorVersion = 6;
  vista.machine->MemoryPower.Memory.TotalPhys = 6ULL << 30;
  auto& v = vista.Member<TMemory>(M::Memory);
  v.Refresh();
  EXPECT_EQ(v.PhysicalTotal(), int64_t{6} << 30);
  EXPECT_EQ(v.Resources().System(), TResources::kNTValue);
  EXPECT_TRUE(vista.machine->Gate16.Journal.empty());
}

TEST(MemoryReport, Block) {
  SectionRun run("win98se-p3");
  run.Member<TMemory>(M::Memory).Refresh();
  EXPECT_EQ(run.Report(M::Memory), (ReportLines{
                                       "<Memory classname=\"TMemory\">",
                                       "<data name=\"PhysicalTotal\" type=\"integer\" unit=\"B\">133672960</data>",
                                       "<data name=\"PhysicalFree\" type=\"integer\" unit=\"B\">41234432</data>",
                                       "<data name=\"PageFileTotal\" type=\"integer\" unit=\"B\">2143289344</data>",
                                       "<data name=\"PageFileFree\" type=\"integer\" unit=\"B\">2070867968</data>",
                                       "<data name=\"VirtualTotal\" type=\"integer\" unit=\"B\">2143289344</data>",
                                       "<data name=\"VirtualFree\" type=\"integer\" unit=\"B\">2106163200</data>",
                                       "<data name=\"AllocationGranularity\" type=\"integer\" unit=\"B\">65536</data>",
                                       "<data name=\"MinAppAddress\" type=\"integer\">4194304</data>",
                                       "<data name=\"MaxAppAddress\" type=\"integer\">2147483647</data>",
                                       "<data name=\"PageSize\" type=\"integer\" unit=\"B\">4096</data>",
                                       "</Memory>",
                                   }));
}

// --- APM ---------------------------------------------------------------------------------------

TEST(PowerStatus, EveryMapping) {
  const struct { uint8_t Value; TPowerStatus Status; } lines[] = {
      {0, TPowerStatus::psOffline}, {1, TPowerStatus::psOnline}, {2, TPowerStatus::psUnknown},
      {255, TPowerStatus::psUnknown}};
  for (const auto& l : lines) EXPECT_EQ(PowerStatusOf(l.Value), l.Status) << int(l.Value);
  for (int flag = 0; flag < 256; ++flag) {
    TBatteryStatus want = TBatteryStatus::bsUnknown;
    switch (flag) {
      case 0: case 1: want = TBatteryStatus::bsHigh; break;
      case 2: want = TBatteryStatus::bsLow; break;
      case 4: want = TBatteryStatus::bsCritical; break;
      case 8: want = TBatteryStatus::bsCharging; break;
      case 128: want = TBatteryStatus::bsNoBattery; break;
    }
    EXPECT_EQ(BatteryStatusOf(static_cast<uint8_t>(flag)), want) << flag;
  }
  EXPECT_STREQ(kPowerStatusNames[0], "Unknown");
  EXPECT_STREQ(kPowerStatusNames[1], "Offline");
  EXPECT_STREQ(kPowerStatusNames[2], "Online");
  const char* const battery[] = {"Unknown", "High", "Low", "Critical", "Charging", "No Battery"};
  for (int i = 0; i < 6; ++i) EXPECT_STREQ(kBatteryStatusNames[i], battery[i]);
}

struct PowerCase {
  std::optional<PowerStatusRecord> Status;
  std::vector<std::string> Lines;  // after the heading
};

TEST(ApmSection, EveryStatusLine) {
  const std::string ac = " - Statut Alimentation secteur : ", bat = " - Statut Charge batterie : ";
  auto battery = [](uint8_t ac, uint8_t flag, uint8_t percent) {
    return PowerStatusRecord{ac, flag, percent, 0xFFFFFFFF, 7200};
  };
  const std::vector<std::string> three = {" - Batterie - Durée de vie théorique : 7200",
                                          " - Batterie - Pourcentage de durée de vie : 57",
                                          " - Batterie - Durée de vie restante : 4294967295"};
  auto with = [&](std::vector<std::string> head) {
    head.insert(head.end(), three.begin(), three.end());
    return head;
  };
  const PowerCase cases[] = {
      {std::nullopt, {ac + "Inconnu", bat + "Inconnu"}},  // the call fails
      {battery(1, 128, 255), {ac + "On", bat + "Aucune batterie détectée"}},
      {battery(1, 8, 57), with({ac + "On", bat + "Charge en cours"})},
      {battery(0, 0, 57), with({ac + "Off", bat + "Niveau Haut"})},
      {battery(0, 1, 57), with({ac + "Off", bat + "Niveau Haut"})},
      {battery(0, 2, 57), with({ac + "Off", bat + "Niveau bas"})},
      {battery(255, 4, 57), with({ac + "Inconnu", bat + "Niveau critique"})},
      {battery(1, 9, 57), {ac + "On", bat + "Inconnu"}},  // high and charging at once
  };
  for (const PowerCase& c : cases) {
    SectionRun run("xp-sp2-p4ht");
    run.machine->MemoryPower.Power = c.Status;
    std::vector<std::string> expected = {"", "APM - Gestion avancée de l'énergie"};
    expected.insert(expected.end(), c.Lines.begin(), c.Lines.end());
    EXPECT_EQ(run.Run(kApmWriter), expected);
  }
}

TEST(ApmReport, LifetimesOnlyUpToOneHundredPercent) {
  SectionRun run("xp-sp2-p4ht");
  auto& apm = run.Member<TAPM>(M::APM);
  apm.Refresh();
  EXPECT_EQ(run.Report(M::APM), (ReportLines{"<APM classname=\"TAPM\">",
                                             "<data name=\"ACPowerStatus\" type=\"string\">Online</data>",
                                             "<data name=\"BatteryChargeStatus\" type=\"string\">No Battery</data>",
                                             "</APM>"}));
  run.machine->MemoryPower.Power = PowerStatusRecord{0, 1, 100, 3725, 7200};
  apm.Refresh();
  const ReportLines lines = run.Report(M::APM);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[2], "<data name=\"BatteryChargeStatus\" type=\"string\">High</data>");
  EXPECT_EQ(lines[3], "<data name=\"BatteryFullTime\" type=\"string\">2 Hours, 0 Minutes, 0 Seconds.</data>");
  EXPECT_EQ(lines[4], "<data name=\"BatteryLifeTime\" type=\"string\">1 Hour, 2 Minutes, 5 Seconds.</data>");
}

}  // namespace
}  // namespace kestrova
