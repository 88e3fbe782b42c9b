#include "engine/platform/win32/win32_registry.h"

#include <windows.h>

#include "engine/platform/win32/api_family.h"
#include "engine/platform/win32/handles.h"
#include "engine/platform/win32/win32_util.h"

namespace kestrova::win32 {

namespace {

// Enough tries to outlast a value or key that keeps growing while it is read; a registry
// that changes faster than that reads as "not there".
constexpr int kMaxAttempts = 16;
// The buffer of the first read of a value: room for a usual name, path or number, so
// that the call does not need a size query first.
constexpr DWORD kFirstReadBytes = 512;

HKEY RootHandle(RootKey root) {
  switch (root) {
    case RootKey::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RootKey::CurrentUser: return HKEY_CURRENT_USER;
    case RootKey::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RootKey::Users: return HKEY_USERS;
    case RootKey::CurrentConfig: return HKEY_CURRENT_CONFIG;
    case RootKey::DynData: return HKEY_DYN_DATA;
  }
  return nullptr;
}

// Keys are opened with plain KEY_READ. A 32-bit build on a 64-bit Windows (XP x64,
// Server 2003 x64) therefore sees the 32-bit view, HKLM\SOFTWARE being redirected to
// HKLM\SOFTWARE\Wow6432Node: that is deliberate, the engine reports what a 32-bit
// program sees. (KEY_WOW64_64KEY, which would show the 64-bit view, is a flag of XP
// and later.) The x64 build of the Wine tests sees the 64-bit view instead.
template <typename Api>
UniqueHKey OpenKey(Api, RootKey root, const std::string& path) {
  UniqueHKey key;
  HKEY parent = RootHandle(root);
  if (!parent) return key;
  // The registry refuses "\SOFTWARE\..." (ERROR_BAD_PATHNAME); the engine writes paths
  // both ways.
  typename Api::Text subKey = Api::In(StripLeadingBackslash(path));
  if (Api::OpenKey(parent, subKey.c_str(), KEY_READ, key.Put()) != ERROR_SUCCESS)
    key.Release();  // a failed open leaves the slot undefined: never close it
  return key;
}

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// Enumerates names with RegEnumKeyEx / RegEnumValue, growing the name buffer when a name
// is longer than RegQueryInfoKey announced (Windows 9x under-reports it).
template <typename Api, typename Enum>
std::vector<std::string> EnumNames(Api, DWORD announcedMax, Enum enumerate) {
  using Char = typename Api::Char;
  std::vector<std::string> names;
  std::basic_string<Char> buffer(announcedMax + 1 > 256 ? announcedMax + 1 : 256, Char());
  for (DWORD index = 0;; ++index) {
    LONG rc = ERROR_MORE_DATA;
    DWORD length = 0;
    for (int attempt = 0; attempt < kMaxAttempts && rc == ERROR_MORE_DATA; ++attempt) {
      length = static_cast<DWORD>(buffer.size());
      rc = enumerate(index, &buffer[0], &length);
      if (rc == ERROR_MORE_DATA) buffer.resize(buffer.size() * 2);
    }
    if (rc != ERROR_SUCCESS) break;  // ERROR_NO_MORE_ITEMS, or a key that went away
    names.push_back(Api::Out(buffer.data(), length < buffer.size() ? length : buffer.size()));
  }
  return names;
}

}  // namespace

bool Win32Registry::KeyExists(RootKey root, const std::string& path) const {
  return WithApi([&](auto api) { return OpenKey(api, root, path).IsValid(); });
}

std::optional<RegValue> Win32Registry::QueryValue(RootKey root, const std::string& path,
                                                  const std::string& name) const {
  return WithApi([&](auto api) -> std::optional<RegValue> {
    using Api = decltype(api);
    using Char = typename Api::Char;
    UniqueHKey key = OpenKey(api, root, path);
    if (!key) return std::nullopt;
    typename Api::Text valueName = Api::In(name);

    // Most values fit a small buffer: read at once into one, and only a value that does
    // not fit is sized and read again (each call is a round trip to the registry).
    DWORD type = REG_NONE;
    std::vector<BYTE> data(kFirstReadBytes);
    DWORD size = static_cast<DWORD>(data.size());
    LONG rc = Api::QueryValue(key.Get(), valueName.c_str(), &type, data.data(), &size);
    if (rc == ERROR_SUCCESS) data.resize(size < data.size() ? size : data.size());
    else if (rc != ERROR_MORE_DATA) return std::nullopt;

    for (int attempt = 0; rc != ERROR_SUCCESS && attempt < kMaxAttempts; ++attempt) {
      // One spare character: a string stored without its terminator can then be read
      // whole and still leave room; the size the call reports is what is kept.
      data.assign(static_cast<size_t>(size) + sizeof(Char), 0);
      DWORD got = static_cast<DWORD>(data.size());
      rc = Api::QueryValue(key.Get(), valueName.c_str(), &type, data.data(), &got);
      if (rc == ERROR_SUCCESS) {
        data.resize(got < data.size() ? got : data.size());
        break;
      }
      if (rc != ERROR_MORE_DATA) return std::nullopt;
      size = got > size ? got : size * 2 + 256;  // the value grew between the two calls
    }
    if (rc != ERROR_SUCCESS) return std::nullopt;

    RegValue value;
    value.Type = type;
    if (IsStringType(type)) {
      // Converted as stored, NULs included, so the layout stays the one Windows keeps
      // (UTF-16 from the wide calls, the system code page from the ANSI ones).
      std::string text = Api::Out(reinterpret_cast<const Char*>(data.data()), data.size() / sizeof(Char));
      value.Data.assign(text.begin(), text.end());
    } else {
      value.Data.assign(data.begin(), data.end());
    }
    return value;
  });
}

std::vector<std::string> Win32Registry::SubKeyNames(RootKey root, const std::string& path) const {
  return WithApi([&](auto api) -> std::vector<std::string> {
    using Api = decltype(api);
    UniqueHKey key = OpenKey(api, root, path);
    if (!key) return {};
    DWORD maxName = 0;
    Api::QueryKeyInfo(key.Get(), &maxName, nullptr);
    HKEY h = key.Get();
    return EnumNames(api, maxName, [h](DWORD index, typename Api::Char* buffer, DWORD* length) {
      return Api::EnumKey(h, index, buffer, length);
    });
  });
}

std::vector<std::string> Win32Registry::ValueNames(RootKey root, const std::string& path) const {
  return WithApi([&](auto api) -> std::vector<std::string> {
    using Api = decltype(api);
    UniqueHKey key = OpenKey(api, root, path);
    if (!key) return {};
    DWORD maxName = 0;
    Api::QueryKeyInfo(key.Get(), nullptr, &maxName);
    HKEY h = key.Get();
    return EnumNames(api, maxName, [h](DWORD index, typename Api::Char* buffer, DWORD* length) {
      return Api::EnumValue(h, index, buffer, length);
    });
  });
}

}  // namespace kestrova::win32
