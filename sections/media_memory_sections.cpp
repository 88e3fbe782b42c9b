#include "sections/media_memory_sections.h"

#include "engine/core/context.h"
#include "engine/core/format.h"
#include "engine/core/system_info.h"
#include "engine/core/text.h"
#include "engine/os/media.h"
#include "engine/os/memory.h"
#include "engine/os/osinfo.h"
#include "sections/categories.h"

namespace kestrova {

namespace {

void Item(SectionContext& ctx, const std::string& text) { ctx.Log.AddLogLine(kLevelItem, text, kColourBlack); }

// --- Multimédia ---------------------------------------------------------------------------

TMedia* Media(SectionContext& ctx) { return ctx.Engine.As<TMedia>(TSystemInfo::Member::Media); }

void PrepareMedia(SectionContext& ctx) {
  if (TMedia* m = Media(ctx)) m->Refresh();
}

void MediaBody(SectionContext& ctx) {
  TMedia* m = Media(ctx);
  if (!m) return;
  // format                        list
  const std::pair<const char*, const std::vector<std::string>*> kLists[] = {
      {"Périphérique #%.2d : %s", &m->Devices()}, {"Auxiliaire #%.2d : %s", &m->AUX()},
      {"MIDI In #%.2d : %s", &m->MIDIIn()},       {"MIDI Out #%.2d : %s", &m->MIDIOut()},
      {"Mixer #%.2d : %s", &m->Mixer()},          {"Wave In #%.2d : %s", &m->WAVEIn()},
      {"Wave Out #%.2d : %s", &m->WAVEOut()},
  };
  for (const auto& list : kLists)
    for (size_t i = 0; i < list.second->size(); ++i)
      Item(ctx, Format(list.first, static_cast<int>(i), (*list.second)[i].c_str()));
}

// --- Mémoire ------------------------------------------------------------------------------

TMemory* Memory(SectionContext& ctx) { return ctx.Engine.As<TMemory>(TSystemInfo::Member::Memory); }

void PrepareMemory(SectionContext& ctx) {
  if (TMemory* m = Memory(ctx)) m->Refresh();  // on the 9x family this may end the run
}

void MemoryBody(SectionContext& ctx) {
  TMemory* m = Memory(ctx);
  if (!m) return;
  const Platform& p = ctx.Engine.Context().Sys;
  const std::string sep = p.System ? p.System->Locale().DecimalSeparator : ".";
  auto size = [&](const char* label, int64_t bytes) { Item(ctx, Format("%s : %s", label, FormatSize(bytes, sep).c_str())); };
  size("Mémoire physique totale", m->PhysicalTotal());
  size("Mémoire physique libre", m->PhysicalFree());
  size("Mémoire virtuelle totale", m->VirtualTotal());
  size("Mémoire virtuelle libre", m->VirtualFree());
  using E = TWindowsEdition;
  const E edition = DetectWindowsEdition(p);
  if (edition >= E::weWin95 && edition <= E::weWinME) {
    Item(ctx, Format("Ressources GDI : %d", m->Resources().GDI()));
    Item(ctx, Format("Ressources Système : %d", m->Resources().System()));
    Item(ctx, Format("Ressources User : %d", m->Resources().User()));
  } else if (edition >= E::weWin2000 && edition <= E::weWin2003) {
    Item(ctx, Format("Charge mémoire : %d", m->MemoryLoad()));
  }
}

}  // namespace

const SectionWriter kMultimediaWriter = {kCatMultimedia, PrepareMedia, MediaBody};
const SectionWriter kMemoryWriter = {kCatMemory, PrepareMemory, MemoryBody};

}  // namespace kestrova
