#include "engine/platform/capture/capture_multimedia.h"

#include "engine/core/text.h"

namespace kestrova {

uint32_t CapturingMultimedia::DeviceCount(MediaKind kind) {
  const uint32_t n = inner_.DeviceCount(kind);
  auto& slot = counts_[static_cast<size_t>(kind)];
  if (!slot) slot = n;
  return n;
}

std::optional<MediaCaps> CapturingMultimedia::DeviceCaps(MediaKind kind, uint32_t index) {
  auto caps = inner_.DeviceCaps(kind, index);
  caps_[static_cast<size_t>(kind)].emplace(index, caps);
  return caps;
}

void CapturingMultimedia::Write(CaptureOutput& out) const {
  static const char* const kKeys[] = {"WaveOut", "WaveIn", "MidiOut", "MidiIn", "Aux", "Mixer"};
  bool any = false;
  for (size_t k = 0; k < 6; ++k) any = any || counts_[k] || !caps_[k].empty();
  if (!any) return;
  out.AddSection("multimedia");
  for (size_t k = 0; k < 6; ++k) {
    uint32_t count = counts_[k].value_or(0);
    if (!counts_[k] && !caps_[k].empty()) {
      count = caps_[k].rbegin()->first + 1;  // only the queries were seen
      out.Note(std::string("[multimedia] ") + kKeys[k] + ": the count was not asked; the queries give it");
    }
    // The replay lists as many devices as lines: a count far past what was asked for is
    // written as failing numbers up to a bound that keeps the file small.
    if (count > 4096) {
      out.Note(Format("[multimedia] %s: %u devices; the first 4096 are kept", kKeys[k], count));
      count = 4096;
    }
    for (uint32_t i = 0; i < count; ++i) {
      auto it = caps_[k].find(i);
      if (it == caps_[k].end() || !it->second) {
        out.Add("multimedia", kKeys[k], "fail");
        continue;
      }
      const MediaCaps& c = *it->second;
      if (Trim(c.ProductName) != c.ProductName || EqualsNoCase(c.ProductName, "fail"))
        out.Note(std::string("[multimedia] ") + kKeys[k] + ": the name '" + c.ProductName + "' reads back otherwise");
      out.Add("multimedia", kKeys[k], Format("0x%04X,", c.DriverVersion) + c.ProductName);
    }
  }
}

}  // namespace kestrova
