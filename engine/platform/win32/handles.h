#pragma once
// Move-only owners of Win32 handles. One template, one small traits struct per kind of
// handle: what "no handle" looks like and how to close one. Nothing is ever closed by
// hand, so no path can forget it.
#include <windows.h>

namespace kestrova::win32 {

template <typename Traits>
class UniqueResource {
 public:
  using Type = typename Traits::Type;

  UniqueResource() noexcept : handle_(Traits::Invalid()) {}
  explicit UniqueResource(Type handle) noexcept : handle_(handle) {}
  ~UniqueResource() { Reset(); }

  UniqueResource(UniqueResource&& other) noexcept : handle_(other.Release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;

  Type Get() const noexcept { return handle_; }
  bool IsValid() const noexcept { return handle_ != Traits::Invalid(); }
  explicit operator bool() const noexcept { return IsValid(); }

  // Gives the handle up without closing it.
  Type Release() noexcept {
    Type h = handle_;
    handle_ = Traits::Invalid();
    return h;
  }

  // Closes the owned handle (if any) and takes `handle`.
  void Reset(Type handle = Traits::Invalid()) noexcept {
    Type old = handle_;
    handle_ = handle;
    if (old != Traits::Invalid()) Traits::Close(old);
  }

  // For out-parameters: closes what is owned and hands out the slot to fill.
  Type* Put() noexcept {
    Reset();
    return &handle_;
  }

 private:
  Type handle_;
};

// Traits of a handle whose "none" is NULL and that one function closes.
template <typename T, auto CloseFunction>
struct NullHandleTraits {
  using Type = T;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { CloseFunction(h); }
};

// The same for handles whose "none" is INVALID_HANDLE_VALUE (CreateFile, FindFirstFile).
template <auto CloseFunction>
struct InvalidValueHandleTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) noexcept { CloseFunction(h); }
};

using RegKeyTraits = NullHandleTraits<HKEY, &::RegCloseKey>;
// Kernel objects whose "none" is NULL (processes, threads, events, mappings).
using KernelHandleTraits = NullHandleTraits<HANDLE, &::CloseHandle>;
using FileHandleTraits = InvalidValueHandleTraits<&::CloseHandle>;
using FindHandleTraits = InvalidValueHandleTraits<&::FindClose>;
// A module this code loaded itself (LoadLibrary); never wrap a GetModuleHandle result.
using LibraryTraits = NullHandleTraits<HMODULE, &::FreeLibrary>;

using UniqueHKey = UniqueResource<RegKeyTraits>;
using UniqueKernelHandle = UniqueResource<KernelHandleTraits>;
using UniqueFileHandle = UniqueResource<FileHandleTraits>;
using UniqueFindHandle = UniqueResource<FindHandleTraits>;
using UniqueLibrary = UniqueResource<LibraryTraits>;

}  // namespace kestrova::win32
