#include "engine/os/nt_values.h"

#include "engine/core/context.h"
#include "engine/os/shared_routines.h"

namespace kestrova {

namespace {

const char* const kProductOptionsKey = "\\System\\CurrentControlSet\\Control\\ProductOptions";
const char* const kHotFixKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\HotFix";

// wSuiteMask bit  suite                              product type it also sets
struct SuiteBit {
  uint16_t Mask;
  TNTSuite Suite;
  TNtProductType Sets;  // ptUnknown: none
};
constexpr SuiteBit kSuiteBits[] = {
    {0x0001, TNTSuite::suSmallBusiness, TNtProductType::ptUnknown},
    {0x0002, TNTSuite::suEnterprise, TNtProductType::ptAdvancedServer},
    {0x0004, TNTSuite::suBackOffice, TNtProductType::ptUnknown},
    {0x0008, TNTSuite::suCommunications, TNtProductType::ptUnknown},
    {0x0010, TNTSuite::suTerminal, TNtProductType::ptUnknown},
    {0x0020, TNTSuite::suSmallBusinessRestricted, TNtProductType::ptUnknown},
    {0x0040, TNTSuite::suEmbeddedNT, TNtProductType::ptUnknown},
    {0x0080, TNTSuite::suDataCenter, TNtProductType::ptDataCenter},
    {0x0100, TNTSuite::suSingleUserTS, TNtProductType::ptUnknown},
    {0x0200, TNTSuite::suPersonal, TNtProductType::ptUnknown},
    {0x0400, TNTSuite::suBlade, TNtProductType::ptWeb},
    {0x0800, TNTSuite::suEmbeddedRestricted, TNtProductType::ptUnknown},
};

// The report's names of the first eight suites, in suite order.
const char* const kSuiteReportNames[8] = {
    "MSSmallBusinessServer", "Windows2000AdvancedServer", "MSBackOfficeComponents", "Communications",
    "TerminalServices", "MSSmallBusinessServerWithRestrictiveClientLicenseInForce", "EmbeddedNT",
    "Windows2000DatacenterServer"};

}  // namespace

std::string ProductTypeName(TOSVersionKind kind, TNtProductType type, TNTSuites suites) {
  using K = TOSVersionKind;
  if (kind == K::ovWinXP) return suites.Contains(TNTSuite::suPersonal) ? "Home Edition" : "Professional";
  // columns: ptWorkStation, ptServer, ptAdvancedServer, ptDataCenter, ptWeb
  struct Row {
    K Kind;
    const char* Names[5];
  };
  static const Row kRows[] = {
      {K::ovWinNT3, {"Workstation", "Server", "Enterprise Server", "Unknown", "Unknown"}},
      {K::ovWinNT4, {"Workstation", "Server", "Enterprise Server", "Unknown", "Unknown"}},
      {K::ovWin2000, {"Professional", "Server", "Advanced Server", "Datacenter Server", "Unknown"}},
      {K::ovWin2003, {"Unknown", "Standard Edition", "Enterprise Edition", "Datacenter Edition", "Web Edition"}},
  };
  if (type == TNtProductType::ptUnknown) return "Unknown";
  for (const Row& r : kRows)
    if (r.Kind == kind) return r.Names[static_cast<int>(type) - 1];
  return "Unknown";
}

std::pair<std::string, std::string> SplitNameValue(const std::string& line) {
  size_t eq = line.find('=');
  if (eq == std::string::npos) return {line, std::string()};
  return {line.substr(0, eq), line.substr(eq + 1)};
}

TNTSpecific::TNTSpecific(const EngineContext& context) : TInformation(context) {
  SetExceptionModes({TExceptionMode::emExceptionStack});
}

std::string TNTSpecific::ProductTypeName(TNtProductType type) const {
  return kestrova::ProductTypeName(Context().OSInfo.OSKind, type, installedSuites_);
}

void TNTSpecific::Refresh() {
  const EngineContext& c = Context();
  hotFixes_.clear();
  if (!c.Sys.System) return;
  const VersionFacts v = c.Sys.System->Version();
  if (v.PlatformId == 2 && v.MajorVersion == 5 && v.HasExtended) {
    switch (v.ProductType) {
      case 1: productType_ = TNtProductType::ptWorkStation; break;
      case 2:
      case 3: productType_ = TNtProductType::ptServer; break;
      default: break;
    }
    installedSuites_ = TNTSuites();
    for (const SuiteBit& b : kSuiteBits) {
      if (!(v.SuiteMask & b.Mask)) continue;
      installedSuites_.Include(b.Suite);
      if (b.Sets != TNtProductType::ptUnknown) productType_ = b.Sets;
    }
    servicePackMajor_ = v.ServicePackMajor;
    servicePackMinor_ = v.ServicePackMinor;
  }
  const IRegistry* reg = c.Sys.Registry;
  if (!reg) return;
  if (productType_ == TNtProductType::ptUnknown && reg->KeyExists(RootKey::LocalMachine, kProductOptionsKey)) {
    const std::string type = ReadRegistryString(c.Sys, RootKey::LocalMachine, kProductOptionsKey, "ProductType");
    if (type == "WinNT") productType_ = TNtProductType::ptWorkStation;
    else if (type == "ServerNT") productType_ = TNtProductType::ptServer;
    else if (type == "LanmanNT") productType_ = TNtProductType::ptAdvancedServer;
  }
  if (!reg->KeyExists(RootKey::LocalMachine, kHotFixKey)) return;
  for (const std::string& name : reg->SubKeyNames(RootKey::LocalMachine, kHotFixKey)) {
    const std::string key = std::string(kHotFixKey) + "\\" + name;
    auto installed = reg->QueryValue(RootKey::LocalMachine, key, "Installed");
    if (!installed || installed->Type != kRegDword || installed->Data.size() < 4 ||
        RegistryValueAsInteger(*installed) != 1)
      continue;
    auto description = reg->QueryValue(RootKey::LocalMachine, key, "Fix Description");
    hotFixes_.push_back(name + "=" + (description ? ReadRegistryString(c.Sys, RootKey::LocalMachine, key, "Fix Description") : ""));
  }
}

void TNTSpecific::WriteBlock(ReportWriter& out) const {
  out.OpenClass("NTSpecific", "TNTSpecific");
  out.String("ProductType", ProductTypeName(productType_));
  for (int i = 0; i < 8; ++i)
    out.Boolean(kSuiteReportNames[i], installedSuites_.Contains(static_cast<TNTSuite>(i)));
  out.Integer("ServicePack_MajorVersion", servicePackMajor_);
  out.Integer("ServicePack_MinorVersion", servicePackMinor_);
  out.OpenSection("HotFixes");
  for (const std::string& line : hotFixes_) {
    auto nv = SplitNameValue(line);
    out.String(EscapeValue(nv.first), nv.second);
  }
  out.CloseSection();
  out.CloseClass("NTSpecific");
}

}  // namespace kestrova
