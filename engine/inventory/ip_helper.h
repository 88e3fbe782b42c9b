#pragma once
// Decoders of what the IP helper library writes: the chain of adapter records of
// GetAdaptersInfo and the network parameters of GetNetworkParams, read from the bytes of
// the call's buffer. Every pointer is checked before it is followed: it must land inside
// the buffer with room for a whole record. Every chain walk stops on a null pointer, on a
// pointer to the element itself, on an element already visited (a longer cycle) and after
// kMaxChainElements elements, so no buffer can make a walk run on.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/platform/network.h"

namespace kestrova {

constexpr size_t kMaxChainElements = 64;  // adapters in a list, or addresses in a chain

// Where the fields of the records sit, for a pointer size of 4 or 8 bytes (the system's
// IP_ADDR_STRING, IP_ADAPTER_INFO and FIXED_INFO; the Win32 side checks these against
// the SDK's own offsets).
struct IpHelperLayout {
  // IP_ADDR_STRING
  size_t AddrNext, AddrIpAddress, AddrIpMask, AddrSize;
  // IP_ADAPTER_INFO, up to the end of its last address chain
  size_t AdapterNext, AdapterDescription, AdapterAddressLength, AdapterAddress, AdapterType,
      AdapterDhcpEnabled, AdapterIpAddressList, AdapterGatewayList, AdapterDhcpServer,
      AdapterHaveWins, AdapterPrimaryWins, AdapterSecondaryWins, AdapterSize;
  // FIXED_INFO
  size_t FixedHostName, FixedDomainName, FixedCurrentDnsServer, FixedDnsServerList,
      FixedNodeType, FixedScopeId, FixedEnableRouting, FixedEnableProxy, FixedEnableDns,
      FixedSize;
};
inline constexpr IpHelperLayout kIpHelperLayout32 = {
    0, 4, 20, 40,                                                   // IP_ADDR_STRING
    0, 268, 400, 404, 416, 420, 428, 468, 508, 548, 552, 592, 632,  // IP_ADAPTER_INFO
    0, 132, 264, 268, 308, 312, 572, 576, 580, 584,                 // FIXED_INFO
};
inline constexpr IpHelperLayout kIpHelperLayout64 = {
    0, 8, 24, 48,
    0, 272, 404, 408, 420, 424, 440, 488, 536, 584, 592, 640, 688,
    0, 132, 264, 272, 320, 324, 584, 588, 592, 600,
};
// nullptr for a pointer size other than 4 or 8.
const IpHelperLayout* IpHelperLayoutFor(uint32_t pointerSize);

constexpr size_t kAdapterNameSize = 260, kAdapterDescriptionSize = 132, kAdapterAddressSize = 8;
constexpr size_t kIpAddressStringSize = 16, kHostNameSize = 132, kDomainNameSize = 132,
                 kScopeIdSize = 260;

struct IpAddrEntry {
  std::string Address, Mask;
};

// One adapter record; texts as the call wrote them (ANSI code page).
struct DecodedAdapter {
  std::string Description;
  std::vector<uint8_t> Address;  // AddressLength bytes, at most the 8 the record holds
  uint32_t Type = 0;
  bool DhcpEnabled = false, HaveWins = false;
  std::vector<IpAddrEntry> IpAddressList, GatewayList, DhcpServer, PrimaryWinsServer,
      SecondaryWinsServer;
};

struct DecodedNetworkParams {
  std::string HostName, DomainName;
  std::optional<std::string> CurrentDnsServer;  // nullopt: no entry (or none readable)
  std::vector<std::string> DnsServers;
  uint32_t NodeType = 0;
  std::string ScopeId;
  bool EnableRouting = false, EnableProxy = false, EnableDns = false;
};

// The adapter chain from the first record at the start of the buffer.
std::vector<DecodedAdapter> DecodeAdaptersInfo(const IpHelperAnswer& answer);
// nullopt when the buffer does not hold a whole record.
std::optional<DecodedNetworkParams> DecodeNetworkParams(const IpHelperAnswer& answer);

// A fixed character array: up to its first zero byte, or the whole array without one.
std::string FixedText(const std::vector<uint8_t>& bytes, size_t offset, size_t size);

}  // namespace kestrova
