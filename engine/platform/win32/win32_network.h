#pragma once
// Winsock, NetBIOS and the IP helper over the real system. Every library is bound by name
// at run time (Windows 95 may have no Winsock 2 and no IP helper), so the program starts
// whatever is missing.
#include <windows.h>

#include "engine/platform/network.h"
#include "engine/platform/win32/handles.h"

namespace kestrova::win32 {

class Win32Network : public INetwork {
 public:
  std::optional<WinsockData> StartWinsock(uint16_t requested) override;
  std::vector<std::vector<uint8_t>> HostAddresses() override;
  std::optional<std::vector<uint8_t>> NetbiosEnum() override;
  bool NetbiosReset(uint8_t lana) override;
  std::optional<std::vector<uint8_t>> NetbiosAdapterStatus(uint8_t lana, const std::string& callName) override;
  IpHelperAnswer AdaptersInfo(ModuleHandle iphlpapi) override;
  IpHelperAnswer NetworkParams(ModuleHandle iphlpapi) override;
  std::string AnsiToText(const std::string& bytes) const override;

 private:
  HMODULE Winsock();  // ws2_32.dll, else wsock32.dll; null when neither loads
  HMODULE Netapi();   // netapi32.dll
  UniqueLibrary winsock_, netapi_;
  bool winsockTried_ = false, netapiTried_ = false;
};

}  // namespace kestrova::win32
