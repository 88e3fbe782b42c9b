#include "sections/printers_section.h"

#include "engine/core/system_info.h"
#include "engine/core/text.h"
#include "engine/inventory/printers.h"
#include "sections/categories.h"

namespace kestrova {

namespace {

TPrinters* Printers(SectionContext& ctx) { return ctx.Engine.As<TPrinters>(TSystemInfo::Member::Printers); }

void Prepare(SectionContext& ctx) {
  if (TPrinters* p = Printers(ctx)) p->Refresh();
}

// Ports and the default mark are not printed.
void Body(SectionContext& ctx) {
  TPrinters* printers = Printers(ctx);
  if (!printers) return;
  const std::vector<std::string>& names = printers->Names();
  for (size_t i = 0; i < names.size(); ++i)
    ctx.Log.AddLogLine(kLevelItem, Format("Imprimante #%.2d : %s", static_cast<int>(i), names[i].c_str()),
                       kColourBlack);
}

}  // namespace

const SectionWriter kPrintersWriter = {kCatPrinters, Prepare, Body};

}  // namespace kestrova
