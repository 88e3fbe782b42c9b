#pragma once
// Wide or ANSI entry points. On Windows 95/98/ME most wide (W) functions are stubs that
// fail with ERROR_CALL_NOT_IMPLEMENTED, so there the layer calls the ANSI (A) ones and
// converts their text from the system code page (CP_ACP). The choice is made once per
// process.
//
// Each pair of entry points is one line in WideApi and one in AnsiApi, with the same
// name, arguments in the family's own characters and the same return value. A function
// of the layer is written once, as a generic lambda over the family, and run through
// WithApi:
//
//   return WithApi([&](auto api) {
//     using Api = decltype(api);
//     return Api::FileAttributes(Api::In(path).c_str());
//   });
//
// The member names are not the Win32 names on purpose: those are macros of <windows.h>.
#include <windows.h>
#include <shlobj.h>
#include <winver.h>

#include <string>

#include "engine/platform/win32/win32_util.h"

namespace kestrova::win32 {

enum class ApiFamily { Wide, Ansi };

// The decision: `force` is the value of KESTROVA_FORCE_ANSI (nullptr when unset): "1"
// chooses the ANSI family, "0" the wide one, anything else leaves the choice to
// `version`, what GetVersion() answers (its high bit is set on the 9x family, and on
// Win32s). The window code (app/win_text.h) reads the same variable the same way, so
// one setting drives the whole process.
ApiFamily ChooseApiFamily(const char* force, DWORD version);

// An entry point of a system DLL the program links with anyway (so already loaded),
// looked up by name; nullptr when that DLL does not export it. For the wide functions
// of version.dll and shell32.dll: the first Windows 95 releases may lack them altogether,
// and an import that is missing stops the program before it starts.
FARPROC BoundEntry(const char* module, const char* name);

// The family of this process, decided on first use from the environment and GetVersion.
// The variable exists for the tests, which run the whole suite through the ANSI entry
// points on any Windows.
ApiFamily ProcessApiFamily();
inline bool UseAnsiApi() { return ProcessApiFamily() == ApiFamily::Ansi; }

// System code page <-> UTF-8. `count` bytes are taken as they are (embedded NULs kept,
// so REG_MULTI_SZ and environment blocks keep their layout). What the code page cannot
// hold becomes its default character ('?').
std::string AnsiToUtf8(const char* text, size_t count);
inline std::string AnsiToUtf8(const std::string& text) { return AnsiToUtf8(text.data(), text.size()); }
std::string AnsiToUtf8UntilNul(const char* text, size_t max);
std::string Utf8ToAnsi(const std::string& utf8);

struct WideApi {
  using Char = wchar_t;
  using Text = std::wstring;
  using FindData = WIN32_FIND_DATAW;
  using VersionInfo = OSVERSIONINFOEXW;
  using StartupInfo = STARTUPINFOW;

  static Text In(const std::string& utf8) { return Widen(utf8); }
  static std::string Out(const Char* text, size_t count) { return Narrow(text, count); }
  static std::string OutUntilNul(const Char* text, size_t max) { return NarrowUntilNul(text, max); }

  // Registry
  static LONG OpenKey(HKEY parent, const Char* sub, REGSAM access, HKEY* key) {
    return ::RegOpenKeyExW(parent, sub, 0, access, key);
  }
  static LONG QueryValue(HKEY key, const Char* name, DWORD* type, BYTE* data, DWORD* size) {
    return ::RegQueryValueExW(key, name, nullptr, type, data, size);
  }
  static LONG QueryKeyInfo(HKEY key, DWORD* maxSubKeyName, DWORD* maxValueName) {
    return ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, maxSubKeyName, nullptr, nullptr,
                              maxValueName, nullptr, nullptr, nullptr);
  }
  static LONG EnumKey(HKEY key, DWORD index, Char* name, DWORD* length) {
    return ::RegEnumKeyExW(key, index, name, length, nullptr, nullptr, nullptr, nullptr);
  }
  static LONG EnumValue(HKEY key, DWORD index, Char* name, DWORD* length) {
    return ::RegEnumValueW(key, index, name, length, nullptr, nullptr, nullptr, nullptr);
  }

  // Files
  static DWORD FileAttributes(const Char* path) { return ::GetFileAttributesW(path); }
  static HANDLE FindFirst(const Char* pattern, FindData* data) { return ::FindFirstFileW(pattern, data); }
  static BOOL FindNext(HANDLE find, FindData* data) { return ::FindNextFileW(find, data); }
  static BOOL MakeFolder(const Char* path) { return ::CreateDirectoryW(path, nullptr); }
  static BOOL RemoveFolder(const Char* path) { return ::RemoveDirectoryW(path); }
  static HANDLE OpenFileHandle(const Char* path, DWORD access, DWORD share, DWORD disposition) {
    return ::CreateFileW(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  static BOOL RemoveFile(const Char* path) { return ::DeleteFileW(path); }
  // version.dll and shell32.dll: their wide entry points are bound by name (see
  // BoundEntry), the others are in every kernel32, advapi32 and user32.
  static DWORD VersionInfoSize(const Char* path);
  static BOOL VersionInfoBlock(const Char* path, DWORD size, void* block);

  // System
  static BOOL Version(VersionInfo* info) { return ::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(info)); }
  static BOOL ComputerName(Char* buffer, DWORD* size) { return ::GetComputerNameW(buffer, size); }
  static BOOL UserName(Char* buffer, DWORD* size) { return ::GetUserNameW(buffer, size); }
  static UINT WindowsFolder(Char* buffer, UINT size) { return ::GetWindowsDirectoryW(buffer, size); }
  static UINT SystemFolder(Char* buffer, UINT size) { return ::GetSystemDirectoryW(buffer, size); }
  static DWORD TempFolder(Char* buffer, DWORD size) { return ::GetTempPathW(size, buffer); }
  static DWORD ModulePath(HMODULE module, Char* buffer, DWORD size) { return ::GetModuleFileNameW(module, buffer, size); }
  static Char* Environment() { return ::GetEnvironmentStringsW(); }
  static BOOL FreeEnvironment(Char* block) { return ::FreeEnvironmentStringsW(block); }
  static DWORD EnvironmentVariable(const Char* name, Char* buffer, DWORD size) {
    return ::GetEnvironmentVariableW(name, buffer, size);
  }
  static int LocaleInfo(LCID locale, LCTYPE type, Char* buffer, int size) {
    return ::GetLocaleInfoW(locale, type, buffer, size);
  }
  static BOOL StartProcess(Char* commandLine, DWORD flags, StartupInfo* startup, PROCESS_INFORMATION* process) {
    return ::CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, flags, nullptr, nullptr, startup, process);
  }

