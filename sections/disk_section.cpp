#include "sections/disk_section.h"

#include "engine/core/context.h"
#include "engine/core/format.h"
#include "engine/core/system_info.h"
#include "engine/core/text.h"
#include "engine/inventory/disk.h"
#include "sections/categories.h"

namespace kestrova {

namespace {

TDisk* Disk(SectionContext& ctx) { return ctx.Engine.As<TDisk>(TSystemInfo::Member::Disk); }

void Prepare(SectionContext& ctx) {
  if (TDisk* d = Disk(ctx)) d->Refresh();
}

void Body(SectionContext& ctx) {
  TDisk* disk = Disk(ctx);
  if (!disk) return;
  const ISystem* sys = ctx.Engine.Context().Sys.System;
  const std::string separator = sys ? sys->Locale().DecimalSeparator : std::string(".");
  // The refresh inside the loop re-reads the list; the walk keeps the copy taken here.
  const std::string letters = disk->AvailableDisks();
  for (char letter : letters) {
    disk->SetDrive(std::string(1, letter) + ":");
    disk->Refresh();
    const std::string& drive = disk->Drive();
    std::string line = Format("%s\\ [%s] \"%s\"", drive.c_str(), DriveTypeText(disk->DriveTypeOf(drive + "\\")),
                              disk->VolumeLabel().c_str());
    if (disk->MediaPresent())
      line += Format(" - %s (libre : %s) - %s", FormatSize(disk->Capacity(), separator).c_str(),
                     FormatSize(disk->FreeSpace(), separator).c_str(), disk->FileSystem().c_str());
    else
      line += " - Aucun média détecté";
    ctx.Log.AddLogLine(kLevelItem, line, kColourBlack);
  }
}

}  // namespace

const SectionWriter kDiskWriter = {kCatDisks, Prepare, Body};

}  // namespace kestrova
