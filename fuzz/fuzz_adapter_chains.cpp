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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kestrova;
  if (size < 3) return 0;
  // Byte 0: pointer size; byte 1: where the buffer's base address sits among a few
  // values (so pointers can hit it); the rest is the buffer, used for both calls.
  IpHelperAnswer a;
  a.PointerSize = (data[0] & 1) ? 8 : 4;
  static const uint64_t kBases[] = {0, 0x10, 0x00150000, 0xFFFFFF00, 0x7FFFFFFFFFFF0000ull};
  a.BaseAddress = kBases[data[1] % 5];
  a.Buffer.assign(data + 2, data + size);
  (void)DecodeAdaptersInfo(a);
  (void)DecodeNetworkParams(a);

  RecordedMachine m;
  m.Libraries["IPHLPAPI.DLL"].Exports = {"GetAdaptersInfo", "GetNetworkParams"};
  m.Network.RawAdapters = a;
  m.Network.RawParams = a;
  const EngineContext context = MakeEngineContext(m.View());
  TTCPIP tcpip(context);
  tcpip.Refresh();
  ReportLines lines;
  tcpip.WriteReport(lines, false);
  return 0;
}
