#include "engine/platform/win32/win32_drives.h"

#include <windows.h>
#include <winnetwk.h>

#include <vector>

#include "engine/platform/win32/api_family.h"
#include "engine/platform/win32/win32_util.h"

namespace kestrova::win32 {

namespace {

// The drive calls of each family, in the style of api_family.h. The free-space call of
// large disks and the UNC call are looked up by name: neither is in every old Windows.
struct DrivesWide {
  using Char = wchar_t;
  static DWORD DriveStrings(DWORD size, Char* buffer) { return ::GetLogicalDriveStringsW(size, buffer); }
  static UINT DriveType(const Char* root) { return ::GetDriveTypeW(root); }
  static BOOL FreeSpace(const Char* root, DWORD* spc, DWORD* bps, DWORD* free, DWORD* total) {
    return ::GetDiskFreeSpaceW(root, spc, bps, free, total);
  }
  using FreeSpaceExFn = BOOL(WINAPI*)(const Char*, ULARGE_INTEGER*, ULARGE_INTEGER*, ULARGE_INTEGER*);
  static constexpr const char* kFreeSpaceEx = "GetDiskFreeSpaceExW";
  static BOOL VolumeInfo(const Char* root, Char* label, DWORD labelSize, DWORD* serial, DWORD* maxLength,
                         DWORD* flags, Char* fs, DWORD fsSize) {
    return ::GetVolumeInformationW(root, label, labelSize, serial, maxLength, flags, fs, fsSize);
  }
  static DWORD FullPath(const Char* path, DWORD size, Char* buffer) {
    return ::GetFullPathNameW(path, size, buffer, nullptr);
  }
  using UniversalInfo = UNIVERSAL_NAME_INFOW;
  using UniversalFn = DWORD(WINAPI*)(const Char*, DWORD, void*, DWORD*);
  static constexpr const char* kUniversalName = "WNetGetUniversalNameW";
  static std::wstring In(const std::string& s) { return Widen(s); }
  static std::string Out(const Char* s, size_t n) { return Narrow(s, n); }
  static std::string OutUntilNul(const Char* s, size_t max) { return NarrowUntilNul(s, max); }
};

struct DrivesAnsi {
  using Char = char;
  static DWORD DriveStrings(DWORD size, Char* buffer) { return ::GetLogicalDriveStringsA(size, buffer); }
  static UINT DriveType(const Char* root) { return ::GetDriveTypeA(root); }
  static BOOL FreeSpace(const Char* root, DWORD* spc, DWORD* bps, DWORD* free, DWORD* total) {
    return ::GetDiskFreeSpaceA(root, spc, bps, free, total);
  }
  using FreeSpaceExFn = BOOL(WINAPI*)(const Char*, ULARGE_INTEGER*, ULARGE_INTEGER*, ULARGE_INTEGER*);
  static constexpr const char* kFreeSpaceEx = "GetDiskFreeSpaceExA";
  static BOOL VolumeInfo(const Char* root, Char* label, DWORD labelSize, DWORD* serial, DWORD* maxLength,
                         DWORD* flags, Char* fs, DWORD fsSize) {
    return ::GetVolumeInformationA(root, label, labelSize, serial, maxLength, flags, fs, fsSize);
  }
  static DWORD FullPath(const Char* path, DWORD size, Char* buffer) {
    return ::GetFullPathNameA(path, size, buffer, nullptr);
  }
  using UniversalInfo = UNIVERSAL_NAME_INFOA;
  using UniversalFn = DWORD(WINAPI*)(const Char*, DWORD, void*, DWORD*);
  static constexpr const char* kUniversalName = "WNetGetUniversalNameA";
  static std::string In(const std::string& s) { return Utf8ToAnsi(s); }
  static std::string Out(const Char* s, size_t n) { return AnsiToUtf8(s, n); }
  static std::string OutUntilNul(const Char* s, size_t max) { return AnsiToUtf8UntilNul(s, max); }
};

template <typename Body>
auto WithDrives(Body&& body) {
  if (UseAnsiApi()) return body(DrivesAnsi{});
  return body(DrivesWide{});
}

}  // namespace

std::string Win32Drives::LogicalDriveStrings(uint32_t bufferChars) {
  return WithDrives([&](auto api) -> std::string {
    using Api = decltype(api);
    std::vector<typename Api::Char> buffer(bufferChars + 1u, 0);
    const DWORD n = Api::DriveStrings(bufferChars, buffer.data());
    // n: the characters written without the last NUL; more than the buffer: too small.
    if (n == 0 || n >= bufferChars) return {};
    return Api::Out(buffer.data(), n + 1);
  });
}

uint32_t Win32Drives::DriveKind(const std::string& root) {
  return WithDrives([&](auto api) -> uint32_t {
    using Api = decltype(api);
    return Api::DriveType(Api::In(root).c_str());
  });
}

uint32_t Win32Drives::SwapErrorMode(uint32_t mode) { return ::SetErrorMode(mode); }

std::optional<DiskClusters> Win32Drives::FreeClusters(const std::string& root) {
  return WithDrives([&](auto api) -> std::optional<DiskClusters> {
    using Api = decltype(api);
    DWORD spc = 0, bps = 0, free = 0, total = 0;
    if (!Api::FreeSpace(Api::In(root).c_str(), &spc, &bps, &free, &total)) return std::nullopt;
    return DiskClusters{spc, bps, free, total};
  });
}

std::optional<DiskBytes> Win32Drives::FreeBytes(const std::string& root) {
  return WithDrives([&](auto api) -> std::optional<DiskBytes> {
    using Api = decltype(api);
    auto call = ProcAs<typename Api::FreeSpaceExFn>(::GetModuleHandleA("kernel32.dll"), Api::kFreeSpaceEx);
    if (!call) return std::nullopt;
    ULARGE_INTEGER available{}, total{}, totalFree{};
    if (!call(Api::In(root).c_str(), &available, &total, &totalFree)) return std::nullopt;
    return DiskBytes{available.QuadPart, total.QuadPart, totalFree.QuadPart};
  });
}

std::optional<VolumeFacts> Win32Drives::Volume(const std::string& root) {
  return WithDrives([&](auto api) -> std::optional<VolumeFacts> {
    using Api = decltype(api);
    typename Api::Char label[MAX_PATH + 1] = {}, fs[MAX_PATH + 1] = {};
    DWORD serial = 0, maxLength = 0, flags = 0;
    if (!Api::VolumeInfo(Api::In(root).c_str(), label, MAX_PATH + 1, &serial, &maxLength, &flags, fs, MAX_PATH + 1))
      return std::nullopt;
    VolumeFacts v;
    v.Label = Api::OutUntilNul(label, MAX_PATH + 1);
    v.SerialNumber = serial;
    v.MaximumComponentLength = maxLength;
    v.FileSystemFlags = flags;
    v.FileSystem = Api::OutUntilNul(fs, MAX_PATH + 1);
    return v;
  });
}

std::string Win32Drives::UniversalName(const std::string& path) {
  return WithDrives([&](auto api) -> std::string {
    using Api = decltype(api);
    using Char = typename Api::Char;
    const auto in = Api::In(path);
    auto full = ReadGrowing<Char>([&](Char* buffer, DWORD size) { return Api::FullPath(in.c_str(), size, buffer); });
    if (!full) return path;
    const auto root = full->substr(0, 3);
    if (full->size() < 2 || Api::DriveType(root.c_str()) != DRIVE_REMOTE) return Api::Out(full->data(), full->size());
    // A network drive: its \\server\share form, when the network provider gives one.
    auto call = reinterpret_cast<typename Api::UniversalFn>(
        reinterpret_cast<void (*)()>(BoundEntry("mpr.dll", Api::kUniversalName)));
    std::vector<uint8_t> buffer(2048);
    DWORD size = static_cast<DWORD>(buffer.size());
    if (call && call(full->c_str(), UNIVERSAL_NAME_INFO_LEVEL, buffer.data(), &size) == NO_ERROR) {
      const auto* info = reinterpret_cast<const typename Api::UniversalInfo*>(buffer.data());
      const auto* text = reinterpret_cast<const uint8_t*>(info->lpUniversalName);
      // The text lies in the same buffer; never read past it.
      if (text >= buffer.data() + sizeof *info && text < buffer.data() + buffer.size())
        return Api::OutUntilNul(info->lpUniversalName,
                                static_cast<size_t>(buffer.data() + buffer.size() - text) / sizeof(Char));
    }
    return Api::Out(full->data(), full->size());
  });
}

}  // namespace kestrova::win32
