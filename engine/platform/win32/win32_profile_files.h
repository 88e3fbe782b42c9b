#pragma once
// IProfileFiles over the private-profile functions.
#include "engine/platform/profile_files.h"

namespace kestrova::win32 {

class Win32ProfileFiles final : public IProfileFiles {
 public:
  std::vector<std::string> SectionKeys(const std::string& file, const std::string& section) const override;
  std::string ReadString(const std::string& file, const std::string& section, const std::string& key) const override;
};

}  // namespace kestrova::win32
