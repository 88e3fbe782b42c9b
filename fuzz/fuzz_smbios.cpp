// SMBIOS locate + walk + decode + report over arbitrary firmware bytes. The input is laid
// at F0000h (the firmware area searched for the anchors) and again at 0, so that table
// addresses inside the input land on its own bytes. The search covers the input's own
// bytes (the same scan as over the whole 64 KB, without a 64 KB copy per execution);
// fuzz_smbios_table takes the table walk and the decoders over table bytes directly.
#include <algorithm>
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
  // 32 bytes past the input: an entry point found at its end reads its fields as the
  // zeros that follow it, as in the full area.
  smbios.SetSearchArea(kestrova::TSMBIOS::kFirmwareStart,
                       std::min<uint32_t>(static_cast<uint32_t>(size) + 32, kestrova::TSMBIOS::kFirmwareLength));
  smbios.Refresh(1);
  kestrova::ReportLines lines;
  smbios.WriteReport(lines, false);
  smbios.Refresh(0);  // the whole of reader B as a table
  return 0;
}
