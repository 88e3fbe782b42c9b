#include "engine/platform/win32/win32_shell.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "engine/platform/win32/api_family.h"
#include "engine/platform/win32/handles.h"
#include "engine/platform/win32/win32_util.h"

namespace kestrova::win32 {

namespace {

// An item list is shell memory: the shell's allocator frees it (the COM task allocator
// when the shell does not hand one out).
struct ItemListTraits {
  using Type = LPITEMIDLIST;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type pidl) noexcept {
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(::SHGetMalloc(&allocator)) && allocator) {
      allocator->Free(pidl);
      allocator->Release();
    } else {
      ::CoTaskMemFree(pidl);
    }
  }
};
using UniqueItemList = UniqueResource<ItemListTraits>;

}  // namespace

std::optional<std::string> Win32Shell::SpecialFolderPath(int csidl) const {
  UniqueItemList pidl;
  if (FAILED(::SHGetSpecialFolderLocation(nullptr, csidl, pidl.Put())) || !pidl) {
    pidl.Release();  // whatever a failed call left there is not ours
    return std::nullopt;
  }
  return WithApi([&](auto api) -> std::optional<std::string> {
    using Api = decltype(api);
    typename Api::Char path[MAX_PATH + 1] = {};
    if (!Api::PathFromItemList(pidl.Get(), path)) return std::nullopt;
    return Api::OutUntilNul(path, MAX_PATH);
  });
}

// SHGetSpecialFolderPathA, looked up at run time (shell32 of the first 9x releases lacks
// it), with a 4096-character buffer and fCreate false. The ANSI text is converted from
// the system code page.
std::optional<std::string> Win32Shell::SpecialFolderPathNoCreate(int csidl) const {
  UniqueLibrary shell32(::LoadLibraryA("shell32.dll"));
  if (!shell32) return std::nullopt;
  using Fn = BOOL(WINAPI*)(HWND, LPSTR, int, BOOL);
  Fn get = ProcAs<Fn>(shell32.Get(), "SHGetSpecialFolderPathA");
  if (!get) get = ProcAs<Fn>(shell32.Get(), "SHGetSpecialFolderPath");
  if (!get) return std::nullopt;
  std::string buffer(4096, '\0');
  if (!get(nullptr, &buffer[0], csidl, FALSE)) return std::nullopt;
  return AnsiToUtf8UntilNul(buffer.data(), buffer.size());
}

}  // namespace kestrova::win32
