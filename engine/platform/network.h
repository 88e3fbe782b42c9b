#pragma once
// Winsock, NetBIOS and the IP helper library. Structures whose layout the engine must
// walk (the IP helper's chained records) come back as the bytes the call wrote, with the
// address the buffer had, so the chain walks run the same on recorded data and are
// fuzzable. Buffer growing, start-up/clean-up pairs and handle closing stay inside the
// implementations.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/platform/libraries.h"

namespace kestrova {

// What WSAStartup answered (WSADATA), the description and status as the raw arrays.
struct WinsockData {
  uint16_t Version = 0;
  uint16_t HighVersion = 0;
  std::vector<uint8_t> Description;   // szDescription, 257 bytes, ANSI code page
  std::vector<uint8_t> SystemStatus;  // szSystemStatus, 129 bytes
};

// What one IP helper call answered. Pointers inside Buffer are addresses relative to
// BaseAddress (the address the buffer had when the call filled it).
struct IpHelperAnswer {
  uint32_t Result = 0;  // the call's return code: 0 success
  std::vector<uint8_t> Buffer;
  uint64_t BaseAddress = 0;
  uint32_t PointerSize = 4;  // 4 on 32-bit Windows, 8 on 64-bit
};

class INetwork {
 public:
  virtual ~INetwork() = default;

  // WSAStartup(requested), then WSACleanup. nullopt when the start-up failed (or no
  // Winsock library exists).
  virtual std::optional<WinsockData> StartWinsock(uint16_t requested) = 0;
  // WSAStartup(1.1), gethostname into 64 bytes, gethostbyname of that name, WSACleanup:
  // the host entry's IPv4 addresses in order (at most 64), empty when any step failed.
  virtual std::vector<std::vector<uint8_t>> HostAddresses() = 0;

  // NetBIOS. The enumeration answers the LANA_ENUM bytes (length byte, then the LANA
  // numbers); nullopt when NCBENUM failed.
  virtual std::optional<std::vector<uint8_t>> NetbiosEnum() = 0;
  virtual bool NetbiosReset(uint8_t lana) = 0;
  // NCBASTAT with the 16-byte call name; the status buffer (ADAPTER_STATUS and the name
  // table, 348 bytes at most) or nullopt when the command failed.
  virtual std::optional<std::vector<uint8_t>> NetbiosAdapterStatus(uint8_t lana,
                                                                   const std::string& callName) = 0;

  // GetAdaptersInfo / GetNetworkParams from the given iphlpapi.dll module (the caller
  // bound it and checked the entry point); the buffer is grown as the call asks.
  virtual IpHelperAnswer AdaptersInfo(ModuleHandle iphlpapi) = 0;
  virtual IpHelperAnswer NetworkParams(ModuleHandle iphlpapi) = 0;

  // Text of the ANSI code page (as these calls give it) to UTF-8.
  virtual std::string AnsiToText(const std::string& bytes) const = 0;
};

}  // namespace kestrova
