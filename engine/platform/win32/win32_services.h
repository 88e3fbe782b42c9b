#pragma once
// IServices over the service manager of advapi32.dll (bound by name).
#include "engine/platform/services.h"

namespace kestrova::win32 {

class Win32Services final : public IServices {
 public:
  std::optional<std::vector<std::string>> EnumerateDisplayNames() override;
  std::optional<std::string> KeyName(const std::string& displayName) override;
  std::optional<uint32_t> CurrentState(const std::string& serviceName) override;
  std::optional<ServiceConfig> QueryConfig(const std::string& serviceName) override;
};

}  // namespace kestrova::win32
