#include "engine/platform/capture/capture_display.h"

#include "engine/core/text.h"
#include "engine/platform/recorded/recorded_display.h"

namespace kestrova {

std::optional<std::map<int, int32_t>> CapturingDisplay::ScreenCaps(const std::vector<int>& indexes) {
  auto caps = inner_.ScreenCaps(indexes);
  if (caps) {
    capsAnswered_ = true;
    for (const auto& [index, value] : *caps) caps_.emplace(index, value);
  } else {
    capsFailed_ = true;
  }
  return caps;
}

std::optional<DisplayMode> CapturingDisplay::EnumDisplayMode(uint32_t modeNumber) {
  auto mode = inner_.EnumDisplayMode(modeNumber);
  modes_.emplace(modeNumber, mode);
  return mode;
}

void CapturingDisplay::Write(CaptureOutput& out) const {
  if (capsAnswered_) {
    out.AddSection("devicecaps");
    if (capsFailed_) out.Note("[devicecaps] the screen's device context was not always had; the replay always has it");
    for (const auto& [index, value] : caps_) {
      if (const char* name = DeviceCapName(index)) out.Add("devicecaps", name, std::to_string(value));
      else out.Note(Format("[devicecaps] index %d has no name in the recorded format; left out", index));
    }
  }
  // The modes from 0 up to the first that fails: the replay fails after the last one.
  uint32_t next = 0;
  for (const auto& [number, mode] : modes_) {
    if (number != next || !mode) break;
    if (next == 0) out.AddSection("displaymodes");
    out.AddLine("displaymodes", Format("%ux%ux%u@%u", mode->PelsWidth, mode->PelsHeight, mode->BitsPerPel,
                                       mode->DisplayFrequency));
    ++next;
  }
  for (const auto& [number, mode] : modes_)
    if (number > next && mode) {
      out.Note(Format("[displaymodes] mode %u answers after mode %u failed or was not asked; left out", number, next));
      break;
    }
}

}  // namespace kestrova
