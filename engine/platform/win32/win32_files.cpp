#include "engine/platform/win32/win32_files.h"

#include <cstdio>

#include "engine/platform/win32/api_family.h"
#include "engine/platform/win32/handles.h"
#include "engine/platform/win32/win32_util.h"

namespace kestrova::win32 {

namespace {

// The string values a version resource is asked for, per translation.
constexpr const char* kVersionStrings[] = {
    "ProductVersion", "FileVersion", "FileDescription", "LegalCopyright",
    "Comments",       "SpecialBuild", "ProductName",    "CompanyName",
    "InternalName",   "OriginalFilename", "PrivateBuild", "LegalTrademarks",
};

// "040904B0": language then code page, as \StringFileInfo names its tables.
std::string TableKeyOf(uint32_t translation) {
  char key[16];
  std::snprintf(key, sizeof key, "%04X%04X", static_cast<unsigned>(translation & 0xFFFF),
                static_cast<unsigned>(translation >> 16));
  return key;
}

template <typename Api>
std::optional<VersionResource> ReadVersionResourceWith(Api, const typename Api::Text& path) {
  DWORD size = Api::VersionInfoSize(path.c_str());
  if (size == 0) return std::nullopt;
  std::vector<BYTE> block(size);
  if (!Api::VersionInfoBlock(path.c_str(), size, block.data())) return std::nullopt;

  // VerQueryValue in the family's characters: the A one answers the texts in the system
  // code page, lengths in characters of that family.
  auto query = [&](const std::string& subBlock, void** p, UINT* length) {
    typename Api::Text name = Api::In(subBlock);
    *p = nullptr;
    *length = 0;
    return Api::QueryVersionValue(block.data(), &name[0], p, length) && *p;
  };

  VersionResource res;
  void* p = nullptr;
  UINT length = 0;
  if (query("\\", &p, &length) && length >= sizeof(VS_FIXEDFILEINFO)) {
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(p);
    res.HasFixedInfo = true;
    res.FileVersionMS = fixed->dwFileVersionMS;
    res.FileVersionLS = fixed->dwFileVersionLS;
    res.ProductVersionMS = fixed->dwProductVersionMS;
    res.ProductVersionLS = fixed->dwProductVersionLS;
  }

  if (query("\\VarFileInfo\\Translation", &p, &length)) {
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
    for (const char* name : kVersionStrings)
      if (query("\\StringFileInfo\\" + key + "\\" + name, &p, &length))
        table[name] = Api::OutUntilNul(static_cast<const typename Api::Char*>(p), length);
    if (!table.empty()) res.StringTables[key] = std::move(table);
  }
  return res;
}

}  // namespace

std::optional<uint32_t> Win32Files::Attributes(const std::string& path) const {
  DWORD a = WithApi([&](auto api) {
    using Api = decltype(api);
    return Api::FileAttributes(Api::In(path).c_str());
  });
  if (a == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return static_cast<uint32_t>(a);
}

std::optional<std::vector<DirectoryEntry>> Win32Files::ListDirectory(const std::string& path) const {
  std::string pattern = path;
  if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
  pattern += '*';

  return WithApi([&](auto api) -> std::optional<std::vector<DirectoryEntry>> {
    using Api = decltype(api);
    std::vector<DirectoryEntry> entries;
    typename Api::FindData data{};
    UniqueFindHandle find(Api::FindFirst(Api::In(pattern).c_str(), &data));
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
      std::string name = Api::OutUntilNul(data.cFileName, MAX_PATH);
      if (name == "." || name == "..") continue;
      DirectoryEntry e;
      e.Name = std::move(name);
      e.Attributes = data.dwFileAttributes;
      e.Size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
      entries.push_back(std::move(e));
    } while (Api::FindNext(find.Get(), &data));
    return entries;
  });
}

std::optional<VersionResource> Win32Files::ReadVersionResource(const std::string& path) const {
  return WithApi([&](auto api) { return ReadVersionResourceWith(api, decltype(api)::In(path)); });
}

}  // namespace kestrova::win32
