// The structure-table walk and the decoders over arbitrary table bytes, without the
// entry-point search and the report block (fuzz_smbios covers those, at the cost of a 64 KB
// firmware area per input). The first input byte picks the table's version (2.x, so that
// the fields of later versions are decoded too); the rest is the table, loaded the way the
// engine loads one.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/core/context.h"
#include "engine/hardware/dma.h"
#include "engine/hardware/smbios.h"
#include "engine/platform/recorded/recorded_firmware.h"

namespace {
constexpr uint32_t kTableAddress = 0x000E0000;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 0x10000) return 0;
  kestrova::PhysicalMemoryImage memory;
  memory.AddRegion(kTableAddress, std::vector<uint8_t>(data + 1, data + size));
  kestrova::RecordedFirmware firmware(memory);
  kestrova::EngineContext context;
  context.Sys.Firmware = &firmware;
  context.OSInfo.IsNT = true;
  const uint32_t length = static_cast<uint32_t>(size - 1);

  // The walk and the decoders as a located table has them.
  kestrova::TDMA table(context);
  if (length > 0 && !table.Read(kTableAddress, length)) __builtin_trap();
  kestrova::TSMBIOSValues values;
  values.MajorVersion = 2;
  values.MinorVersion = data[0] & 0x07;
  values.StructureTableAddress = kTableAddress;
  values.Index = kestrova::WalkStructureTable(table, kTableAddress, length, UINT32_MAX);
  // Each entry past the first starts at least four bytes after the one before it.
  if (values.Index.size() > length / 4 + 1) __builtin_trap();
  kestrova::DecodeStructures(table, values);
  // A structure's length byte bounds what the decoders take from it: 125 on-board
  // devices at most, one processor, cache, port or slot.
  if (values.OnBoardDevices.size() > values.Index.size() * 125) __builtin_trap();
  if (values.Processors.size() + values.Caches.size() + values.Ports.size() > values.Index.size()) __builtin_trap();
  return 0;
}
