// The IP helper's adapter chain and network parameters as bytes through the recorded
// seam into TTCPIP, with 4- and 8-byte pointers: every pointer in the input is followed
// only inside the buffer, and every chain ends.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/core/context.h"
#include "engine/inventory/ip_helper.h"
#include "engine/inventory/network.h"
#include "engine/platform/recorded/recorded_machine.h"

namespace {

using namespace kestrova;

// The machine and its context are the same for every input (only the two answers
// change), so they are built once. TTCPIP loads the library on Refresh and frees it when
// destroyed, which leaves the machine as it was before the input.
RecordedMachine& Machine() {
  static RecordedMachine& m = *[] {
    auto* made = new RecordedMachine;
    made->Libraries["IPHLPAPI.DLL"].Exports = {"GetAdaptersInfo", "GetNetworkParams"};
    made->Network.RawAdapters.emplace();
    made->Network.RawParams.emplace();
    return made;
  }();
  return m;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  RecordedMachine& m = Machine();
  static const EngineContext context = MakeEngineContext(m.View());
  static ReportLines lines;
  // Byte 0: pointer size; byte 1: where the buffer's base address sits among a few
  // values (so pointers can hit it); the rest is the buffer, used for both calls. Both
  // decoders are reached through TTCPIP's Refresh, which decodes both answers.
  static const uint64_t kBases[] = {0, 0x10, 0x00150000, 0xFFFFFF00, 0x7FFFFFFFFFFF0000ull};
  for (IpHelperAnswer* a : {&*m.Network.RawAdapters, &*m.Network.RawParams}) {
    a->Result = 0;
    a->PointerSize = (data[0] & 1) ? 8 : 4;
    a->BaseAddress = kBases[data[1] % 5];
    a->Buffer.assign(data + 2, data + size);
  }
  {
    TTCPIP tcpip(context);
    tcpip.Refresh();
    lines.clear();
    tcpip.WriteReport(lines, false);
  }
  // Everything Refresh loaded was freed again.
  if (!m.LoadedLibraries().empty()) __builtin_trap();
  return 0;
}
