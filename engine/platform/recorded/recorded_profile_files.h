#pragma once
// Profile files of a recorded machine: the files of files/ (or texts a test sets), read
// from their bytes by the same rules as the private-profile functions.
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "engine/platform/profile_files.h"
#include "engine/platform/profile_text.h"

namespace kestrova {

class RecordedProfileFiles : public IProfileFiles {
 public:
  // `hostPath` maps a Windows path to the host file of files/ ("" when there is none).
  explicit RecordedProfileFiles(std::function<std::string(const std::string&)> hostPath)
      : hostPath_(std::move(hostPath)) {}

  std::map<std::string, std::string> Contents;  // upper-cased path -> bytes; before files/

  std::vector<std::string> SectionKeys(const std::string& file, const std::string& section) const override;
  std::string ReadString(const std::string& file, const std::string& section, const std::string& key) const override;

 private:
  std::optional<ProfileDocument> Load(const std::string& file) const;
  std::function<std::string(const std::string&)> hostPath_;
};

}  // namespace kestrova
