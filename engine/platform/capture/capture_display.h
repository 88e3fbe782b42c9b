#pragma once
// The screen tee: the device capabilities asked for ([devicecaps]) and the display modes
// enumerated ([displaymodes]). EDID values are registry values: the registry tee has them.
#include <map>
#include <optional>

#include "engine/platform/capture/capture_output.h"
#include "engine/platform/display.h"

namespace kestrova {

class CapturingDisplay final : public IDisplay {
 public:
  explicit CapturingDisplay(IDisplay& inner) : inner_(inner) {}
  std::optional<std::map<int, int32_t>> ScreenCaps(const std::vector<int>& indexes) override;
  std::optional<DisplayMode> EnumDisplayMode(uint32_t modeNumber) override;
  void Write(CaptureOutput& out) const;

 private:
  IDisplay& inner_;
  bool capsAnswered_ = false, capsFailed_ = false;
  std::map<int, int32_t> caps_;
  std::map<uint32_t, std::optional<DisplayMode>> modes_;
};

}  // namespace kestrova
