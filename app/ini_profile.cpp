#include "app/ini_profile.h"

#include <windows.h>

#include "app/win_text.h"

namespace kestrova::app {

bool IniProfile::FileExists() const {
  DWORD a = GetFileAttributesW(path_.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::string> IniProfile::Read(const std::string& section, const std::string& key) const {
  // A default no INI file can hold tells a missing key from an empty value.
  const wchar_t kMissing[] = L"\uFFFF\uFFFE";
  wchar_t buffer[1024] = {};
  GetPrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), kMissing, buffer, 1024, path_.c_str());
  if (std::wstring(buffer) == kMissing) return std::nullopt;
  return Narrow(std::wstring(buffer));
}

bool IniProfile::Write(const std::string& section, const std::string& key, const std::string& value) {
  return WritePrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), Widen(value).c_str(),
                                    path_.c_str()) != FALSE;
}

}  // namespace kestrova::app
