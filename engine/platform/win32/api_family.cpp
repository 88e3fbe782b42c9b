#include "engine/platform/win32/api_family.h"

#include <cstring>

namespace kestrova::win32 {

ApiFamily ChooseApiFamily(const char* force, DWORD version) {
  if (force && std::strcmp(force, "1") == 0) return ApiFamily::Ansi;
  if (force && std::strcmp(force, "0") == 0) return ApiFamily::Wide;
  return (version & 0x80000000u) ? ApiFamily::Ansi : ApiFamily::Wide;
}

ApiFamily ProcessApiFamily() {
  // A function-local static: initialised once, and safely so with the win32 threading
  // model's guard. The ANSI call below exists on every Windows.
  static const ApiFamily family = [] {
    char force[8] = {};
    DWORD n = ::GetEnvironmentVariableA("KESTROVA_FORCE_ANSI", force, sizeof force);
    return ChooseApiFamily(n > 0 && n < sizeof force ? force : nullptr, ::GetVersion());
  }();
  return family;
}

std::string AnsiToUtf8(const char* text, size_t count) {
  if (!text || count == 0) return {};
  int length = static_cast<int>(count);
  int n = ::MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(static_cast<size_t>(n), L'\0');
  n = ::MultiByteToWideChar(CP_ACP, 0, text, length, &wide[0], n);
  return n > 0 ? Narrow(wide.data(), static_cast<size_t>(n)) : std::string();
}

std::string AnsiToUtf8UntilNul(const char* text, size_t max) {
  if (!text) return {};
  size_t n = 0;
  while (n < max && text[n] != '\0') ++n;
  return AnsiToUtf8(text, n);
}

std::string Utf8ToAnsi(const std::string& utf8) {
  std::wstring wide = Widen(utf8);
  if (wide.empty()) return {};
  int length = static_cast<int>(wide.size());
  // No "best fit": a name with an alpha must not become a name with an "a" and open
  // another key or file. Windows before 2000 refuse the flag (ERROR_INVALID_FLAGS) and
  // have no best fit to turn off.
  DWORD flags = WC_NO_BEST_FIT_CHARS;
  int n = ::WideCharToMultiByte(CP_ACP, flags, wide.data(), length, nullptr, 0, nullptr, nullptr);
  if (n <= 0 && ::GetLastError() == ERROR_INVALID_FLAGS) {
    flags = 0;
    n = ::WideCharToMultiByte(CP_ACP, flags, wide.data(), length, nullptr, 0, nullptr, nullptr);
  }
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  n = ::WideCharToMultiByte(CP_ACP, flags, wide.data(), length, &out[0], n, nullptr, nullptr);
  out.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return out;
}

FARPROC BoundEntry(const char* module, const char* name) {
  HMODULE m = ::GetModuleHandleA(module);
  if (!m) m = ::LoadLibraryA(module);  // stays loaded for the process, as an import would
  return m ? ::GetProcAddress(m, name) : nullptr;
}

namespace {

// The wide entry point `name` of `module`, looked up once; calls fail with
// ERROR_CALL_NOT_IMPLEMENTED, as a stub would, when it is not there.
template <typename Fn>
Fn Bound(const char* module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(BoundEntry(module, name)));
}

BOOL NotThere() {
  ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
  return FALSE;
}

}  // namespace

DWORD WideApi::VersionInfoSize(const Char* path) {
  using Fn = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
  static const Fn fn = Bound<Fn>("version.dll", "GetFileVersionInfoSizeW");
  DWORD ignored = 0;
  return fn ? fn(path, &ignored) : static_cast<DWORD>(NotThere());
}

BOOL WideApi::VersionInfoBlock(const Char* path, DWORD size, void* block) {
  using Fn = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
  static const Fn fn = Bound<Fn>("version.dll", "GetFileVersionInfoW");
  return fn ? fn(path, 0, size, block) : NotThere();
}

BOOL WideApi::PathFromItemList(LPCITEMIDLIST list, Char* path) {
  using Fn = BOOL(WINAPI*)(LPCITEMIDLIST, LPWSTR);
  static const Fn fn = Bound<Fn>("shell32.dll", "SHGetPathFromIDListW");
  return fn ? fn(list, path) : NotThere();
}

// With UNICODE set, <windows.h> makes GetEnvironmentStrings the wide function and gives
// the ANSI one no name of its own; the export itself is "GetEnvironmentStrings".
#pragma push_macro("GetEnvironmentStrings")
#undef GetEnvironmentStrings
AnsiApi::Char* AnsiApi::Environment() { return ::GetEnvironmentStrings(); }
#pragma pop_macro("GetEnvironmentStrings")

}  // namespace kestrova::win32
