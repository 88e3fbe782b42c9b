#include "engine/platform/win32/win32_registry.h"

#include <windows.h>

#include "engine/platform/win32/handles.h"
#include "engine/platform/win32/win32_util.h"

namespace kestrova::win32 {

namespace {

// Enough tries to outlast a value or key that keeps growing while it is read; a registry
// that changes faster than that reads as "not there".
constexpr int kMaxAttempts = 16;

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

UniqueHKey OpenKey(RootKey root, const std::string& path) {
  UniqueHKey key;
  HKEY parent = RootHandle(root);
  if (!parent) return key;
  // The registry refuses "\SOFTWARE\..." (ERROR_BAD_PATHNAME); the engine writes paths
  // both ways.
  std::wstring subKey = Widen(StripLeadingBackslash(path));
  if (::RegOpenKeyExW(parent, subKey.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS)
    key.Release();  // a failed open leaves the slot undefined: never close it
  return key;
}

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// Enumerates names with RegEnumKeyEx / RegEnumValue, growing the name buffer when a name
// is longer than RegQueryInfoKey announced (Windows 9x under-reports it).
template <typename Enum>
std::vector<std::string> EnumNames(DWORD announcedMax, Enum enumerate) {
  std::vector<std::string> names;
  std::wstring buffer(announcedMax + 1 > 256 ? announcedMax + 1 : 256, L'\0');
  for (DWORD index = 0;; ++index) {
    LONG rc = ERROR_MORE_DATA;
    DWORD length = 0;
    for (int attempt = 0; attempt < kMaxAttempts && rc == ERROR_MORE_DATA; ++attempt) {
      length = static_cast<DWORD>(buffer.size());
      rc = enumerate(index, &buffer[0], &length);
      if (rc == ERROR_MORE_DATA) buffer.resize(buffer.size() * 2);
    }
    if (rc != ERROR_SUCCESS) break;  // ERROR_NO_MORE_ITEMS, or a key that went away
    names.push_back(Narrow(buffer.data(), length < buffer.size() ? length : buffer.size()));
  }
  return names;
}

}  // namespace

bool Win32Registry::KeyExists(RootKey root, const std::string& path) const {
  return OpenKey(root, path).IsValid();
}

std::optional<RegValue> Win32Registry::QueryValue(RootKey root, const std::string& path,
                                                  const std::string& name) const {
  UniqueHKey key = OpenKey(root, path);
  if (!key) return std::nullopt;
  std::wstring valueName = Widen(name);

  DWORD type = REG_NONE;
  DWORD size = 0;
  LONG rc = ::RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, &type, nullptr, &size);
  if (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA) return std::nullopt;

  std::vector<BYTE> data;
  for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
    // Two spare bytes: a string stored without its terminator can then be read whole and
    // still leave room; the size the call reports is what is kept.
    data.assign(static_cast<size_t>(size) + sizeof(wchar_t), 0);
    DWORD got = static_cast<DWORD>(data.size());
    rc = ::RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, &type, data.data(), &got);
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
    // UTF-16 as stored, NULs included, so the layout stays the one Windows keeps.
    std::string text = Narrow(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
    value.Data.assign(text.begin(), text.end());
  } else {
    value.Data.assign(data.begin(), data.end());
  }
  return value;
}

std::vector<std::string> Win32Registry::SubKeyNames(RootKey root, const std::string& path) const {
  UniqueHKey key = OpenKey(root, path);
  if (!key) return {};
  DWORD maxName = 0;
  ::RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, nullptr, &maxName, nullptr, nullptr,
                     nullptr, nullptr, nullptr, nullptr);
  HKEY h = key.Get();
  return EnumNames(maxName, [h](DWORD index, wchar_t* buffer, DWORD* length) {
    return ::RegEnumKeyExW(h, index, buffer, length, nullptr, nullptr, nullptr, nullptr);
  });
}

std::vector<std::string> Win32Registry::ValueNames(RootKey root, const std::string& path) const {
  UniqueHKey key = OpenKey(root, path);
  if (!key) return {};
  DWORD maxName = 0;
  ::RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     &maxName, nullptr, nullptr, nullptr);
  HKEY h = key.Get();
  return EnumNames(maxName, [h](DWORD index, wchar_t* buffer, DWORD* length) {
    return ::RegEnumValueW(h, index, buffer, length, nullptr, nullptr, nullptr, nullptr);
  });
}

}  // namespace kestrova::win32
