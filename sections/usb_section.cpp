#include "sections/usb_section.h"

#include "engine/core/context.h"
#include "engine/core/format.h"
#include "engine/core/system_info.h"
#include "engine/core/text.h"
#include "engine/inventory/usb.h"
#include "engine/os/osinfo.h"
#include "sections/categories.h"

namespace kestrova {

namespace {

TUSB* Usb(SectionContext& ctx) { return ctx.Engine.As<TUSB>(TSystemInfo::Member::USB); }

void Prepare(SectionContext& ctx) {
  if (TUSB* u = Usb(ctx)) u->Refresh();
}

void Body(SectionContext& ctx) {
  TUSB* u = Usb(ctx);
  if (!u) return;
  switch (DetectWindowsEdition(ctx.Engine.Context().Sys)) {
    case TWindowsEdition::weWinNT31:
    case TWindowsEdition::weWinNT35:
    case TWindowsEdition::weWinNT351:
    case TWindowsEdition::weWinNT4:
      ctx.Log.AddLogLine(kLevelItem, "USB officiellement non supporté sous Windows NT", kColourRed);
      break;
    default:
      break;
  }
  ctx.Log.AddLogLine(kLevelItem, Format("Nb d'équipements USB detectés : %d", u->ConnectedDevices()), kColourBlack);
  int controller = 0;
  for (const TUSBNode& n : u->Nodes()) {
    if (n.Level == 1) continue;
    if (n.Level == 0) {
      ctx.Log.AddLogLine(kLevelItem, Format("USB #%.2d", controller++), kColourBlack);
    } else if (!n.Manufacturer.empty()) {
      ctx.Log.AddLogLine(kLevelDetail,
                         Format("%s - %s - Version %d.%d (Imax = %d mA)", KeepAlphanumeric(n.Manufacturer).c_str(),
                                KeepAlphanumeric(n.Product).c_str(), BcdByte(n.SpecMajor), BcdByte(n.SpecMinor),
                                n.MaxPower),
                         kColourBlack);
    }
  }
}

}  // namespace

const SectionWriter kUsbWriter = {kCatUSB, Prepare, Body};

}  // namespace kestrova
