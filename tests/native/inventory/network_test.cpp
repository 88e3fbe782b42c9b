// TNetwork, TWinsock, TTCPIP and the "Réseau" section: the IP helper's chain walks over
// hand-made buffers (every way a chain can end), the name tables, and the section line by
// line on the recorded machines.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "engine/core/context.h"
#include "engine/core/system_info.h"
#include "engine/core/text.h"
#include "engine/inventory/ip_helper.h"
#include "engine/inventory/network.h"
#include "engine/platform/recorded/recorded_machine.h"
#include "sections/network_section.h"
#include "tests/native/os/section_run.h"

namespace kestrova {
namespace {

// The shared machine-engine-section fixture, with this area's member and section.
struct NetworkRun : testing::SectionRun {
  using SectionRun::SectionRun;
  TNetwork& Network() { return Member<TNetwork>(TSystemInfo::Member::Network); }
  std::vector<std::string> Section() { return Run(kNetworkWriter); }
};

// --- chain walks over raw buffers ---------------------------------------------------------

constexpr uint64_t kBase = 0x00400000;

void PutPtr(std::vector<uint8_t>& b, size_t at, uint64_t v, uint32_t size) {
  for (uint32_t i = 0; i < size; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void PutText(std::vector<uint8_t>& b, size_t at, const std::string& s) {
  for (size_t i = 0; i < s.size(); ++i) b[at + i] = static_cast<uint8_t>(s[i]);
}

// One adapter record whose IP address chain is `count` elements placed after it; `links`
// gives each element's next pointer as an element index (-1 null, -2 itself, -3 outside).
IpHelperAnswer AdapterWithChain(uint32_t ptr, size_t count, const std::vector<int>& links) {
  const IpHelperLayout& l = *IpHelperLayoutFor(ptr);
  IpHelperAnswer a;
  a.BaseAddress = kBase;
  a.PointerSize = ptr;
  a.Buffer.assign(l.AdapterSize + count * l.AddrSize, 0);
  auto element = [&](size_t i) { return i == 0 ? l.AdapterIpAddressList : l.AdapterSize + (i - 1) * l.AddrSize; };
  for (size_t i = 0; i < count; ++i) {
    PutText(a.Buffer, element(i) + l.AddrIpAddress, "10.0.0." + std::to_string(i));
    int to = links[i];
    uint64_t target = to == -1 ? 0 : to == -2 ? kBase + element(i) : to == -3 ? kBase + 0x100000 : kBase + element(to);
    PutPtr(a.Buffer, element(i) + l.AddrNext, target, ptr);
  }
  return a;
}

struct ChainCase {
  const char* Name;
  size_t Count;
  std::vector<int> Links;
  size_t Expected;
};

TEST(IpHelperChains, EveryWayAnAddressChainEnds) {
  std::vector<int> endless(100);
  for (int i = 0; i < 100; ++i) endless[i] = i + 1 < 100 ? i + 1 : -1;
  const ChainCase kCases[] = {
      {"single element, null next", 1, {-1}, 1},
      {"three elements then null", 3, {1, 2, -1}, 3},
      {"first points to itself", 3, {-2, 2, -1}, 1},
      {"second points to itself", 3, {1, -2, -1}, 2},
      {"two-element cycle", 3, {1, 0, -1}, 2},
      {"three-element cycle back to the second", 4, {1, 2, 3, 1}, 4},
      {"pointer outside the buffer", 3, {1, -3, -1}, 2},
      {"longer than the bound", 100, endless, kMaxChainElements},
  };
  for (uint32_t ptr : {4u, 8u}) {
    for (const ChainCase& c : kCases) {
      auto adapters = DecodeAdaptersInfo(AdapterWithChain(ptr, c.Count, c.Links));
      ASSERT_EQ(adapters.size(), 1u) << c.Name;
      ASSERT_EQ(adapters[0].IpAddressList.size(), c.Expected) << c.Name << ", pointers of " << ptr;
      EXPECT_EQ(adapters[0].IpAddressList[0].Address, "10.0.0.0") << c.Name;
      EXPECT_EQ(adapters[0].IpAddressList.back().Address, "10.0.0." + std::to_string(c.Expected - 1)) << c.Name;
    }
  }
}

TEST(IpHelperChains, AdapterChainsEndOnSelfCyclesAndTheBound) {
  for (uint32_t ptr : {4u, 8u}) {
    const IpHelperLayout& l = *IpHelperLayoutFor(ptr);
    auto chain = [&](size_t count, const std::vector<int>& links) {
      IpHelperAnswer a;
      a.BaseAddress = kBase;
      a.PointerSize = ptr;
      a.Buffer.assign(count * l.AdapterSize, 0);
      for (size_t i = 0; i < count; ++i) {
        PutText(a.Buffer, i * l.AdapterSize + l.AdapterDescription, "card " + std::to_string(i));
        int to = links[i];
        PutPtr(a.Buffer, i * l.AdapterSize + l.AdapterNext,
               to == -1 ? 0 : to == -2 ? kBase + i * l.AdapterSize : kBase + to * l.AdapterSize, ptr);
      }
      return DecodeAdaptersInfo(a);
    };
    EXPECT_EQ(chain(2, {1, -1}).size(), 2u);
    EXPECT_EQ(chain(2, {-2, -1}).size(), 1u);       // the first points to itself
    EXPECT_EQ(chain(3, {1, 2, 1}).size(), 3u);      // back to the second
    EXPECT_EQ(chain(3, {1, 0, -1}).size(), 2u);     // back to the first
    std::vector<int> endless(80);
    for (int i = 0; i < 80; ++i) endless[i] = i + 1 < 80 ? i + 1 : -1;
    auto many = chain(80, endless);
    ASSERT_EQ(many.size(), kMaxChainElements);
    EXPECT_EQ(many.back().Description, "card 63");
    // A buffer shorter than one record holds no adapter.
    IpHelperAnswer tiny;
    tiny.PointerSize = ptr;
    tiny.Buffer.assign(l.AdapterSize - 1, 0);
    EXPECT_TRUE(DecodeAdaptersInfo(tiny).empty());
  }
}

TEST(IpHelperChains, DnsServersStopWhereTheNextRepeatsTheAddress) {
  RecordedNetworkParams p;
  p.DnsServers = {"192.168.1.1", "192.168.1.1", "10.0.0.1"};
  for (uint32_t ptr : {4u, 8u}) {
    auto decoded = DecodeNetworkParams(BuildNetworkParams(p, kBase, ptr));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->DnsServers, std::vector<std::string>{"192.168.1.1"});
    EXPECT_FALSE(decoded->CurrentDnsServer);  // null pointer: no entry
  }
  p.DnsServers = {"1.1.1.1", "2.2.2.2", "3.3.3.3"};
  p.CurrentDnsServer = 2;
  auto decoded = DecodeNetworkParams(BuildNetworkParams(p, kBase, 4));
  EXPECT_EQ(decoded->DnsServers, (std::vector<std::string>{"1.1.1.1", "2.2.2.2", "3.3.3.3"}));
  EXPECT_EQ(decoded->CurrentDnsServer.value_or("none"), "3.3.3.3");
  // The first element pointing to itself, then a three-element cycle.
  IpHelperAnswer raw = BuildNetworkParams(p, kBase, 4);
  const IpHelperLayout& l = *IpHelperLayoutFor(4);
  PutPtr(raw.Buffer, l.FixedDnsServerList + l.AddrNext, kBase + l.FixedDnsServerList, 4);
  EXPECT_EQ(DecodeNetworkParams(raw)->DnsServers.size(), 1u);
  raw = BuildNetworkParams(p, kBase, 4);
  PutPtr(raw.Buffer, l.FixedSize + l.AddrSize + l.AddrNext, kBase + l.FixedDnsServerList, 4);
  EXPECT_EQ(DecodeNetworkParams(raw)->DnsServers.size(), 3u);
  raw.Buffer.resize(l.FixedSize - 1);
  EXPECT_FALSE(DecodeNetworkParams(raw));
}

TEST(IpHelperChains, TextsEndAtTheFieldWithoutATerminatingZero) {
  std::vector<uint8_t> b = {'a', 'b', 'c', 'd', 0, 'x'};
  EXPECT_EQ(FixedText(b, 0, 3), "abc");
  EXPECT_EQ(FixedText(b, 0, 6), "abcd");
  EXPECT_EQ(FixedText(b, 5, 16), "x");  // the buffer ends first
  EXPECT_EQ(FixedText(b, 9, 4), "");
}

// --- name tables ------------------------------------------------------------------------

TEST(NetworkNames, NodeAndAdapterTypeTables) {
  const struct { uint32_t Code; TNodeType Type; const char* Name; } kNodes[] = {
      {0, TNodeType::ntUnknown, "Unknown"},       {1, TNodeType::ntBroadcast, "Broadcast"},
      {2, TNodeType::ntPeerToPeer, "Peer-To-Peer"}, {3, TNodeType::ntUnknown, "Unknown"},
      {4, TNodeType::ntMixed, "Mixed"},           {8, TNodeType::ntHybrid, "Hybrid"},
      {16, TNodeType::ntUnknown, "Unknown"},
  };
  for (const auto& n : kNodes) {
    EXPECT_EQ(NodeTypeFromCode(n.Code), n.Type) << n.Code;
    EXPECT_STREQ(NodeTypeName(NodeTypeFromCode(n.Code)), n.Name) << n.Code;
  }
  const struct { uint32_t Code; uint8_t Index; const char* Name; } kTypes[] = {
      {1, 0, "Other"}, {6, 1, "Ethernet"}, {9, 2, "Token Ring"}, {15, 3, "FDDI"}, {23, 4, "PPP"},
      {24, 5, "Loopback"}, {28, 6, "Slip"}, {71, 0, "Other"}, {0, 0, "Other"},
  };
  for (const auto& t : kTypes) {
    EXPECT_EQ(AdapterTypeFromCode(t.Code), t.Index) << t.Code;
    EXPECT_STREQ(AdapterTypeName(AdapterTypeFromCode(t.Code)), t.Name) << t.Code;
  }
  EXPECT_EQ(FormatHardwareAddress({0x00, 0x0C, 0xAB}), "00:0c:ab");
  EXPECT_EQ(FormatHardwareAddress({}), "");
  EXPECT_EQ(CommaText({"a", "", "b c", "d,e"}), "a,\"\",\"b c\",\"d,e\"");
}

// --- the recorded machines ------------------------------------------------------------------

TEST(NetworkSection, WindowsXpLineByLine) {
  NetworkRun run("xp-sp2-p4ht");
  const std::vector<std::string> expected = {
      "",
      "Réseau",
      " - Adresse IP #00 : 192.168.1.20",
      " - Adresse IP #01 : 10.8.0.6",
      " - Adresse MAC #00 : 00-0c-6e-4a-1b-2c",  // LANA 0
      " - Adresse MAC #01 : 00-ff-8a-3d-00-01",  // LANA 3; LANA 6 does not reset
      // NetworkCards only (the constructor's list is cleared); "REALTEK ..." repeats the
      // first in another case.
      " - Adapteur physique #00 : Realtek RTL8139 Family PCI Fast Ethernet NIC",
      " - Adapteur physique #01 : Carte réseau 1394",
      // Class Net without a resource list, with (1394) or without (PPPOE) a location.
      " - Adapteur virtuel #00 : Miniport réseau étendu (PPPOE)",
      " - Adapteur virtuel #01 : Carte réseau 1394",
      " - Protocole #00 : Protocole Internet (TCP/IP)",  // listed twice, kept once
      " - Protocole #01 : Protocole NWLink IPX/SPX/NetBIOS compatible",
      " - Service #00 : Partage de fichiers et d'imprimantes pour les réseaux Microsoft",
      " - Service #01 : Planificateur de paquets QoS",
      " - Client #00 : Client pour les réseaux Microsoft",
      " - Winsock : WinSock 2.0 - Version 2.2, Statut : Running",
      " - Host : bureau-01",
      " - Domaine : cabinet.local",
      " - Serveurs DNS #00 : 192.168.1.1",
      " - Serveurs DNS #01 : 212.27.40.240",
      " - Suffixes DNS #00 : cabinet.local",
      " - Suffixes DNS #01 : siege.cabinet.local",
  };
  EXPECT_EQ(run.Section(), expected);
  // NetBIOS asked for the status of the machine's name, padded to 16 characters.
  EXPECT_EQ(run.machine->Network.CallNames, (std::vector<std::string>{"BUREAU-01       ", "BUREAU-01       "}));
}

TEST(NetworkSection, Windows98SecondEditionLineByLine) {
  NetworkRun run("win98se-p3");
  const std::vector<std::string> expected = {
      "",
      "Réseau",
      " - Adresse IP #00 : 192.168.0.12",
      " - Adresse MAC #00 : 00-10-4b-7a-3c-21",
      " - Adresse MAC #01 : 44-45-53-54-00-00",
      // No physical adapter on the 9x family; every Net device is virtual there.
      " - Adapteur virtuel #00 : 3Com EtherLink XL 10/100 PCI TX NIC (3C905B-TX)",
      " - Adapteur virtuel #01 : Carte d'accès réseau à distance",
      " - Protocole #00 : TCP/IP",
      " - Protocole #01 : NetBEUI",
      " - Service #00 : Partage des fichiers et imprimantes pour les réseaux Microsoft",
      " - Client #00 : Client pour les réseaux Microsoft",
      " - Client #01 : Ouverture de session Windows",
      " - Winsock : WinSock 2.0 - Version 2.2, Statut : Running",
      " - Host : atelier",
      " - Domaine : ",
      " - Serveurs DNS #00 : 192.168.0.1",
      " - Suffixes DNS #00 : ",  // no SearchList: one empty suffix
  };
  EXPECT_EQ(run.Section(), expected);
}

TEST(NetworkTCPIP, XpAdaptersAndTheirReport) {
  NetworkRun run("xp-sp2-p4ht");
  TNetwork& n = run.Network();
  n.Refresh();
  const TTCPIP& t = n.TCPIP();
  ASSERT_EQ(t.AdapterCount(), 2);
  TAdapter a;
  t.GetAdapter(0, a);
  EXPECT_EQ(a.Name, "Realtek RTL8139 Family PCI Fast Ethernet NIC - Miniport d'ordonnancement de paquets");
  EXPECT_EQ(a.Address, "00:0c:6e:4a:1b:2c");
  EXPECT_EQ(a.AdapterType, 1);
  EXPECT_TRUE(a.EnableDHCP);
  EXPECT_TRUE(a.HaveWINS);
  EXPECT_EQ(a.DHCP_IPAddress, std::vector<std::string>{"192.168.1.1"});
  EXPECT_EQ(a.SecondaryWINS_IPAddress, std::vector<std::string>{"192.168.1.3"});
  t.GetAdapter(1, a);
  EXPECT_EQ(a.Name, "Carte réseau VPN");
  EXPECT_EQ(a.AdapterType, 4);
  EXPECT_FALSE(a.EnableDHCP);
  EXPECT_EQ(a.IPAddress, (std::vector<std::string>{"10.8.0.6", "10.8.0.10"}));
  EXPECT_EQ(a.IPMask, (std::vector<std::string>{"255.255.255.252", "255.255.255.252"}));
  t.GetAdapter(2, a);
  EXPECT_EQ(a.Name, "");
  EXPECT_EQ(t.NodeType(), TNodeType::ntHybrid);
  EXPECT_EQ(t.PrimaryDNSSuffix(), "192.168.1.1");

  ReportLines lines;
  n.WriteReport(lines, false);
  auto at = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) - lines.begin(); };
  EXPECT_EQ(lines[0], "<Network classname=\"TNetwork\">");
  EXPECT_EQ(lines[1], "<section name=\"Physical Adapters\">");
  EXPECT_LT(at("<data name=\"MACAddress[1]\" type=\"string\">00-ff-8a-3d-00-01</data>"), at("</Network>"));
  const std::vector<std::string> winsock = {
      "</Network>", "<Winsock classname=\"TWinsock\">",
      "<data name=\"Description\" type=\"string\">WinSock 2.0</data>",
      "<data name=\"Version\" type=\"string\">2.2</data>",
      "<data name=\"Status\" type=\"string\">Running</data>", "</Winsock>",
      "<TCPIP classname=\"TTCPIP\">", "<data name=\"HostName\" type=\"string\">bureau-01</data>",
      "<data name=\"DomainName\" type=\"string\">cabinet.local</data>",
      "<data name=\"NodeType\" type=\"string\">Hybrid</data>",
      "<data name=\"PrimaryDNSSuffix\" type=\"string\">192.168.1.1</data>",
      "<data name=\"DNSServers\" type=\"string\">192.168.1.1,212.27.40.240</data>",
      "<section name=\"Adapter_0\">"};
  size_t close = static_cast<size_t>(at("</Network>"));
  ASSERT_LT(close + winsock.size(), lines.size());
  EXPECT_EQ(std::vector<std::string>(lines.begin() + close, lines.begin() + close + winsock.size()), winsock);
  EXPECT_LT(at("<data name=\"Gateway_IPAddress\" type=\"string\">&quot;&quot;</data>"), at("</TCPIP>"));  // VPN: empty gateway
  EXPECT_EQ(lines.back(), "</TCPIP>");
}

TEST(NetworkTCPIP, FailuresLeaveTheWrittenDefaults) {
  NetworkRun run("xp-sp2-p4ht");
  RecordedMachine& m = *run.machine;
  m.Network.Winsock.reset();           // no Winsock: no host lookup either
  m.Network.Lanas.reset();             // NCBENUM fails
  m.Libraries.erase("IPHLPAPI.DLL");   // no IP helper
  const std::vector<std::string> tail = {
      " - Winsock :  - Version 0.0, Statut : Winsock cannot be initialized.",
      " - Host : ",
      " - Domaine : ",
  };
  auto lines = run.Section();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()), tail);
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.find("Adresse") != std::string::npos; }), 0);
}

