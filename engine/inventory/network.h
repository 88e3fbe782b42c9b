#pragma once
// TNetwork: network adapters (from the device list and, on NT, the NetworkCards key), the
// host's IP addresses, the NetBIOS adapter addresses and the installed protocols,
// services and clients. It owns TWinsock (the Winsock layer) and TTCPIP (the IP helper's
// adapters and network parameters).
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/information.h"
#include "engine/platform/libraries.h"

namespace kestrova {

class TWinsock : public TInformation {
 public:
  explicit TWinsock(const EngineContext& context);
  void Refresh();

  const std::string& Description() const { return description_; }
  const std::string& Status() const { return status_; }
  uint16_t MajorVersion() const { return majorVersion_; }
  uint16_t MinorVersion() const { return minorVersion_; }

 protected:
  void WriteBlock(ReportWriter& out) const override;

 private:
  friend class TNetwork;
  std::string description_, status_;
  uint16_t majorVersion_ = 0, minorVersion_ = 0;
};

enum class TNodeType : uint8_t { ntUnknown, ntBroadcast, ntPeerToPeer, ntMixed, ntHybrid };
const char* NodeTypeName(TNodeType type);  // "Unknown", "Broadcast", ...
TNodeType NodeTypeFromCode(uint32_t code);  // 1, 2, 4, 8; anything else ntUnknown

const char* AdapterTypeName(uint8_t index);   // 0 "Other" ... 6 "Slip"
uint8_t AdapterTypeFromCode(uint32_t code);   // 1, 6, 9, 15, 23, 24, 28 -> 0..6; else 0

struct TAdapter {
  std::string Name;
  std::string Address;
  uint8_t AdapterType = 0;
  bool EnableDHCP = false;
  bool HaveWINS = false;
  std::vector<std::string> IPAddress, IPMask, Gateway_IPAddress, Gateway_IPMask, DHCP_IPAddress,
      DHCP_IPMask, PrimaryWINS_IPAddress, PrimaryWINS_IPMask, SecondaryWINS_IPAddress,
      SecondaryWINS_IPMask;
};

// "00:0c:29:4a:1b:2c": each byte as two lower-case hex digits, joined by ":".
std::string FormatHardwareAddress(const std::vector<uint8_t>& bytes);
// The string list's comma text: items joined by ","; an item that is empty or holds a
// blank, a comma or a double quote is written in double quotes (quotes doubled).
std::string CommaText(const std::vector<std::string>& items);

class TTCPIP : public TInformation {
 public:
  static const char* const kLibraryName;  // "iphlpapi.dll"

  explicit TTCPIP(const EngineContext& context);
  ~TTCPIP() override;  // frees the library if Refresh loaded it (errors swallowed here)
  void Refresh();
  // Frees the library if Refresh loaded it; throws "Unload Error: iphlpapi.dll - 0x..."
  // when that fails.
  void UnloadLibrary();

  bool EnableProxy() const { return enableProxy_; }
  bool EnableRouting() const { return enableRouting_; }
  bool EnableDNS() const { return enableDNS_; }
  const std::string& HostName() const { return hostName_; }
  const std::string& DomainName() const { return domainName_; }
  const std::string& PrimaryDNSSuffix() const { return primaryDNSSuffix_; }
  const std::vector<std::string>& DNSServers() const { return dnsServers_; }
  const std::vector<std::string>& DNSSuffixes() const { return dnsSuffixes_; }
  TNodeType NodeType() const { return nodeType_; }
  const std::string& DHCPScopeName() const { return dhcpScopeName_; }
  uint16_t AdapterCount() const { return static_cast<uint16_t>(adapters_.size()); }
  // Copies the record at index; an index outside the list gives an empty record.
  void GetAdapter(int index, TAdapter& adapter) const;

 protected:
  void WriteBlock(ReportWriter& out) const override;

 private:
  friend class TNetwork;
  void RefreshInner();
  bool enableProxy_ = false, enableRouting_ = false, enableDNS_ = false;
  std::string hostName_, domainName_, primaryDNSSuffix_, dhcpScopeName_;
  std::vector<std::string> dnsServers_, dnsSuffixes_;
  TNodeType nodeType_ = TNodeType::ntUnknown;
  std::vector<TAdapter> adapters_;
  ModuleHandle module_ = 0;
  bool loadedHere_ = false;
};

class TNetwork : public TInformation {
 public:
  explicit TNetwork(const EngineContext& context);
  void Refresh();

  const std::vector<std::string>& VirtualAdapters() const { return virtualAdapters_; }
  const std::vector<std::string>& PhysicalAdapters() const { return physicalAdapters_; }
  std::vector<std::string>& PhysicalAdapters() { return physicalAdapters_; }
  TWinsock& WinSock() { return winsock_; }
  const TWinsock& WinSock() const { return winsock_; }
  const std::vector<std::string>& IPAddresses() const { return ipAddresses_; }
  const std::vector<std::string>& MACAddresses() const { return macAddresses_; }
  const std::vector<std::string>& Clients() const { return clients_; }
  const std::vector<std::string>& Services() const { return services_; }
  const std::vector<std::string>& Protocols() const { return protocols_; }
  TTCPIP& TCPIP() { return tcpip_; }
  const TTCPIP& TCPIP() const { return tcpip_; }

  // The NetBIOS adapter addresses into `list` ("%2.2x-..." lower-case), asking each LANA
  // for the status of `name` (upper-cased; "*" when empty). Returns the LANA count, -1
  // when the enumeration failed.
  int ReadMACAddresses(std::vector<std::string>& list, const std::string& name) const;
  // The installed components of one class ("NetTrans", "NetService", "NetClient").
  void LookupComponents(const std::string& className, const std::string& root,
                        const std::string& valueName, std::vector<std::string>& list) const;

 protected:
  void WriteBlock(ReportWriter& out) const override;
  std::vector<TInformation*> OwnedObjects() override { return {&tcpip_, &winsock_}; }

 private:
  void ClassifyAdapters();
  std::vector<std::string> virtualAdapters_, physicalAdapters_, ipAddresses_, macAddresses_,
      clients_, services_, protocols_;
  TWinsock winsock_;
  TTCPIP tcpip_;
};

}  // namespace kestrova
