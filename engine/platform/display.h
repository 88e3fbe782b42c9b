#pragma once
// The screen: device capabilities of a device context for the whole screen, and the
// display modes of the primary display. Index numbers are the GetDeviceCaps ones
// (HORZRES 8, ...); the engine chooses which it asks for.
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace kestrova {

// One DEVMODE as EnumDisplaySettings fills it (the fields the engine reads).
struct DisplayMode {
  uint32_t PelsWidth = 0;
  uint32_t PelsHeight = 0;
  uint32_t BitsPerPel = 0;
  uint32_t DisplayFrequency = 0;
};

class IDisplay {
 public:
  virtual ~IDisplay() = default;
  // GetDC for the screen, GetDeviceCaps for each index, ReleaseDC. nullopt when no device
  // context could be had; an index the device does not know answers 0.
  virtual std::optional<std::map<int, int32_t>> ScreenCaps(const std::vector<int>& indexes) = 0;
  // EnumDisplaySettings(primary display, modeNumber); nullopt when the call fails.
  virtual std::optional<DisplayMode> EnumDisplayMode(uint32_t modeNumber) = 0;
};

}  // namespace kestrova
