#pragma once
// Small helpers of the Win32 side: UTF-8 <-> UTF-16 at the API boundary, typed entry
// points, and the "ask again with a bigger buffer" loop most string APIs need.
#include <windows.h>

#include <optional>
#include <string>

namespace kestrova::win32 {

static_assert(sizeof(wchar_t) == 2, "Win32 wide characters are UTF-16 code units");

// UTF-8 to UTF-16; invalid sequences become U+FFFD.
std::wstring Widen(const std::string& utf8);
// UTF-16 to UTF-8, `count` code units taken as they are (embedded NULs kept).
std::string Narrow(const wchar_t* text, size_t count);
inline std::string Narrow(const std::wstring& text) { return Narrow(text.data(), text.size()); }
// UTF-16 up to the first NUL (or `max` units, whichever comes first) to UTF-8.
std::string NarrowUntilNul(const wchar_t* text, size_t max);

// GetProcAddress typed as the entry point it is. The detour through void(*)() is the
// conversion the compiler accepts between unrelated function pointer types.
template <typename Fn>
Fn ProcAs(HMODULE module, const char* name) {
  FARPROC p = module ? ::GetProcAddress(module, name) : nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(p));
}

// For the API family that answers the length without the NUL when the buffer was big
// enough, and a bigger number (the size needed, or the buffer size when it truncates)
// otherwise: GetWindowsDirectory, GetTempPath, GetModuleFileName, ...
// `call(buffer, sizeInChars)` returns that number; 0 means failure (nullopt). Char is
// wchar_t for the W functions, char for the A ones.
template <typename Char = wchar_t, typename Call>
std::optional<std::basic_string<Char>> ReadGrowing(Call call) {
  std::basic_string<Char> buffer(MAX_PATH + 1, Char());
  for (int attempt = 0; attempt < 16; ++attempt) {
    DWORD size = static_cast<DWORD>(buffer.size());
    DWORD n = call(&buffer[0], size);
    if (n == 0) return std::nullopt;
    if (n < size) {
      buffer.resize(n);
      return buffer;
    }
    buffer.resize(n + 1 > size * 2 ? n + 1 : size * 2);
  }
  return std::nullopt;
}

}  // namespace kestrova::win32
