#include "engine/platform/capture/capture_network.h"

#include <algorithm>
#include <set>

#include "engine/core/text.h"
#include "engine/inventory/ip_helper.h"

namespace kestrova {

namespace {

uint64_t PointerAt(const std::vector<uint8_t>& b, size_t at, uint32_t size) {
  uint64_t v = 0;
  for (uint32_t i = 0; i < size && at + i < b.size(); ++i) v |= uint64_t{b[at + i]} << (8 * i);
  return v;
}

std::string Chain(const std::vector<IpAddrEntry>& chain) {
  std::string out;
  for (size_t i = 0; i < chain.size(); ++i) out += (i ? "," : "") + chain[i].Address + "/" + chain[i].Mask;
  return out;
}

bool ChainWritable(const std::vector<IpAddrEntry>& chain) {
  for (const IpAddrEntry& e : chain)
    if (e.Address.find_first_of(",/") != std::string::npos || e.Mask.find_first_of(",/") != std::string::npos ||
        Trim(e.Address) != e.Address || Trim(e.Mask) != e.Mask)
      return false;
  return true;
}

std::string Dashed(const std::vector<uint8_t>& bytes, size_t count) {
  std::string out;
  for (size_t i = 0; i < count && i < bytes.size(); ++i) out += Format(i ? "-%02x" : "%02x", bytes[i]);
  return out;
}

}  // namespace

std::optional<WinsockData> CapturingNetwork::StartWinsock(uint16_t requested) {
  auto answer = inner_.StartWinsock(requested);
  if (!winsockAsked_) winsock_ = answer;
  winsockAsked_ = true;
  return answer;
}

std::vector<std::vector<uint8_t>> CapturingNetwork::HostAddresses() {
  auto answer = inner_.HostAddresses();
  hostAsked_ = true;
  hostAddresses_ = answer;
  return answer;
}

std::optional<std::vector<uint8_t>> CapturingNetwork::NetbiosEnum() {
  auto answer = inner_.NetbiosEnum();
  netbiosAsked_ = true;
  lanas_ = answer;
  return answer;
}

bool CapturingNetwork::NetbiosReset(uint8_t lana) {
  const bool ok = inner_.NetbiosReset(lana);
  resets_[lana] = ok;
  return ok;
}

std::optional<std::vector<uint8_t>> CapturingNetwork::NetbiosAdapterStatus(uint8_t lana, const std::string& callName) {
  auto answer = inner_.NetbiosAdapterStatus(lana, callName);
  statuses_[lana] = answer;
  return answer;
}

IpHelperAnswer CapturingNetwork::AdaptersInfo(ModuleHandle iphlpapi) {
  IpHelperAnswer answer = inner_.AdaptersInfo(iphlpapi);
  adapters_ = answer;
  return answer;
}

IpHelperAnswer CapturingNetwork::NetworkParams(ModuleHandle iphlpapi) {
  IpHelperAnswer answer = inner_.NetworkParams(iphlpapi);
  params_ = answer;
  return answer;
}

std::vector<std::string> CapturingNetwork::AdapterNames(const IpHelperAnswer& a) {
  std::vector<std::string> names;
  const IpHelperLayout* l = IpHelperLayoutFor(a.PointerSize);
  if (!l || a.Buffer.size() < l->AdapterSize) return names;
  std::set<size_t> seen;
  size_t at = 0;
  // The same stops as the engine's walk: null, itself, outside the buffer, a cycle, 64.
  while (names.size() < kMaxChainElements && seen.insert(at).second) {
    names.push_back(FixedText(a.Buffer, at + l->AdapterNext + a.PointerSize + 4, kAdapterNameSize));
    const uint64_t next = PointerAt(a.Buffer, at + l->AdapterNext, a.PointerSize);
    if (next == 0 || next == a.BaseAddress + at || next < a.BaseAddress) break;
    const uint64_t offset = next - a.BaseAddress;
    if (offset > a.Buffer.size() || a.Buffer.size() - offset < l->AdapterSize) break;
    at = static_cast<size_t>(offset);
  }
  return names;
}

void CapturingNetwork::Write(CaptureOutput& out) const {
  // Winsock: the first start-up's answer (the engine asks for 1.1).
  if (winsock_) {
    out.Add("winsock", "Version", Format("0x%04X", winsock_->Version));
    out.Add("winsock", "HighVersion", Format("0x%04X", winsock_->HighVersion));
    out.Add("winsock", "Description", Cp1252ToUtf8(FixedText(winsock_->Description, 0, 257)));
    out.Add("winsock", "Status", Cp1252ToUtf8(FixedText(winsock_->SystemStatus, 0, 129)));
    std::string list;
    for (const auto& a : hostAddresses_) {
      if (a.size() != 4) {
        out.Note("a host address that is not IPv4; left out");
        continue;
      }
      list += (list.empty() ? "" : ",") + Format("%u.%u.%u.%u", a[0], a[1], a[2], a[3]);
    }
    if (!list.empty()) out.Add("winsock", "HostAddresses", list);
  } else if (!hostAddresses_.empty()) {
    out.Note("the host lookup answered although the Winsock start-up failed; left out");
  }

  // NetBIOS: the LANA numbers the length byte counts, and per LANA what it answered.
  const size_t lanaCount = lanas_ && !lanas_->empty() ? std::min<size_t>((*lanas_)[0], lanas_->size() - 1) : 0;
  if (lanaCount > 0) {
    std::string list;
    for (size_t i = 0; i < lanaCount; ++i) list += (i ? "," : "") + std::to_string((*lanas_)[1 + i]);
    out.Add("netbios", "Lanas", list);
    std::string fails;
    for (const auto& r : resets_)
      if (!r.second) fails += (fails.empty() ? "" : ",") + std::to_string(r.first);
    if (!fails.empty()) out.Add("netbios", "ResetFails", fails);
    for (const auto& s : statuses_)
      if (s.second && s.second->size() >= 6) out.Add("netbios", Format("Adapter.%u", s.first), Dashed(*s.second, 6));
  } else if (lanas_) {
    // A list of no LANA cannot be written: it reads back as a failing enumeration, which
    // gives the same (empty) address list.
    out.Note("NCBENUM listed no LANA; recorded as failing");
  }

  // IP helper: the adapter chain as the engine decodes it, each record under its name.
  if (adapters_ && adapters_->Result == 0) {
    const std::vector<DecodedAdapter> decoded = DecodeAdaptersInfo(*adapters_);
    const std::vector<std::string> names = AdapterNames(*adapters_);
    for (size_t i = 0; i < decoded.size(); ++i) {
      const DecodedAdapter& d = decoded[i];
      std::string name = i < names.size() ? names[i] : "";
      const bool plain = std::none_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
      if (name.empty() || Trim(name) != name || !plain) name = Format("adapter %zu", i + 1);
      const std::string section = "adapter:" + Cp1252ToUtf8(name);
      if (out.HasSection(section)) {
        out.Note(section + ": two adapter records of one name; the second is left out");
        continue;
      }
      out.Add(section, "Description", Cp1252ToUtf8(d.Description));
      if (!d.Address.empty()) out.Add(section, "Address", Dashed(d.Address, d.Address.size()));
      out.Add(section, "Type", std::to_string(d.Type));
      out.Add(section, "Dhcp", d.DhcpEnabled ? "1" : "0");
      out.Add(section, "Wins", d.HaveWins ? "1" : "0");
      const struct { const char* Key; const std::vector<IpAddrEntry>& Chain; } chains[] = {
          {"IpAddresses", d.IpAddressList}, {"Gateways", d.GatewayList}, {"DhcpServer", d.DhcpServer},
          {"PrimaryWins", d.PrimaryWinsServer}, {"SecondaryWins", d.SecondaryWinsServer}};
      for (const auto& c : chains) {
        if (!ChainWritable(c.Chain)) {
          out.Note(section + " " + c.Key + ": an address with ',' or '/' cannot be listed; left out");
          continue;
        }
        out.Add(section, c.Key, Chain(c.Chain));
      }
    }
  }
  if (params_ && params_->Result == 0) {
    if (auto p = DecodeNetworkParams(*params_)) {
      out.Add("ipparams", "HostName", Cp1252ToUtf8(p->HostName));
      out.Add("ipparams", "DomainName", Cp1252ToUtf8(p->DomainName));
      out.Add("ipparams", "ScopeId", Cp1252ToUtf8(p->ScopeId));
      std::string list;
      bool listable = true;
      for (size_t i = 0; i < p->DnsServers.size(); ++i) {
        listable &= p->DnsServers[i].find(',') == std::string::npos && Trim(p->DnsServers[i]) == p->DnsServers[i];
        list += (i ? "," : "") + p->DnsServers[i];
      }
      if (listable) out.Add("ipparams", "DnsServers", list);
      else out.Note("a DNS server with a comma or blanks at its ends cannot be listed; left out");
      if (p->CurrentDnsServer) {
        // The current server as an index into the chain: its first element of that address.
        size_t index = p->DnsServers.size();
        for (size_t i = 0; i < p->DnsServers.size(); ++i)
          if (p->DnsServers[i] == *p->CurrentDnsServer) {
            index = i;
            break;
          }
        if (index < p->DnsServers.size()) out.Add("ipparams", "CurrentDnsServer", std::to_string(index));
        else out.Note("the current DNS server is not in the DNS server chain; left out");
      }
      out.Add("ipparams", "NodeType", std::to_string(p->NodeType));
      out.Add("ipparams", "EnableRouting", p->EnableRouting ? "1" : "0");
      out.Add("ipparams", "EnableProxy", p->EnableProxy ? "1" : "0");
      out.Add("ipparams", "EnableDns", p->EnableDns ? "1" : "0");
    } else {
      out.Note("GetNetworkParams answered a buffer too short for its record; recorded as failing");
    }
  }
}

}  // namespace kestrova
