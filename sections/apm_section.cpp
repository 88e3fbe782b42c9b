#include "sections/apm_section.h"

#include "engine/core/system_info.h"
#include "engine/os/apm.h"
#include "sections/categories.h"

namespace kestrova {

namespace {

TAPM* Apm(SectionContext& ctx) { return ctx.Engine.As<TAPM>(TSystemInfo::Member::APM); }

void Prepare(SectionContext& ctx) {
  if (TAPM* a = Apm(ctx)) a->Refresh();
}

// By TPowerStatus.
const char* const kPowerLines[] = {
    "Statut Alimentation secteur : Inconnu",
    "Statut Alimentation secteur : Off",
    "Statut Alimentation secteur : On",
};
// By TBatteryStatus.
const char* const kBatteryLines[] = {
    "Statut Charge batterie : Inconnu",
    "Statut Charge batterie : Niveau Haut",
    "Statut Charge batterie : Niveau bas",
    "Statut Charge batterie : Niveau critique",
    "Statut Charge batterie : Charge en cours",
    "Statut Charge batterie : Aucune batterie détectée",
};

void Body(SectionContext& ctx) {
  TAPM* a = Apm(ctx);
  if (!a) return;
  auto item = [&](const std::string& text) { ctx.Log.AddLogLine(kLevelItem, text, kColourBlack); };
  item(kPowerLines[static_cast<size_t>(a->ACPowerStatus())]);
  const TBatteryStatus battery = a->BatteryChargeStatus();
  item(kBatteryLines[static_cast<size_t>(battery)]);
  if (battery == TBatteryStatus::bsUnknown || battery == TBatteryStatus::bsNoBattery) return;
  item("Batterie - Durée de vie théorique : " + std::to_string(a->BatteryLifeFullTime()));
  item("Batterie - Pourcentage de durée de vie : " + std::to_string(a->BatteryLifePercent()));
  item("Batterie - Durée de vie restante : " + std::to_string(a->BatteryLifeTime()));
}

}  // namespace

const SectionWriter kApmWriter = {kCatAPM, Prepare, Body};

}  // namespace kestrova
