#include "engine/inventory/network.h"

#include <algorithm>
#include <stdexcept>

#include "engine/core/context.h"
#include "engine/core/text.h"
#include "engine/inventory/devices.h"
#include "engine/inventory/ip_helper.h"
#include "engine/os/shared_routines.h"

namespace kestrova {

namespace {

bool ContainsNoCase(const std::vector<std::string>& list, const std::string& text) {
  return std::any_of(list.begin(), list.end(), [&](const std::string& s) { return EqualsNoCase(s, text); });
}

// The string list's comma-text assignment, for texts that hold no blank or quote: the
// items between the commas; an empty text is an empty list.
std::vector<std::string> FromCommaText(const std::string& text) {
  if (text.empty()) return {};
  return Split(text, ',');
}

}  // namespace

// --- names ------------------------------------------------------------------------------

const char* NodeTypeName(TNodeType type) {
  static const char* const kNames[] = {"Unknown", "Broadcast", "Peer-To-Peer", "Mixed", "Hybrid"};
  auto i = static_cast<size_t>(type);
  return i < 5 ? kNames[i] : kNames[0];
}

TNodeType NodeTypeFromCode(uint32_t code) {
  switch (code) {
    case 1: return TNodeType::ntBroadcast;
    case 2: return TNodeType::ntPeerToPeer;
    case 4: return TNodeType::ntMixed;
    case 8: return TNodeType::ntHybrid;
    default: return TNodeType::ntUnknown;
  }
}

const char* AdapterTypeName(uint8_t index) {
  static const char* const kNames[] = {"Other", "Ethernet", "Token Ring", "FDDI", "PPP", "Loopback", "Slip"};
  return index < 7 ? kNames[index] : kNames[0];
}

uint8_t AdapterTypeFromCode(uint32_t code) {
  // system type code -> adapter type index
  static const struct { uint32_t Code; uint8_t Index; } kMap[] = {
      {1, 0}, {6, 1}, {9, 2}, {15, 3}, {23, 4}, {24, 5}, {28, 6},
  };
  for (const auto& m : kMap)
    if (m.Code == code) return m.Index;
  return 0;
}

std::string FormatHardwareAddress(const std::vector<uint8_t>& bytes) {
  std::string out;
  for (uint8_t b : bytes) out += Format("%2.2x:", b);
  if (!out.empty()) out.pop_back();
  return out;
}

std::string CommaText(const std::vector<std::string>& items) {
  std::string out;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i) out += ',';
    const std::string& s = items[i];
    bool quote = s.empty() || std::any_of(s.begin(), s.end(), [](char c) {
                   return static_cast<unsigned char>(c) <= ' ' || c == ',' || c == '"';
                 });
    out += quote ? "\"" + ReplaceAll(s, "\"", "\"\"") + "\"" : s;
  }
  return out;
}

// --- TWinsock ---------------------------------------------------------------------------

TWinsock::TWinsock(const EngineContext& context) : TInformation(context) {}

void TWinsock::Refresh() {
  INetwork* net = Context().Sys.Network;
  auto data = net ? net->StartWinsock(0x0101) : std::nullopt;
  if (!data) {
    status_ = "Winsock cannot be initialized.";
    return;
  }
  description_ = net->AnsiToText(FixedText(data->Description, 0, 257));
  status_ = net->AnsiToText(FixedText(data->SystemStatus, 0, 129));
  majorVersion_ = static_cast<uint16_t>(data->HighVersion & 0xFF);
  minorVersion_ = static_cast<uint16_t>(data->HighVersion >> 8);
}

void TWinsock::WriteBlock(ReportWriter& out) const {
  out.OpenClass("Winsock", "TWinsock");
  out.String("Description", description_);
  out.String("Version", Format("%d.%d", majorVersion_, minorVersion_));
  out.String("Status", status_);
  out.CloseClass("Winsock");
}

// --- TTCPIP -----------------------------------------------------------------------------

const char* const TTCPIP::kLibraryName = "iphlpapi.dll";

TTCPIP::TTCPIP(const EngineContext& context) : TInformation(context) {}

TTCPIP::~TTCPIP() {
  try {
    UnloadLibrary();
  } catch (...) {
    // a destructor cannot pass the error on
  }
}

void TTCPIP::UnloadLibrary() {
  if (!loadedHere_ || !module_) return;
  ModuleHandle module = module_;
  module_ = 0;
  loadedHere_ = false;
  if (!Context().Sys.Libraries->Free(module))
    throw std::runtime_error(Format("Unload Error: %s - 0x%llx", kLibraryName, static_cast<unsigned long long>(module)));
}

void TTCPIP::GetAdapter(int index, TAdapter& adapter) const {
  adapter = index >= 0 && static_cast<size_t>(index) < adapters_.size() ? adapters_[index] : TAdapter{};
}

void TTCPIP::Refresh() {
  try {
    RefreshInner();
  } catch (...) {
    // what was set stays
  }
}

