#pragma once
// The network of a recorded machine: Winsock, the host lookup, the NetBIOS table and the
// IP helper's adapters and network parameters. The IP helper answers are laid out as the
// 32-bit system lays them out (records and address chains in one buffer, pointers as
// addresses), so the engine walks real chains; a test can hand raw buffers instead.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/inventory/ip_helper.h"
#include "engine/platform/network.h"
#include "engine/platform/recorded/ini.h"

namespace kestrova {

struct RecordedAdapter {
  std::string AdapterName;  // the "{GUID}" name
  std::string Description;
  std::vector<uint8_t> Address;
  uint32_t Type = 6;
  bool DhcpEnabled = false, HaveWins = false;
  // Each chain has at least its first element, as the system writes it (empty strings).
  std::vector<IpAddrEntry> IpAddresses{{}}, Gateways{{}}, DhcpServer{{}}, PrimaryWins{{}}, SecondaryWins{{}};
};

struct RecordedNetworkParams {
  std::string HostName, DomainName, ScopeId;
  std::vector<std::string> DnsServers;  // the first is the record's own element
  int CurrentDnsServer = -1;            // index into DnsServers; -1: null pointer
  uint32_t NodeType = 0;
  bool EnableRouting = false, EnableProxy = false, EnableDns = false;
};

// Buffers as the IP helper writes them, at `base`, with 4- or 8-byte pointers.
IpHelperAnswer BuildAdaptersInfo(const std::vector<RecordedAdapter>& adapters, uint64_t base, uint32_t pointerSize);
IpHelperAnswer BuildNetworkParams(const RecordedNetworkParams& params, uint64_t base, uint32_t pointerSize);

class RecordedNetwork : public INetwork {
 public:
  // --- the data -----------------------------------------------------------------------
  std::optional<WinsockData> Winsock;            // nullopt: WSAStartup fails
  std::vector<std::vector<uint8_t>> HostAddressList;
  std::optional<std::vector<uint8_t>> Lanas;     // the LANA numbers; nullopt: NCBENUM fails
  std::map<uint8_t, bool> ResetFails;
  std::map<uint8_t, std::vector<uint8_t>> AdapterAddresses;  // LANA -> address; absent: NCBASTAT fails
  std::vector<RecordedAdapter> Adapters;         // none: GetAdaptersInfo answers ERROR_NO_DATA
  std::optional<RecordedNetworkParams> Params;   // nullopt: GetNetworkParams fails
  std::optional<IpHelperAnswer> RawAdapters, RawParams;  // given as they are, when set

  // --- what the engine asked ----------------------------------------------------------
  std::vector<std::string> CallNames;

  // --- INetwork -------------------------------------------------------------------------
  std::optional<WinsockData> StartWinsock(uint16_t requested) override;
  std::vector<std::vector<uint8_t>> HostAddresses() override;
  std::optional<std::vector<uint8_t>> NetbiosEnum() override;
  bool NetbiosReset(uint8_t lana) override;
  std::optional<std::vector<uint8_t>> NetbiosAdapterStatus(uint8_t lana, const std::string& callName) override;
  IpHelperAnswer AdaptersInfo(ModuleHandle iphlpapi) override;
  IpHelperAnswer NetworkParams(ModuleHandle iphlpapi) override;
  std::string AnsiToText(const std::string& bytes) const override;
};

// The machine.ini sections of the area ([winsock], [netbios], [ipparams],
// [adapter:NAME]); false for a section of another area.
bool ApplyNetworkSection(RecordedNetwork& net, const IniSection& section, const std::string& fileName);

}  // namespace kestrova
