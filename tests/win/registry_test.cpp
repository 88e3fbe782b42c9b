// The registry over real Win32: values imported from tests/fixtures/win/*.reg by
// scripts/wine-run.sh, read back through IRegistry.
#include <string>

#include "engine/platform/registry.h"
#include "tests/win/wine_env.h"

namespace kestrova::wintest {
namespace {

const char* const kValues = "SOFTWARE\\KestrovaTest\\Values";

RegValue Query(RootKey root, const std::string& path, const std::string& name) {
  auto v = Win32().Registry->QueryValue(root, path, name);
  EXPECT_TRUE(v.has_value()) << path << " : " << name;
  return v.value_or(RegValue{});
}

std::string LongText() {
  std::string s;
  for (int i = 0; i < 20; ++i) s += "Kestrova lit le registre en entier, quelle que soit la taille de la valeur. ";
  return s + "Fin: \xC3\xA9t\xC3\xA9.";
}

TEST(Win32Registry, StringWithAccentsComesBackAsUtf8WithItsNul) {
  RegValue v = Query(RootKey::LocalMachine, kValues, "Text");
  EXPECT_EQ(v.Type, kRegSz);
  EXPECT_EQ(v.Data, Bytes(std::string("Ann\xC3\xA9" "e \xC3\xA9t\xC3\xA9 \xC3\xA0 No\xC3\xABl") + '\0'));
}

TEST(Win32Registry, DefaultValueHasTheEmptyName) {
  RegValue v = Query(RootKey::LocalMachine, kValues, "");
  EXPECT_EQ(v.Type, kRegSz);
  EXPECT_EQ(v.Data, Bytes(std::string("Valeur par d\xC3\xA9" "faut") + '\0'));
}

TEST(Win32Registry, BackslashesInDataAreKept) {
  EXPECT_EQ(Query(RootKey::LocalMachine, kValues, "Path").Data,
            Bytes(std::string("C:\\Program Files\\Kestrova\\kestrova.exe") + '\0'));
}

TEST(Win32Registry, ExpandStringIsReturnedUnexpanded) {
  RegValue v = Query(RootKey::LocalMachine, kValues, "Expand");
  EXPECT_EQ(v.Type, kRegExpandSz);
  EXPECT_EQ(v.Data, Bytes(std::string("%SystemRoot%\\kestrova\\\xC3\xA9t\xC3\xA9") + '\0'));
}

TEST(Win32Registry, DwordIsFourLittleEndianBytes) {
  RegValue v = Query(RootKey::LocalMachine, kValues, "Dword");
  EXPECT_EQ(v.Type, kRegDword);
  EXPECT_EQ(v.Data, (std::vector<uint8_t>{0x10, 0, 0, 0}));
}

TEST(Win32Registry, BinaryBytesAreUntouched) {
  RegValue v = Query(RootKey::LocalMachine, kValues, "Binary");
  EXPECT_EQ(v.Type, kRegBinary);
  EXPECT_EQ(v.Data, (std::vector<uint8_t>{0x01, 0xA0, 0xFF}));
}

TEST(Win32Registry, MultiStringKeepsOneNulPerStringAndOneAtTheEnd) {
  RegValue v = Query(RootKey::LocalMachine, kValues, "Multi");
  EXPECT_EQ(v.Type, kRegMultiSz);
  EXPECT_EQ(v.Data, Bytes(Lit("un\0deux\0\xC3\xA9lan\0\0")));
}

TEST(Win32Registry, EmptyMultiStringAndEmptyString) {
  RegValue m = Query(RootKey::LocalMachine, kValues, "EmptyMulti");
  EXPECT_EQ(m.Type, kRegMultiSz);
  EXPECT_EQ(m.Data, std::vector<uint8_t>{0});
  RegValue s = Query(RootKey::LocalMachine, kValues, "Empty");
  EXPECT_EQ(s.Type, kRegSz);
  EXPECT_EQ(s.Data, std::vector<uint8_t>{0});
}

TEST(Win32Registry, OtherTypesComeAsRawBytes) {
  RegValue v = Query(RootKey::LocalMachine, kValues, "Qword");
  EXPECT_EQ(v.Type, kRegQword);
  EXPECT_EQ(v.Data, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(Win32Registry, LongStringIsReadWhole) {
  std::string expected = LongText();
  ASSERT_GT(expected.size(), 1024u);
  EXPECT_EQ(Query(RootKey::LocalMachine, kValues, "Long").Data, Bytes(expected + '\0'));
}

TEST(Win32Registry, LongBinaryIsReadWhole) {
  std::vector<uint8_t> expected;
  for (int i = 0; i < 3000; ++i) expected.push_back(static_cast<uint8_t>(i % 256));
  EXPECT_EQ(Query(RootKey::LocalMachine, kValues, "LongBinary").Data, expected);
}

TEST(Win32Registry, LeadingBackslashIsAccepted) {
  RegValue v = Query(RootKey::LocalMachine, std::string("\\") + kValues, "Dword");
  EXPECT_EQ(v.Data, (std::vector<uint8_t>{0x10, 0, 0, 0}));
  EXPECT_TRUE(Win32().Registry->KeyExists(RootKey::LocalMachine, std::string("\\") + kValues));
  EXPECT_EQ(Sorted(Win32().Registry->SubKeyNames(RootKey::LocalMachine, "\\SOFTWARE\\KestrovaTest")),
            (std::vector<std::string>{"Ansi", "Tree", "Values"}));
}

TEST(Win32Registry, MissingKeyOrValueGivesNothing) {
  auto* reg = Win32().Registry;
  EXPECT_FALSE(reg->QueryValue(RootKey::LocalMachine, "SOFTWARE\\KestrovaTest\\Nowhere", "Text"));
  EXPECT_FALSE(reg->QueryValue(RootKey::LocalMachine, kValues, "Nothing"));
  EXPECT_FALSE(reg->KeyExists(RootKey::LocalMachine, "SOFTWARE\\KestrovaTest\\Nowhere"));
  EXPECT_TRUE(reg->SubKeyNames(RootKey::LocalMachine, "SOFTWARE\\KestrovaTest\\Nowhere").empty());
  EXPECT_TRUE(reg->ValueNames(RootKey::LocalMachine, "SOFTWARE\\KestrovaTest\\Nowhere").empty());
}

TEST(Win32Registry, SubKeysAreEnumeratedWithAccentedNames) {
  EXPECT_EQ(Sorted(Win32().Registry->SubKeyNames(RootKey::LocalMachine, "SOFTWARE\\KestrovaTest\\Tree")),
            (std::vector<std::string>{"Alpha", "Beta", "Cl\xC3\xA9 sp\xC3\xA9" "ciale", "Gamma"}));
  EXPECT_TRUE(Win32().Registry->KeyExists(RootKey::LocalMachine,
                                          "SOFTWARE\\KestrovaTest\\Tree\\Cl\xC3\xA9 sp\xC3\xA9" "ciale"));
  EXPECT_EQ(Win32().Registry->SubKeyNames(RootKey::LocalMachine, "SOFTWARE\\KestrovaTest\\Tree\\Gamma"),
            std::vector<std::string>{"Deep"});
  EXPECT_TRUE(Win32().Registry->SubKeyNames(RootKey::LocalMachine, "SOFTWARE\\KestrovaTest\\Tree\\Alpha").empty());
}

TEST(Win32Registry, ValuesAreEnumeratedIncludingTheDefaultOne) {
  EXPECT_EQ(Sorted(Win32().Registry->ValueNames(RootKey::LocalMachine, kValues)),
            (std::vector<std::string>{"", "Binary", "Dword", "Empty", "EmptyMulti", "Expand", "Long",
                                      "LongBinary", "Multi", "Path", "Qword", "Text"}));
  EXPECT_EQ(Win32().Registry->ValueNames(RootKey::LocalMachine, "SOFTWARE\\KestrovaTest\\Tree"),
            std::vector<std::string>{"Leaf"});
}

TEST(Win32Registry, CurrentUserValues) {
  EXPECT_EQ(Query(RootKey::CurrentUser, "Software\\KestrovaTest\\User", "Name").Data,
            Bytes(std::string("Zo\xC3\xA9 Lef\xC3\xA8vre") + '\0'));
  EXPECT_EQ(Query(RootKey::CurrentUser, "\\Software\\KestrovaTest\\User", "Count").Data,
            (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(Win32Registry, AnsiFileTextArrivesAsUtf8) {
  const char* key = "SOFTWARE\\KestrovaTest\\Ansi";
  EXPECT_EQ(Query(RootKey::LocalMachine, key, "Text").Data,
            Bytes(std::string("Caf\xC3\xA9 cr\xC3\xA8me br\xC3\xBBl\xC3\xA9" "e") + '\0'));
  RegValue expand = Query(RootKey::LocalMachine, key, "Expand");
  EXPECT_EQ(expand.Type, kRegExpandSz);
  EXPECT_EQ(expand.Data, Bytes(std::string("%WINDIR%\\caf\xC3\xA9") + '\0'));
  RegValue multi = Query(RootKey::LocalMachine, key, "Multi");
  EXPECT_EQ(multi.Type, kRegMultiSz);
  EXPECT_EQ(multi.Data, Bytes(Lit("premi\xC3\xA8re\0seconde\0\0")));
  EXPECT_EQ(Query(RootKey::LocalMachine, key, "Dword").Data, (std::vector<uint8_t>{0x2A, 0, 0, 0}));
}

// HKLM\HARDWARE is volatile: these values exist only because the import ran in the
// same wineserver session as this program.
TEST(Win32Registry, VolatileHardwareDescription) {
  const char* key = "\\HARDWARE\\DESCRIPTION\\System";
  EXPECT_EQ(Query(RootKey::LocalMachine, key, "SystemBiosDate").Data, Bytes(std::string("06/12/26") + '\0'));
  RegValue bios = Query(RootKey::LocalMachine, key, "SystemBiosVersion");
  EXPECT_EQ(bios.Type, kRegMultiSz);
  EXPECT_EQ(bios.Data, Bytes(Lit("KESTRV - 1072009\0BIOS Date: 06/12/26 Ver 08.00.15\0\0")));
  EXPECT_EQ(Query(RootKey::LocalMachine, key, "VideoBiosVersion").Data,
            Bytes(Lit("Vid\xC3\xA9o BIOS 1.0\0\0")));
  RegValue config = Query(RootKey::LocalMachine, key, "Configuration Data");
  EXPECT_EQ(config.Type, kRegFullResourceDescriptor);
  EXPECT_EQ(config.Data, (std::vector<uint8_t>{1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0}));
  // Wine's own entries are still there beside ours.
  EXPECT_TRUE(Win32().Registry->KeyExists(RootKey::LocalMachine, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor"));
}

TEST(Win32Registry, DynamicDataRoot) {
  RegValue usage = Query(RootKey::DynData, "PerfStats\\StatData", "KERNEL\\CPUUsage");
  EXPECT_EQ(usage.Type, kRegBinary);
  EXPECT_EQ(usage.Data, (std::vector<uint8_t>{5, 0, 0, 0}));
  EXPECT_EQ(Query(RootKey::DynData, "\\Config Manager\\Enum\\C29A8B40", "HardWareKey").Data,
            Bytes(std::string("ROOT\\PCI\\0000") + '\0'));
  EXPECT_EQ(Win32().Registry->SubKeyNames(RootKey::DynData, "Config Manager\\Enum"),
            std::vector<std::string>{"C29A8B40"});
}

}  // namespace
}  // namespace kestrova::wintest