void TTCPIP::RefreshInner() {
  adapters_.clear();
  const Platform& p = Context().Sys;
  if (!p.Libraries || !p.Network) return;
  if (!module_) {
    module_ = p.Libraries->GetLoadedModule(kLibraryName);
    if (!module_) {
      module_ = p.Libraries->Load(kLibraryName);
      loadedHere_ = module_ != 0;
    }
  }
  if (!module_ || !p.Libraries->HasEntryPoint(module_, "GetAdaptersInfo")) return;

  IpHelperAnswer info = p.Network->AdaptersInfo(module_);
  if (info.Result == 0) {
    for (const DecodedAdapter& d : DecodeAdaptersInfo(info)) {
      TAdapter a;
      a.Name = Trim(p.Network->AnsiToText(d.Description));
      a.Address = FormatHardwareAddress(d.Address);
      a.AdapterType = AdapterTypeFromCode(d.Type);
      a.EnableDHCP = d.DhcpEnabled;
      a.HaveWINS = d.HaveWins;
      auto fill = [](const std::vector<IpAddrEntry>& chain, std::vector<std::string>& addresses,
                     std::vector<std::string>& masks) {
        for (const IpAddrEntry& e : chain) {
          addresses.push_back(e.Address);
          masks.push_back(e.Mask);
        }
      };
      fill(d.IpAddressList, a.IPAddress, a.IPMask);
      fill(d.GatewayList, a.Gateway_IPAddress, a.Gateway_IPMask);
      fill(d.DhcpServer, a.DHCP_IPAddress, a.DHCP_IPMask);
      fill(d.PrimaryWinsServer, a.PrimaryWINS_IPAddress, a.PrimaryWINS_IPMask);
      fill(d.SecondaryWinsServer, a.SecondaryWINS_IPAddress, a.SecondaryWINS_IPMask);
      adapters_.push_back(std::move(a));
    }
  }

  if (!p.Libraries->HasEntryPoint(module_, "GetNetworkParams")) return;
  IpHelperAnswer params = p.Network->NetworkParams(module_);
  if (params.Result != 0) return;
  auto fixed = DecodeNetworkParams(params);
  if (!fixed) return;
  nodeType_ = NodeTypeFromCode(fixed->NodeType);
  dhcpScopeName_ = p.Network->AnsiToText(fixed->ScopeId);
  primaryDNSSuffix_ = fixed->CurrentDnsServer.value_or("");
  dnsServers_ = fixed->DnsServers;
  // Every part between commas, the one after the last comma too, even when empty.
  dnsSuffixes_ = Split(ReadRegistryString(p, RootKey::LocalMachine,
                                          "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters", "SearchList"),
                       ',');
  hostName_ = p.Network->AnsiToText(fixed->HostName);
  domainName_ = p.Network->AnsiToText(fixed->DomainName);
  enableProxy_ = fixed->EnableProxy;
  enableRouting_ = fixed->EnableRouting;
  enableDNS_ = fixed->EnableDns;
}

void TTCPIP::WriteBlock(ReportWriter& out) const {
  out.OpenClass("TCPIP", "TTCPIP");
  out.String("HostName", hostName_);
  out.String("DomainName", domainName_);
  out.String("NodeType", NodeTypeName(nodeType_));
  out.String("PrimaryDNSSuffix", primaryDNSSuffix_);
  out.String("DNSServers", CommaText(dnsServers_));
  for (size_t i = 0; i < adapters_.size(); ++i) {
    const TAdapter& a = adapters_[i];
    out.OpenSection(Format("Adapter_%d", static_cast<int>(i)));
    out.String("Name", a.Name);
    out.String("PhysicalAddress", a.Address);
    out.String("Type", AdapterTypeName(a.AdapterType));
    const struct { const char* Name; const std::vector<std::string>& List; } kLists[] = {
        {"IPAddress", a.IPAddress},
        {"IPMask", a.IPMask},
        {"Gateway_IPAddress", a.Gateway_IPAddress},
        {"Gateway_IPMask", a.Gateway_IPMask},
        {"DHCP_IPAddress", a.DHCP_IPAddress},
        {"DHCP_IPMask", a.DHCP_IPMask},
        {"PrimaryWINS_IPAddress", a.PrimaryWINS_IPAddress},
        {"PrimaryWINS_IPMask", a.PrimaryWINS_IPMask},
        {"SecondaryWINS_IPAddress", a.SecondaryWINS_IPAddress},
        {"SecondaryWINS_IPMask", a.SecondaryWINS_IPMask},
    };
    for (const auto& l : kLists) out.String(l.Name, CommaText(l.List));
    out.CloseSection();
  }
  out.CloseClass("TCPIP");
}

// --- TNetwork ---------------------------------------------------------------------------

TNetwork::TNetwork(const EngineContext& context) : TInformation(context), winsock_(context), tcpip_(context) {
  SetExceptionModes({TExceptionMode::emExceptionStack});
  ClassifyAdapters();
}

