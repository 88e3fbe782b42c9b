#pragma once
// Profile files, captured: the key lists and values the engine asked for are passed on
// unchanged and kept; Write lays each file out again under files/ (its sections, listed
// keys and their values), which a recorded machine reads by the same rules.
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/platform/capture/capture_output.h"
#include "engine/platform/profile_files.h"

namespace kestrova {

class CapturingProfileFiles final : public IProfileFiles {
 public:
  explicit CapturingProfileFiles(IProfileFiles& inner) : inner_(inner) {}

  std::vector<std::string> SectionKeys(const std::string& file, const std::string& section) const override;
  std::string ReadString(const std::string& file, const std::string& section, const std::string& key) const override;

  void Write(CaptureOutput& out) const;

  // "C:\WINDOWS\WIN.INI" -> "files/c/WINDOWS/WIN.INI"; empty for a path without a drive.
  static std::string FolderPath(const std::string& windowsPath);

 private:
  struct Section {
    std::string Name;
    std::optional<std::vector<std::string>> Keys;            // what the listing answered
    std::vector<std::pair<std::string, std::string>> Values;  // key -> value, in asking order
  };
  struct File {
    std::string Path;
    std::vector<Section> Sections;
  };
  Section& At(const std::string& file, const std::string& section) const;

  IProfileFiles& inner_;
  mutable std::vector<File> files_;
};

}  // namespace kestrova
