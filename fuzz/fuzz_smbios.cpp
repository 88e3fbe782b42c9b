// SMBIOS locate + walk + decode + report over arbitrary firmware bytes. The input is laid
// at F0000h (the firmware area searched for the anchors) and again at 0, so that table
// addresses inside the input land on its own bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/core/context.h"
#include "engine/hardware/smbios.h"
#include "engine/platform/recorded/recorded_machine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0x10000) return 0;
  kestrova::RecordedMachine machine;
  machine.VersionData.PlatformId = 2;
  std::vector<uint8_t> bytes(data, data + size);
  machine.PhysicalMemory.AddRegion(0, bytes);
  machine.PhysicalMemory.AddRegion(0xF0000, bytes);
  kestrova::EngineContext context;
  context.Sys = machine.View();
  context.OSInfo.IsNT = true;
  kestrova::TSMBIOS smbios(context);
  smbios.Refresh(1);
  kestrova::ReportLines lines;
  smbios.WriteReport(lines, false);
  smbios.Refresh(0);  // the whole of reader B as a table
  return 0;
}
