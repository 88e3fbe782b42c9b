#include <gtest/gtest.h>

#include <string>

#include "engine/os/shared_routines.h"
#include "engine/platform/recorded/ini.h"
#include "engine/platform/recorded/load_error.h"
#include "engine/platform/recorded/recorded_machine.h"

namespace kestrova {
namespace {

std::string MachineDir(const char* name) { return std::string(KESTROVA_FIXTURES) + "/machines/" + name; }

// Expects a LoadError at the given line, naming the file.
template <typename F>
void ExpectLoadError(F f, int line, const std::string& fragment = "") {
  try {
    f();
    FAIL() << "no error";
  } catch (const LoadError& e) {
    EXPECT_EQ(e.Line(), line) << e.what();
    EXPECT_NE(std::string(e.what()).find(e.File()), std::string::npos);
    if (!fragment.empty()) {
      EXPECT_NE(std::string(e.what()).find(fragment), std::string::npos) << e.what();
    }
  }
}

TEST(RegFile, Version5EveryValueForm) {
  RegistryTree t;
  LoadRegFile(t,
              "Windows Registry Editor Version 5.00\r\n"
              "\r\n"
              "; comment\r\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\K]\r\n"
              "@=\"défaut\"\r\n"
              "\"quoted \\\"name\\\"\"=\"C:\\\\path\\\\\"\r\n"
              "\"d\"=dword:0000001f\r\n"
              "\"b\"=hex:01,a0,\\\r\n"
              "  ff\r\n"
              "\"e\"=hex(2):25,00,41,00,25,00,e9,00,00,00\r\n"
              "\"m\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
              "\"r\"=hex(8):01,02\r\n"
              "\"none\"=hex(0):\r\n"
              "[HKEY_CURRENT_USER\\Software\\K]\r\n"
              "\"x\"=\"1\"\r\n"
              "[HKEY_DYN_DATA\\Config Manager\\Enum\\C1]\r\n"
              "\"HardWareKey\"=\"ROOT\\\\PCI\"\r\n",
              "t.reg");
  const char* k = "SOFTWARE\\K";
  auto v = [&](const char* name) { return t.QueryValue(RootKey::LocalMachine, k, name); };
  EXPECT_EQ(RegistryValueAsText(*v("")), "défaut");
  EXPECT_EQ(RegistryValueAsText(*v("quoted \"name\"")), "C:\\path\\");
  EXPECT_EQ(v("d")->Type, kRegDword);
  EXPECT_EQ(RegistryValueAsInteger(*v("d")), 31);
  EXPECT_EQ(v("b")->Data, (std::vector<uint8_t>{0x01, 0xA0, 0xFF}));
  EXPECT_EQ(v("e")->Type, kRegExpandSz);
  EXPECT_EQ(RegistryValueAsText(*v("e")), "%A%é");  // UTF-16LE turned into UTF-8
  EXPECT_EQ(RegistryValueAsText(*v("m")), "a\r\nb\r\n");
  EXPECT_EQ(v("r")->Type, kRegResourceList);
  EXPECT_EQ(v("none")->Type, kRegNone);
  EXPECT_TRUE(v("none")->Data.empty());
  EXPECT_TRUE(t.QueryValue(RootKey::CurrentUser, "Software\\K", "x"));
  EXPECT_TRUE(t.KeyExists(RootKey::DynData, "\\Config Manager\\Enum\\C1"));  // leading backslash
  EXPECT_TRUE(t.KeyExists(RootKey::LocalMachine, "software\\k"));             // any case
  EXPECT_EQ(t.SubKeyNames(RootKey::LocalMachine, "SOFTWARE"), std::vector<std::string>{"K"});
  EXPECT_EQ(t.ValueNames(RootKey::LocalMachine, k).size(), 8u);
}

TEST(RegFile, Regedit4StoresTextInTheAnsiCodePage) {
  RegistryTree t;
  LoadRegFile(t,
              "REGEDIT4\n[HKEY_LOCAL_MACHINE\\S]\n\"e\"=hex(2):43,3a,5c,e9,00\n\"m\"=hex(7):61,00,62,00,00\n",
              "t.reg");
  EXPECT_EQ(RegistryValueAsText(*t.QueryValue(RootKey::LocalMachine, "S", "e")), "C:\\é");
  EXPECT_EQ(RegistryValueAsText(*t.QueryValue(RootKey::LocalMachine, "S", "m")), "a\r\nb\r\n");
}

TEST(RegFile, Utf16FileWithByteOrderMark) {
  std::u16string wide;
  for (char32_t c : std::u32string(U"Windows Registry Editor Version 5.00\r\n[HKEY_CLASSES_ROOT\\.txt]\r\n@=\"txtfile\"\r\n\"\u00e9\"=\"\u00fc\"\r\n"))
    wide += static_cast<char16_t>(c);
  std::string bytes = "\xFF\xFE";
  for (char16_t c : wide) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  RegistryTree t;
  LoadRegFile(t, bytes, "w.reg");
  EXPECT_EQ(RegistryValueAsText(*t.QueryValue(RootKey::ClassesRoot, ".txt", "")), "txtfile");
  EXPECT_EQ(RegistryValueAsText(*t.QueryValue(RootKey::ClassesRoot, ".txt", "é")), "ü");
}

TEST(RegFile, DeletionsApplyInFileOrder) {
  RegistryTree t;
  LoadRegFile(t,
              "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\\B]\n\"v\"=\"1\"\n\"w\"=\"2\"\n"
              "[HKEY_LOCAL_MACHINE\\A\\B]\n\"v\"=-\n[-HKEY_LOCAL_MACHINE\\A\\C]\n\"ignored\"=\"x\"\n",
              "t.reg");
  EXPECT_FALSE(t.QueryValue(RootKey::LocalMachine, "A\\B", "v"));
  EXPECT_TRUE(t.QueryValue(RootKey::LocalMachine, "A\\B", "w"));
  EXPECT_FALSE(t.KeyExists(RootKey::LocalMachine, "A\\C"));
}

TEST(RegFile, MalformedLinesNameFileAndLine) {
  RegistryTree t;
  ExpectLoadError([&] { LoadRegFile(t, "hello\n", "bad.reg"); }, 1, "not a registry file");
  ExpectLoadError([&] { LoadRegFile(t, "REGEDIT4\n\"v\"=\"x\"\n", "bad.reg"); }, 2, "before any key");
  ExpectLoadError([&] { LoadRegFile(t, "REGEDIT4\n[HKEY_NOWHERE\\x]\n", "bad.reg"); }, 2, "unknown root");
  ExpectLoadError([&] { LoadRegFile(t, "REGEDIT4\n[HKEY_LOCAL_MACHINE\\x\n", "bad.reg"); }, 2);
  ExpectLoadError([&] { LoadRegFile(t, "REGEDIT4\n[HKEY_LOCAL_MACHINE\\x]\n\"v\"=dword:123456789\n", "bad.reg"); }, 3, "dword");
  ExpectLoadError([&] { LoadRegFile(t, "REGEDIT4\n[HKEY_LOCAL_MACHINE\\x]\n\n\"v\"=hex:1,zz\n", "bad.reg"); }, 4, "hex");
  ExpectLoadError([&] { LoadRegFile(t, "REGEDIT4\n[HKEY_LOCAL_MACHINE\\x]\n\"v\"=hex:01,123\n", "bad.reg"); }, 3, "hex");
  ExpectLoadError([&] { LoadRegFile(t, "REGEDIT4\n[HKEY_LOCAL_MACHINE\\x]\n\"v\"=hex:01,\\\n  02,1g\n", "bad.reg"); }, 3);
  ExpectLoadError([&] { LoadRegFile(t, "REGEDIT4\n[HKEY_LOCAL_MACHINE\\x]\n\"v=\"x\"\n", "bad.reg"); }, 3);
  ExpectLoadError([&] { LoadRegFile(t, "REGEDIT4\n[HKEY_LOCAL_MACHINE\\x]\n\"v\"=\"x\" trailing\n", "bad.reg"); }, 3, "string");
  ExpectLoadError([&] { LoadRegFile(t, "REGEDIT4\n[HKEY_LOCAL_MACHINE\\x]\n\"v\"=hex(zz):00\n", "bad.reg"); }, 3, "type");
  ExpectLoadError([&] { LoadRegFile(t, "", "empty.reg"); }, 1);
}

TEST(IniFile, ProfileRulesForValues) {
  IniDocument d = ParseIni("\xEF\xBB\xBF; c\r\n[S]\r\n key = value  \r\nq=\" A \"\r\nraw line\r\n[T]\r\n", "x.ini");
  ASSERT_EQ(d.Sections.size(), 2u);
  const IniSection* s = d.Find("s");
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(s->Entries.size(), 3u);
  EXPECT_EQ(s->Entries[0].Key, "key");
  EXPECT_EQ(s->Entries[0].Value, "value");
  EXPECT_EQ(s->Entries[1].Value, " A ");
  EXPECT_EQ(s->Entries[2].Key, "");
  EXPECT_EQ(s->Entries[2].Text(), "raw line");
  EXPECT_EQ(s->Entries[0].Text(), "key = value");
  EXPECT_EQ(s->Entries[1].Text(), "q=\" A \"");
  EXPECT_EQ(s->Entries[2].Line, 5);
  ExpectLoadError([] { ParseIni("key=1\n", "x.ini"); }, 1, "outside");
  ExpectLoadError([] { ParseIni("[ok]\n[broken\n", "x.ini"); }, 2, "section");
  for (const char* empty : {"[]", "[ ]", "["}) ExpectLoadError([&] { ParseIni(std::string("[ok]\n") + empty, "x.ini"); }, 2);
}

TEST(MachineIni, UnknownSectionsKeysAndBadValuesAreErrors) {
  RecordedMachine m;
  ExpectLoadError([&] { ApplyMachineIni(m, "[version]\nMajorVersoin=5\n", "machine.ini"); }, 2, "MajorVersoin");
  ExpectLoadError([&] { ApplyMachineIni(m, "[systen]\n", "machine.ini"); }, 1, "systen");
  ExpectLoadError([&] { ApplyMachineIni(m, "[system]\nTickCount=12x\n", "machine.ini"); }, 2, "number");
  ExpectLoadError([&] { ApplyMachineIni(m, "[system]\nTickCount=0x1FFFFFFFF\n", "machine.ini"); }, 2, "range");
  // A captured 64-bit process counter has up to twenty digits; one past 2^64 - 1 is refused.
  const std::string counters = "[process:8]\nVMCounters=18446744073709551615,0,0,0,0,0,0,0,0,0,0\n";
  ApplyMachineIni(m, counters, "machine.ini");
  ApplyMachineIni(m, "[process:10]\nCreateTime=-944286456796\nUserTime=-9223372036854775808\n", "machine.ini");
  ExpectLoadError([&] { ApplyMachineIni(m, "[process:9]\nVMCounters=18446744073709551616,0,0,0,0,0,0,0,0,0,0\n", "machine.ini"); },
                  2, "range");
  for (const char* day : {"2026-13-01 00:00:00", "2026-02-29 12:00:00", "2100-02-29 12:00:00", "2026-04-31 12:00:00",
                          "2026-12-32 12:00:00", "2026-12-06 24:00:00", "2026-12-06 12:00:00x"})
    ExpectLoadError([&] { ApplyMachineIni(m, std::string("[system]\nLocalTime=") + day + "\n", "machine.ini"); }, 2, day);
  // Weekdays (0 Sunday) round the ends of February, January and December.
  const std::pair<const char*, int> kWeekdays[] = {{"2000-02-29", 2}, {"2000-03-01", 3}, {"2023-03-01", 3},
                                                  {"2024-02-29", 4}, {"2024-03-01", 5}, {"2100-03-01", 1},
                                                  {"2027-01-01", 5}, {"2026-01-31", 6}, {"2026-12-31", 4}};
  for (const auto& w : kWeekdays) {
    ApplyMachineIni(m, std::string("[system]\nLocalTime=") + w.first + " 08:00:00\n", "machine.ini");
    EXPECT_EQ(m.LocalTimeData.DayOfWeek, w.second) << w.first;
  }
  ExpectLoadError([&] { ApplyMachineIni(m, "[locale]\nDayNames=a,b\n", "machine.ini"); }, 2, "7");
  ExpectLoadError([&] { ApplyMachineIni(m, "[attributes]\nC:\\x=Q\n", "machine.ini"); }, 2);
  ExpectLoadError([&] { ApplyMachineIni(m, "[shellfolders]\nCSIDL_NOPE=C:\\\n", "machine.ini"); }, 2);
  ExpectLoadError([&] { ApplyMachineIni(m, "[version:C:\\a.dll]\nFileVersionNumber=1.2.3\n", "machine.ini"); }, 2);
}

TEST(MachineIni, FactsOfEveryArea) {
  RecordedMachine m;
  ApplyMachineIni(m,
                  "[version]\nMajorVersion=5\nMinorVersion=0x1\nBuildNumber=2600\nPlatformId=2\n"
                  "CSDVersion=\" Service Pack 1 \"\nProductType=1\n"
                  "[system]\nLocalTime=2026-12-06 19:06:42\nProcessorCount=2\n"
                  "[locale]\nLOCALE_SCOUNTRY=France\n"
                  "[keyboard]\nCapsLock=1\nCapsLockDown=1\nNumLock=1\n"
                  "[environment]\n=C:=C:\\\nPath=C:\\WINDOWS\n"
                  "[attributes]\nC:\\boot.ini=HSR\n",
                  "machine.ini");
  EXPECT_EQ(m.VersionData.MinorVersion, 1u);
  EXPECT_EQ(m.VersionData.CSDVersion, " Service Pack 1 ");
  EXPECT_TRUE(m.VersionData.HasExtended);
  EXPECT_EQ(m.SystemData.ProcessorCount, 2u);
  EXPECT_EQ(m.LocaleData.Values["LOCALE_SCOUNTRY"], "France");
  auto keys = m.KeyboardState();
  EXPECT_EQ(keys[0x14], 0x81);
  EXPECT_EQ(keys[0x90], 0x01);
  EXPECT_EQ(m.EnvironmentLines, (std::vector<std::string>{"=C:=C:\\", "Path=C:\\WINDOWS"}));
  EXPECT_EQ(m.EnvironmentVariable("PATH").value_or(""), "C:\\WINDOWS");
  EXPECT_EQ(m.AttributeOverrides["C:\\BOOT.INI"], uint32_t{kAttrHidden | kAttrSystem | kAttrReadOnly});
}

TEST(CpuidText, LinesCommentsAndErrors) {
  CpuidTable t = ParseCpuidText(
      "# cpu leaf subleaf eax ebx ecx edx\n"
      "0 0 0 2 756e6547 6c65746e 49656e69\n"
      "1 1 0 00000f29 00020800 00004400 bfebfbff  # second logical processor\n"
      "\n",
      "cpuid.txt");
  EXPECT_EQ(t.ProcessorCount(), 2u);
  EXPECT_EQ(t.Query(0, 0, 0).Ebx, 0x756e6547u);
  EXPECT_EQ(t.Query(1, 1, 0).Eax, 0xf29u);
  EXPECT_EQ(t.Query(1, 4, 0).Eax, 0u);  // not listed: zeros
  ExpectLoadError([] { ParseCpuidText("0 0 0 1 2 3\n", "cpuid.txt"); }, 1);
  ExpectLoadError([] { ParseCpuidText("\n0x1 0 0 1 2 3 4\n", "cpuid.txt"); }, 2, "decimal");
  ExpectLoadError([] { ParseCpuidText("0 0 0 1 2 3 123456789\n", "cpuid.txt"); }, 1, "hexadecimal");
}

TEST(PhysicalMemory, RegionsOverlayAndUncoveredBytesReadAsZero) {
  PhysicalMemoryImage mem;
  EXPECT_FALSE(mem.Read(0xF0000, 4));
  mem.AddRegion(0xF0000, std::vector<uint8_t>(0x10000, 0x11));
  mem.AddRegion(0xF0004, {0x22, 0x22});
  auto r = mem.Read(0xEFFFE, 8);
  ASSERT_TRUE(r);
  EXPECT_EQ(*r, (std::vector<uint8_t>{0, 0, 0x11, 0x11, 0x11, 0x11, 0x22, 0x22}));
  EXPECT_FALSE(mem.Read(0x100000, 16));
}

TEST(SmbiosDump, EntryPointAtF0000AndTableWhereItsAddressSays) {
  std::vector<uint8_t> file(0x26, 0);  // the entry point, then the 6-byte table at 20h
  const char anchor[] = "_SM_";
  std::copy(anchor, anchor + 4, file.begin());
  file[5] = 0x1F;
  file[0x10] = '_'; file[0x11] = 'D'; file[0x12] = 'M'; file[0x13] = 'I'; file[0x14] = '_';
  file[0x16] = 4;     // table length
  file[0x18] = 0x20;  // table address
  file[0x20] = 0x7F;
  file[0x21] = 0x04;
  PhysicalMemoryImage mem;
  AddSmbiosDump(mem, file, "smbios.bin");
  EXPECT_EQ((*mem.Read(0xF0000, 4))[0], '_');
  EXPECT_EQ(*mem.Read(0x20, 4), (std::vector<uint8_t>{0x7F, 0x04, 0, 0}));
  EXPECT_EQ((*mem.Read(0x20, 6))[4], 0);  // only the table's stated length is mapped

  std::vector<uint8_t> legacy = {'_', 'D', 'M', 'I', '_', 0, 4, 0, 0x10, 0, 0, 0, 1, 0, 0x21,
                                 0, 0x7F, 4, 0, 0};
  PhysicalMemoryImage mem2;
  AddSmbiosDump(mem2, legacy, "smbios.bin");
  EXPECT_EQ(*mem2.Read(0x10, 4), (std::vector<uint8_t>{0x7F, 4, 0, 0}));

  PhysicalMemoryImage mem3;
  ExpectLoadError([&] { AddSmbiosDump(mem3, {'X', 'Y'}, "smbios.bin"); }, 0, "anchor");
  ExpectLoadError([&] { AddSmbiosDump(mem3, {'_', 'S', 'M', '_', 0}, "smbios.bin"); }, 0, "shorter");
}

TEST(RecordedMachineFolder, BothMachinesLoadCompletely) {
  for (const char* name : {"win98se-p3", "xp-sp2-p4ht"}) {
    SCOPED_TRACE(name);
    auto m = LoadRecordedMachine(MachineDir(name));
    EXPECT_FALSE(m->ComputerNameData.value_or("").empty());
    EXPECT_FALSE(m->EnvironmentLines.empty());
    EXPECT_FALSE(m->Registry.SubKeyNames(RootKey::LocalMachine, "").empty());
    EXPECT_TRUE(IsExistingFile(*m, m->SystemDirectoryData.substr(0, 2) + "\\WINDOWS\\win.ini"));
  }
  EXPECT_THROW(LoadRecordedMachine(MachineDir("no-such-machine")), std::runtime_error);
}

TEST(RecordedMachineFolder, FilesAreMatchedWithoutCaseAndNeverOutsideTheTree) {
  auto m = LoadRecordedMachine(MachineDir("xp-sp2-p4ht"));
  EXPECT_EQ(m->Attributes("c:\\windows\\SYSTEM32"), std::optional<uint32_t>(kAttrDirectory));
  EXPECT_TRUE(IsExistingFile(*m, "C:\\PROGRAM FILES\\internet explorer\\IEXPLORE.EXE"));
  EXPECT_FALSE(m->Attributes("C:\\WINDOWS\\..\\..\\..\\machine.ini"));
  EXPECT_FALSE(m->Attributes("D:\\"));
  EXPECT_FALSE(m->Attributes("relative\\path"));
  auto listing = m->ListDirectory("C:\\Program Files");
  ASSERT_TRUE(listing);
  EXPECT_GE(listing->size(), 2u);
}

}  // namespace
}  // namespace kestrova