TEST(NetworkTCPIP, WinsockVersionIsLowByteDotHighByte) {
  const struct { uint16_t High; const char* Version; } kCases[] = {{0x0202, "2.2"}, {0x0102, "2.1"}, {0x0101, "1.1"}};
  for (const auto& c : kCases) {
    NetworkRun run("xp-sp2-p4ht");
    run.machine->Network.Winsock->HighVersion = c.High;
    run.machine->Network.Winsock->Description.assign(300, 'D');  // no terminating zero
    TWinsock& w = run.Network().WinSock();
    w.Refresh();
    EXPECT_EQ(Format("%d.%d", w.MajorVersion(), w.MinorVersion()), c.Version);
    EXPECT_EQ(w.Description(), std::string(257, 'D'));
  }
}

TEST(NetworkTCPIP, SearchListSplitsAtEveryComma) {
  const struct { const char* Value; std::vector<std::string> Suffixes; } kCases[] = {
      {"", {""}}, {"a.fr,b.fr", {"a.fr", "b.fr"}}, {"a.fr,", {"a.fr", ""}}, {" a.fr , b.fr", {" a.fr ", " b.fr"}}};
  for (const auto& c : kCases) {
    NetworkRun run("xp-sp2-p4ht");
    std::string data = std::string(c.Value) + '\0';
    run.machine->Registry.SetValue(RootKey::LocalMachine, "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters",
                                   "SearchList", RegValue{kRegSz, std::vector<uint8_t>(data.begin(), data.end())});
    run.Network().TCPIP().Refresh();
    EXPECT_EQ(run.Network().TCPIP().DNSSuffixes(), c.Suffixes) << c.Value;
  }
}