  // Shell
  static BOOL PathFromItemList(LPCITEMIDLIST list, Char* path);
};

struct AnsiApi {
  using Char = char;
  using Text = std::string;
  using FindData = WIN32_FIND_DATAA;
  using VersionInfo = OSVERSIONINFOEXA;
  using StartupInfo = STARTUPINFOA;

  static Text In(const std::string& utf8) { return Utf8ToAnsi(utf8); }
  static std::string Out(const Char* text, size_t count) { return AnsiToUtf8(text, count); }
  static std::string OutUntilNul(const Char* text, size_t max) { return AnsiToUtf8UntilNul(text, max); }

  // Registry
  static LONG OpenKey(HKEY parent, const Char* sub, REGSAM access, HKEY* key) {
    return ::RegOpenKeyExA(parent, sub, 0, access, key);
  }
  static LONG QueryValue(HKEY key, const Char* name, DWORD* type, BYTE* data, DWORD* size) {
    return ::RegQueryValueExA(key, name, nullptr, type, data, size);
  }
  static LONG QueryKeyInfo(HKEY key, DWORD* maxSubKeyName, DWORD* maxValueName) {
    return ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, maxSubKeyName, nullptr, nullptr,
                              maxValueName, nullptr, nullptr, nullptr);
  }
  static LONG EnumKey(HKEY key, DWORD index, Char* name, DWORD* length) {
    return ::RegEnumKeyExA(key, index, name, length, nullptr, nullptr, nullptr, nullptr);
  }
  static LONG EnumValue(HKEY key, DWORD index, Char* name, DWORD* length) {
    return ::RegEnumValueA(key, index, name, length, nullptr, nullptr, nullptr, nullptr);
  }

  // Files
  static DWORD FileAttributes(const Char* path) { return ::GetFileAttributesA(path); }
  static HANDLE FindFirst(const Char* pattern, FindData* data) { return ::FindFirstFileA(pattern, data); }
  static BOOL FindNext(HANDLE find, FindData* data) { return ::FindNextFileA(find, data); }
  static BOOL MakeFolder(const Char* path) { return ::CreateDirectoryA(path, nullptr); }
  static BOOL RemoveFolder(const Char* path) { return ::RemoveDirectoryA(path); }
  static HANDLE OpenFileHandle(const Char* path, DWORD access, DWORD share, DWORD disposition) {
    return ::CreateFileA(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  static BOOL RemoveFile(const Char* path) { return ::DeleteFileA(path); }
  static DWORD VersionInfoSize(const Char* path) {
    DWORD ignored = 0;
    return ::GetFileVersionInfoSizeA(path, &ignored);
  }
  static BOOL VersionInfoBlock(const Char* path, DWORD size, void* block) {
    return ::GetFileVersionInfoA(path, 0, size, block);
  }

  // System
  static BOOL Version(VersionInfo* info) { return ::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(info)); }
  static BOOL ComputerName(Char* buffer, DWORD* size) { return ::GetComputerNameA(buffer, size); }
  static BOOL UserName(Char* buffer, DWORD* size) { return ::GetUserNameA(buffer, size); }
  static UINT WindowsFolder(Char* buffer, UINT size) { return ::GetWindowsDirectoryA(buffer, size); }
  static UINT SystemFolder(Char* buffer, UINT size) { return ::GetSystemDirectoryA(buffer, size); }
  static DWORD TempFolder(Char* buffer, DWORD size) { return ::GetTempPathA(size, buffer); }
  static DWORD ModulePath(HMODULE module, Char* buffer, DWORD size) { return ::GetModuleFileNameA(module, buffer, size); }
  static Char* Environment();  // GetEnvironmentStringsA, which <windows.h> hides when UNICODE is set
  static BOOL FreeEnvironment(Char* block) { return ::FreeEnvironmentStringsA(block); }
  static DWORD EnvironmentVariable(const Char* name, Char* buffer, DWORD size) {
    return ::GetEnvironmentVariableA(name, buffer, size);
  }
  static int LocaleInfo(LCID locale, LCTYPE type, Char* buffer, int size) {
    return ::GetLocaleInfoA(locale, type, buffer, size);
  }
  static BOOL StartProcess(Char* commandLine, DWORD flags, StartupInfo* startup, PROCESS_INFORMATION* process) {
    return ::CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, flags, nullptr, nullptr, startup, process);
  }

  // Shell
  static BOOL PathFromItemList(LPCITEMIDLIST list, Char* path) { return ::SHGetPathFromIDListA(list, path); }
};

// Runs `body` with the family of this process: body(WideApi{}) or body(AnsiApi{}). Both
// must return the same type.
template <typename Body>
auto WithApi(Body&& body) {
  if (UseAnsiApi()) return body(AnsiApi{});
  return body(WideApi{});
}

}  // namespace kestrova::win32
