#include "engine/platform/win32/firmware.h"

#include <windows.h>

#include <memory>

#include "engine/platform/win32/api_family.h"
#include "engine/platform/win32/handles.h"
#include "engine/platform/win32/win32_util.h"

namespace kestrova::win32 {

namespace {

// The native section API, bound by name: ntdll exports it on the NT family only.
struct UnicodeString {
  USHORT Length;
  USHORT MaximumLength;
  PWSTR Buffer;
};
struct ObjectAttributes {
  ULONG Length;
  HANDLE RootDirectory;
  UnicodeString* ObjectName;
  ULONG Attributes;
  PVOID SecurityDescriptor;
  PVOID SecurityQualityOfService;
};
using NtOpenSectionFn = LONG(WINAPI*)(HANDLE*, ACCESS_MASK, ObjectAttributes*);
using NtCloseFn = LONG(WINAPI*)(HANDLE);

constexpr ACCESS_MASK kSectionMapRead = 0x0004;
constexpr ULONG kObjCaseInsensitive = 0x40;

class SectionHandle {
 public:
  SectionHandle(NtCloseFn close, HANDLE h) : close_(close), h_(h) {}
  ~SectionHandle() { if (h_) close_(h_); }
  SectionHandle(const SectionHandle&) = delete;
  SectionHandle& operator=(const SectionHandle&) = delete;
  HANDLE Get() const { return h_; }

 private:
  NtCloseFn close_;
  HANDLE h_;
};

struct ViewDeleter {
  void operator()(const void* view) const { ::UnmapViewOfFile(view); }
};

bool Readable(DWORD protect) {
  if (protect & (PAGE_GUARD | PAGE_NOACCESS)) return false;
  return (protect & (PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                     PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY)) != 0;
}

}  // namespace

std::optional<std::vector<uint8_t>> Win32Firmware::MapPhysicalView(uint64_t base, uint32_t length) {
  HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  auto open = ProcAs<NtOpenSectionFn>(ntdll, "NtOpenSection");
  auto close = ProcAs<NtCloseFn>(ntdll, "NtClose");
  if (!open || !close || length == 0) return std::nullopt;
  wchar_t name[] = L"\\Device\\PhysicalMemory";
  UnicodeString us{static_cast<USHORT>(sizeof(name) - sizeof(wchar_t)), static_cast<USHORT>(sizeof(name)), name};
  ObjectAttributes oa{sizeof(ObjectAttributes), nullptr, &us, kObjCaseInsensitive, nullptr, nullptr};
  HANDLE raw = nullptr;
  if (open(&raw, kSectionMapRead, &oa) != 0 || !raw) return std::nullopt;
  SectionHandle section(close, raw);
  void* view = ::MapViewOfFile(section.Get(), FILE_MAP_READ, static_cast<DWORD>(base >> 32),
                               static_cast<DWORD>(base), length);
  if (!view) return std::nullopt;
  std::unique_ptr<const void, ViewDeleter> owned(view);
  const auto* bytes = static_cast<const uint8_t*>(view);
  return std::vector<uint8_t>(bytes, bytes + length);
}

bool Win32Firmware::LinearReadable(uint64_t address, uint32_t length, LinearCheck how) {
  if (length == 0) return true;
  if (address + length < address || address + length > static_cast<uint64_t>(UINTPTR_MAX)) return false;
  uintptr_t p = static_cast<uintptr_t>(address);
  const uintptr_t end = static_cast<uintptr_t>(address + length);
  if (how == LinearCheck::Probed)
    return !::IsBadReadPtr(reinterpret_cast<const void*>(p), static_cast<UINT_PTR>(length));
  // Every page of the range committed and readable, before a byte is touched.
  while (p < end) {
    MEMORY_BASIC_INFORMATION mbi{};
    if (::VirtualQuery(reinterpret_cast<const void*>(p), &mbi, sizeof mbi) != sizeof mbi) return false;
    if (mbi.State != MEM_COMMIT || !Readable(mbi.Protect)) return false;
    const uintptr_t regionEnd = reinterpret_cast<uintptr_t>(mbi.BaseAddress) + mbi.RegionSize;
    if (regionEnd <= p) return false;
    p = regionEnd;
  }
  return true;
}

std::vector<uint8_t> Win32Firmware::CopyLinear(uint64_t address, uint32_t length) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(address));
  return std::vector<uint8_t>(bytes, bytes + length);
}

bool Win32Firmware::DirectoryExists(const std::string& path) {
  const DWORD a = WithApi([&](auto api) {
    using Api = decltype(api);
    return Api::FileAttributes(Api::In(path).c_str());
  });
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32Firmware::MakeDirectory(const std::string& path) {
  return WithApi([&](auto api) {
    using Api = decltype(api);
    return Api::MakeFolder(Api::In(path).c_str()) != 0;
  });
}

bool Win32Firmware::RemoveEmptyDirectory(const std::string& path) {
  return WithApi([&](auto api) {
    using Api = decltype(api);
    return Api::RemoveFolder(Api::In(path).c_str()) != 0;
  });
}

namespace {
UniqueFileHandle OpenScratchFile(const std::string& path, DWORD access, DWORD disposition) {
  return WithApi([&](auto api) {
    using Api = decltype(api);
    return UniqueFileHandle(Api::OpenFileHandle(Api::In(path).c_str(), access, FILE_SHARE_READ, disposition));
  });
}
}  // namespace

bool Win32Firmware::WriteNewFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  UniqueFileHandle file = OpenScratchFile(path, GENERIC_WRITE, CREATE_ALWAYS);
  if (!file) return false;
  DWORD written = 0;
  const bool ok = ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  if (!ok) {
    file.Reset();
    RemoveFile(path);  // an incomplete program must not stay behind
  }
  return ok;
}

std::optional<std::vector<uint8_t>> Win32Firmware::ReadFileHead(const std::string& path, uint32_t maxBytes) {
  UniqueFileHandle file = OpenScratchFile(path, GENERIC_READ, OPEN_EXISTING);
  if (!file) return std::nullopt;
  std::vector<uint8_t> bytes(maxBytes, 0);
  DWORD total = 0;
  while (total < maxBytes) {
    DWORD got = 0;
    if (!::ReadFile(file.Get(), bytes.data() + total, maxBytes - total, &got, nullptr) || got == 0) break;
    total += got;
  }
  bytes.resize(total);
  return bytes;
}

bool Win32Firmware::RemoveFile(const std::string& path) {
  return WithApi([&](auto api) {
    using Api = decltype(api);
    return Api::RemoveFile(Api::In(path).c_str()) != 0;
  });
}

bool Win32Firmware::RunHidden(const std::string& commandLine, uint32_t timeoutMs) {
  PROCESS_INFORMATION pi{};
  const bool started = WithApi([&](auto api) {
    using Api = decltype(api);
    typename Api::StartupInfo si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    typename Api::Text line = Api::In(commandLine);  // CreateProcess may write into it
    return Api::StartProcess(&line[0], CREATE_NEW_CONSOLE | CREATE_NEW_PROCESS_GROUP, &si, &pi) != FALSE;
  });
  if (!started) return false;
  UniqueResource<KernelHandleTraits> process(pi.hProcess), thread(pi.hThread);
  return ::WaitForSingleObject(process.Get(), timeoutMs) == WAIT_OBJECT_0;
}

}  // namespace kestrova::win32