void TNetwork::ClassifyAdapters() {
  TDevices devices(Context());
  devices.Refresh();
  for (const TDevice& d : devices.Devices()) {
    if (d.DeviceClass != 21) continue;  // "Net"
    const std::string& name = !d.FriendlyName.empty() ? d.FriendlyName : d.Description;
    if (!d.ResourceListKey.empty() && !d.Location.empty())
      physicalAdapters_.push_back(name);
    else
      virtualAdapters_.push_back(name);
  }
}

void TNetwork::Refresh() {
  winsock_.Refresh();
  tcpip_.Refresh();
  const Platform& p = Context().Sys;
  const TOSInfo& os = Context().OSInfo;

  if (os.IsNT) {
    static const std::string kCards = "\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards";
    for (const std::string& card : p.Registry->SubKeyNames(RootKey::LocalMachine, kCards)) {
      std::string description = ReadRegistryString(p, RootKey::LocalMachine, kCards + "\\" + card, "Description");
      if (!ContainsNoCase(physicalAdapters_, description)) physicalAdapters_.push_back(description);
    }
  }

  std::string addresses;
  if (p.Network) {
    for (const auto& a : p.Network->HostAddresses()) {
      if (a.size() != 4) continue;
      if (!addresses.empty()) addresses += ',';
      addresses += Format("%u.%u.%u.%u", a[0], a[1], a[2], a[3]);
    }
  }
  ipAddresses_ = FromCommaText(addresses);

  std::string root, value;
  if (os.IsNT5Family) {
    root = "\\SYSTEM\\CurrentControlSet\\Control\\Network";
    value = "Description";
  } else {
    root = os.DeviceClassKey;
    value = "DriverDesc";
  }
  LookupComponents("NetTrans", root, value, protocols_);
  LookupComponents("NetService", root, value, services_);
  LookupComponents("NetClient", root, value, clients_);

  ReadMACAddresses(macAddresses_, os.MachineName);
}

void TNetwork::LookupComponents(const std::string& className, const std::string& root,
                                const std::string& valueName, std::vector<std::string>& list) const {
  list.clear();
  const Platform& p = Context().Sys;
  auto addFrom = [&](const std::string& key) {
    auto v = p.Registry->QueryValue(RootKey::LocalMachine, key, valueName);
    if (!v) return;
    std::string text = RegistryValueAsText(*v);
    if (!ContainsNoCase(list, text)) list.push_back(text);
  };
  if (!Context().OSInfo.IsNT) {
    const std::string classKey = root + "\\" + className;
    for (const std::string& s : p.Registry->SubKeyNames(RootKey::LocalMachine, classKey)) addFrom(classKey + "\\" + s);
    return;
  }
  for (const std::string& g : p.Registry->SubKeyNames(RootKey::LocalMachine, root)) {
    const std::string group = root + "\\" + g;
    auto cls = p.Registry->QueryValue(RootKey::LocalMachine, group, "Class");
    if (!cls || !EqualsNoCase(RegistryValueAsText(*cls), className)) continue;
    for (const std::string& s : p.Registry->SubKeyNames(RootKey::LocalMachine, group)) addFrom(group + "\\" + s);
    break;
  }
}

int TNetwork::ReadMACAddresses(std::vector<std::string>& list, const std::string& name) const {
  list.clear();
  INetwork* net = Context().Sys.Network;
  std::string callName = name.empty() ? "*" : ToUpperAscii(name);
  callName.resize(16, ' ');
  if (!net) return -1;
  auto lanas = net->NetbiosEnum();
  if (!lanas || lanas->empty()) return -1;
  // The length byte counts the LANA numbers that follow; never past what came back.
  size_t count = std::min<size_t>((*lanas)[0], lanas->size() - 1);
  for (size_t i = 0; i < count; ++i) {
    uint8_t lana = (*lanas)[1 + i];
    if (!net->NetbiosReset(lana)) continue;
    auto status = net->NetbiosAdapterStatus(lana, callName);
    if (!status || status->size() < 6) continue;
    const auto& s = *status;
    list.push_back(Format("%2.2x-%2.2x-%2.2x-%2.2x-%2.2x-%2.2x", s[0], s[1], s[2], s[3], s[4], s[5]));
  }
  return static_cast<int>(count);
}

void TNetwork::WriteBlock(ReportWriter& out) const {
  out.OpenClass("Network", "TNetwork");
  const struct { const char* Section; const char* Item; const std::vector<std::string>& List; } kLists[] = {
      {"Physical Adapters", "Adapter", physicalAdapters_},
      {"Virtual Adapters", "Adapter", virtualAdapters_},
      {"Protocols", "Protocol", protocols_},
      {"Services", "Service", services_},
      {"Clients", "Client", clients_},
      {"IPAddresses", "IPAddress", ipAddresses_},
      {"MACAdresses", "MACAddress", macAddresses_},
  };
  for (const auto& l : kLists) {
    out.OpenSection(l.Section);
    out.StringList("Count", l.Item, l.List);
    out.CloseSection();
  }
  out.CloseClass("Network");
  winsock_.WriteBlock(out);
  tcpip_.WriteBlock(out);
}

}  // namespace kestrova
