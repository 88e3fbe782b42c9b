#pragma once
// IFiles over the file system and the version API.
#include <windows.h>

#include "engine/platform/files.h"

namespace kestrova::win32 {

class Win32Files final : public IFiles {
 public:
  std::optional<uint32_t> Attributes(const std::string& path) const override;
  std::optional<std::vector<DirectoryEntry>> ListDirectory(const std::string& path) const override;
  std::optional<VersionResource> ReadVersionResource(const std::string& path) const override;
};

// The version resource of a file named in UTF-16 (shared with the system facts, which
// read kernel32.dll's).
std::optional<VersionResource> ReadVersionResourceOf(const std::wstring& path);

}  // namespace kestrova::win32
