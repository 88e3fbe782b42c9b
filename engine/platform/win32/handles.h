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

struct RegKeyTraits {
  using Type = HKEY;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::RegCloseKey(h); }
};

// Kernel objects whose "none" is NULL (processes, threads, events, mappings).
struct KernelHandleTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::CloseHandle(h); }
};

// CreateFile answers INVALID_HANDLE_VALUE rather than NULL.
struct FileHandleTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) noexcept { ::CloseHandle(h); }
};

struct FindHandleTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) noexcept { ::FindClose(h); }
};

// A module this code loaded itself (LoadLibrary); never wrap a GetModuleHandle result.
struct LibraryTraits {
  using Type = HMODULE;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::FreeLibrary(h); }
};

using UniqueHKey = UniqueResource<RegKeyTraits>;
using UniqueKernelHandle = UniqueResource<KernelHandleTraits>;
using UniqueFileHandle = UniqueResource<FileHandleTraits>;
using UniqueFindHandle = UniqueResource<FindHandleTraits>;
using UniqueLibrary = UniqueResource<LibraryTraits>;

}  // namespace kestrova::win32
