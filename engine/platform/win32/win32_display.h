#pragma once
// IDisplay over GDI and EnumDisplaySettings.
#include "engine/platform/display.h"

namespace kestrova::win32 {

class Win32Display final : public IDisplay {
 public:
  std::optional<std::map<int, int32_t>> ScreenCaps(const std::vector<int>& indexes) override;
  std::optional<DisplayMode> EnumDisplayMode(uint32_t modeNumber) override;
};

}  // namespace kestrova::win32
