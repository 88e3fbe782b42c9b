#include "engine/inventory/usb.h"

#include <algorithm>

#include "engine/core/context.h"
#include "engine/core/text.h"
#include "engine/inventory/usb_descriptors.h"

namespace kestrova {

namespace {

// index: name
const char* const kUSBClassNames[15] = {
    "Reserved",            // 0
    "Audio",               // 1
    "Communications",      // 2
    "Human interface",     // 3
    "Monitor",             // 4
    "Physical interface",  // 5
    "Power",               // 6
    "Printer",             // 7
    "Storage",             // 8
    "Root Hub",            // 9
    "Vendor Specific",     // 10
    "External Hub",        // 11
    "Host Controller",     // 12
    "<error>",             // 13
    "<unknown>",           // 14
};

const char* const kConnectionStatusNames[6] = {
    "No device connected",          // 0
    "Device connected",             // 1
    "Device FAILED enumeration",    // 2
    "Device general FAILURE",       // 3
    "Device caused overcurrent",    // 4
    "Not enough power for device",  // 5
};

// Owns an opened device path for one scope.
class OpenDevice {
 public:
  OpenDevice(IUsb& usb, const std::string& name) : usb_(usb), handle_(usb.Open(name)) {}
  ~OpenDevice() {
    if (handle_) usb_.Close(handle_);
  }
  OpenDevice(const OpenDevice&) = delete;
  OpenDevice& operator=(const OpenDevice&) = delete;
  UsbHandle Get() const { return handle_; }

