#pragma once
// TUSB: the USB tree (host controllers, their root hubs, external hubs and the device on
// every port) walked through the hub driver's requests, kept as one flat node list in
// walk order.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/information.h"
#include "engine/platform/usb.h"

namespace kestrova {

struct TUSBNode {
  std::string ConnectionName;
  std::string DriverKeyName;
  uint8_t USBClass = 0;
  int32_t ParentIndex = 0;
  int32_t Level = 0;
  int32_t PortNumber = 0;
  int32_t DeviceAddress = 0;
  std::string Manufacturer, Product, Serial;
  uint8_t ConnectionStatus = 0;
  uint16_t MaxPower = 0;
  uint8_t SpecMajor = 0, SpecMinor = 0;
  uint16_t ProductID = 0, VendorID = 0;
};

// Class index -> name: 0 "Reserved" ... 14 "<unknown>"; nullptr outside the table.
const char* USBClassName(uint8_t index);
constexpr uint8_t kUSBClassRootHub = 9, kUSBClassVendorSpecific = 10, kUSBClassExternalHub = 11,
                  kUSBClassHostController = 12, kUSBClassError = 13, kUSBClassUnknown = 14;
// Connection status -> text: 0 "No device connected" ... 5; nullptr outside the table.
const char* ConnectionStatusName(uint32_t status);
// A byte read as two binary-coded decimal digits: 0x10 -> 10.
int BcdByte(uint8_t b);

class TUSB : public TInformation {
 public:
  // Bounds of the walk: a hub deeper than this level has its ports left unwalked, and the
  // walk stops adding nodes at kMaxNodes (a hub that names itself cannot loop).
  static constexpr int32_t kMaxLevel = 8;
  static constexpr size_t kMaxNodes = 2048;

  explicit TUSB(const EngineContext& context);

  void Refresh();
  int NodeCount() const { return static_cast<int>(nodes_.size()); }
  // Copies node index; outside the list a zeroed record of class 13 ("<error>").
  void GetNode(int index, TUSBNode& node) const;
  const std::vector<TUSBNode>& Nodes() const { return nodes_; }
  // Connected nodes of a device class (below 9, or 10); at most 255.
  uint8_t ConnectedDevices() const;

 protected:
  void WriteBlock(ReportWriter& out) const override;

 private:
  void WalkPorts(UsbHandle hub, uint8_t ports, int32_t level, int32_t parent);
  // MaxPower and the class index from the configuration descriptor.
  void ReadConfiguration(UsbHandle hub, uint32_t port, TUSBNode& node);
  std::string ReadName(UsbHandle handle, uint32_t code, uint32_t port, bool perPort);
  // The string descriptor `index` of the device on `port`; false when a request failed.
  bool ReadString(UsbHandle hub, uint32_t port, uint8_t index, uint16_t& language, std::string& text);
  void Append(TUSBNode&& node);

  std::vector<TUSBNode> nodes_;
};

}  // namespace kestrova
