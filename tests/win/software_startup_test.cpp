// Shortcut resolution and profile files over real Win32, and the installed-software and
// auto-start sections over the prefix's own registry, folders and INI files.
#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <chrono>
#include <cstdio>
#include <fstream>

#include "engine/core/context.h"
#include "engine/core/system_info.h"
#include "engine/core/text.h"
#include "engine/inventory/software.h"
#include "engine/inventory/startup.h"
#include "engine/platform/profile_text.h"
#include "engine/platform/win32/win32_util.h"
#include "sections/categories.h"
#include "sections/run.h"
#include "tests/win/wine_env.h"

namespace kestrova::wintest {
namespace {

using Lines = std::vector<std::string>;

std::string TempFolder() { return Win32().System->TempPath(); }

void WriteBytes(const std::string& path, const std::string& bytes) {
  HANDLE h = ::CreateFileW(win32::Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(h);
  ASSERT_EQ(written, bytes.size());
}

// A shortcut made through the shell link object itself.
bool MakeShortcut(const std::string& linkPath, const std::string& target, const std::string& arguments) {
  ::CoInitialize(nullptr);
  bool ok = false;
  IShellLinkW* link = nullptr;
  if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
    link->SetPath(win32::Widen(target).c_str());
    link->SetArguments(win32::Widen(arguments).c_str());
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      ok = SUCCEEDED(file->Save(win32::Widen(linkPath).c_str(), TRUE));
      file->Release();
    }
    link->Release();
  }
  ::CoUninitialize();
  return ok;
}

TEST(Win32ShellLinks, ResolvesTargetAndArguments) {
  const std::string link = TempFolder() + "kestrova-bloc-notes.lnk";
  const std::string target = Win32().System->SystemDirectory() + "\\notepad.exe";
  ASSERT_TRUE(MakeShortcut(link, target, "/a \"b c\""));
  auto t = Win32().ShellLinks->Resolve(link);
  ::DeleteFileW(win32::Widen(link).c_str());
  ASSERT_TRUE(t);
  EXPECT_TRUE(EqualsNoCase(t->Path, target)) << t->Path;
  EXPECT_EQ(t->Arguments, "/a \"b c\"");
}

TEST(Win32ShellLinks, WhatIsNoShortcutDoesNotResolve) {
  const std::string junk = TempFolder() + "kestrova-pas-un-raccourci.lnk";
  WriteBytes(junk, "pas un raccourci");
  EXPECT_FALSE(Win32().ShellLinks->Resolve(junk));
  ::DeleteFileW(win32::Widen(junk).c_str());
  EXPECT_FALSE(Win32().ShellLinks->Resolve(TempFolder() + "kestrova-absent.lnk"));
}

TEST(Win32ShellLinks, AMissingTargetAnswersQuicklyWithoutSearching) {
  const std::string link = TempFolder() + "kestrova-cible-partie.lnk";
  const std::string gone = TempFolder() + "kestrova-cible-partie.exe";
  WriteBytes(gone, "MZ");
  ASSERT_TRUE(MakeShortcut(link, gone, "-x"));
  ::DeleteFileW(win32::Widen(gone).c_str());
  const auto start = std::chrono::steady_clock::now();
  auto t = Win32().ShellLinks->Resolve(link);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  ::DeleteFileW(win32::Widen(link).c_str());
  EXPECT_LT(ms, 3000);
  // Either the link answers what it holds, or it does not resolve: never a dialog.
  if (t) {
    EXPECT_TRUE(EqualsNoCase(t->Path, gone)) << t->Path;
  }
  std::printf("shortcut to a missing target: %s in %lld ms\n", t ? "resolved" : "not resolved",
              static_cast<long long>(ms));
}

// The profile functions and our reader of the bytes answer the same for the same file.
TEST(Win32ProfileFiles, AgreeWithTheReaderOfTheBytes) {
  const std::string bytes =
      "[boot]\r\n"
      "  shell = Explorer.exe  \r\n"
      "; load=commented.exe\r\n"
      "bare line\r\n"
      "run=\r\n"
      "Quoted=\"  keeps blanks  \"\r\n"
      "Single='x'\r\n"
      "Half=\"open\r\n"
      "shell=second.exe\r\n"
      "SCRNSAVE.EXE=C:\\windows\\logon.scr\r\n"
      "\r\n"
      "[windows]\r\n"
      "load=C:\\Program Files\\a b.exe\r\n"
      "run=r.exe\r\n"
      "[BOOT]\r\n"
      "run=second boot\r\n"
      "[last]\r\n"
      "k=v";
  const std::string path = TempFolder() + "kestrova-profil.ini";
  WriteBytes(path, bytes);
  const ProfileDocument doc = ParseProfileBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  IProfileFiles& ini = *Win32().Profiles;
  for (const char* section : {"boot", "BOOT", "windows", "last", "missing"}) {
    EXPECT_EQ(ini.SectionKeys(path, section), doc.SectionKeys(section)) << "[" << section << "]";
    for (const char* key : {"shell", "SHELL", "run", "load", "Quoted", "Single", "Half", "bare line",
                            "scrnsave.exe", "k", "missing"})
      EXPECT_EQ(ini.ReadString(path, section, key), doc.Value(section, key)) << "[" << section << "] " << key;
  }
  ::DeleteFileW(win32::Widen(path).c_str());
  EXPECT_EQ(ini.SectionKeys(path, "boot"), Lines{});
  EXPECT_EQ(ini.ReadString(path, "boot", "shell"), "");
}

TEST(Win32ProfileFiles, LongValuesComeBackWhole) {
  const std::string value(10000, 'v');
  const std::string path = TempFolder() + "kestrova-long.ini";
  WriteBytes(path, "[s]\r\nk=" + value + "\r\n");
  EXPECT_EQ(Win32().Profiles->ReadString(path, "s", "k"), value);
  ::DeleteFileW(win32::Widen(path).c_str());
}

// --- the two sections on the prefix ------------------------------------------------------

class SectionHost : public IRunHost {
 public:
  explicit SectionHost(std::string caption) : caption_(std::move(caption)) {}
  bool IsCategoryTicked(const std::string& caption) const override { return caption == caption_; }
  void SetStatusText(const std::string&) override {}
  void UpdateActionStates() override {}
  void SetBusyCursor(bool) override {}