 private:
  IUsb& usb_;
  UsbHandle handle_;
};

}  // namespace

const char* USBClassName(uint8_t index) { return index < 15 ? kUSBClassNames[index] : nullptr; }

const char* ConnectionStatusName(uint32_t status) { return status < 6 ? kConnectionStatusNames[status] : nullptr; }

int BcdByte(uint8_t b) { return (b >> 4) * 10 + (b & 0x0F); }

TUSB::TUSB(const EngineContext& context) : TInformation(context) {
  SetExceptionModes({TExceptionMode::emExceptionStack});
}

void TUSB::GetNode(int index, TUSBNode& node) const {
  if (index >= 0 && static_cast<size_t>(index) < nodes_.size()) {
    node = nodes_[index];
  } else {
    node = TUSBNode{};
    node.USBClass = kUSBClassError;
  }
}

uint8_t TUSB::ConnectedDevices() const {
  size_t n = std::count_if(nodes_.begin(), nodes_.end(), [](const TUSBNode& x) {
    return x.ConnectionStatus == 1 && (x.USBClass < kUSBClassRootHub || x.USBClass == kUSBClassVendorSpecific);
  });
  return static_cast<uint8_t>(std::min<size_t>(n, 255));
}

void TUSB::Append(TUSBNode&& node) {
  if (nodes_.size() < kMaxNodes) nodes_.push_back(std::move(node));
}

std::string TUSB::ReadName(UsbHandle handle, uint32_t code, uint32_t port, bool perPort) {
  IUsb& usb = *Context().Sys.Usb;
  uint32_t size = perPort ? kConnectionNameRequestSize : kNameRequestSize;
  UsbAnswer a = usb.Request(handle, code, PortRequest(perPort ? port : 0, size), size);
  if (!a.Ok) return Truncate(Format("Error: %s (%d)", usb.ErrorMessage(a.LastError).c_str(), static_cast<int>(a.LastError)), 255);
  return NameFromRequest(a.Output, perPort ? 8 : 4);
}

void TUSB::Refresh() {
  nodes_.clear();
  nodes_.reserve(16);  // a node holds a dozen texts: room for a usual machine's at once
  IUsb* usb = Context().Sys.Usb;
  if (!usb) return;
  for (int n = 0; n <= 9; ++n) {
    const std::string name = Format("HCD%d", n);
    OpenDevice controller(*usb, name);
    if (!controller.Get()) continue;
    TUSBNode hc;
    hc.ConnectionName = name;
    hc.DriverKeyName = ReadName(controller.Get(), kIoctlGetHcdDriverKeyName, 0, false);
    hc.USBClass = kUSBClassHostController;
    hc.ParentIndex = -1;
    hc.Level = 0;
    hc.PortNumber = n;
    hc.ConnectionStatus = 1;
    Append(std::move(hc));
    const int32_t hcIndex = static_cast<int32_t>(nodes_.size()) - 1;

    const std::string rootName = ReadName(controller.Get(), kIoctlUsbGetRootHubName, 0, false);
    OpenDevice root(*usb, rootName);
    if (!root.Get()) continue;
    UsbAnswer info = usb->Request(root.Get(), kIoctlUsbGetNodeInformation,
                                  std::vector<uint8_t>(kNodeInformationSize, 0), kNodeInformationSize);
    if (!info.Ok || info.Output.size() > 256) continue;
    TUSBNode hub;
    hub.ConnectionName = rootName;
    hub.USBClass = kUSBClassRootHub;
    hub.ParentIndex = hcIndex;
    hub.Level = 1;
    hub.PortNumber = n;
    hub.ConnectionStatus = 1;
    Append(std::move(hub));
    WalkPorts(root.Get(), HubPortCount(info.Output), 2, static_cast<int32_t>(nodes_.size()) - 1);
  }
}

void TUSB::WalkPorts(UsbHandle hub, uint8_t ports, int32_t level, int32_t parent) {
  IUsb& usb = *Context().Sys.Usb;
  uint16_t language = 0;  // shared by the ports of this hub
  for (uint32_t i = 1; i <= ports && nodes_.size() < kMaxNodes; ++i) {
    UsbAnswer a = usb.Request(hub, kIoctlUsbGetNodeConnectionInformation,
                              PortRequest(i, kConnectionInformationSize), kConnectionInformationSize);
    if (!a.Ok) continue;
    const ConnectionInfo c = DecodeConnectionInfo(a.Output);
    TUSBNode node;
    node.ParentIndex = parent;
    node.Level = level;
    node.PortNumber = static_cast<int32_t>(i);
    node.DeviceAddress = c.DeviceAddress;
    node.ConnectionStatus = static_cast<uint8_t>(c.ConnectionStatus);
    if (c.ConnectionStatus != 1) {
      Append(std::move(node));
    } else if (c.DeviceIsHub) {
      const std::string hubName = ReadName(hub, kIoctlUsbGetNodeConnectionName, i, true);
      OpenDevice external(usb, hubName);
      if (!external.Get()) continue;
      UsbAnswer info = usb.Request(external.Get(), kIoctlUsbGetNodeInformation,
                                   std::vector<uint8_t>(kNodeInformationSize, 0), kNodeInformationSize);
      if (!info.Ok) continue;
      node.ConnectionName = hubName;
      node.USBClass = kUSBClassExternalHub;
      Append(std::move(node));
      if (level < kMaxLevel)
        WalkPorts(external.Get(), HubPortCount(info.Output), level + 1, static_cast<int32_t>(nodes_.size()) - 1);
    } else {
      node.DriverKeyName = ReadName(hub, kIoctlUsbGetNodeConnectionDriverKeyName, i, true);
      node.SpecMajor = static_cast<uint8_t>(c.BcdUSB() >> 8);
      node.SpecMinor = static_cast<uint8_t>(c.BcdUSB() & 0xFF);
      node.ProductID = c.ProductID();
      node.VendorID = c.VendorID();
      ReadConfiguration(hub, i, node);
      if (ReadString(hub, i, c.ProductIndex(), language, node.Product) &&
          ReadString(hub, i, c.ManufacturerIndex(), language, node.Manufacturer))
        ReadString(hub, i, c.SerialIndex(), language, node.Serial);
      Append(std::move(node));
    }
  }
}

void TUSB::ReadConfiguration(UsbHandle hub, uint32_t port, TUSBNode& node) {
  IUsb& usb = *Context().Sys.Usb;
  uint8_t cls = kUSBClassUnknown;
  UsbAnswer first = usb.Request(hub, kIoctlUsbGetDescriptorFromNodeConnection,
                                DescriptorRequest(port, kDescriptorConfiguration, 0, 0, 18),
                                kDescriptorRequestHeader + 18);
  const std::vector<uint8_t> head = first.Ok ? DescriptorData(first.Output) : std::vector<uint8_t>{};
  if (first.Ok && head.size() >= 4) {
    const uint16_t total = static_cast<uint16_t>(head[2] | head[3] << 8);
    UsbAnswer whole = usb.Request(hub, kIoctlUsbGetDescriptorFromNodeConnection,
                                  DescriptorRequest(port, kDescriptorConfiguration, 0, 0, total),
                                  kDescriptorRequestHeader + total);
    if (whole.Ok) {
      const std::vector<uint8_t> data = DescriptorData(whole.Output);
      if (data.size() > 8) node.MaxPower = static_cast<uint16_t>(data[8] * 2);
      cls = InterfaceClassIndex(data);
    }
  }
  node.USBClass = cls <= kUSBClassVendorSpecific ? cls : kUSBClassUnknown;
}

bool TUSB::ReadString(UsbHandle hub, uint32_t port, uint8_t index, uint16_t& language, std::string& text) {
  IUsb& usb = *Context().Sys.Usb;
  text.clear();
  bool ok = true;
  if (language == 0) {
    UsbAnswer a = usb.Request(hub, kIoctlUsbGetDescriptorFromNodeConnection,
                              DescriptorRequest(port, kDescriptorString, 0, 0, 8), kDescriptorRequestHeader + 8);
    ok = a.Ok;
    const std::vector<uint8_t> d = a.Ok ? DescriptorData(a.Output) : std::vector<uint8_t>{};
    if (d.size() >= 4) language = static_cast<uint16_t>(d[2] | d[3] << 8);
  }
  if (index == 0) return ok;
  const std::vector<uint8_t> request = DescriptorRequest(port, kDescriptorString, index, language, 255);
  UsbAnswer a = usb.Request(hub, kIoctlUsbGetDescriptorFromNodeConnection, request, kDescriptorRequestHeader + 255);
  if (!a.Ok) return false;
  UsbAnswer b = usb.Request(hub, kIoctlUsbGetDescriptorFromNodeConnection, request, kDescriptorRequestHeader + 255);
  if (!b.Ok) return false;
  text = DecodeStringDescriptor(DescriptorData(b.Output));
  return ok;
}

void TUSB::WriteBlock(ReportWriter& out) const {
  out.OpenClass("USB", "TUSB");
  out.Integer("Count", static_cast<int64_t>(nodes_.size()));
  out.Integer("ConnectedDevices", ConnectedDevices());
  std::vector<int32_t> open;  // levels of the sections still open
  auto className = [](uint8_t c) -> std::string {
    const char* n = USBClassName(c);
    return n ? n : "";
  };
  for (const TUSBNode& n : nodes_) {
    while (!open.empty() && open.back() >= n.Level) {
      out.CloseSection();
      open.pop_back();
    }
    const char* cls = USBClassName(n.USBClass);
    if (n.Level == 0 || n.Level == 1) {
      std::string name;
      if (!cls)
        name = Format("unknown class %d %d", n.USBClass, n.PortNumber);
      else if (n.Level == 0)
        name = Format("%s %d", cls, n.PortNumber);
      else
        name = Format("%s on HC %d", cls, n.PortNumber);
      out.OpenSection(name);
      out.String("ConnectionName", n.ConnectionName);
      out.String("DriveKeyName", n.DriverKeyName);
      open.push_back(n.Level);
    } else if (n.ConnectionStatus != 1) {
      const char* status = ConnectionStatusName(n.ConnectionStatus);
      out.OpenSection(status ? Format("Port[%d]: %s", n.PortNumber, status)
                             : Format("Port[%d]: unknown connection status %d", n.PortNumber, n.ConnectionStatus));
      out.CloseSection();
    } else if (n.USBClass == kUSBClassExternalHub) {
      out.OpenSection(Format("Port[%d]: %s", n.PortNumber, className(n.USBClass).c_str()));
      out.String("ConnectionName", n.ConnectionName);
      out.String("DriveKeyName", n.DriverKeyName);
      open.push_back(n.Level);
    } else {
      out.OpenSection(Format("Port[%d]: %s", n.PortNumber, n.Product.c_str()));
      out.String("ConnectionName", n.ConnectionName);
      out.String("DriveKeyName", n.DriverKeyName);
      out.String("Classname", cls ? std::string(cls) : Format("unknown class %d", n.USBClass));
      out.String("Manufacturer", n.Manufacturer);
      out.String("Serial", n.Serial);
      out.Integer("Power Consumption", n.MaxPower, "mA");
      out.String("Specification", Format("%d.%d", BcdByte(n.SpecMajor), BcdByte(n.SpecMinor)));
      out.Integer("VendorID", n.VendorID);
      out.Integer("ProductID", n.ProductID);
      out.CloseSection();
    }
  }
  while (!open.empty()) {
    out.CloseSection();
    open.pop_back();
  }
  out.CloseClass("USB");
}

}  // namespace kestrova
