#include "engine/platform/win32/win32_shell_links.h"

#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include "engine/platform/win32/api_family.h"
#include "engine/platform/win32/win32_util.h"

namespace kestrova::win32 {

namespace {

// COM for the length of one call on this thread. S_FALSE (already initialised) also
// counts and is undone; RPC_E_CHANGED_MODE (the thread is in the other apartment) is
// usable as it is, and is not ours to undo: the shell link object lives in both.
class ComScope {
 public:
  ComScope() : hr_(::CoInitialize(nullptr)) {}
  ~ComScope() {
    if (SUCCEEDED(hr_)) ::CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  bool Usable() const { return SUCCEEDED(hr_) || hr_ == RPC_E_CHANGED_MODE; }

 private:
  HRESULT hr_;
};

// A COM interface pointer released once.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (p_) p_->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  void** Put() { return reinterpret_cast<void**>(&p_); }

 private:
  T* p_ = nullptr;
};

// No dialog, no write-back into the file, and no search for a target that moved: not by
// the link-tracking service, not through the volume and network data the link carries,
// not on the disks. The high word is the time-out of a search, were one still made.
constexpr DWORD kResolveFlags = DWORD{SLR_NO_UI} | DWORD{SLR_NOUPDATE} | DWORD{SLR_NOSEARCH} |
                                DWORD{SLR_NOTRACK} | DWORD{SLR_NOLINKINFO} | (1000u << 16);

// Buffers wider than the shell's own limits: the engine cuts the texts where it wants.
constexpr int kTextBuffer = 2048;

// IShellLinkW where the wide functions work, IShellLinkA on the 9x family.
template <typename Link, typename Char, typename Out>
std::optional<ShortcutTarget> ResolveWith(REFIID iid, const std::wstring& path, Out out) {
  ComPtr<Link> link;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, iid, link.Put())) || !link.Get())
    return std::nullopt;
  ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.Put())) || !file.Get()) return std::nullopt;
  // IPersistFile takes a wide path on every Windows.
  if (FAILED(file->Load(path.c_str(), STGM_READ))) return std::nullopt;
  if (FAILED(link->Resolve(nullptr, kResolveFlags))) return std::nullopt;
  ShortcutTarget target;
  Char buffer[kTextBuffer] = {};
  if (link->GetPath(buffer, kTextBuffer, nullptr, 0) == S_OK) target.Path = out(buffer, kTextBuffer);
  buffer[0] = 0;
  if (SUCCEEDED(link->GetArguments(buffer, kTextBuffer))) target.Arguments = out(buffer, kTextBuffer);
  return target;
}

}  // namespace

std::optional<ShortcutTarget> Win32ShellLinks::Resolve(const std::string& linkPath) const {
  ComScope com;
  if (!com.Usable()) return std::nullopt;
  const std::wstring path = Widen(linkPath);
  if (UseAnsiApi())
    return ResolveWith<IShellLinkA, char>(IID_IShellLinkA, path, &AnsiToUtf8UntilNul);
  return ResolveWith<IShellLinkW, wchar_t>(IID_IShellLinkW, path, &NarrowUntilNul);
}

}  // namespace kestrova::win32
