#pragma once
// The screen of a recorded machine: [devicecaps] (GetDeviceCaps values by index name) and
// [displaymodes] (what EnumDisplaySettings lists, in order) of machine.ini.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/platform/display.h"
#include "engine/platform/recorded/ini.h"

namespace kestrova {

class RecordedDisplay : public IDisplay {
 public:
  // nullopt: no device context for the screen (no [devicecaps] section).
  std::optional<std::map<int, int32_t>> Caps;
  std::vector<DisplayMode> Modes;
  unsigned ModeCalls = 0;  // EnumDisplayMode calls, for the tests

  std::optional<std::map<int, int32_t>> ScreenCaps(const std::vector<int>& indexes) override;
  std::optional<DisplayMode> EnumDisplayMode(uint32_t modeNumber) override;
};

// The GetDeviceCaps index of a name ("HORZRES" -> 8), or -1.
int DeviceCapIndex(const std::string& name);
// The name of a GetDeviceCaps index (8 -> "HORZRES"), or null.
const char* DeviceCapName(int index);

// Applies [devicecaps] or [displaymodes]; false for any other section.
bool ApplyDisplaySection(RecordedDisplay& display, const IniSection& section, const std::string& file);

}  // namespace kestrova
