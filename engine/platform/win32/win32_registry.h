#pragma once
// IRegistry over the real registry: keys opened read-only, values read whole.
#include "engine/platform/registry.h"

namespace kestrova::win32 {

class Win32Registry final : public IRegistry {
 public:
  bool KeyExists(RootKey root, const std::string& path) const override;
  std::optional<RegValue> QueryValue(RootKey root, const std::string& path,
                                     const std::string& name) const override;
  std::vector<std::string> SubKeyNames(RootKey root, const std::string& path) const override;
  std::vector<std::string> ValueNames(RootKey root, const std::string& path) const override;
};

}  // namespace kestrova::win32
