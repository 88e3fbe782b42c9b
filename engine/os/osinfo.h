#pragma once
// The running Windows: its kind, service pack, version numbers and display name, worked
// out once before any information class exists. Also the finer edition that the report
// sections use.
#include <cstdint>
#include <string>

#include "engine/platform/platform.h"

namespace kestrova {

enum class TOSVersionKind : uint8_t {
  ovUnknown, ovWinNT3, ovWin95, ovWinNT4, ovWin95OSR1, ovWin95OSR2, ovWin95OSR25, ovWin98,
  ovWin98SE, ovWinME, ovWin2000, ovWinXP, ovWin2003
};

struct TOSInfo {
  TOSVersionKind OSKind = TOSVersionKind::ovUnknown;
  std::string OSServicePack;
  uint32_t OSMajorVersion = 0, OSMinorVersion = 0, OSBuildNumber = 0;
  bool IsNT = false, IsNT4 = false, IsNT5Family = false, IsWin95OSR2 = false, IsWin98SE = false;
  std::string OSName;
  std::string MachineName;
  std::string DeviceClassKey;
};

// Classifies the running Windows; servicePack receives szCSDVersion (NT 4 "Service
// Pack 6" with hotfix Q246009 installed becomes "Service Pack 6a").
TOSVersionKind DetectOSVersion(const Platform& platform, std::string& servicePack);
const char* OSKindName(TOSVersionKind kind);  // "ovWinXP"
std::string OSNameOf(TOSVersionKind kind, const std::string& servicePack);
TOSInfo DetectOSInfo(const Platform& platform);

enum class TWindowsEdition : uint8_t {
  weUnknown, weWin95, weWin95OSR2, weWin98, weWin98SE, weWinME, weWinNT31, weWinNT35,
  weWinNT351, weWinNT4, weWin2000, weWinXP, weWin2003, weWinXP64, weWin2003R2, weWinVista,
  weWinServer2008
};

// The facts the edition is decided from, as the platform gives them.
struct EditionFacts {
  uint32_t PlatformId = 0, Major = 0, Minor = 0;
  std::string ServiceText;         // szCSDVersion, trimmed
  uint32_t KernelVersionHigh = 0;  // 9x only; 0 on NT
  int ServerR2 = 0;                // GetSystemMetrics(SM_SERVERR2)
  uint16_t NativeArchitecture = 0; // 0 = x86
  uint8_t ProductType = 0;         // 1 = workstation
};

EditionFacts ReadEditionFacts(const Platform& platform);
TWindowsEdition ClassifyWindowsEdition(const EditionFacts& facts);
TWindowsEdition DetectWindowsEdition(const Platform& platform);
std::string WindowsEditionName(TWindowsEdition edition, uint32_t minorVersion);
std::string WindowsEditionName(const Platform& platform);
const char* EditionKindName(TWindowsEdition edition);  // "weWinXP"

}  // namespace kestrova
