#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <nb30.h>

#include <cstddef>
#include <cstring>

#include "engine/inventory/ip_helper.h"
#include "engine/platform/win32/api_family.h"
#include "engine/platform/win32/win32_network.h"

namespace kestrova::win32 {

// The engine walks the IP helper's records from their bytes: its field offsets must be
// the system's.
constexpr const IpHelperLayout& kLayout = sizeof(void*) == 8 ? kIpHelperLayout64 : kIpHelperLayout32;
static_assert(offsetof(IP_ADDR_STRING, Next) == kLayout.AddrNext);
static_assert(offsetof(IP_ADDR_STRING, IpAddress) == kLayout.AddrIpAddress);
static_assert(offsetof(IP_ADDR_STRING, IpMask) == kLayout.AddrIpMask);
static_assert(sizeof(IP_ADDR_STRING) == kLayout.AddrSize);
static_assert(offsetof(IP_ADAPTER_INFO, Next) == kLayout.AdapterNext);
static_assert(offsetof(IP_ADAPTER_INFO, Description) == kLayout.AdapterDescription);
static_assert(offsetof(IP_ADAPTER_INFO, AddressLength) == kLayout.AdapterAddressLength);
static_assert(offsetof(IP_ADAPTER_INFO, Address) == kLayout.AdapterAddress);
static_assert(offsetof(IP_ADAPTER_INFO, Type) == kLayout.AdapterType);
static_assert(offsetof(IP_ADAPTER_INFO, DhcpEnabled) == kLayout.AdapterDhcpEnabled);
static_assert(offsetof(IP_ADAPTER_INFO, IpAddressList) == kLayout.AdapterIpAddressList);
static_assert(offsetof(IP_ADAPTER_INFO, GatewayList) == kLayout.AdapterGatewayList);
static_assert(offsetof(IP_ADAPTER_INFO, DhcpServer) == kLayout.AdapterDhcpServer);
static_assert(offsetof(IP_ADAPTER_INFO, HaveWins) == kLayout.AdapterHaveWins);
static_assert(offsetof(IP_ADAPTER_INFO, PrimaryWinsServer) == kLayout.AdapterPrimaryWins);
static_assert(offsetof(IP_ADAPTER_INFO, SecondaryWinsServer) == kLayout.AdapterSecondaryWins);
static_assert(offsetof(IP_ADAPTER_INFO, LeaseObtained) == kLayout.AdapterSize);
static_assert(offsetof(FIXED_INFO, HostName) == kLayout.FixedHostName);
static_assert(offsetof(FIXED_INFO, DomainName) == kLayout.FixedDomainName);
static_assert(offsetof(FIXED_INFO, CurrentDnsServer) == kLayout.FixedCurrentDnsServer);
static_assert(offsetof(FIXED_INFO, DnsServerList) == kLayout.FixedDnsServerList);
static_assert(offsetof(FIXED_INFO, NodeType) == kLayout.FixedNodeType);
static_assert(offsetof(FIXED_INFO, ScopeId) == kLayout.FixedScopeId);
static_assert(offsetof(FIXED_INFO, EnableRouting) == kLayout.FixedEnableRouting);
static_assert(offsetof(FIXED_INFO, EnableProxy) == kLayout.FixedEnableProxy);
static_assert(offsetof(FIXED_INFO, EnableDns) == kLayout.FixedEnableDns);
static_assert(sizeof(FIXED_INFO) == kLayout.FixedSize);

namespace {

using WSAStartupFn = int(WSAAPI*)(WORD, LPWSADATA);
using WSACleanupFn = int(WSAAPI*)();
using GetHostNameFn = int(WSAAPI*)(char*, int);
using GetHostByNameFn = struct hostent*(WSAAPI*)(const char*);
using NetbiosFn = UCHAR(APIENTRY*)(PNCB);
using GetAdaptersInfoFn = DWORD(WINAPI*)(PIP_ADAPTER_INFO, PULONG);
using GetNetworkParamsFn = DWORD(WINAPI*)(PFIXED_INFO, PULONG);

constexpr int kMaxHostAddresses = 64;
constexpr int kMaxGrowAttempts = 8;  // a call that keeps asking for more gives up here
constexpr ULONG kAdaptersInfoStep = 640;
constexpr ULONG kNetworkParamsSize = 584;
constexpr size_t kAdapterStatusSize = 348;

// Asks again with the size the call names while it answers ERROR_BUFFER_OVERFLOW.
template <typename Call>
IpHelperAnswer Grow(Call call, ULONG first, ULONG extra) {
  IpHelperAnswer a;
  a.PointerSize = sizeof(void*);
  std::vector<uint8_t> buffer(first, 0);
  ULONG size = first;
  DWORD result = call(buffer.data(), &size);
  for (int attempt = 0; result == ERROR_BUFFER_OVERFLOW && attempt < kMaxGrowAttempts; ++attempt) {
    buffer.assign(static_cast<size_t>(size) + extra, 0);
    size = static_cast<ULONG>(buffer.size());
    result = call(buffer.data(), &size);
  }
  a.Result = result;
  a.BaseAddress = reinterpret_cast<uintptr_t>(buffer.data());
  a.Buffer = std::move(buffer);
  return a;
}

UCHAR RunNcb(NetbiosFn netbios, NCB& ncb) { return netbios(&ncb); }

}  // namespace

HMODULE Win32Network::Winsock() {
  if (!winsockTried_) {
    winsockTried_ = true;
    winsock_.Reset(::LoadLibraryA("ws2_32.dll"));
    if (!winsock_) winsock_.Reset(::LoadLibraryA("wsock32.dll"));
  }
  return winsock_.Get();
}

HMODULE Win32Network::Netapi() {
  if (!netapiTried_) {
    netapiTried_ = true;
    netapi_.Reset(::LoadLibraryA("netapi32.dll"));
  }
  return netapi_.Get();
}

std::optional<WinsockData> Win32Network::StartWinsock(uint16_t requested) {
  auto startup = ProcAs<WSAStartupFn>(Winsock(), "WSAStartup");
  auto cleanup = ProcAs<WSACleanupFn>(Winsock(), "WSACleanup");
  if (!startup || !cleanup) return std::nullopt;
  WSADATA data;
  std::memset(&data, 0, sizeof data);
  if (startup(requested, &data) != 0) return std::nullopt;
  WinsockData w;
  w.Version = data.wVersion;
  w.HighVersion = data.wHighVersion;
  w.Description.assign(reinterpret_cast<const uint8_t*>(data.szDescription),
                       reinterpret_cast<const uint8_t*>(data.szDescription) + sizeof data.szDescription);
  w.SystemStatus.assign(reinterpret_cast<const uint8_t*>(data.szSystemStatus),
                        reinterpret_cast<const uint8_t*>(data.szSystemStatus) + sizeof data.szSystemStatus);
  cleanup();
  return w;
}

std::vector<std::vector<uint8_t>> Win32Network::HostAddresses() {
  std::vector<std::vector<uint8_t>> out;
  auto startup = ProcAs<WSAStartupFn>(Winsock(), "WSAStartup");
  auto cleanup = ProcAs<WSACleanupFn>(Winsock(), "WSACleanup");
  auto hostName = ProcAs<GetHostNameFn>(Winsock(), "gethostname");
  auto byName = ProcAs<GetHostByNameFn>(Winsock(), "gethostbyname");
  if (!startup || !cleanup || !hostName || !byName) return out;
  WSADATA data;
  if (startup(MAKEWORD(1, 1), &data) != 0) return out;
  char name[64] = {};
  if (hostName(name, sizeof name - 1) == 0) {
    const hostent* host = byName(name);
    if (host && host->h_addrtype == AF_INET && host->h_length == 4 && host->h_addr_list) {
      for (int i = 0; i < kMaxHostAddresses && host->h_addr_list[i]; ++i) {
        const auto* a = reinterpret_cast<const uint8_t*>(host->h_addr_list[i]);
        out.emplace_back(a, a + 4);
      }
    }
  }
  cleanup();
  return out;
}

std::optional<std::vector<uint8_t>> Win32Network::NetbiosEnum() {
  auto netbios = ProcAs<NetbiosFn>(Netapi(), "Netbios");
  if (!netbios) return std::nullopt;
  LANA_ENUM lanas;
  std::memset(&lanas, 0, sizeof lanas);
  NCB ncb;
  std::memset(&ncb, 0, sizeof ncb);
  ncb.ncb_command = NCBENUM;
  ncb.ncb_buffer = reinterpret_cast<PUCHAR>(&lanas);
  ncb.ncb_length = sizeof lanas;
  if (RunNcb(netbios, ncb) != NRC_GOODRET) return std::nullopt;
  const auto* b = reinterpret_cast<const uint8_t*>(&lanas);
  return std::vector<uint8_t>(b, b + sizeof lanas);
}

bool Win32Network::NetbiosReset(uint8_t lana) {
  auto netbios = ProcAs<NetbiosFn>(Netapi(), "Netbios");
  if (!netbios) return false;
  NCB ncb;
  std::memset(&ncb, 0, sizeof ncb);
  ncb.ncb_command = NCBRESET;
  ncb.ncb_lana_num = lana;
  return RunNcb(netbios, ncb) == NRC_GOODRET;
}

std::optional<std::vector<uint8_t>> Win32Network::NetbiosAdapterStatus(uint8_t lana, const std::string& callName) {
  auto netbios = ProcAs<NetbiosFn>(Netapi(), "Netbios");
  if (!netbios) return std::nullopt;
  std::vector<uint8_t> status(kAdapterStatusSize, 0);
  NCB ncb;
  std::memset(&ncb, 0, sizeof ncb);
  ncb.ncb_command = NCBASTAT;
  ncb.ncb_lana_num = lana;
  const std::string name = Utf8ToAnsi(callName);
  std::memset(ncb.ncb_callname, ' ', NCBNAMSZ);
  std::memcpy(ncb.ncb_callname, name.data(), name.size() < NCBNAMSZ ? name.size() : NCBNAMSZ);
  ncb.ncb_buffer = status.data();
  ncb.ncb_length = static_cast<WORD>(status.size());
  if (RunNcb(netbios, ncb) != NRC_GOODRET) return std::nullopt;
  return status;
}

IpHelperAnswer Win32Network::AdaptersInfo(ModuleHandle iphlpapi) {
  auto call = ProcAs<GetAdaptersInfoFn>(reinterpret_cast<HMODULE>(iphlpapi), "GetAdaptersInfo");
  if (!call) {
    IpHelperAnswer none;
    none.Result = ERROR_NOT_SUPPORTED;
    return none;
  }
  return Grow([&](uint8_t* b, ULONG* size) { return call(reinterpret_cast<PIP_ADAPTER_INFO>(b), size); },
              kAdaptersInfoStep, kAdaptersInfoStep);
}

IpHelperAnswer Win32Network::NetworkParams(ModuleHandle iphlpapi) {
  auto call = ProcAs<GetNetworkParamsFn>(reinterpret_cast<HMODULE>(iphlpapi), "GetNetworkParams");
  if (!call) {
    IpHelperAnswer none;
    none.Result = ERROR_NOT_SUPPORTED;
    return none;
  }
  IpHelperAnswer a = Grow([&](uint8_t* b, ULONG* size) { return call(reinterpret_cast<PFIXED_INFO>(b), size); },
                          kNetworkParamsSize, 0);
  return a;
}

std::string Win32Network::AnsiToText(const std::string& bytes) const { return AnsiToUtf8(bytes); }

}  // namespace kestrova::win32
