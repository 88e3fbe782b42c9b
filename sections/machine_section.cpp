#include "sections/machine_section.h"

#include "engine/core/context.h"
#include "engine/core/date_time.h"
#include "engine/core/format.h"
#include "engine/core/system_info.h"
#include "engine/core/text.h"
#include "engine/hardware/machine.h"
#include "sections/categories.h"

namespace kestrova {

std::string FormatBootTime(double dateTime, const LocaleFacts& locale) {
  const LocalTime t = DecodeDateTime(dateTime);
  return Format("%2.2d%s%2.2d%s%4.4d - %2.2d%s%2.2d", t.Day, locale.DateSeparator.c_str(), t.Month,
                locale.DateSeparator.c_str(), t.Year, t.Hour, locale.TimeSeparator.c_str(), t.Minute);
}

namespace {

TMachine* Machine(SectionContext& ctx) { return ctx.Engine.As<TMachine>(TSystemInfo::Member::Machine); }

void Prepare(SectionContext& ctx) {
  if (TMachine* m = Machine(ctx)) m->Refresh(1);
}

void Body(SectionContext& ctx) {
  TMachine* m = Machine(ctx);
  if (!m) return;
  const ISystem* sys = ctx.Engine.Context().Sys.System;
  const LocaleFacts locale = sys ? sys->Locale() : LocaleFacts{};
  static const std::string kYes = "Oui", kNo = "Non";
  const struct { const char* Label; std::string Value; } kLines[] = {
      {"Nom Machine : ", m->Name()},
      {"Nom Utilisateur : ", m->User()},
      {"Dernier démarrage : ", FormatBootTime(m->LastBoot(), locale)},
      {"Configuration : ", m->Computer()},
      {"Carte mère - Fabricant : ", m->SMBIOS().MainBoardManufacturer()},
      {"Carte mère - Modèle : ", m->SMBIOS().MainBoardModel()},
      {"Carte mère - Version : ", m->SMBIOS().MainBoardVersion()},
      {"BIOS - Nom : ", m->BIOS().Name()},
      {"BIOS - Copyright : ", m->BIOS().Copyright()},
      {"BIOS - Date : ", m->BIOS().Date()},
      {"BIOS - Version : ", m->SMBIOS().BIOSVersion()},
      {"Verrouillage Majuscules : ", ChooseText(m->CapsLock(), kYes, kNo)},
      {"Verrouillage Clavier numérique : ", ChooseText(m->NumLock(), kYes, kNo)},
  };
  for (const auto& line : kLines) ctx.Log.AddLogLine(kLevelItem, line.Label + line.Value, kColourBlack);
}

}  // namespace

const SectionWriter kMachineWriter = {kCatMachine, Prepare, Body};

}  // namespace kestrova
