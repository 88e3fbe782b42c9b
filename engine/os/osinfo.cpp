#include "engine/os/osinfo.h"

#include "engine/core/context.h"
#include "engine/core/text.h"
#include "engine/os/shared_routines.h"

namespace kestrova {

namespace {

constexpr uint32_t kPlatformNT = 2;
constexpr uint32_t kPlatform9x = 1;

struct KindRow {
  TOSVersionKind Kind;
  const char* Id;
  const char* Name;
  bool AppendServicePack;
};

// kind              id               OSName                         + service pack
constexpr KindRow kKinds[] = {
    {TOSVersionKind::ovUnknown, "ovUnknown", "", false},
    {TOSVersionKind::ovWinNT3, "ovWinNT3", "Windows NT 3.x ", true},
    {TOSVersionKind::ovWin95, "ovWin95", "Windows 95", false},
    {TOSVersionKind::ovWinNT4, "ovWinNT4", "Windows NT 4.x ", true},
    {TOSVersionKind::ovWin95OSR1, "ovWin95OSR1", "Windows 95 OSR 1", false},
    {TOSVersionKind::ovWin95OSR2, "ovWin95OSR2", "Windows 95 OSR 2", false},
    {TOSVersionKind::ovWin95OSR25, "ovWin95OSR25", "Windows 95 OSR 2.5", false},
    {TOSVersionKind::ovWin98, "ovWin98", "Windows 98", false},
    {TOSVersionKind::ovWin98SE, "ovWin98SE", "Windows 98 Second Edition", false},
    {TOSVersionKind::ovWinME, "ovWinME", "Windows Millenium Edition", false},
    {TOSVersionKind::ovWin2000, "ovWin2000", "Windows 2000 ", true},
    {TOSVersionKind::ovWinXP, "ovWinXP", "Windows XP ", true},
    {TOSVersionKind::ovWin2003, "ovWin2003", "Windows Server 2003 ", true},
};

const KindRow& RowOf(TOSVersionKind kind) {
  size_t i = static_cast<size_t>(kind);
  return i < sizeof kKinds / sizeof kKinds[0] ? kKinds[i] : kKinds[0];
}

const char* const kComputerNameKey = "\\SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName";

}  // namespace

TOSVersionKind DetectOSVersion(const Platform& platform, std::string& servicePack) {
  VersionFacts v = platform.System->Version();
  servicePack = Truncate(v.CSDVersion, 128);
  if (v.PlatformId == kPlatformNT) {
    TOSVersionKind kind = TOSVersionKind::ovUnknown;
    switch (v.MajorVersion) {
      case 3: kind = TOSVersionKind::ovWinNT3; break;
      case 4: kind = TOSVersionKind::ovWinNT4; break;
      case 5: kind = TOSVersionKind::ovWin2000; break;
      default: break;
    }
    if (v.MajorVersion == 5 && v.MinorVersion == 1) kind = TOSVersionKind::ovWinXP;
    if (v.MajorVersion == 5 && v.MinorVersion == 2) kind = TOSVersionKind::ovWin2003;
    if (servicePack == "Service Pack 6") {
      auto installed = platform.Registry->QueryValue(
          RootKey::LocalMachine, "\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009",
          "Installed");
      if (installed && RegistryValueAsInteger(*installed) == 1) servicePack = "Service Pack 6a";
    }
    return kind;
  }
  std::string trimmed = Trim(servicePack);
  if (v.MajorVersion == 4 && v.MinorVersion == 0) {
    if (trimmed == "A") return TOSVersionKind::ovWin95OSR1;
    if (trimmed == "B") return TOSVersionKind::ovWin95OSR2;
    if (trimmed == "C") return TOSVersionKind::ovWin95OSR25;
    return TOSVersionKind::ovWin95;
  }
  if (v.MajorVersion == 4 && v.MinorVersion == 10)
    return (v.BuildNumber & 0xFFFF) == 2222 ? TOSVersionKind::ovWin98SE : TOSVersionKind::ovWin98;
  if (v.MajorVersion == 4 && v.MinorVersion == 90) return TOSVersionKind::ovWinME;
  return TOSVersionKind::ovUnknown;
}

const char* OSKindName(TOSVersionKind kind) { return RowOf(kind).Id; }

std::string OSNameOf(TOSVersionKind kind, const std::string& servicePack) {
  const KindRow& row = RowOf(kind);
  return row.AppendServicePack ? row.Name + servicePack : row.Name;
}

TOSInfo DetectOSInfo(const Platform& platform) {
  TOSInfo info;
  info.OSKind = DetectOSVersion(platform, info.OSServicePack);
  VersionFacts v = platform.System->Version();
  info.OSMajorVersion = v.MajorVersion;
  info.OSMinorVersion = v.MinorVersion;
  info.OSBuildNumber = v.BuildNumber;
  using K = TOSVersionKind;
  K k = info.OSKind;
  info.IsNT5Family = k == K::ovWin2000 || k == K::ovWinXP || k == K::ovWin2003;
  info.IsNT = k == K::ovWinNT3 || k == K::ovWinNT4 || info.IsNT5Family;
  info.IsNT4 = k == K::ovWinNT4;
  info.IsWin95OSR2 = k == K::ovWin95OSR2;
  info.IsWin98SE = k == K::ovWin98SE;
  std::string name = Truncate(platform.System->ComputerName().value_or(""), 255);
  auto stored = platform.Registry->QueryValue(RootKey::LocalMachine, kComputerNameKey, "ComputerName");
  if (stored) name = RegistryValueAsText(*stored);
  info.MachineName = ToUpperAscii(name);
  info.OSName = OSNameOf(k, info.OSServicePack);
  info.DeviceClassKey = info.IsNT ? "SYSTEM\\CurrentControlSet\\Control\\Class"
                                  : "SYSTEM\\CurrentControlSet\\Services\\Class";
  return info;
}

EngineContext MakeEngineContext(const Platform& platform) {
  EngineContext context;
  context.Sys = platform;
  context.OSInfo = DetectOSInfo(platform);
  return context;
}

// --- TWindowsEdition ----------------------------------------------------------------

namespace {
struct EditionRow {
  TWindowsEdition Edition;
  const char* Id;
  const char* Name;  // "%u" takes the minor version number
};
// edition                           id                  name
constexpr EditionRow kEditions[] = {
    {TWindowsEdition::weUnknown, "weUnknown", ""},
    {TWindowsEdition::weWin95, "weWin95", "Windows 95"},
    {TWindowsEdition::weWin95OSR2, "weWin95OSR2", "Windows 95 OSR2"},
    {TWindowsEdition::weWin98, "weWin98", "Windows 98"},
    {TWindowsEdition::weWin98SE, "weWin98SE", "Windows 98 SE"},
    {TWindowsEdition::weWinME, "weWinME", "Windows ME"},
    {TWindowsEdition::weWinNT31, "weWinNT31", "Windows NT 3.%u"},
    {TWindowsEdition::weWinNT35, "weWinNT35", "Windows NT 3.%u"},
    {TWindowsEdition::weWinNT351, "weWinNT351", "Windows NT 3.%u"},
    {TWindowsEdition::weWinNT4, "weWinNT4", "Windows NT 4.%u"},
    {TWindowsEdition::weWin2000, "weWin2000", "Windows 2000"},
    {TWindowsEdition::weWinXP, "weWinXP", "Windows XP"},
    {TWindowsEdition::weWin2003, "weWin2003", "Windows Server 2003"},
    {TWindowsEdition::weWinXP64, "weWinXP64", "Windows XP x64"},
    {TWindowsEdition::weWin2003R2, "weWin2003R2", "Windows Server 2003 \"R2\""},
    {TWindowsEdition::weWinVista, "weWinVista", "Windows Vista"},
    {TWindowsEdition::weWinServer2008, "weWinServer2008", "Windows Server 2008"},
};
const EditionRow& RowOf(TWindowsEdition e) {
  size_t i = static_cast<size_t>(e);
  return i < sizeof kEditions / sizeof kEditions[0] ? kEditions[i] : kEditions[0];
}
}  // namespace

EditionFacts ReadEditionFacts(const Platform& platform) {
  VersionFacts v = platform.System->Version();
  EditionFacts f;
  f.PlatformId = v.PlatformId;
  f.Major = v.MajorVersion;
  f.Minor = v.MinorVersion;
  f.ServiceText = Trim(v.CSDVersion);
  f.KernelVersionHigh = v.PlatformId == kPlatformNT ? 0 : platform.System->KernelVersionHigh();
  f.ServerR2 = platform.System->ServerR2Metric();
  f.NativeArchitecture = platform.System->SystemInfo().ProcessorArchitecture;
  f.ProductType = v.ProductType;
  return f;
}

TWindowsEdition ClassifyWindowsEdition(const EditionFacts& f) {
  using E = TWindowsEdition;
  const std::string& s = f.ServiceText;
  if (f.PlatformId == kPlatform9x) {
    if (f.Minor < 10) return (s == "B" || s == "C") ? E::weWin95OSR2 : E::weWin95;
    if (f.Minor <= 89) {
      if (f.KernelVersionHigh == 0x0004005A) return E::weWinME;
      return (s == "A" || s == "B") ? E::weWin98SE : E::weWin98;
    }
    if (f.Minor == 90) return E::weWinME;
    return E::weUnknown;
  }
  if (f.PlatformId != kPlatformNT) return E::weUnknown;
  switch (f.Major) {
    case 3:
      if (f.Minor == 1) return E::weWinNT31;
      if (f.Minor == 5) return E::weWinNT35;
      if (f.Minor == 51) return E::weWinNT351;
      return E::weUnknown;
    case 4: return E::weWinNT4;
    case 5:
      if (f.Minor == 0) return E::weWin2000;
      if (f.Minor == 1) return E::weWinXP;
      if (f.Minor == 2) {
        if (f.ServerR2 != 0) return E::weWin2003R2;
        if (f.NativeArchitecture != 0 && f.ProductType == 1) return E::weWinXP64;
        return E::weWin2003;
      }
      return E::weUnknown;
    case 6:
      if (f.Minor == 0) return f.ProductType == 1 ? E::weWinVista : E::weWinServer2008;
      return E::weUnknown;
    default: return E::weUnknown;
  }
}

TWindowsEdition DetectWindowsEdition(const Platform& platform) {
  return ClassifyWindowsEdition(ReadEditionFacts(platform));
}

std::string WindowsEditionName(TWindowsEdition edition, uint32_t minor) {
  const EditionRow& row = RowOf(edition);
  std::string name = row.Name;
  if (name.find("%u") != std::string::npos) return ReplaceAll(name, "%u", Format("%u", minor));
  return name;
}

std::string WindowsEditionName(const Platform& platform) {
  return WindowsEditionName(DetectWindowsEdition(platform), platform.System->Version().MinorVersion);
}

const char* EditionKindName(TWindowsEdition e) { return RowOf(e).Id; }

}  // namespace kestrova