TEST(NetworkTCPIP, MacListBoundsTheLanaCountAndSkipsFailures) {
  NetworkRun run("xp-sp2-p4ht");
  RecordedNetwork& net = run.machine->Network;
  net.Lanas = std::vector<uint8_t>{3, 0};
  std::vector<std::string> macs;
  EXPECT_EQ(run.Network().ReadMACAddresses(macs, ""), 2);
  EXPECT_EQ(macs, (std::vector<std::string>{"00-ff-8a-3d-00-01", "00-0c-6e-4a-1b-2c"}));  // LANA order
  EXPECT_EQ(net.CallNames.back(), "*               ");
  net.Lanas.reset();
  EXPECT_EQ(run.Network().ReadMACAddresses(macs, "x"), -1);
  EXPECT_TRUE(macs.empty());
}

TEST(NetworkTCPIP, TheLibraryLoadedHereIsFreedAndAFailedFreeRaises) {
  NetworkRun run("xp-sp2-p4ht");
  run.machine->Libraries["IPHLPAPI.DLL"].FreeFails = true;
  TTCPIP& t = run.Network().TCPIP();
  t.Refresh();
  t.Refresh();  // bound once
  const std::vector<std::string> loaded = run.machine->LoadedLibraries();
  EXPECT_EQ(std::count(loaded.begin(), loaded.end(), "IPHLPAPI.DLL"), 1);
  try {
    t.UnloadLibrary();
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Unload Error: iphlpapi.dll - 0x", 0), 0u) << e.what();
  }
}

}  // namespace
}  // namespace kestrova
