#pragma once
// Files, directories and version resources.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kestrova {

enum FileAttribute : uint32_t {
  kAttrReadOnly = 0x01, kAttrHidden = 0x02, kAttrSystem = 0x04, kAttrDirectory = 0x10,
  kAttrArchive = 0x20, kAttrNormal = 0x80,
};

struct DirectoryEntry {
  std::string Name;
  uint32_t Attributes = 0;
  uint64_t Size = 0;
};

// A version resource, as the version API exposes it.
struct VersionResource {
  bool HasFixedInfo = false;
  uint32_t FileVersionMS = 0, FileVersionLS = 0;
  uint32_t ProductVersionMS = 0, ProductVersionLS = 0;
  // \VarFileInfo\Translation entries as stored: language in the low word, code page
  // in the high word.
  std::vector<uint32_t> Translations;
  // String tables by key ("040904E4"), each name -> text.
  std::map<std::string, std::map<std::string, std::string>> StringTables;
};

class IFiles {
 public:
  virtual ~IFiles() = default;
  // GetFileAttributes; nullopt when the path does not exist.
  virtual std::optional<uint32_t> Attributes(const std::string& path) const = 0;
  // Entries of a folder (without "." and ".."); nullopt when it cannot be listed.
  virtual std::optional<std::vector<DirectoryEntry>> ListDirectory(const std::string& path) const = 0;
  // nullopt when the file has no version resource.
  virtual std::optional<VersionResource> ReadVersionResource(const std::string& path) const = 0;
};

inline bool IsExistingFile(const IFiles& files, const std::string& path) {
  auto a = files.Attributes(path);
  return a && !(*a & kAttrDirectory);
}

}  // namespace kestrova
