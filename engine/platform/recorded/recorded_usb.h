#pragma once
// The USB tree of a recorded machine, as data: host controllers "HCD0".."HCD9", hubs by
// device name, and on every hub port what the hub driver answers (connection status,
// device descriptor, configuration descriptor, string descriptors, or a hub). Requests
// the data does not cover fail with an error code, as the driver's do.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/platform/recorded/ini.h"
#include "engine/platform/usb.h"

namespace kestrova {

struct RecordedUsbPort {
  bool InfoFails = false;       // the connection information request fails
  uint32_t Status = 0;          // connection status
  uint8_t Address = 0;
  std::string Hub;              // name of the hub on this port (the port holds a hub)
  std::optional<std::string> DriverKey;  // nullopt: the request fails
  std::vector<uint8_t> DeviceDescriptor;  // 18 bytes
  std::optional<std::vector<uint8_t>> Configuration;  // whole descriptor; nullopt: requests fail
  std::map<uint8_t, std::vector<uint8_t>> Strings;    // string descriptors by index (0: languages)
  bool StringsFail = false;     // every string descriptor request fails
};

struct RecordedUsbHub {
  uint8_t Ports = 0;
  bool InfoFails = false;       // the node information request fails
  std::map<uint32_t, RecordedUsbPort> Port;  // by port number; absent ports fail
};

struct RecordedUsbController {
  std::optional<std::string> DriverKey;  // nullopt: the request fails
  std::optional<std::string> RootHub;    // nullopt: the request fails
};

// A string descriptor holding `text` (UTF-8), as a device returns it.
std::vector<uint8_t> StringDescriptorOf(const std::string& text);

class RecordedUsb : public IUsb {
 public:
  static constexpr uint32_t kFailureCode = 31;  // ERROR_GEN_FAILURE

  // --- the data (names upper-cased) --------------------------------------------------
  std::map<std::string, RecordedUsbController> Controllers;
  std::map<std::string, RecordedUsbHub> Hubs;
  std::map<uint32_t, std::string> Messages;  // the system's message texts by error code

  // --- what the engine did -------------------------------------------------------------
  unsigned Requests = 0;
  int OpenHandles() const { return static_cast<int>(open_.size()); }

  // --- IUsb -------------------------------------------------------------------------------
  UsbHandle Open(const std::string& name) override;
  void Close(UsbHandle handle) override;
  UsbAnswer Request(UsbHandle handle, uint32_t controlCode, const std::vector<uint8_t>& input,
                    uint32_t outputSize) override;
  std::string ErrorMessage(uint32_t code) const override;

 private:
  UsbAnswer Port(const RecordedUsbHub& hub, uint32_t code, const std::vector<uint8_t>& input, uint32_t outputSize);
  // The open handles and the device each names: a walk holds only a few at a time.
  std::vector<std::pair<UsbHandle, std::string>> open_;
  std::vector<std::pair<UsbHandle, std::string>>::iterator Find(UsbHandle handle);
  UsbHandle next_ = 1;
};

// The machine.ini sections of the area ([usbcontroller:HCDn], [usbhub:NAME],
// [usbport:NAME:N], [errormessages]); false for a section of another area.
bool ApplyUsbSection(RecordedUsb& usb, const IniSection& section, const std::string& fileName);

}  // namespace kestrova
