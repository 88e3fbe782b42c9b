#include "engine/platform/recorded/recorded_network.h"

#include "engine/core/text.h"
#include "engine/platform/recorded/ini_values.h"
#include "engine/platform/recorded/load_error.h"

namespace kestrova {

namespace {

constexpr uint32_t kErrorNoData = 232;
constexpr uint32_t kErrorNotSupported = 50;

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void PutPointer(std::vector<uint8_t>& b, size_t at, uint64_t v, uint32_t size) {
  for (uint32_t i = 0; i < size; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void PutText(std::vector<uint8_t>& b, size_t at, const std::string& s, size_t size) {
  for (size_t i = 0; i < s.size() && i + 1 < size; ++i) b[at + i] = static_cast<uint8_t>(s[i]);
}
size_t RoundUp(size_t n) { return (n + 7) & ~size_t{7}; }

// Writes an address chain: its first element at `first` (inside a record), the others
// appended at the end of the buffer.
void PutChain(std::vector<uint8_t>& b, const IpHelperLayout& l, uint64_t base, uint32_t ptr, size_t first,
              const std::vector<IpAddrEntry>& chain) {
  size_t at = first;
  for (size_t i = 0; i < chain.size(); ++i) {
    PutText(b, at + l.AddrIpAddress, chain[i].Address, kIpAddressStringSize);
    PutText(b, at + l.AddrIpMask, chain[i].Mask, kIpAddressStringSize);
    if (i + 1 == chain.size()) break;
    size_t next = b.size();
    b.resize(next + RoundUp(l.AddrSize), 0);
    PutPointer(b, at + l.AddrNext, base + next, ptr);
    at = next;
  }
}

std::vector<IpAddrEntry> ParseChain(const IniValues& v, const IniEntry& e) {
  std::vector<IpAddrEntry> out;
  for (const std::string& item : Split(e.Value, ',')) {
    std::string t = Trim(item);
    size_t slash = t.find('/');
    if (slash == std::string::npos) v.Fail(e, "expected address/mask items: " + e.Value);
    out.push_back({Trim(t.substr(0, slash)), Trim(t.substr(slash + 1))});
  }
  return out;
}

std::vector<uint8_t> AddressBytes(const IniValues& v, const IniEntry& e, const std::string& text) {
  std::vector<uint8_t> out;
  for (const std::string& part : Split(Trim(text), '.')) {
    IniEntry one = e;
    one.Value = part;
    out.push_back(static_cast<uint8_t>(v.Number(one, 255)));
  }
  if (out.size() != 4) v.Fail(e, "expected dotted IPv4 addresses: " + e.Value);
  return out;
}

}  // namespace

IpHelperAnswer BuildAdaptersInfo(const std::vector<RecordedAdapter>& adapters, uint64_t base, uint32_t ptr) {
  IpHelperAnswer a;
  a.BaseAddress = base;
  a.PointerSize = ptr;
  const IpHelperLayout* l = IpHelperLayoutFor(ptr);
  if (!l || adapters.empty()) {
    a.Result = kErrorNoData;
    return a;
  }
  const size_t stride = RoundUp(l->AdapterSize + 16);  // the two lease times follow
  a.Buffer.assign(stride * adapters.size(), 0);
  for (size_t i = 0; i < adapters.size(); ++i) {
    const RecordedAdapter& r = adapters[i];
    const size_t at = i * stride;
    if (i + 1 < adapters.size()) PutPointer(a.Buffer, at + l->AdapterNext, base + at + stride, ptr);
    PutText(a.Buffer, at + l->AdapterNext + ptr + 4, r.AdapterName, kAdapterNameSize);
    PutText(a.Buffer, at + l->AdapterDescription, r.Description, kAdapterDescriptionSize);
    Put32(a.Buffer, at + l->AdapterAddressLength, static_cast<uint32_t>(r.Address.size()));
    for (size_t k = 0; k < r.Address.size() && k < kAdapterAddressSize; ++k)
      a.Buffer[at + l->AdapterAddress + k] = r.Address[k];
    Put32(a.Buffer, at + l->AdapterType, r.Type);
    Put32(a.Buffer, at + l->AdapterDhcpEnabled, r.DhcpEnabled);
    Put32(a.Buffer, at + l->AdapterHaveWins, r.HaveWins);
    PutChain(a.Buffer, *l, base, ptr, at + l->AdapterIpAddressList, r.IpAddresses);
    PutChain(a.Buffer, *l, base, ptr, at + l->AdapterGatewayList, r.Gateways);
    PutChain(a.Buffer, *l, base, ptr, at + l->AdapterDhcpServer, r.DhcpServer);
    PutChain(a.Buffer, *l, base, ptr, at + l->AdapterPrimaryWins, r.PrimaryWins);
    PutChain(a.Buffer, *l, base, ptr, at + l->AdapterSecondaryWins, r.SecondaryWins);
  }
  return a;
}

IpHelperAnswer BuildNetworkParams(const RecordedNetworkParams& p, uint64_t base, uint32_t ptr) {
  IpHelperAnswer a;
  a.BaseAddress = base;
  a.PointerSize = ptr;
  const IpHelperLayout* l = IpHelperLayoutFor(ptr);
  if (!l) {
    a.Result = kErrorNotSupported;
    return a;
  }
  a.Buffer.assign(l->FixedSize, 0);
  PutText(a.Buffer, l->FixedHostName, p.HostName, kHostNameSize);
  PutText(a.Buffer, l->FixedDomainName, p.DomainName, kDomainNameSize);
  std::vector<IpAddrEntry> chain;
  for (const auto& s : p.DnsServers) chain.push_back({s, ""});
  if (chain.empty()) chain.push_back({});
  // Where each element lands: the first in the record, the others appended in order.
  const size_t firstExtra = a.Buffer.size();
  PutChain(a.Buffer, *l, base, ptr, l->FixedDnsServerList, chain);
  if (p.CurrentDnsServer >= 0 && static_cast<size_t>(p.CurrentDnsServer) < chain.size()) {
    size_t at = p.CurrentDnsServer == 0 ? l->FixedDnsServerList
                                        : firstExtra + (p.CurrentDnsServer - 1) * RoundUp(l->AddrSize);
    PutPointer(a.Buffer, l->FixedCurrentDnsServer, base + at, ptr);
  }
  Put32(a.Buffer, l->FixedNodeType, p.NodeType);
  PutText(a.Buffer, l->FixedScopeId, p.ScopeId, kScopeIdSize);
  Put32(a.Buffer, l->FixedEnableRouting, p.EnableRouting);
  Put32(a.Buffer, l->FixedEnableProxy, p.EnableProxy);
  Put32(a.Buffer, l->FixedEnableDns, p.EnableDns);
  return a;
}

// --- INetwork -------------------------------------------------------------------------------

std::optional<WinsockData> RecordedNetwork::StartWinsock(uint16_t) { return Winsock; }

std::vector<std::vector<uint8_t>> RecordedNetwork::HostAddresses() {
  return Winsock ? HostAddressList : std::vector<std::vector<uint8_t>>{};
}

std::optional<std::vector<uint8_t>> RecordedNetwork::NetbiosEnum() {
  if (!Lanas) return std::nullopt;
  std::vector<uint8_t> e{static_cast<uint8_t>(Lanas->size())};
  e.insert(e.end(), Lanas->begin(), Lanas->end());
  return e;
}

bool RecordedNetwork::NetbiosReset(uint8_t lana) {
  auto it = ResetFails.find(lana);
  return it == ResetFails.end() || !it->second;
}

std::optional<std::vector<uint8_t>> RecordedNetwork::NetbiosAdapterStatus(uint8_t lana, const std::string& callName) {
  CallNames.push_back(callName);
  auto it = AdapterAddresses.find(lana);
  if (it == AdapterAddresses.end()) return std::nullopt;
  std::vector<uint8_t> status(60, 0);  // ADAPTER_STATUS, no names
  for (size_t i = 0; i < it->second.size() && i < 6; ++i) status[i] = it->second[i];
  return status;
}

IpHelperAnswer RecordedNetwork::AdaptersInfo(ModuleHandle) {
  return RawAdapters ? *RawAdapters : BuildAdaptersInfo(Adapters, 0x00152000, 4);
}

IpHelperAnswer RecordedNetwork::NetworkParams(ModuleHandle) {
  if (RawParams) return *RawParams;
  if (!Params) {
    IpHelperAnswer failed;
    failed.Result = kErrorNotSupported;
    return failed;
  }
  return BuildNetworkParams(*Params, 0x00163000, 4);
}

std::string RecordedNetwork::AnsiToText(const std::string& bytes) const { return Cp1252ToUtf8(bytes); }

// --- machine.ini ------------------------------------------------------------------------------

bool ApplyNetworkSection(RecordedNetwork& net, const IniSection& s, const std::string& fileName) {
  const IniValues v(fileName);
  const std::string lower = ToLowerAscii(s.Name);
  auto each = [&](auto handle) {
    for (const IniEntry& e : s.Entries) {
      if (e.Key.empty()) v.Fail(e, "expected key=value in [" + s.Name + "]");
      if (!handle(e)) v.Fail(e, "unknown key '" + e.Key + "' in [" + s.Name + "]");
    }
  };
  auto to8 = [](const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); };
  if (lower == "winsock") {
    WinsockData w;
    w.Version = 0x0101;
    w.HighVersion = 0x0101;
    each([&](const IniEntry& e) {
      if (EqualsNoCase(e.Key, "Version")) w.Version = static_cast<uint16_t>(v.Number(e, 0xFFFF));
      else if (EqualsNoCase(e.Key, "HighVersion")) w.HighVersion = static_cast<uint16_t>(v.Number(e, 0xFFFF));
      else if (EqualsNoCase(e.Key, "Description")) w.Description = to8(Utf8ToCp1252(e.Value));
      else if (EqualsNoCase(e.Key, "Status")) w.SystemStatus = to8(Utf8ToCp1252(e.Value));
      else if (EqualsNoCase(e.Key, "HostAddresses")) {
        net.HostAddressList.clear();
        for (const std::string& a : Split(e.Value, ',')) net.HostAddressList.push_back(AddressBytes(v, e, a));
      } else return false;
      return true;
    });
    w.Description.resize(257, 0);
    w.SystemStatus.resize(129, 0);
    net.Winsock = w;
    return true;
  }
  if (lower == "netbios") {
    net.Lanas = std::vector<uint8_t>{};
    each([&](const IniEntry& e) {
      if (EqualsNoCase(e.Key, "Lanas")) {
        net.Lanas->clear();
        for (const std::string& n : Split(e.Value, ',')) {
          IniEntry one = e;
          one.Value = Trim(n);
          net.Lanas->push_back(static_cast<uint8_t>(v.Number(one, 254)));
        }
      } else if (EqualsNoCase(e.Key, "ResetFails")) {
        for (const std::string& n : Split(e.Value, ',')) {
          IniEntry one = e;
          one.Value = Trim(n);
          net.ResetFails[static_cast<uint8_t>(v.Number(one, 254))] = true;
        }
      } else if (StartsWith(ToLowerAscii(e.Key), "adapter.")) {
        IniEntry lana = e;
        lana.Value = e.Key.substr(8);
        net.AdapterAddresses[static_cast<uint8_t>(v.Number(lana, 254))] = v.DashedBytes(e);
      } else return false;
      return true;
    });
    return true;
  }
  if (lower == "ipparams") {
    RecordedNetworkParams p;
    each([&](const IniEntry& e) {
      if (EqualsNoCase(e.Key, "HostName")) p.HostName = Utf8ToCp1252(e.Value);
      else if (EqualsNoCase(e.Key, "DomainName")) p.DomainName = Utf8ToCp1252(e.Value);
      else if (EqualsNoCase(e.Key, "ScopeId")) p.ScopeId = Utf8ToCp1252(e.Value);
      else if (EqualsNoCase(e.Key, "DnsServers")) {
        for (const std::string& a : Split(e.Value, ',')) p.DnsServers.push_back(Trim(a));
      } else if (EqualsNoCase(e.Key, "CurrentDnsServer")) p.CurrentDnsServer = static_cast<int>(v.Number(e, 63));
      else if (EqualsNoCase(e.Key, "NodeType")) p.NodeType = static_cast<uint32_t>(v.Number(e, 0xFFFFFFFF));
      else if (EqualsNoCase(e.Key, "EnableRouting")) p.EnableRouting = v.Flag(e);
      else if (EqualsNoCase(e.Key, "EnableProxy")) p.EnableProxy = v.Flag(e);
      else if (EqualsNoCase(e.Key, "EnableDns")) p.EnableDns = v.Flag(e);
      else return false;
      return true;
    });
    net.Params = p;
    return true;
  }
  if (StartsWith(lower, "adapter:") && s.Name.size() > 8) {
    RecordedAdapter a;
    a.AdapterName = s.Name.substr(8);
    each([&](const IniEntry& e) {
      if (EqualsNoCase(e.Key, "Description")) a.Description = Utf8ToCp1252(e.Value);
      else if (EqualsNoCase(e.Key, "Address")) a.Address = v.DashedBytes(e);
      else if (EqualsNoCase(e.Key, "Type")) a.Type = static_cast<uint32_t>(v.Number(e, 0xFFFFFFFF));
      else if (EqualsNoCase(e.Key, "Dhcp")) a.DhcpEnabled = v.Flag(e);
      else if (EqualsNoCase(e.Key, "Wins")) a.HaveWins = v.Flag(e);
      else if (EqualsNoCase(e.Key, "IpAddresses")) a.IpAddresses = ParseChain(v, e);
      else if (EqualsNoCase(e.Key, "Gateways")) a.Gateways = ParseChain(v, e);
      else if (EqualsNoCase(e.Key, "DhcpServer")) a.DhcpServer = ParseChain(v, e);
      else if (EqualsNoCase(e.Key, "PrimaryWins")) a.PrimaryWins = ParseChain(v, e);
      else if (EqualsNoCase(e.Key, "SecondaryWins")) a.SecondaryWins = ParseChain(v, e);
      else return false;
      return true;
    });
    net.Adapters.push_back(a);
    return true;
  }
  return false;
}

}  // namespace kestrova
