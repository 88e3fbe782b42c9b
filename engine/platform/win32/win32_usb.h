#pragma once
// The USB driver stack's requests over the real system: device paths opened with
// CreateFileA, requests sent with DeviceIoControl.
#include <map>

#include "engine/platform/usb.h"
#include "engine/platform/win32/handles.h"

namespace kestrova::win32 {

class Win32Usb : public IUsb {
 public:
  UsbHandle Open(const std::string& name) override;
  void Close(UsbHandle handle) override;
  UsbAnswer Request(UsbHandle handle, uint32_t controlCode, const std::vector<uint8_t>& input,
                    uint32_t outputSize) override;
  std::string ErrorMessage(uint32_t code) const override;

 private:
  std::map<UsbHandle, UniqueFileHandle> open_;
  UsbHandle next_ = 1;
};

}  // namespace kestrova::win32
