#pragma once
// The INI file beside the program, through the private-profile functions.
#include <string>

#include "sections/settings.h"

namespace kestrova::app {

class IniProfile : public IProfile {
 public:
  explicit IniProfile(std::wstring path) : path_(std::move(path)) {}
  bool FileExists() const override;
  std::optional<std::string> Read(const std::string& section, const std::string& key) const override;
  bool Write(const std::string& section, const std::string& key, const std::string& value) override;

 private:
  std::wstring path_;
};

}  // namespace kestrova::app
