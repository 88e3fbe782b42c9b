// Version resources read from the block itself, on files of real Win32: the tables an
// older file keeps under a key its translation does not name are found.
#include <windows.h>

#include <string>

#include "engine/os/shared_routines.h"
#include "engine/platform/files.h"
#include "engine/platform/win32/win32_util.h"
#include "tests/win/wine_env.h"

namespace kestrova::wintest {
namespace {

// kestrova_version_sample.dll, built from tests/fixtures/win/version_sample.rc beside
// this program.
std::string SamplePath() {
  wchar_t path[MAX_PATH + 1] = {};
  DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::string own = win32::Narrow(path, n);
  return own.substr(0, own.rfind('\\') + 1) + "kestrova_version_sample.dll";
}

TEST(Win32VersionBlock, TablesTheTranslationDoesNotNameAreRead) {
  auto res = Win32().Files->ReadVersionResource(SamplePath());
  ASSERT_TRUE(res) << SamplePath();
  ASSERT_TRUE(res->HasFixedInfo);
  EXPECT_EQ(res->FileVersionMS, 0x00040000u);
  EXPECT_EQ(res->FileVersionLS, 0x03B60001u);
  EXPECT_EQ(res->ProductVersionLS, 0x03B60000u);
  EXPECT_EQ(res->Translations, std::vector<uint32_t>{0x04E40409});
  ASSERT_EQ(res->StringTables.size(), 2u);
  EXPECT_EQ(res->StringTables.at("040904B0"),
            (std::map<std::string, std::string>{{"CompanyName", "Kestrova"},
                                                {"FileVersion", "4.00.950"},
                                                {"ProductName", "\xC3\x89" "chantillon Kestrova"},
                                                {"Build Date", "1995-08-24"}}));
  // The key in small letters comes back as VerQueryValue would match it.
  EXPECT_EQ(res->StringTables.at("040C04E4").at("FileDescription"), "Fichier d'essai \xE2\x80\x94 version");
}

TEST(Win32VersionBlock, TheEngineFindsTheFileVersionInTheOtherTable) {
  EXPECT_EQ(ExeVersionText(Win32(), SamplePath()), "4.00.950");
}

TEST(Win32VersionBlock, TheBlockOfTheVersionApiIsTheOneParsed) {
  // The same answers as VerQueryValue for what it can reach: the fixed record and the
  // strings of the table the translation names, here in kernel32.dll of the system.
  std::wstring path = win32::Widen(Win32().System->SystemDirectory() + "\\kernel32.dll");
  DWORD ignored = 0;
  DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> block(size);
  ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
  void* p = nullptr;
  UINT length = 0;
  wchar_t root[] = L"\\";
  ASSERT_TRUE(::VerQueryValueW(block.data(), root, &p, &length));
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(p);
  auto res = Win32().Files->ReadVersionResource(win32::Narrow(path));
  ASSERT_TRUE(res);
  EXPECT_EQ(res->FileVersionMS, fixed->dwFileVersionMS);
  EXPECT_EQ(res->FileVersionLS, fixed->dwFileVersionLS);
  EXPECT_EQ(res->ProductVersionMS, fixed->dwProductVersionMS);
  EXPECT_EQ(res->ProductVersionLS, fixed->dwProductVersionLS);
  for (const auto& table : res->StringTables) {
    for (const auto& s : table.second) {
      std::wstring query = L"\\StringFileInfo\\" + win32::Widen(table.first) + L"\\" + win32::Widen(s.first);
      ASSERT_TRUE(::VerQueryValueW(block.data(), &query[0], &p, &length)) << s.first;
      EXPECT_EQ(win32::NarrowUntilNul(static_cast<const wchar_t*>(p), length), s.second) << s.first;
    }
  }
}

}  // namespace
}  // namespace kestrova::wintest
