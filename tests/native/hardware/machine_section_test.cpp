// The "Machine (général)" section and TMachine/TBIOS on the recorded machines.
#include <gtest/gtest.h>

#include "engine/core/context.h"
#include "engine/core/date_time.h"
#include "engine/core/system_info.h"
#include "engine/hardware/machine.h"
#include "engine/platform/recorded/recorded_machine.h"
#include "sections/machine_section.h"
#include "../app/fake_host.h"

namespace kestrova {
namespace {

std::string MachineDir(const char* name) { return std::string(KESTROVA_FIXTURES) + "/machines/" + name; }

struct MachineRun {
  explicit MachineRun(const char* name) : machine(LoadRecordedMachine(MachineDir(name))) {}
  std::vector<std::string> Section() {
    context = MakeEngineContext(machine->View());
    engine = std::make_unique<TSystemInfo>(context);
    kestrova::testing::FakeHost host;
    host.TickOnly({"Machine (général)"});
    RunFlags flags;
    SectionContext ctx{*engine, log, host, flags};
    RunSection(kMachineWriter, ctx);
    EXPECT_EQ(log.UpdateDepth(), 0);
    return log.Texts();
  }
  std::unique_ptr<RecordedMachine> machine;
  EngineContext context;
  std::unique_ptr<TSystemInfo> engine;
  MemoryLog log;
};

TEST(MachineSection, Windows98ReadsTheBiosStringsFromTheRom) {
  MachineRun run("win98se-p3");
  const std::vector<std::string> expected = {
      "",
      "Machine (général)",
      " - Nom Machine : ATELIER",
      " - Nom Utilisateur : Marie",
      " - Dernier démarrage : 06/12/2026 - 17:42",  // 19:06:00 less 5025 s of uptime
      " - Configuration : ",                        // no "Computer" class on this system
      " - Carte mère - Fabricant : Quorvane Computer",
      " - Carte mère - Modèle : 815EP-ATX",
      " - Carte mère - Version : Rev 2.10",
      " - BIOS - Nom : Halvorsen Modular BIOS v6.00PG",
      " - BIOS - Copyright : Copyright (C) 1984-2000, Halvorsen Software, Inc.",
      " - BIOS - Date : 08/24/00",
      " - BIOS - Version : 6.00 PG",
      " - Verrouillage Majuscules : Non",
      " - Verrouillage Clavier numérique : Oui"};
  EXPECT_EQ(run.Section(), expected);
  auto& bios = run.engine->As<TMachine>(TSystemInfo::Member::Machine)->BIOS();
  EXPECT_EQ(bios.ExtendedInfo(), "08/24/2000-i815EP-ITE8712-6A69RQ1BC-00");
}

TEST(MachineSection, WindowsXpReadsTheBiosFromTheRegistryOnOneLine) {
  MachineRun run("xp-sp2-p4ht");
  const std::vector<std::string> expected = {
      "",
      "Machine (général)",
      " - Nom Machine : BUREAU-01",
      " - Nom Utilisateur : Jean",
      " - Dernier démarrage : 06/12/2026 - 18:04",
      " - Configuration : Ordinateur ACPI multiprocesseur",
      " - Carte mère - Fabricant : Quorvane Computer",
      " - Carte mère - Modèle : D865GQV",
      " - Carte mère - Version : AAC12345-302",
      " - BIOS - Nom : AT/AT COMPATIBLE",
      " - BIOS - Copyright : QVCORP - 20041118 BIOS Date: 11/18/04 14:22:09 Ver: 08.00.10 ",  // each CR LF a blank, untrimmed
      " - BIOS - Date : 11/18/04",
      " - BIOS - Version : QV86510A.86A.0053.P13",
      " - Verrouillage Majuscules : Oui",
      " - Verrouillage Clavier numérique : Oui"};
  EXPECT_EQ(run.Section(), expected);
}

TEST(MachineSection, WithoutFirmwareTheBoardLinesEndWithTheirLabels) {
  MachineRun run("xp-sp2-p4ht");
  run.machine->Firmware.SectionOpens = false;
  run.machine->Firmware.CommandInterpreterRuns = false;  // and the dump fails too
  const auto lines = run.Section();
  ASSERT_EQ(lines.size(), 15u);
  EXPECT_EQ(lines[6], " - Carte mère - Fabricant : ");
  EXPECT_EQ(lines[7], " - Carte mère - Modèle : ");
  EXPECT_EQ(lines[8], " - Carte mère - Version : ");
  EXPECT_EQ(lines[12], " - BIOS - Version : ");
  EXPECT_EQ(lines[9], " - BIOS - Nom : AT/AT COMPATIBLE");  // registry lines unaffected
}

TEST(MachineSection, An98RomThatCannotBeReadLeavesTheBiosLinesEmpty) {
  MachineRun run("win98se-p3");
  run.machine->Firmware.UnreadableRanges = {{0xF0000, 0x100000}};
  const auto lines = run.Section();
  ASSERT_EQ(lines.size(), 15u);
  EXPECT_EQ(lines[9], " - BIOS - Nom : ");
  EXPECT_EQ(lines[11], " - BIOS - Date : ");
  EXPECT_EQ(lines[6], " - Carte mère - Fabricant : ");
}

TEST(MachineSection, LockStatesNeedTheToggleBitAndTheKeyUp) {
  // Caps Lock, Num Lock, Scroll Lock: toggled and up, untoggled, toggled but held, held.
  for (const auto& s : {std::pair<uint8_t, bool>{0x01, true}, {0x00, false}, {0x81, false}, {0x80, false}}) {
    MachineRun run("xp-sp2-p4ht");
    run.machine->KeyboardData[0x14] = run.machine->KeyboardData[0x90] = run.machine->KeyboardData[0x91] = s.first;
    const auto lines = run.Section();
    auto* m = run.engine->As<TMachine>(TSystemInfo::Member::Machine);
    EXPECT_EQ(std::vector<bool>({m->CapsLock(), m->NumLock(), m->ScrollLock()}), std::vector<bool>(3, s.second));
    EXPECT_EQ(lines[13], std::string(" - Verrouillage Majuscules : ") + (s.second ? "Oui" : "Non"));
    EXPECT_EQ(lines[14], std::string(" - Verrouillage Clavier numérique : ") + (s.second ? "Oui" : "Non"));
  }
}

TEST(MachineSection, BootTimeUsesTheUserSeparators) {
  LocaleFacts fr;
  fr.DateSeparator = ".";
  fr.TimeSeparator = "h";
  LocalTime t;
  t.Year = 2026, t.Month = 12, t.Day = 6, t.Hour = 9, t.Minute = 5;
  EXPECT_EQ(FormatBootTime(EncodeDateTime(t), fr), "06.12.2026 - 09h05");
  EXPECT_EQ(FormatBootTime(0, fr), "30.12.1899 - 00h00");
}

TEST(MachineReport, LastBootFollowsTheSystemShortDatePicture) {
  LocaleFacts l;
  l.DateSeparator = "-";
  l.DayNames[0] = "dimanche";
  l.MonthNames[11] = "décembre";
  LocalTime t;
  t.Year = 2026, t.Month = 12, t.Day = 6, t.DayOfWeek = 0;
  const struct { const char* Picture; const char* Text; } kCases[] = {
      {"dd/MM/yyyy", "06/12/2026"}, {"M/d/yyyy", "12/6/2026"},  {"d.M.yy", "6.12.26"},
      {"yyyy-MM-dd", "2026-12-06"}, {"dddd d MMMM y", "dimanche 6 décembre 26"},
      {"ddd MMM", "dim déc"},       {"'le' d 'du' M", "le 6 du 12"}, {"d''M", "6'12"}, {"'open", "open"},
  };
  for (const auto& c : kCases) EXPECT_EQ(FormatDatePicture(t, c.Picture, l), c.Text) << c.Picture;
  // No picture: day, month and year with the date separator.
  EXPECT_EQ(ShortDateTimeText(EncodeDateTime(t), l), "06-12-2026 00:00:00");

  MachineRun run("xp-sp2-p4ht");
  run.machine->LocaleData.Values["LOCALE_SSHORTDATE"] = "M/d/yyyy";
  run.Section();
  ReportLines lines;
  run.engine->Get(TSystemInfo::Member::Machine)->WriteReport(lines, false);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[3], "<data name=\"LastBoot\" type=\"string\">12/6/2026 18:04:37</data>");
}

TEST(MachineReport, BlocksOfMachineThenSmbiosThenBios) {
  MachineRun run("xp-sp2-p4ht");
  run.Section();
  ReportLines lines;
  run.engine->Get(TSystemInfo::Member::Machine)->WriteReport(lines, false);
  ASSERT_GE(lines.size(), 10u);
  EXPECT_EQ(lines[0], "<Machine classname=\"TMachine\">");
  EXPECT_EQ(lines[1], "<data name=\"Name\" type=\"string\">BUREAU-01</data>");
  EXPECT_EQ(lines[3], "<data name=\"LastBoot\" type=\"string\">06/12/2026 18:04:37</data>");
  EXPECT_EQ(lines[4], "<data name=\"SystemUpTime\" type=\"string\">1 Hour, 2 Minutes, 5 Seconds.</data>");
  EXPECT_EQ(lines[6], "</Machine>");
  EXPECT_EQ(lines[7], "<SMBIOS classname=\"TSMBIOS\">");
  const std::vector<std::string> tail(lines.end() - 6, lines.end());
  const std::vector<std::string> bios = {
      "<BIOS classname=\"TBIOS\">",
      "<data name=\"Name\" type=\"string\">AT/AT COMPATIBLE</data>",
      "<data name=\"Copyright\" type=\"string\">QVCORP - 20041118 BIOS Date: 11/18/04 14:22:09 Ver: 08.00.10 </data>",
      "<data name=\"Date\" type=\"string\">11/18/04</data>",
      "<data name=\"Extended Info\" type=\"string\"></data>",
      "</BIOS>"};
  EXPECT_EQ(tail, bios);
}

TEST(MachineAggregate, ExceptionModesReachSmbiosBiosAndTheirReaders) {
  MachineRun run("win98se-p3");
  run.Section();
  auto* m = run.engine->As<TMachine>(TSystemInfo::Member::Machine);
  EXPECT_EQ(m->BIOS().ExceptionModes(), TExceptionModes{TExceptionMode::emDefault});
  TExceptionModes journal{TExceptionMode::emJournal};
  run.engine->SetExceptionModes(journal);
  EXPECT_EQ(m->SMBIOS().ReaderA().ExceptionModes(), journal);
  EXPECT_EQ(m->SMBIOS().ReaderB().ExceptionModes(), journal);
  EXPECT_EQ(m->BIOS().ExceptionModes(), journal);
  ASSERT_NE(run.engine->Get(TSystemInfo::Member::Storage), nullptr);
  ReportLines storage;
  run.engine->Get(TSystemInfo::Member::Storage)->WriteReport(storage, false);
  EXPECT_EQ(storage, (ReportLines{"<Storage classname=\"TStorage\">", "</Storage>"}));
}

}  // namespace
}  // namespace kestrova
