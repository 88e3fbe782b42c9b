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

}  // namespace kestrova::win32
