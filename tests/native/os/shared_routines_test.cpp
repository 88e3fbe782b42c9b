#include "engine/os/shared_routines.h"

#include <gtest/gtest.h>

#include "engine/platform/recorded/recorded_machine.h"

namespace kestrova {
namespace {

const char* const kKey = "\\SOFTWARE\\Test";

RegValue Bytes(uint32_t type, std::vector<uint8_t> data) { return RegValue{type, std::move(data)}; }

TEST(ReadRegistryText, EachValueType) {
  RecordedMachine m;
  m.EnvironmentLines = {"SystemRoot=C:\\WINDOWS"};
  auto& r = m.Registry;
  r.SetString(RootKey::LocalMachine, kKey, "sz", "Texte accentué");
  r.SetString(RootKey::LocalMachine, kKey, "expand", "%SystemRoot%\\Media;%Unknown%", kRegExpandSz);
  r.SetDword(RootKey::LocalMachine, kKey, "dword", 0x10);
  r.SetDword(RootKey::LocalMachine, kKey, "negative", 0xFFFFFFFF);
  r.SetValue(RootKey::LocalMachine, kKey, "bigendian", Bytes(kRegDwordBigEndian, {0, 0, 1, 0}));
  r.SetMultiString(RootKey::LocalMachine, kKey, "multi", {"un", "deux"});
  r.SetValue(RootKey::LocalMachine, kKey, "binary", Bytes(kRegBinary, {0x01, 0xA0, 0xFF}));
  r.SetValue(RootKey::LocalMachine, kKey, "empty", Bytes(kRegBinary, {}));
  Platform p = m.View();
  auto text = [&](const char* name, bool compact = false) {
    return ReadRegistryText(p, RootKey::LocalMachine, kKey, name, compact);
  };
  EXPECT_EQ(text("sz"), "Texte accentué");
  EXPECT_EQ(text("expand"), "C:\\WINDOWS\\Media;%Unknown%");
  EXPECT_EQ(text("dword"), "16");
  EXPECT_EQ(text("negative"), "-1");
  EXPECT_EQ(text("bigendian"), "256");
  EXPECT_EQ(text("multi"), "un\r\ndeux\r\n");
  EXPECT_EQ(text("binary"), "01 a0 ff");
  EXPECT_EQ(text("binary", true), "01a0ff");
  EXPECT_EQ(text("empty"), "");
  EXPECT_EQ(text("empty", true), "");
  EXPECT_EQ(text("missing"), "");
  EXPECT_EQ(ReadRegistryText(p, RootKey::LocalMachine, "\\SOFTWARE\\Nowhere", "sz", false), "");
  // Text typed values only, for ReadRegistryString
  EXPECT_EQ(ReadRegistryString(p, RootKey::LocalMachine, kKey, "sz"), "Texte accentué");
  EXPECT_EQ(ReadRegistryString(p, RootKey::LocalMachine, kKey, "dword"), "");
}

TEST(ReadRegistryText, LongValuesAreReadWhole) {
  RecordedMachine m;
  std::string big(5000, 'x');
  m.Registry.SetString(RootKey::LocalMachine, kKey, "big", big);
  std::vector<uint8_t> blob(3000, 0xAB);
  m.Registry.SetValue(RootKey::LocalMachine, kKey, "blob", Bytes(kRegBinary, blob));
  Platform p = m.View();
  EXPECT_EQ(ReadRegistryText(p, RootKey::LocalMachine, kKey, "big", false), big);
  EXPECT_EQ(ReadRegistryText(p, RootKey::LocalMachine, kKey, "blob", false).size(), 3000u * 3 - 1);
}

TEST(ReadRegistryText, CompactBinaryBreaksLinesAtZeroBytes) {
  RegValue v = Bytes(kRegBinary, {0x02, 0x00, 0x1F, 0x00, 0x00});
  EXPECT_EQ(RegistryValueAsText(v, true), "02\r\n1f");
  EXPECT_EQ(RegistryValueAsText(Bytes(kRegBinary, {0x00}), true), "");
}

TEST(ReadFileVersion, FixedInfoAndTheFirstTranslationsStrings) {
  RecordedMachine m;
  VersionResource res;
  res.HasFixedInfo = true;
  res.FileVersionMS = 0x0005000A;
  res.FileVersionLS = 0x00030007;
  res.ProductVersionMS = 0x00060000;
  res.ProductVersionLS = 0x00000001;
  res.Translations = {0x04E40409, 0x04B0040C};  // 0409/04E4 first
  res.StringTables["040904E4"] = {{"FileVersion", "5.10.3.7"}, {"CompanyName", "Maison"}, {"SpecialBuild", "x"}};
  res.StringTables["040C04B0"] = {{"FileVersion", "autre"}, {"Comments", "ignoré"}};
  m.VersionResources["C:\\A.DLL"] = res;
  Platform p = m.View();

  TFileVersionRecord r;
  r.Comments = "kept";
  ASSERT_TRUE(ReadFileVersion(p, "C:\\a.dll", r));
  EXPECT_EQ(r.FileName, "C:\\a.dll");
  EXPECT_EQ(r.Major, 5u);
  EXPECT_EQ(r.Minor, 10u);
  EXPECT_EQ(r.Release, 3u);
  EXPECT_EQ(r.Build, 7u);
  EXPECT_EQ(r.ProductMajor, 6u);
  EXPECT_EQ(r.ProductBuild, 1u);
  EXPECT_EQ(r.FileVersion, "5.10.3.7");
  EXPECT_EQ(r.CompanyName, "Maison");
  EXPECT_EQ(r.SpecialBuild, "x");
  EXPECT_EQ(r.Comments, "kept");  // not in the first table: untouched

  TFileVersionRecord none;
  none.CompanyName = "same";
  EXPECT_FALSE(ReadFileVersion(p, "C:\\nothing.exe", none));
  EXPECT_EQ(none.FileName, "C:\\nothing.exe");
  EXPECT_EQ(none.CompanyName, "same");
  EXPECT_EQ(none.Major, 0u);

  EXPECT_EQ(TranslationKey(0x04E40409), "040904E4");
  EXPECT_EQ(ExeVersionText(p, "C:\\A.DLL"), "5.10.3.7");
  EXPECT_EQ(ExeVersionText(p, "C:\\nothing.exe"), "");
}

TEST(EnvironmentList, StopsAtTheDoubleNulAndWithinTheFirst4096Characters) {
  std::string block = std::string("=C:=C:\\") + '\0' + "A=1" + '\0' + "B=2" + '\0' + '\0' + "C=3" + '\0';
  EXPECT_EQ(EnvironmentLinesOf(block), (std::vector<std::string>{"=C:=C:\\", "A=1", "B=2"}));

  std::string big;
  std::string first = "FIRST=" + std::string(4000, 'a');
  std::string second = "SECOND=" + std::string(200, 'b');  // ends after character 4096
  big = first + '\0' + second + '\0' + '\0';
  EXPECT_EQ(EnvironmentLinesOf(big), std::vector<std::string>{first});

  // The limit counts characters, not bytes.
  std::string accented;
  for (int i = 0; i < 2000; ++i) accented += "\xC3\xA9";
  std::string line = "X=" + accented;  // 2002 characters, 4002 bytes
  EXPECT_EQ(EnvironmentLinesOf(line + '\0' + '\0').size(), 1u);
}

TEST(ExpandPathVariables, PercentFormFirstThenTheBackslashForm) {
  std::vector<std::string> env = {"=C:=C:\\", "SystemRoot=C:\\WINDOWS", "ProgramFiles=C:\\Program Files",
                                  "windir=C:\\WINDOWS"};
  EXPECT_EQ(ExpandPathVariables(env, "%programfiles%\\App\\a.exe"), "C:\\Program Files\\App\\a.exe");
  EXPECT_EQ(ExpandPathVariables(env, "\\SystemRoot\\System32\\drivers\\x.sys"),
            "C:\\WINDOWS\\System32\\drivers\\x.sys");
  // only the first occurrence of each name
  EXPECT_EQ(ExpandPathVariables(env, "%WINDIR%;%WINDIR%"), "C:\\WINDOWS;%WINDIR%");
  EXPECT_EQ(ExpandPathVariables(env, "no variables"), "no variables");
}

TEST(CommandToFileName, StripsArgumentsAndQuotesUntilAFileExists) {
  RecordedMachine m = RecordedMachine();
  m.FilesRoot = std::string(KESTROVA_FIXTURES) + "/machines/xp-sp2-p4ht/files";
  m.EnvironmentLines = {"ProgramFiles=C:\\Program Files"};
  Platform p = m.View();
  EXPECT_EQ(CommandToFileName(p, "\"C:\\Program Files\\Internet Explorer\\iexplore.exe\" -nohome"),
            "C:\\Program Files\\Internet Explorer\\iexplore.exe");
  EXPECT_EQ(CommandToFileName(p, "%ProgramFiles%\\Outlook Express\\msimn.exe /mailurl:%1"),
            "C:\\Program Files\\Outlook Express\\msimn.exe");
  EXPECT_EQ(CommandToFileName(p, "C:\\missing\\app.exe -x"), "");
  EXPECT_EQ(CommandToFileName(p, ""), "");
}

TEST(DefaultApplications, FromTheRecordedMachines) {
  auto xp = LoadRecordedMachine(std::string(KESTROVA_FIXTURES) + "/machines/xp-sp2-p4ht");
  Platform p = xp->View();
  EXPECT_EQ(GetDefaultBrowser(p), "C:\\Program Files\\Internet Explorer\\iexplore.exe");
  EXPECT_EQ(GetDefaultMailClient(p), "C:\\Program Files\\Outlook Express\\msimn.exe");
  EXPECT_EQ(GetConnectionType(p), TConnectionType::ctLAN);
  EXPECT_EQ(GetProxyServerText(p), "http=proxy.cabinet.local:8080;ftp=proxy.cabinet.local:2121");

  auto w98 = LoadRecordedMachine(std::string(KESTROVA_FIXTURES) + "/machines/win98se-p3");
  EXPECT_EQ(GetDefaultBrowser(w98->View()), "C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE");
  EXPECT_EQ(GetConnectionType(w98->View()), TConnectionType::ctNone);
}

TEST(ConnectionType, ProxyEnableFormsAndDialUpCounts) {
  RecordedMachine m;
  const char* key = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet settings";
  Platform p = m.View();
  m.Registry.SetValue(RootKey::CurrentUser, key, "ProxyEnable", Bytes(kRegBinary, {1, 0, 0, 0}));
  EXPECT_EQ(GetConnectionType(p), TConnectionType::ctNone);  // enabled but no server
  m.Registry.SetString(RootKey::CurrentUser, key, "ProxyServer", "proxy:80");
  EXPECT_EQ(GetConnectionType(p), TConnectionType::ctLAN);
  m.Registry.SetValue(RootKey::CurrentUser, key, "ProxyEnable", Bytes(kRegBinary, {1, 0}));  // too short to read
  EXPECT_EQ(GetConnectionType(p), TConnectionType::ctNone);
  m.Registry.SetDword(RootKey::CurrentUser, key, "ProxyEnable", 0);
  m.RasData = {true, true, 0, 2};
  EXPECT_EQ(GetConnectionType(p), TConnectionType::ctDialup);

  m.RasData = {true, true, 603, 6};  // more than four connections
  EXPECT_EQ(CountRasConnections(p), 6u);
  m.RasData = {true, true, 632, 3};  // any other error
  EXPECT_EQ(CountRasConnections(p), 0u);
  m.RasData = {false, false, 0, 3};  // no rasapi32.dll
  EXPECT_EQ(CountRasConnections(p), 0u);
  m.RasData = {true, false, 0, 3};   // no entry point
  EXPECT_EQ(CountRasConnections(p), 0u);
}

TEST(Folders, SpecialFoldersSystemDirsAndParents) {
  RecordedMachine m;
  m.ShellFolders[5] = "C:\\Mes documents";
  Platform p = m.View();
  EXPECT_EQ(GetSpecialFolderPath(p, 5), "C:\\Mes documents");
  EXPECT_EQ(GetSpecialFolderPath(p, 17), "");
  EXPECT_EQ(WinSysDirsPath(p), "C:\\WINDOWS;C:\\WINDOWS\\SYSTEM32");
  EXPECT_EQ(ParentFolderOf("C:\\WINDOWS\\system32\\drivers"), "C:\\WINDOWS\\system32");
  EXPECT_EQ(ParentFolderOf("C:\\x"), "C:");
  EXPECT_EQ(ParentFolderOf("nofolder"), "nofolder");
  std::string deep = "C:\\" + std::string(300, 'd') + "\\file";
  EXPECT_EQ(ParentFolderOf(deep), std::string(255, 'd'));  // the last 255 characters
}

TEST(NtdllBinding, BindsOnNTOnlyAndFreesOnlyWhatItLoaded) {
  RecordedMachine m;
  RecordedLibrary ntdll;
  ntdll.Exports = {"NtQueryObject", "NtOpenSection", "NtClose"};
  m.Libraries["NTDLL.DLL"] = ntdll;
  {
    NtdllBinding b(m);
    EXPECT_FALSE(b.Load(1));  // 9x family
    EXPECT_TRUE(b.Load(2));
    EXPECT_TRUE(b.LoadedHere());
    EXPECT_TRUE(b.Has("NtOpenSection"));
    EXPECT_FALSE(b.Has("NtCreateSection"));
    EXPECT_EQ(m.LoadedLibraries().size(), 1u);
    b.Unload();
    EXPECT_TRUE(m.LoadedLibraries().empty());
  }
  m.Libraries["NTDLL.DLL"].AlreadyLoaded = true;
  {
    NtdllBinding b(m);
    EXPECT_TRUE(b.Load(2));
    EXPECT_FALSE(b.LoadedHere());
    EXPECT_NO_THROW(b.Unload());  // not ours: not freed
  }
  m.Libraries["NTDLL.DLL"].AlreadyLoaded = false;
  m.Libraries["NTDLL.DLL"].Exports = {"NtClose"};
  m.Libraries["NTDLL.DLL"].FreeFails = true;
  {
    NtdllBinding b(m);
    EXPECT_FALSE(b.Load(2));  // NtQueryObject missing
    try {
      b.Unload();
      FAIL() << "expected the unload error";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()).rfind("Unload Error: NTDLL.DLL - 0x", 0), 0u) << e.what();
    }
  }
  m.Libraries.clear();
  NtdllBinding missing(m);
  EXPECT_FALSE(missing.Load(2));
}

}  // namespace
}  // namespace kestrova
