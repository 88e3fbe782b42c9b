#include "engine/platform/win32/win32_files.h"

#include "engine/platform/version_block.h"
#include "engine/platform/win32/api_family.h"
#include "engine/platform/win32/handles.h"
#include "engine/platform/win32/win32_util.h"

namespace kestrova::win32 {

namespace {

std::string AnsiTextToUtf8(const std::string& text) { return AnsiToUtf8(text); }

template <typename Api>
std::optional<VersionResource> ReadVersionResourceWith(Api, const typename Api::Text& path) {
  DWORD size = Api::VersionInfoSize(path.c_str());
  if (size == 0) return std::nullopt;
  std::vector<BYTE> block(size);
  if (!Api::VersionInfoBlock(path.c_str(), size, block.data())) return std::nullopt;
  // Read node by node rather than through VerQueryValue, which only reaches the string
  // tables \VarFileInfo\Translation names. The same block comes from either family of
  // entry points; the 8-bit texts of 16-bit files are in the system code page.
  return ParseVersionBlock(block.data(), block.size(), &AnsiTextToUtf8);
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
