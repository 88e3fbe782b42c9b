#include "engine/platform/win32/win32_files.h"

#include <cstdio>
#include <cwchar>

#include "engine/platform/win32/handles.h"
#include "engine/platform/win32/win32_util.h"

namespace kestrova::win32 {

namespace {

// The string values a version resource is asked for, per translation.
constexpr const wchar_t* kVersionStrings[] = {
    L"ProductVersion", L"FileVersion", L"FileDescription", L"LegalCopyright",
    L"Comments",       L"SpecialBuild", L"ProductName",    L"CompanyName",
    L"InternalName",   L"OriginalFilename", L"PrivateBuild", L"LegalTrademarks",
};

// "040904B0": language then code page, as \StringFileInfo names its tables.
std::string TableKeyOf(uint32_t translation) {
  char key[16];
  std::snprintf(key, sizeof key, "%04X%04X", static_cast<unsigned>(translation & 0xFFFF),
                static_cast<unsigned>(translation >> 16));
  return key;
}

}  // namespace

std::optional<uint32_t> Win32Files::Attributes(const std::string& path) const {
  DWORD a = ::GetFileAttributesW(Widen(path).c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return static_cast<uint32_t>(a);
}

std::optional<std::vector<DirectoryEntry>> Win32Files::ListDirectory(const std::string& path) const {
  std::wstring pattern = Widen(path);
  if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
  pattern += L'*';

  std::vector<DirectoryEntry> entries;
  WIN32_FIND_DATAW data{};
  UniqueFindHandle find(::FindFirstFileW(pattern.c_str(), &data));
  if (!find) {
    // An empty root folder has no "." or ".." to find: that is an empty listing, not a
    // failure, as long as the folder itself is there.
    if (::GetLastError() == ERROR_FILE_NOT_FOUND) {
      auto a = Attributes(path);
      if (a && (*a & FILE_ATTRIBUTE_DIRECTORY)) return entries;
    }
    return std::nullopt;
  }
  do {
    if (std::wcscmp(data.cFileName, L".") == 0 || std::wcscmp(data.cFileName, L"..") == 0) continue;
    DirectoryEntry e;
    e.Name = NarrowUntilNul(data.cFileName, MAX_PATH);
    e.Attributes = data.dwFileAttributes;
    e.Size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    entries.push_back(std::move(e));
  } while (::FindNextFileW(find.Get(), &data));
  return entries;
}

std::optional<VersionResource> Win32Files::ReadVersionResource(const std::string& path) const {
  return ReadVersionResourceOf(Widen(path));
}

std::optional<VersionResource> ReadVersionResourceOf(const std::wstring& path) {
  DWORD ignored = 0;
  DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return std::nullopt;
  std::vector<BYTE> block(size);
  if (!::GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return std::nullopt;

  VersionResource res;
  void* p = nullptr;
  UINT length = 0;
  // VerQueryValueW takes a non-const sub-block name on older SDKs.
  wchar_t root[] = L"\\";
  if (::VerQueryValueW(block.data(), root, &p, &length) && p && length >= sizeof(VS_FIXEDFILEINFO)) {
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(p);
    res.HasFixedInfo = true;
    res.FileVersionMS = fixed->dwFileVersionMS;
    res.FileVersionLS = fixed->dwFileVersionLS;
    res.ProductVersionMS = fixed->dwProductVersionMS;
    res.ProductVersionLS = fixed->dwProductVersionLS;
  }

  wchar_t translation[] = L"\\VarFileInfo\\Translation";
  p = nullptr;
  length = 0;
  if (::VerQueryValueW(block.data(), translation, &p, &length) && p) {
    const BYTE* bytes = static_cast<const BYTE*>(p);
    for (UINT i = 0; i + 4 <= length; i += 4)
      res.Translations.push_back(static_cast<uint32_t>(bytes[i]) | (static_cast<uint32_t>(bytes[i + 1]) << 8) |
                                 (static_cast<uint32_t>(bytes[i + 2]) << 16) |
                                 (static_cast<uint32_t>(bytes[i + 3]) << 24));
  }

  for (uint32_t t : res.Translations) {
    std::string key = TableKeyOf(t);
    if (res.StringTables.count(key)) continue;  // the same translation listed twice
    std::map<std::string, std::string> table;
    for (const wchar_t* name : kVersionStrings) {
      std::wstring query = L"\\StringFileInfo\\" + Widen(key) + L"\\" + name;
      p = nullptr;
      length = 0;
      if (::VerQueryValueW(block.data(), &query[0], &p, &length) && p)
        table[Narrow(name, std::wcslen(name))] = NarrowUntilNul(static_cast<const wchar_t*>(p), length);
    }
    if (!table.empty()) res.StringTables[key] = std::move(table);
  }
  return res;
}

}  // namespace kestrova::win32
