// The engine's OS routines over the real Win32 platform, under each Windows personality
// Wine offers. ctest runs this program once per personality (KESTROVA_WINVER) and picks
// On<Personality>.* plus OnAnyWindows.* with --gtest_filter.
//
// What Wine 8 answers (GetVersionEx, always the extended record):
//   win98    4.10 build 0x040A08AE (4.10.2222) platform 1, CSD " A "
//   nt40     4.0  build 1381 platform 2, "Service Pack 6a", SP 6.0, product type 1
//   win2k    5.0  build 2195 platform 2, "Service Pack 4",  SP 4.0, product type 1
//   winxp    5.1  build 2600 platform 2, "Service Pack 3",  SP 3.0, suite 0x100, type 1
//   win2003  5.2  build 3790 platform 2, "Service Pack 2",  SP 2.0, suite 0x100, type 3
// kernel32.dll carries Wine's file version (10.0.x) whatever the personality.
#include <windows.h>

#include <stdexcept>
#include <string>

#include "engine/core/text.h"
#include "engine/os/osinfo.h"
#include "engine/os/shared_routines.h"
#include "tests/win/wine_env.h"

namespace kestrova::wintest {
namespace {

using K = TOSVersionKind;
using E = TWindowsEdition;

struct Personality {
  uint32_t Major, Minor, Build, PlatformId;
  const char* CSD;
  uint16_t ServicePackMajor;
  uint8_t ProductType;
  K Kind;
  const char* OSName;
  E Edition;
  const char* EditionName;
};

// Checks everything that follows from one personality's answers.
void ExpectPersonality(const Personality& want) {
  Platform p = Win32();
  VersionFacts v = p.System->Version();
  EXPECT_EQ(v.MajorVersion, want.Major);
  EXPECT_EQ(v.MinorVersion, want.Minor);
  EXPECT_EQ(v.BuildNumber, want.Build);
  EXPECT_EQ(v.PlatformId, want.PlatformId);
  EXPECT_EQ(v.CSDVersion, want.CSD);
  EXPECT_EQ(v.ServicePackMajor, want.ServicePackMajor);
  EXPECT_EQ(v.ProductType, want.ProductType);

  std::string servicePack;
  EXPECT_EQ(DetectOSVersion(p, servicePack), want.Kind) << OSKindName(DetectOSVersion(p, servicePack));
  EXPECT_EQ(servicePack, want.CSD);

  TOSInfo info = DetectOSInfo(p);
  EXPECT_EQ(info.OSKind, want.Kind);
  EXPECT_EQ(info.OSName, want.OSName);
  EXPECT_EQ(info.OSServicePack, want.CSD);
  EXPECT_EQ(info.OSMajorVersion, want.Major);
  EXPECT_EQ(info.OSMinorVersion, want.Minor);
  EXPECT_EQ(info.OSBuildNumber, want.Build);
  bool nt = want.PlatformId == 2;
  EXPECT_EQ(info.IsNT, nt);
  EXPECT_EQ(info.IsNT4, want.Kind == K::ovWinNT4);
  EXPECT_EQ(info.IsNT5Family, nt && want.Major == 5);
  EXPECT_EQ(info.IsWin98SE, want.Kind == K::ovWin98SE);
  EXPECT_EQ(info.DeviceClassKey, nt ? "SYSTEM\\CurrentControlSet\\Control\\Class"
                                    : "SYSTEM\\CurrentControlSet\\Services\\Class");

  E edition = DetectWindowsEdition(p);
  EXPECT_EQ(edition, want.Edition) << EditionKindName(edition);
  EXPECT_EQ(WindowsEditionName(p), want.EditionName);
}

TEST(OnWin98, WindowsNinetyEightSecondEdition) {
  KESTROVA_ONLY_WHEN("KESTROVA_WINVER", "win98");
  // Build 2222 in the low word makes it the Second Edition; the " A " of the service
  // text says the same to the edition table.
  ExpectPersonality({4, 10, 0x040A08AE, 1, " A ", 0, 0, K::ovWin98SE, "Windows 98 Second Edition",
                     E::weWin98SE, "Windows 98 SE"});
  // A 9x kernel reports 4.90.x for ME: Wine's 10.0 kernel32 must not be taken for it.
  EXPECT_NE(Win32().System->KernelVersionHigh(), 0x0004005Au);
}

TEST(OnNT40, WindowsNT4ServicePack6a) {
  KESTROVA_ONLY_WHEN("KESTROVA_WINVER", "nt40");
  ExpectPersonality({4, 0, 1381, 2, "Service Pack 6a", 6, 1, K::ovWinNT4,
                     "Windows NT 4.x Service Pack 6a", E::weWinNT4, "Windows NT 4.0"});
}

TEST(OnWin2000, Windows2000ServicePack4) {
  KESTROVA_ONLY_WHEN("KESTROVA_WINVER", "win2k");
  ExpectPersonality({5, 0, 2195, 2, "Service Pack 4", 4, 1, K::ovWin2000, "Windows 2000 Service Pack 4",
                     E::weWin2000, "Windows 2000"});
}

TEST(OnWinXP, WindowsXPServicePack3) {
  KESTROVA_ONLY_WHEN("KESTROVA_WINVER", "winxp");
  ExpectPersonality({5, 1, 2600, 2, "Service Pack 3", 3, 1, K::ovWinXP, "Windows XP Service Pack 3",
                     E::weWinXP, "Windows XP"});
  EXPECT_EQ(Win32().System->Version().SuiteMask, 0x100);
}

TEST(OnWin2003, WindowsServer2003ServicePack2) {
  KESTROVA_ONLY_WHEN("KESTROVA_WINVER", "win2003");
  // x64 underneath, but a server product type: not XP x64; SM_SERVERR2 is 0: not R2.
  ExpectPersonality({5, 2, 3790, 2, "Service Pack 2", 2, 3, K::ovWin2003,
                     "Windows Server 2003 Service Pack 2", E::weWin2003, "Windows Server 2003"});
}

// --- the shared routines, the same under every personality --------------------------

bool IsNT() { return Win32().System->Version().PlatformId == 2; }

TEST(OnAnyWindows, MachineNameIsTheComputerNameInCapitals) {
  TOSInfo info = DetectOSInfo(Win32());
  EXPECT_FALSE(info.MachineName.empty());
  EXPECT_EQ(info.MachineName, ToUpperAscii(Win32().System->ComputerName().value_or("")));
}

TEST(OnAnyWindows, RegistryValuesAsText) {
  Platform p = Win32();
  const char* key = "\\SOFTWARE\\KestrovaTest\\Values";
  EXPECT_EQ(ReadRegistryText(p, RootKey::LocalMachine, key, "Dword", false), "16");
  EXPECT_EQ(ReadRegistryText(p, RootKey::LocalMachine, key, "Binary", false), "01 a0 ff");
  EXPECT_EQ(ReadRegistryText(p, RootKey::LocalMachine, key, "Binary", true), "01a0ff");
  EXPECT_EQ(ReadRegistryText(p, RootKey::LocalMachine, key, "Text", false),
            "Ann\xC3\xA9" "e \xC3\xA9t\xC3\xA9 \xC3\xA0 No\xC3\xABl");
  EXPECT_EQ(ReadRegistryText(p, RootKey::LocalMachine, key, "Multi", false),
            "un\r\ndeux\r\n\xC3\xA9lan\r\n");
  EXPECT_EQ(ReadRegistryText(p, RootKey::LocalMachine, key, "Expand", false),
            p.System->EnvironmentVariable("SystemRoot").value_or("?") + "\\kestrova\\\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(ReadRegistryText(p, RootKey::LocalMachine, key, "Missing", false), "");
  EXPECT_EQ(ReadRegistryText(p, RootKey::LocalMachine, "\\SOFTWARE\\KestrovaTest\\Nowhere", "Dword", false), "");
  EXPECT_EQ(ReadRegistryString(p, RootKey::CurrentUser, "Software\\KestrovaTest\\User", "Name"),
            "Zo\xC3\xA9 Lef\xC3\xA8vre");
  EXPECT_EQ(ReadRegistryText(p, RootKey::LocalMachine, "\\HARDWARE\\DESCRIPTION\\System", "SystemBiosDate", false),
            "06/12/26");
}

TEST(OnAnyWindows, FileVersionOfWineKernel32) {
  Platform p = Win32();
  TFileVersionRecord r;
  std::string path = p.System->SystemDirectory() + "\\kernel32.dll";
  ASSERT_TRUE(ReadFileVersion(p, path, r));
  EXPECT_EQ(r.FileName, path);
  EXPECT_EQ(r.Major, 10u);  // Wine's DLLs claim Windows 10 files under every personality
  EXPECT_EQ(r.FileVersion, Format("%u.%u.%u.%u", r.Major, r.Minor, r.Release, r.Build));
  EXPECT_EQ(r.FileDescription, "Wine kernel DLL");
  EXPECT_EQ(r.ProductName, "Wine");
  EXPECT_FALSE(r.CompanyName.empty());
  EXPECT_TRUE(StartsWith(r.LegalCopyright, "Copyright"));
  EXPECT_EQ(r.SpecialBuild, "");
  EXPECT_EQ(ExeVersionText(p, path), r.FileVersion);

  TFileVersionRecord none;
  EXPECT_FALSE(ReadFileVersion(p, "C:\\windows\\no-such-file.dll", none));
}

TEST(OnAnyWindows, EnvironmentListHasTheRunsVariables) {
  std::vector<std::string> env = ReadEnvironmentList(Win32());
  ASSERT_FALSE(env.empty());
  std::string winver = "KESTROVA_WINVER=" + EnvOr("KESTROVA_WINVER", "?");
  bool found = false;
  size_t characters = 0;
  for (const std::string& line : env) {
    found = found || line == winver;
    characters += DecodeUtf8(line).size() + 1;
  }
  // The walk stops at 4096 characters: the variable is there only if it came early
  // enough, so check it against what was walked.
  if (characters < kEnvironmentWalkLimit) {
    EXPECT_TRUE(found) << winver;
  }
  EXPECT_LE(characters, kEnvironmentWalkLimit + 1);
}

TEST(OnAnyWindows, Folders) {
  Platform p = Win32();
  EXPECT_TRUE(EqualsNoCase(WinSysDirsPath(p), "C:\\windows;C:\\windows\\system32"));
  EXPECT_TRUE(EqualsNoCase(GetSpecialFolderPath(p, 0x24 /* CSIDL_WINDOWS */), "C:\\windows"));
  EXPECT_EQ(GetSpecialFolderPath(p, 3 /* CSIDL_CONTROLS */), "");
}

TEST(OnAnyWindows, NtdllBindingFollowsThePlatform) {
  Platform p = Win32();
  NtdllBinding ntdll(*p.Libraries);
  bool nt = IsNT();
  EXPECT_EQ(ntdll.Load(p.System->Version().PlatformId), nt);
  if (nt) {
    EXPECT_NE(ntdll.Module(), 0u);
    EXPECT_FALSE(ntdll.LoadedHere());  // NTDLL is in every process already
    for (const char* name : {"NtQueryObject", "NtQuerySystemInformation", "NtOpenSection", "NtClose",
                             "NtMapViewOfSection", "NtQueryInformationProcess", "NtDuplicateObject"})
      EXPECT_TRUE(ntdll.Has(name)) << name;
  } else {
    EXPECT_EQ(ntdll.Module(), 0u);
    EXPECT_FALSE(ntdll.Has("NtQueryObject"));
  }
  EXPECT_NO_THROW(ntdll.Unload());
  EXPECT_EQ(ntdll.Module(), 0u);
  EXPECT_NE(::GetModuleHandleW(L"ntdll.dll"), nullptr);  // not freed: it was not ours
}

TEST(OnAnyWindows, NoDialUpConnection) {
  Platform p = Win32();
  EXPECT_EQ(CountRasConnections(p), 0u);
  // LAN or none, as the prefix's proxy settings say (the OS tests import some): never dial-up.
  EXPECT_NE(GetConnectionType(p), TConnectionType::ctDialup);
}

}  // namespace
}  // namespace kestrova::wintest
