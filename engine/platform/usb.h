#pragma once
// The USB driver stack's device-control requests: open a device path "\\.\NAME", send a
// request, get the bytes it returned. The engine builds and decodes every structure.
#include <cstdint>
#include <string>
#include <vector>

namespace kestrova {

using UsbHandle = uint32_t;  // 0 = none

struct UsbAnswer {
  bool Ok = false;
  std::vector<uint8_t> Output;  // the bytes the request returned (its returned length)
  uint32_t LastError = 0;       // GetLastError when it failed
};

class IUsb {
 public:
  virtual ~IUsb() = default;
  // Opens "\\.\" + name for the read requests of the hub driver (which wants write access
  // on the systems of this era); 0 when it does not open.
  virtual UsbHandle Open(const std::string& name) = 0;
  virtual void Close(UsbHandle handle) = 0;
  // DeviceIoControl with the same buffer for input and output, `outputSize` bytes long.
  virtual UsbAnswer Request(UsbHandle handle, uint32_t controlCode, const std::vector<uint8_t>& input,
                            uint32_t outputSize) = 0;
  // The system's message text for an error code, without its line break.
  virtual std::string ErrorMessage(uint32_t code) const = 0;
};

}  // namespace kestrova
