// SMBIOS locate + walk + decode + report over arbitrary firmware bytes. The input is laid
// at F0000h (the firmware area searched for the anchors) and again at 0, so that table
// addresses inside the input land on its own bytes. The search covers the input's own
// bytes (the same scan as over the whole 64 KB, without a 64 KB copy per execution);
// fuzz_smbios_table takes the table walk and the decoders over table bytes directly.
//
// The machine, the context, the object and the report's line list are built once and
// reset for each input: its memory regions replaced, the firmware journal emptied,
// reader B emptied as a new object's is (a refresh that finds no entry point leaves it
// untouched, and the second refresh decodes it), the line list emptied. A refresh resets
// every decoded value itself, and reader A is read afresh by each one.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/core/context.h"
#include "engine/hardware/smbios.h"
#include "engine/platform/recorded/recorded_machine.h"

namespace {
struct Fixture {
  kestrova::RecordedMachine Machine;
  kestrova::EngineContext Context;
  std::unique_ptr<kestrova::TSMBIOS> Smbios;
  kestrova::ReportLines Lines;
  Fixture() {
    Machine.VersionData.PlatformId = 2;
    Context.Sys = Machine.View();
    Context.OSInfo.IsNT = true;
    Smbios = std::make_unique<kestrova::TSMBIOS>(Context);
  }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0x10000) return 0;
  static Fixture& f = *new Fixture;
  f.Machine.PhysicalMemory = kestrova::PhysicalMemoryImage{};
  f.Machine.PhysicalMemory.AddRegion(0, std::vector<uint8_t>(data, data + size));
  f.Machine.PhysicalMemory.AddRegion(0xF0000, std::vector<uint8_t>(data, data + size));
  f.Machine.Firmware.Journal.clear();
  kestrova::TSMBIOS& smbios = *f.Smbios;
  smbios.ReaderB().Read(0, 0);  // position 0, no bytes: as a new object's reader
  f.Lines.clear();
  // 32 bytes past the input: an entry point found at its end reads its fields as the
  // zeros that follow it, as in the full area.
  smbios.SetSearchArea(kestrova::TSMBIOS::kFirmwareStart,
                       std::min<uint32_t>(static_cast<uint32_t>(size) + 32, kestrova::TSMBIOS::kFirmwareLength));
  smbios.Refresh(1);
  smbios.WriteReport(f.Lines, false);
  smbios.Refresh(0);  // the whole of reader B as a table
  return 0;
}
