#include "app/ini_profile.h"

#include <windows.h>

#include "app/win_text.h"

namespace kestrova::app {

bool IniProfile::FileExists() const {
  DWORD a = ui::FileAttributes(path_);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::string> IniProfile::Read(const std::string& section, const std::string& key) const {
  auto value = ui::ReadProfile(Widen(section), Widen(key), path_);
  if (!value) return std::nullopt;
  return Narrow(*value);
}

bool IniProfile::Write(const std::string& section, const std::string& key, const std::string& value) {
  return ui::WriteProfile(Widen(section), Widen(key), Widen(value), path_);
}

}  // namespace kestrova::app