 private:
  std::string caption_;
};

struct Sections {
  EngineContext context = MakeEngineContext(Win32());
  TSystemInfo engine{context};
  Lines Run(const SectionWriter& writer, long long* ms = nullptr) {
    MemoryLog log;
    SectionHost host(writer.Caption);
    RunFlags flags;
    SectionContext ctx{engine, log, host, flags};
    const auto start = std::chrono::steady_clock::now();
    RunSection(writer, ctx);
    if (ms)
      *ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    return log.Texts();
  }
};

const SectionWriter& Writer(const char* caption) {
  for (const SectionWriter& w : RunOrder())
    if (std::string(w.Caption) == caption) return w;
  throw std::runtime_error(std::string("no writer ") + caption);
}

// With tests/fixtures/win/software.reg imported.
TEST(InventorySections, InstalledApplicationsOfThePrefix) {
  Sections s;
  long long ms = 0;
  Lines lines = s.Run(Writer(kCatInstalledApps), &ms);
  EXPECT_EQ(lines, (Lines{"", "Applications installées", " - Archiveur Kestrova d'essai", " - Éditeur Kestrova d'essai"}));
  auto* software = s.engine.As<TSoftware>(TSystemInfo::Member::Software);
  std::printf("Applications installées: %u records, %lld ms\n", software->Count(), ms);

  // The same with 300 more applications, then without them.
  const std::wstring base = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KestrovaMesure";
  for (int i = 0; i < 300; ++i) {
    HKEY key = nullptr;
    const std::wstring path = base + std::to_wstring(1000 + i);
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::wstring name = L"Application de mesure " + std::to_wstring(1000 + i);
    ::RegSetValueExW(key, L"DisplayName", 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                     static_cast<DWORD>((name.size() + 1) * sizeof(wchar_t)));
    ::RegSetValueExW(key, L"DisplayVersion", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"1.0"), 8);
    ::RegSetValueExW(key, L"InstallDate", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"20050131"), 18);
    ::RegCloseKey(key);
  }
  lines = s.Run(Writer(kCatInstalledApps), &ms);
  for (int i = 0; i < 300; ++i) ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, (base + std::to_wstring(1000 + i)).c_str());
  EXPECT_EQ(lines.size(), 4u + 300u);
  EXPECT_EQ(lines[2], " - Application de mesure 1000");
  std::printf("Applications installées: %u records, %lld ms\n", software->Count(), ms);
}

TEST(InventorySections, AutoStartEntriesOfThePrefix) {
  // A shortcut in the user's Startup folder, made for the run and removed after it.
  auto folder = Win32().Shell->SpecialFolderPath(CSIDL_STARTUP);
  std::string link;
  if (folder) {
    ::SHCreateDirectoryExW(nullptr, win32::Widen(*folder).c_str(), nullptr);
    link = *folder + "\\Bloc-notes Kestrova.lnk";
    EXPECT_TRUE(MakeShortcut(link, Win32().System->SystemDirectory() + "\\notepad.exe", "/p"));
  }
  Sections s;
  const Lines lines = s.Run(Writer(kCatAutoStart));
  if (!link.empty()) ::DeleteFileW(win32::Widen(link).c_str());
  for (const std::string& l : lines) std::printf("%s\n", l.c_str());
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[1], "Applications démarrées automatiquement");
  auto has = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); };
  EXPECT_TRUE(has(" - Kestrova Veille (HKLM)"));
  EXPECT_TRUE(has(" - ctfmon (HKCU)"));
  EXPECT_TRUE(has(" - Exemple (HKLMOnceEx)"));
  EXPECT_FALSE(has(" - Ignore (HKLMOnceEx)"));
  EXPECT_TRUE(has(" - Shell (HKLMWinLogon)"));  // Wine's own "explorer.exe"
  if (folder) {
    EXPECT_TRUE(has(" - Bloc-notes Kestrova (User)"));
  }
  auto* startup = s.engine.As<TStartup>(TSystemInfo::Member::Startup);
  for (int i = 0; i < startup->Count(TStartupSource::HKLM_OnceEx); ++i)
    if (startup->Name(TStartupSource::HKLM_OnceEx, i) == "Exemple") {
      EXPECT_EQ(startup->Command(TStartupSource::HKLM_OnceEx, i), "ab c");
    }
  for (int i = 0; i < startup->Count(TStartupSource::UserStartup); ++i)
    if (startup->Name(TStartupSource::UserStartup, i) == "Bloc-notes Kestrova") {
      EXPECT_TRUE(EqualsNoCase(startup->Command(TStartupSource::UserStartup, i),
                               Win32().System->SystemDirectory() + "\\notepad.exe /p"));
    }
  // Every entry the section printed is counted, and the browser helper objects beside them.
  EXPECT_EQ(startup->RunsCount(), static_cast<int>(lines.size()) - 2 + startup->Count(TStartupSource::BHO));
}

}  // namespace
}  // namespace kestrova::wintest
