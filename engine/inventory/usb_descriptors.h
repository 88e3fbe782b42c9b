#pragma once
// The USB hub driver's request layouts, built and read as bytes: name requests, node and
// connection information, descriptor requests, and the configuration and string
// descriptors they return. Every reader stays inside the bytes it is given.
#include <cstdint>
#include <string>
#include <vector>

namespace kestrova {

// Device-control codes of the USB driver stack.
constexpr uint32_t kIoctlGetHcdDriverKeyName = 0x220424;
constexpr uint32_t kIoctlUsbGetRootHubName = 0x220408;
constexpr uint32_t kIoctlUsbGetNodeInformation = 0x220408;  // same code, asked of a hub
constexpr uint32_t kIoctlUsbGetNodeConnectionInformation = 0x22040C;
constexpr uint32_t kIoctlUsbGetDescriptorFromNodeConnection = 0x220410;
constexpr uint32_t kIoctlUsbGetNodeConnectionName = 0x220414;
constexpr uint32_t kIoctlUsbGetNodeConnectionDriverKeyName = 0x220420;

constexpr uint32_t kNameRequestSize = 260;            // USB_HCD_DRIVERKEY_NAME, USB_ROOT_HUB_NAME
constexpr uint32_t kConnectionNameRequestSize = 264;  // the per-port ones: port number first
constexpr uint32_t kNodeInformationSize = 76;         // USB_NODE_INFORMATION
constexpr uint32_t kConnectionInformationSize = 420;  // USB_NODE_CONNECTION_INFORMATION + pipes
constexpr uint32_t kDescriptorRequestHeader = 12;     // USB_DESCRIPTOR_REQUEST before its data

constexpr uint8_t kDescriptorConfiguration = 2, kDescriptorString = 3, kDescriptorInterface = 4;

// The name a name request returned: one character per UTF-16 code unit (its low byte),
// from `offset` up to the first code unit whose low byte is 0 or the end of the data.
std::string NameFromRequest(const std::vector<uint8_t>& output, size_t offset);

// A request buffer of `size` zero bytes, the port number in its first four.
std::vector<uint8_t> PortRequest(uint32_t port, uint32_t size);
// USB_DESCRIPTOR_REQUEST for a standard GET_DESCRIPTOR of `length` bytes.
std::vector<uint8_t> DescriptorRequest(uint32_t port, uint8_t type, uint8_t index, uint16_t language,
                                       uint16_t length);
// The descriptor bytes of a descriptor request's answer (empty when it is only a header).
std::vector<uint8_t> DescriptorData(const std::vector<uint8_t>& output);

// USB_NODE_INFORMATION of a hub: its number of ports (0 when the answer is too short).
uint8_t HubPortCount(const std::vector<uint8_t>& output);

struct ConnectionInfo {
  uint8_t DeviceDescriptor[18] = {};
  bool DeviceIsHub = false;
  uint8_t DeviceAddress = 0;  // low byte of the address
  uint32_t ConnectionStatus = 0;
  uint16_t BcdUSB() const { return static_cast<uint16_t>(DeviceDescriptor[2] | DeviceDescriptor[3] << 8); }
  uint16_t VendorID() const { return static_cast<uint16_t>(DeviceDescriptor[8] | DeviceDescriptor[9] << 8); }
  uint16_t ProductID() const { return static_cast<uint16_t>(DeviceDescriptor[10] | DeviceDescriptor[11] << 8); }
  uint8_t ManufacturerIndex() const { return DeviceDescriptor[14]; }
  uint8_t ProductIndex() const { return DeviceDescriptor[15]; }
  uint8_t SerialIndex() const { return DeviceDescriptor[16]; }
};
// USB_NODE_CONNECTION_INFORMATION (packed); what the answer lacks reads as zero.
ConnectionInfo DecodeConnectionInfo(const std::vector<uint8_t>& output);

// The class index of a configuration descriptor's first interface: 10 for class 255
// (vendor specific), the class itself for 0 to 9, else 11; 14 when no interface
// descriptor is found. The walk goes descriptor by descriptor from offset 9 by each one's
// own length, and stops at a zero length, at a descriptor that runs past the data and at
// the end of the data (the returned length, or the descriptor's total length if shorter).
uint8_t InterfaceClassIndex(const std::vector<uint8_t>& configuration);

// The text of a string descriptor: UTF-16 from byte 2 up to its zero code unit, within
// its length byte; a length that is odd or runs past the data is cut to the whole code
// units present. Cut to 255 characters.
std::string DecodeStringDescriptor(const std::vector<uint8_t>& descriptor);

}  // namespace kestrova
