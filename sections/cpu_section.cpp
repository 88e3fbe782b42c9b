#include "sections/cpu_section.h"

#include "engine/core/system_info.h"
#include "engine/core/text.h"
#include "engine/hardware/cpu.h"
#include "sections/categories.h"

namespace kestrova {

namespace {

TCPU* Cpu(SectionContext& ctx) { return ctx.Engine.As<TCPU>(TSystemInfo::Member::CPU); }

void Prepare(SectionContext& ctx) {
  if (TCPU* cpu = Cpu(ctx)) cpu->Refresh(0);
}

void Item(SectionContext& ctx, const std::string& text) { ctx.Log.AddLogLine(kLevelItem, text, kColourBlack); }

void WriteFeatureLines(SectionContext& ctx, const TCPUFeatureSet& set) {
  for (const TCPUFeature& f : set.Records()) Item(ctx, std::string(f.Name) + " (" + std::string(f.Description) + ")");
}

void Body(SectionContext& ctx) {
  TCPU* cpu = Cpu(ctx);
  if (!cpu) return;
  const unsigned count = cpu->CPUCount();
  for (unsigned i = 0; i < count; ++i) {
    // Each block describes its own processor: the first was examined before the bracket.
    if (i > 0) cpu->Refresh(static_cast<uint8_t>(i));
    ctx.Log.AddLogLine(kLevelHeading, std::string(kCatCPU) + " - CPU #" + std::to_string(i), kColourBlack);
    Item(ctx, Format("Type : %d", cpu->CPUType()));
    Item(ctx, Format("Famille : %d", cpu->Family()));
    Item(ctx, Format("Modèle : %d", cpu->Model()));
    Item(ctx, "Nom CPU : " + cpu->CPUName());
    Item(ctx, "Nom générique : " + cpu->GenericName());
    Item(ctx, "Nom commercial : " + cpu->MarketingName());
    Item(ctx, "Nom de code : " + cpu->CodeName());
    Item(ctx, "Révision : " + cpu->Revision());
    Item(ctx, "Technologie : " + cpu->Technology());
    Item(ctx, Format("Fréquence : %u MHz", cpu->Frequency()));
    Item(ctx, Format("Cache Niveau 1 : %d", cpu->Cache().Level1.Data.Size));
    Item(ctx, Format("Cache Niveau 2 : %d", cpu->Cache().Level2.Size));
    Item(ctx, Format("Cache Niveau 3 : %d", cpu->Cache().Level3.Size));
    Item(ctx, "Numéro série : " + cpu->SerialNumber());
    WriteFeatureLines(ctx, cpu->Features().Standard);
    WriteFeatureLines(ctx, cpu->Features().StandardEx);
    WriteFeatureLines(ctx, cpu->Features().Extended);
  }
}

}  // namespace

const SectionWriter kCpuWriter = {kCatCPU, Prepare, Body, /*OwnHeading=*/true, nullptr};

}  // namespace kestrova
