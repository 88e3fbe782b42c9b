#include "sections/network_section.h"

#include "engine/core/system_info.h"
#include "engine/core/text.h"
#include "engine/inventory/network.h"
#include "sections/categories.h"

namespace kestrova {

namespace {

TNetwork* Network(SectionContext& ctx) { return ctx.Engine.As<TNetwork>(TSystemInfo::Member::Network); }

void Prepare(SectionContext& ctx) {
  TNetwork* n = Network(ctx);
  if (!n) return;
  // Only the adapters of the NetworkCards key are printed as physical ones.
  n->PhysicalAdapters().clear();
  n->Refresh();
}

void Body(SectionContext& ctx) {
  TNetwork* n = Network(ctx);
  if (!n) return;
  auto list = [&](const char* format, const std::vector<std::string>& items) {
    for (size_t i = 0; i < items.size(); ++i)
      ctx.Log.AddLogLine(kLevelItem, Format(format, static_cast<int>(i), items[i].c_str()), kColourBlack);
  };
  list("Adresse IP #%.2d : %s", n->IPAddresses());
  list("Adresse MAC #%.2d : %s", n->MACAddresses());
  list("Adapteur physique #%.2d : %s", n->PhysicalAdapters());
  list("Adapteur virtuel #%.2d : %s", n->VirtualAdapters());
  list("Protocole #%.2d : %s", n->Protocols());
  list("Service #%.2d : %s", n->Services());
  list("Client #%.2d : %s", n->Clients());
  const TWinsock& w = n->WinSock();
  ctx.Log.AddLogLine(kLevelItem,
                     Format("Winsock : %s - Version %d.%d, Statut : %s", w.Description().c_str(), w.MajorVersion(),
                            w.MinorVersion(), w.Status().c_str()),
                     kColourBlack);
  ctx.Log.AddLogLine(kLevelItem, "Host : " + n->TCPIP().HostName(), kColourBlack);
  ctx.Log.AddLogLine(kLevelItem, "Domaine : " + n->TCPIP().DomainName(), kColourBlack);
  list("Serveurs DNS #%.2d : %s", n->TCPIP().DNSServers());
  list("Suffixes DNS #%.2d : %s", n->TCPIP().DNSSuffixes());
}

}  // namespace

const SectionWriter kNetworkWriter = {kCatNetwork, Prepare, Body};

}  // namespace kestrova
