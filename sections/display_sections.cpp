#include "sections/display_sections.h"

#include "engine/core/context.h"
#include "engine/core/system_info.h"
#include "engine/core/text.h"
#include "engine/os/display.h"
#include "engine/os/monitor.h"
#include "sections/categories.h"

namespace kestrova {

std::string FixedTwoDecimals(double value, const std::string& decimalSeparator) {
  return ReplaceAll(Format("%.2f", value), ".", decimalSeparator);
}

namespace {

void Item(SectionContext& ctx, const std::string& text, uint32_t colour = kColourBlack) {
  ctx.Log.AddLogLine(kLevelItem, text, colour);
}

std::string DecimalSeparator(SectionContext& ctx) {
  const ISystem* sys = ctx.Engine.Context().Sys.System;
  return sys ? sys->Locale().DecimalSeparator : ".";
}

// --- Affichage ----------------------------------------------------------------------------

TDisplay* Display(SectionContext& ctx) { return ctx.Engine.As<TDisplay>(TSystemInfo::Member::Display); }

void PrepareDisplay(SectionContext& ctx) {
  if (TDisplay* d = Display(ctx)) d->Refresh();
}

void DisplayBody(SectionContext& ctx) {
  TDisplay* d = Display(ctx);
  if (!d) return;
  const std::string sep = DecimalSeparator(ctx);
  Item(ctx, "Carte : " + d->Adapter());
  Item(ctx, "Chipset : " + d->Chipset());
  Item(ctx, "RAM : " + FixedTwoDecimals(d->Memory() / 1024.0 / 1024.0, sep) + " MO");
  Item(ctx, Format("Profondeur couleurs : %d bits", d->ColorDepth()));
  Item(ctx, Format("Résolution fontes : %u pixels", d->FontResolution()));
  Item(ctx, "Taille affichage : " + FixedTwoDecimals(d->HorzSize() / 10.0, sep) + " x " +
                FixedTwoDecimals(d->VertSize() / 10.0, sep) + " cm");
  Item(ctx, Format("Résolution écran : %d x %d pixels", d->HorzRes(), d->VertRes()));
  Item(ctx, Format("Fréquence raffraichissement : %u hertz", d->VerticalRefreshRate()));
  Item(ctx, "DAC (convetisseur N/A) : " + d->DAC());
  Item(ctx, "BIOS vidéo - Date : " + d->BIOSDate());
  Item(ctx, "BIOS vidéo - Nom : " + d->BIOSString());
  Item(ctx, "BIOS vidéo - Version : " + d->BIOSVersion());
}

// --- Moniteurs ----------------------------------------------------------------------------

TMonitor* Monitor(SectionContext& ctx) { return ctx.Engine.As<TMonitor>(TSystemInfo::Member::Monitor); }

// The count line and, without monitors, the red line come before the update bracket.
void PrepareMonitors(SectionContext& ctx) {
  TMonitor* m = Monitor(ctx);
  if (!m) return;
  m->Refresh();
  Item(ctx, Format("Nb de moniteurs detectés : %u", m->Count()));
  if (m->Count() == 0) Item(ctx, "Aucun moniteur détecté", kColourRed);
}

void MonitorsBody(SectionContext& ctx) {
  TMonitor* m = Monitor(ctx);
  if (!m) return;
  for (unsigned i = 0; i < m->Count(); ++i) {
    ctx.Log.AddLogLine(kLevelHeading, Format("Moniteur #%.2u", i), kColourBlack);
    if (Trim(m->GetMonitor(i).Name).empty()) {
      Item(ctx, "Aucune info trouvée", kColourRed);
      continue;
    }
    Item(ctx, "- Nom : " + Trim(m->GetMonitor(i).Name));
    Item(ctx, "- Description : " + m->GetMonitor(i).Description);
    Item(ctx, "- Fabricant : " + m->GetMonitor(i).Manufacturer);
    Item(ctx, "- Modèle : " + m->GetMonitor(i).Model);
    Item(ctx, "- Numéro produit : " + m->GetMonitor(i).ProductNumber);
    Item(ctx, Format("- Numéro série : %u", m->GetMonitor(i).SerialNumber));
    Item(ctx, Format("- Dimensions (L x H) : %d x %d", m->GetMonitor(i).Width, m->GetMonitor(i).Height));
  }
}

}  // namespace

const SectionWriter kDisplayWriter = {kCatDisplay, PrepareDisplay, DisplayBody};
const SectionWriter kMonitorsWriter = {kCatMonitors, PrepareMonitors, MonitorsBody};

}  // namespace kestrova
