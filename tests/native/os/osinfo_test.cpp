#include "engine/os/osinfo.h"

#include <gtest/gtest.h>

#include "engine/platform/recorded/recorded_machine.h"

namespace kestrova {
namespace {

struct VersionCase {
  const char* Label;
  uint32_t PlatformId, Major, Minor, Build;
  const char* CSD;
  TOSVersionKind Kind;
  const char* ServicePack;
  const char* Name;
};

class DetectOSVersionTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(DetectOSVersionTest, KindServicePackAndName) {
  const VersionCase& c = GetParam();
  RecordedMachine m;
  m.VersionData.PlatformId = c.PlatformId;
  m.VersionData.MajorVersion = c.Major;
  m.VersionData.MinorVersion = c.Minor;
  m.VersionData.BuildNumber = c.Build;
  m.VersionData.CSDVersion = c.CSD;
  TOSInfo info = DetectOSInfo(m.View());
  EXPECT_EQ(OSKindName(info.OSKind), std::string(OSKindName(c.Kind)));
  EXPECT_EQ(info.OSServicePack, c.ServicePack);
  EXPECT_EQ(info.OSName, c.Name);
  EXPECT_EQ(info.OSBuildNumber, c.Build);  // never masked
}

INSTANTIATE_TEST_SUITE_P(
    Releases, DetectOSVersionTest,
    ::testing::Values(
        VersionCase{"NT351", 2, 3, 51, 1057, "Service Pack 5", TOSVersionKind::ovWinNT3, "Service Pack 5", "Windows NT 3.x Service Pack 5"},
        VersionCase{"NT4SP6", 2, 4, 0, 1381, "Service Pack 6", TOSVersionKind::ovWinNT4, "Service Pack 6", "Windows NT 4.x Service Pack 6"},
        VersionCase{"W2000", 2, 5, 0, 2195, "Service Pack 4", TOSVersionKind::ovWin2000, "Service Pack 4", "Windows 2000 Service Pack 4"},
        VersionCase{"XPSP2", 2, 5, 1, 2600, "Service Pack 2", TOSVersionKind::ovWinXP, "Service Pack 2", "Windows XP Service Pack 2"},
        VersionCase{"XPnoSP", 2, 5, 1, 2600, "", TOSVersionKind::ovWinXP, "", "Windows XP "},
        VersionCase{"S2003", 2, 5, 2, 3790, "Service Pack 1", TOSVersionKind::ovWin2003, "Service Pack 1", "Windows Server 2003 Service Pack 1"},
        VersionCase{"Vista", 2, 6, 0, 6000, "", TOSVersionKind::ovUnknown, "", ""},
        VersionCase{"W95", 1, 4, 0, 0x04000395, "", TOSVersionKind::ovWin95, "", "Windows 95"},
        VersionCase{"W95A", 1, 4, 0, 0x04000395, "A", TOSVersionKind::ovWin95OSR1, "A", "Windows 95 OSR 1"},
        VersionCase{"W95B", 1, 4, 0, 0x040003B6, " B ", TOSVersionKind::ovWin95OSR2, " B ", "Windows 95 OSR 2"},
        VersionCase{"W95C", 1, 4, 0, 0x040003B6, " C", TOSVersionKind::ovWin95OSR25, " C", "Windows 95 OSR 2.5"},
        VersionCase{"W95c", 1, 4, 0, 0x040003B6, "c", TOSVersionKind::ovWin95, "c", "Windows 95"},
        VersionCase{"W98", 1, 4, 10, 0x040A07CE, " ", TOSVersionKind::ovWin98, " ", "Windows 98"},
        VersionCase{"W98SE", 1, 4, 10, 0x040A08AE, " A ", TOSVersionKind::ovWin98SE, " A ", "Windows 98 Second Edition"},
        VersionCase{"WME", 1, 4, 90, 0x045A0BB8, " ", TOSVersionKind::ovWinME, " ", "Windows Millenium Edition"},
        VersionCase{"Win32s", 0, 3, 11, 0, "", TOSVersionKind::ovUnknown, "", ""}),
    [](const ::testing::TestParamInfo<VersionCase>& i) { return std::string(i.param.Label); });

TEST(DetectOSVersion, NT4ServicePack6aNeedsTheInstalledHotfix) {
  RecordedMachine m;
  m.VersionData = {4, 0, 1381, 2, "Service Pack 6"};
  const char* key = "\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009";
  m.Registry.SetDword(RootKey::LocalMachine, key, "Installed", 1);
  TOSInfo info = DetectOSInfo(m.View());
  EXPECT_EQ(info.OSServicePack, "Service Pack 6a");
  EXPECT_EQ(info.OSName, "Windows NT 4.x Service Pack 6a");
  EXPECT_TRUE(info.IsNT4);

  m.Registry.SetDword(RootKey::LocalMachine, key, "Installed", 0);
  EXPECT_EQ(DetectOSInfo(m.View()).OSServicePack, "Service Pack 6");
  m.Registry.SetDword(RootKey::LocalMachine, key, "Installed", 1);
  m.VersionData.CSDVersion = "service pack 6";  // case-sensitive comparison
  EXPECT_EQ(DetectOSInfo(m.View()).OSServicePack, "service pack 6");
}

TEST(DetectOSInfo, FlagsMachineNameAndClassKey) {
  RecordedMachine m;
  m.VersionData = {5, 1, 2600, 2, "Service Pack 2"};
  m.ComputerNameData = "bureau";
  TOSInfo xp = DetectOSInfo(m.View());
  EXPECT_TRUE(xp.IsNT);
  EXPECT_TRUE(xp.IsNT5Family);
  EXPECT_FALSE(xp.IsNT4);
  EXPECT_EQ(xp.MachineName, "BUREAU");
  EXPECT_EQ(xp.DeviceClassKey, "SYSTEM\\CurrentControlSet\\Control\\Class");

  // The stored computer name wins over GetComputerName.
  m.Registry.SetString(RootKey::LocalMachine, "SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName",
                       "ComputerName", "Poste-Réception");
  EXPECT_EQ(DetectOSInfo(m.View()).MachineName, "POSTE-RéCEPTION");  // ASCII upper-casing only

  m.VersionData = {4, 0, 0x040003B6, 1, "B"};
  TOSInfo osr2 = DetectOSInfo(m.View());
  EXPECT_TRUE(osr2.IsWin95OSR2);
  EXPECT_FALSE(osr2.IsNT);
  EXPECT_EQ(osr2.DeviceClassKey, "SYSTEM\\CurrentControlSet\\Services\\Class");

  m.VersionData = {6, 0, 6000, 2, ""};
  EXPECT_FALSE(DetectOSInfo(m.View()).IsNT);  // classification, not the raw platform
}

struct EditionCase {
  const char* Label;
  EditionFacts Facts;
  TWindowsEdition Edition;
  const char* Name;
};

class EditionTest : public ::testing::TestWithParam<EditionCase> {};

TEST_P(EditionTest, ClassifiesAndNames) {
  const EditionCase& c = GetParam();
  TWindowsEdition e = ClassifyWindowsEdition(c.Facts);
  EXPECT_STREQ(EditionKindName(e), EditionKindName(c.Edition));
  EXPECT_EQ(WindowsEditionName(e, c.Facts.Minor), c.Name);
}

EditionFacts F(uint32_t pid, uint32_t major, uint32_t minor, const char* sp = "", uint32_t kernel = 0,
               int r2 = 0, uint16_t arch = 0, uint8_t type = 1) {
  return EditionFacts{pid, major, minor, sp, kernel, r2, arch, type};
}

INSTANTIATE_TEST_SUITE_P(
    Editions, EditionTest,
    ::testing::Values(
        EditionCase{"W95", F(1, 4, 0), TWindowsEdition::weWin95, "Windows 95"},
        EditionCase{"W95A", F(1, 4, 0, "A"), TWindowsEdition::weWin95, "Windows 95"},
        EditionCase{"W95B", F(1, 4, 0, "B"), TWindowsEdition::weWin95OSR2, "Windows 95 OSR2"},
        EditionCase{"W95C", F(1, 4, 0, "C"), TWindowsEdition::weWin95OSR2, "Windows 95 OSR2"},
        EditionCase{"W98", F(1, 4, 10), TWindowsEdition::weWin98, "Windows 98"},
        EditionCase{"W98SE_A", F(1, 4, 10, "A"), TWindowsEdition::weWin98SE, "Windows 98 SE"},
        EditionCase{"W98SE_B", F(1, 4, 10, "B"), TWindowsEdition::weWin98SE, "Windows 98 SE"},
        EditionCase{"MEbyKernel", F(1, 4, 10, "A", 0x0004005A), TWindowsEdition::weWinME, "Windows ME"},
        EditionCase{"ME", F(1, 4, 90), TWindowsEdition::weWinME, "Windows ME"},
        EditionCase{"9xMinor91", F(1, 4, 91), TWindowsEdition::weUnknown, ""},
        EditionCase{"NT31", F(2, 3, 1), TWindowsEdition::weWinNT31, "Windows NT 3.1"},
        EditionCase{"NT35", F(2, 3, 5), TWindowsEdition::weWinNT35, "Windows NT 3.5"},
        EditionCase{"NT351", F(2, 3, 51), TWindowsEdition::weWinNT351, "Windows NT 3.51"},
        EditionCase{"NT3x", F(2, 3, 2), TWindowsEdition::weUnknown, ""},
        EditionCase{"NT40", F(2, 4, 0), TWindowsEdition::weWinNT4, "Windows NT 4.0"},
        EditionCase{"W2K", F(2, 5, 0), TWindowsEdition::weWin2000, "Windows 2000"},
        EditionCase{"XP", F(2, 5, 1), TWindowsEdition::weWinXP, "Windows XP"},
        EditionCase{"S2003", F(2, 5, 2, "", 0, 0, 0, 3), TWindowsEdition::weWin2003, "Windows Server 2003"},
        EditionCase{"XP64", F(2, 5, 2, "", 0, 0, 9, 1), TWindowsEdition::weWinXP64, "Windows XP x64"},
        EditionCase{"S2003x64", F(2, 5, 2, "", 0, 0, 9, 3), TWindowsEdition::weWin2003, "Windows Server 2003"},
        EditionCase{"R2", F(2, 5, 2, "", 0, 1, 9, 1), TWindowsEdition::weWin2003R2, "Windows Server 2003 \"R2\""},
        EditionCase{"NT53", F(2, 5, 3), TWindowsEdition::weUnknown, ""},
        EditionCase{"Vista", F(2, 6, 0, "", 0, 0, 0, 1), TWindowsEdition::weWinVista, "Windows Vista"},
        EditionCase{"S2008", F(2, 6, 0, "", 0, 0, 0, 3), TWindowsEdition::weWinServer2008, "Windows Server 2008"},
        EditionCase{"Win7", F(2, 6, 1), TWindowsEdition::weUnknown, ""},
        EditionCase{"Win32s", F(0, 3, 11), TWindowsEdition::weUnknown, ""}),
    [](const ::testing::TestParamInfo<EditionCase>& i) { return std::string(i.param.Label); });

TEST(DetectWindowsEdition, ReadsItsFactsFromThePlatform) {
  RecordedMachine m;
  m.VersionData = {4, 10, 0x040A08AE, 1, " A "};  // service text trimmed before comparing
  EXPECT_EQ(DetectWindowsEdition(m.View()), TWindowsEdition::weWin98SE);
  m.KernelVersionHighData = 0x0004005A;
  EXPECT_EQ(DetectWindowsEdition(m.View()), TWindowsEdition::weWinME);
  m.VersionData = {5, 2, 3790, 2, ""};
  m.VersionData.ProductType = 1;
  m.SystemData.ProcessorArchitecture = 9;
  m.KernelVersionHighData = 0x0004005A;  // ignored on NT
  EXPECT_EQ(DetectWindowsEdition(m.View()), TWindowsEdition::weWinXP64);
  m.ServerR2Data = 1;
  EXPECT_EQ(DetectWindowsEdition(m.View()), TWindowsEdition::weWin2003R2);
  m.VersionData = {4, 0, 1381, 2, "Service Pack 6"};
  EXPECT_EQ(WindowsEditionName(m.View()), "Windows NT 4.0");
}

}  // namespace
}  // namespace kestrova
