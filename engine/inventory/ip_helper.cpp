#include "engine/inventory/ip_helper.h"

#include <algorithm>

namespace kestrova {

namespace {

// The offsets a walk has visited; a walk stops after kMaxChainElements of them, so a fixed
// table holds them all (no allocation per element).
class Visited {
 public:
  // True the first time `at` is offered, false when it was visited already.
  bool Insert(size_t at) {
    if (std::find(seen_, seen_ + count_, at) != seen_ + count_) return false;
    if (count_ < kMaxChainElements) seen_[count_++] = at;
    return true;
  }

 private:
  size_t seen_[kMaxChainElements];
  size_t count_ = 0;
};

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  if (at > b.size() || b.size() - at < 4) return 0;
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

uint64_t Pointer(const std::vector<uint8_t>& b, size_t at, uint32_t size) {
  uint64_t low = U32(b, at);
  return size == 8 ? low | uint64_t(U32(b, at + 4)) << 32 : low;
}

// The buffer offset a pointer names, when a whole record of `recordSize` bytes is there.
std::optional<size_t> OffsetOf(const IpHelperAnswer& a, uint64_t pointer, size_t recordSize) {
  if (pointer < a.BaseAddress) return std::nullopt;
  uint64_t offset = pointer - a.BaseAddress;
  if (offset > a.Buffer.size() || a.Buffer.size() - offset < recordSize) return std::nullopt;
  return static_cast<size_t>(offset);
}

IpAddrEntry ReadAddr(const IpHelperAnswer& a, const IpHelperLayout& l, size_t at) {
  return {FixedText(a.Buffer, at + l.AddrIpAddress, kIpAddressStringSize),
          FixedText(a.Buffer, at + l.AddrIpMask, kIpAddressStringSize)};
}

// An address chain from its first element (inside the adapter record): stops on a null
// pointer, a pointer to the element itself, a pointer outside the buffer, an element
// already visited, and after kMaxChainElements elements.
std::vector<IpAddrEntry> WalkAddresses(const IpHelperAnswer& a, const IpHelperLayout& l, size_t first) {
  std::vector<IpAddrEntry> out;
  Visited seen;
  size_t at = first;
  while (out.size() < kMaxChainElements && seen.Insert(at)) {
    out.push_back(ReadAddr(a, l, at));
    uint64_t next = Pointer(a.Buffer, at + l.AddrNext, a.PointerSize);
    if (next == 0 || next == a.BaseAddress + at) break;
    auto off = OffsetOf(a, next, l.AddrSize);
    if (!off) break;
    at = *off;
  }
  return out;
}

}  // namespace

const IpHelperLayout* IpHelperLayoutFor(uint32_t pointerSize) {
  if (pointerSize == 4) return &kIpHelperLayout32;
  if (pointerSize == 8) return &kIpHelperLayout64;
  return nullptr;
}

std::string FixedText(const std::vector<uint8_t>& bytes, size_t offset, size_t size) {
  if (offset >= bytes.size()) return {};
  const uint8_t* begin = bytes.data() + offset;
  const uint8_t* end = begin + std::min(size, bytes.size() - offset);
  return std::string(begin, std::find(begin, end, uint8_t{0}));
}

std::vector<DecodedAdapter> DecodeAdaptersInfo(const IpHelperAnswer& a) {
  std::vector<DecodedAdapter> out;
  const IpHelperLayout* l = IpHelperLayoutFor(a.PointerSize);
  if (!l || a.Buffer.size() < l->AdapterSize) return out;
  Visited seen;
  size_t at = 0;
  while (out.size() < kMaxChainElements && seen.Insert(at)) {
    DecodedAdapter d;
    d.Description = FixedText(a.Buffer, at + l->AdapterDescription, kAdapterDescriptionSize);
    uint32_t length = U32(a.Buffer, at + l->AdapterAddressLength);
    if (length > kAdapterAddressSize) length = kAdapterAddressSize;
    d.Address.assign(a.Buffer.begin() + static_cast<long>(at + l->AdapterAddress),
                     a.Buffer.begin() + static_cast<long>(at + l->AdapterAddress + length));
    d.Type = U32(a.Buffer, at + l->AdapterType);
    d.DhcpEnabled = U32(a.Buffer, at + l->AdapterDhcpEnabled) != 0;
    d.HaveWins = U32(a.Buffer, at + l->AdapterHaveWins) != 0;
    d.IpAddressList = WalkAddresses(a, *l, at + l->AdapterIpAddressList);
    d.GatewayList = WalkAddresses(a, *l, at + l->AdapterGatewayList);
    d.DhcpServer = WalkAddresses(a, *l, at + l->AdapterDhcpServer);
    d.PrimaryWinsServer = WalkAddresses(a, *l, at + l->AdapterPrimaryWins);
    d.SecondaryWinsServer = WalkAddresses(a, *l, at + l->AdapterSecondaryWins);
    out.push_back(std::move(d));
    uint64_t next = Pointer(a.Buffer, at + l->AdapterNext, a.PointerSize);
    if (next == 0 || next == a.BaseAddress + at) break;
    auto off = OffsetOf(a, next, l->AdapterSize);
    if (!off) break;
    at = *off;
  }
  return out;
}

std::optional<DecodedNetworkParams> DecodeNetworkParams(const IpHelperAnswer& a) {
  const IpHelperLayout* l = IpHelperLayoutFor(a.PointerSize);
  if (!l || a.Buffer.size() < l->FixedSize) return std::nullopt;
  const auto& b = a.Buffer;
  DecodedNetworkParams p;
  p.HostName = FixedText(b, l->FixedHostName, kHostNameSize);
  p.DomainName = FixedText(b, l->FixedDomainName, kDomainNameSize);
  uint64_t current = Pointer(b, l->FixedCurrentDnsServer, a.PointerSize);
  if (current != 0) {
    if (auto off = OffsetOf(a, current, l->AddrSize)) p.CurrentDnsServer = ReadAddr(a, *l, *off).Address;
  }
  // The DNS server chain also ends where the next entry repeats the current address.
  Visited seen;
  size_t at = l->FixedDnsServerList;
  std::string address = ReadAddr(a, *l, at).Address;
  while (p.DnsServers.size() < kMaxChainElements && seen.Insert(at)) {
    p.DnsServers.push_back(address);
    uint64_t next = Pointer(b, at + l->AddrNext, a.PointerSize);
    if (next == 0 || next == a.BaseAddress + at) break;
    auto off = OffsetOf(a, next, l->AddrSize);
    if (!off) break;
    std::string nextAddress = ReadAddr(a, *l, *off).Address;
    if (nextAddress == address) break;
    at = *off;
    address = nextAddress;
  }
  p.NodeType = U32(b, l->FixedNodeType);
  p.ScopeId = FixedText(b, l->FixedScopeId, kScopeIdSize);
  p.EnableRouting = U32(b, l->FixedEnableRouting) != 0;
  p.EnableProxy = U32(b, l->FixedEnableProxy) != 0;
  p.EnableDns = U32(b, l->FixedEnableDns) != 0;
  return p;
}

}  // namespace kestrova
