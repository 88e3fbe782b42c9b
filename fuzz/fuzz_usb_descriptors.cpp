// The USB walk over a device whose configuration, string and connection answers are the
// input: through the recorded seam into TUSB, and the descriptor readers directly.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/core/context.h"
#include "engine/inventory/usb.h"
#include "engine/inventory/usb_descriptors.h"
#include "engine/platform/recorded/recorded_machine.h"

namespace {

using namespace kestrova;

// The machine is the same for every input but for the device's answers, so it is built
// once and those answers are overwritten per input (every one of them, so nothing of an
// input stays for the next). The walk closes every handle it opens.
RecordedMachine& Machine() {
  static RecordedMachine& m = *[] {
    auto* made = new RecordedMachine;
    made->Usb.Controllers["HCD0"] = {std::string("{36FC9E60}\\0000"), std::string("ROOT")};
    RecordedUsbHub& hub = made->Usb.Hubs["ROOT"];
    hub.Ports = 2;
    RecordedUsbPort& port = hub.Port[1];
    port.Status = 1;
    port.DriverKey = "key";
    port.Configuration.emplace();
    for (int k = 0; k < 4; ++k) port.Strings[static_cast<uint8_t>(k)];
    // Port 2 holds a hub whose one port names that hub again: the walk must stay bounded
    // (the device on port 1 is read once, not at every level of the loop).
    RecordedUsbPort& loopPort = hub.Port[2];
    loopPort = port;
    loopPort.Hub = "LOOP";
    RecordedUsbHub& loop = made->Usb.Hubs["LOOP"];
    loop.Ports = 1;
    loop.Port[1] = loopPort;
    return made;
  }();
  return m;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::vector<uint8_t> bytes;
  bytes.assign(data, data + size);
  (void)InterfaceClassIndex(bytes);
  (void)DecodeStringDescriptor(bytes);
  (void)NameFromRequest(bytes, 4);
  (void)DecodeConnectionInfo(bytes);
  if (size <= 18) return 0;

  // The first 18 bytes are the device descriptor, the rest splits into the configuration
  // and one string descriptor.
  RecordedMachine& m = Machine();
  static const EngineContext context = MakeEngineContext(m.View());
  RecordedUsbHub& hub = m.Usb.Hubs["ROOT"];
  RecordedUsbPort& port = hub.Port[1];
  port.DeviceDescriptor.assign(data, data + 18);
  const size_t half = (size - 18) / 2;
  port.Configuration->assign(data + 18, data + 18 + half);
  // The configuration's total length past its recorded bytes answers as one byte past
  // them does (the answer is cut to the bytes there are); kept there so that a 64 KB
  // request buffer is not built for nothing on every execution.
  std::vector<uint8_t>& configuration = *port.Configuration;
  if (configuration.size() >= 4) {
    const size_t total = configuration[2] | configuration[3] << 8;
    if (total > configuration.size() + 1) {
      configuration[2] = static_cast<uint8_t>(configuration.size() + 1);
      configuration[3] = static_cast<uint8_t>((configuration.size() + 1) >> 8);
    }
  }
  for (auto& s : port.Strings) s.second.assign(data + 18 + half, data + size);
  // The loop of hubs is walked when the first byte's low bit says so: its walk reads no
  // answer of the input (a hub's port is walked, not read), so walking it on every input
  // would only repeat the same eight levels. The hub ports carry the device's answers.
  hub.Ports = (data[0] & 1) ? 2 : 1;
  if (hub.Ports == 2) {
    RecordedUsbPort& loopPort = hub.Port[2];
    std::string loopName = std::move(loopPort.Hub);
    loopPort = port;
    loopPort.Hub = std::move(loopName);
    m.Usb.Hubs["LOOP"].Port[1] = loopPort;
  }

  // The list's room is kept from one input to the next, its lines are not: an execution
  // that left its lines allocated would look like a leak to libFuzzer, which then runs the
  // input again under LeakSanitizer.
  static ReportLines lines;
  {
    TUSB usb(context);
    usb.Refresh();
    usb.WriteReport(lines, false);
    lines.clear();
  }
  if (m.Usb.OpenHandles() != 0) __builtin_trap();
  return 0;
}
