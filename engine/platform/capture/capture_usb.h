#pragma once
// The USB driver stack, captured: every open and request is passed on unchanged and its
// answer kept against the device it was sent to; Write lays the tree out as
// [usbcontroller:HCDn], [usbhub:NAME] and [usbport:NAME:N] (descriptors as hex bytes,
// failing requests as absent keys) and [errormessages].
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/platform/capture/capture_output.h"
#include "engine/platform/usb.h"

namespace kestrova {

class CapturingUsb final : public IUsb {
 public:
  explicit CapturingUsb(IUsb& inner) : inner_(inner) {}

  UsbHandle Open(const std::string& name) override;
  void Close(UsbHandle handle) override;
  UsbAnswer Request(UsbHandle handle, uint32_t controlCode, const std::vector<uint8_t>& input,
                    uint32_t outputSize) override;
  std::string ErrorMessage(uint32_t code) const override;

  void Write(CaptureOutput& out) const;

 private:
  struct Port {
    std::optional<UsbAnswer> Connection;            // connection information
    std::optional<std::string> Hub, DriverKey;      // names that came back
    std::optional<std::vector<uint8_t>> Configuration;  // the longest answer
    std::map<uint8_t, std::vector<uint8_t>> Strings;     // descriptors by index
    bool StringFailed = false, NameFailed = false;
  };
  struct Device {
    std::string Name;                               // as opened
    std::optional<std::string> DriverKey, RootHub;  // a controller's names
    std::optional<UsbAnswer> NodeInformation;       // a hub's
    std::map<uint32_t, Port> Ports;
  };
  Device& DeviceOf(const std::string& name);

  IUsb& inner_;
  std::vector<Device> devices_;                      // in the order they first opened
  std::map<UsbHandle, size_t> open_;                 // handle -> index into devices_
  mutable std::map<uint32_t, std::string> messages_;
  std::vector<uint32_t> failureCodes_;
};

}  // namespace kestrova
