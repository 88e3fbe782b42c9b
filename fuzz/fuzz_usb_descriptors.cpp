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
  std::vector<uint8_t> text(bytes.begin() + 18 + static_cast<long>(half), bytes.end());
  for (int k = 0; k < 4; ++k) port.Strings[static_cast<uint8_t>(k)] = text;
  hub.Port[2] = port;
  hub.Port[2].Hub = "ROOT";  // a hub that names itself: the walk must stay bounded
  const EngineContext context = MakeEngineContext(m.View());
  TUSB usb(context);
  usb.Refresh();
  ReportLines lines;
  usb.WriteReport(lines, false);
  return 0;
}
