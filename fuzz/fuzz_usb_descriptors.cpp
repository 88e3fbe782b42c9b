// The USB walk over a device whose configuration, string and connection answers are the
// input: through the recorded seam into TUSB, and the descriptor readers directly.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/core/context.h"
#include "engine/inventory/usb.h"
#include "engine/inventory/usb_descriptors.h"
#include "engine/platform/recorded/recorded_machine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kestrova;
  const std::vector<uint8_t> bytes(data, data + size);
  (void)InterfaceClassIndex(bytes);
  (void)DecodeStringDescriptor(bytes);
  (void)NameFromRequest(bytes, 4);
  (void)DecodeConnectionInfo(bytes);

  // The first 18 bytes are the device descriptor, the rest splits into the configuration
  // and one string descriptor.
  RecordedMachine m;
  m.Usb.Controllers["HCD0"] = {std::string("{36FC9E60}\\0000"), std::string("ROOT")};
  RecordedUsbHub& hub = m.Usb.Hubs["ROOT"];
  hub.Ports = 2;
  RecordedUsbPort& port = hub.Port[1];
  port.Status = 1;
  port.DriverKey = "key";
  port.DeviceDescriptor.assign(bytes.begin(), bytes.begin() + static_cast<long>(size < 18 ? size : 18));
  const size_t rest = size > 18 ? size - 18 : 0;
  const size_t half = rest / 2;
  if (size <= 18) return 0;
  port.Configuration = std::vector<uint8_t>(bytes.begin() + 18, bytes.begin() + 18 + static_cast<long>(half));
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
  std::vector<uint8_t> text(bytes.begin() + 18 + static_cast<long>(half), bytes.end());
  for (int k = 0; k < 4; ++k) port.Strings[static_cast<uint8_t>(k)] = text;
  // Port 2 holds a hub whose one port names that hub again: the walk must stay bounded
  // (the device on port 1 is read once, not at every level of the loop).
  RecordedUsbPort& loopPort = hub.Port[2];
  loopPort = port;
  loopPort.Hub = "LOOP";
  RecordedUsbHub& loop = m.Usb.Hubs["LOOP"];
  loop.Ports = 1;
  loop.Port[1] = loopPort;
  const EngineContext context = MakeEngineContext(m.View());
  TUSB usb(context);
  usb.Refresh();
  ReportLines lines;
  usb.WriteReport(lines, false);
  return 0;
}
