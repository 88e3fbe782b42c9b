#pragma once
// The multimedia devices of a recorded machine: [multimedia] of machine.ini, one line per
// device number of each kind, in order.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "engine/platform/multimedia.h"
#include "engine/platform/recorded/ini.h"

namespace kestrova {

class RecordedMultimedia : public IMultimedia {
 public:
  // Per kind (MediaKind order), per device number: its capabilities, or nullopt when the
  // capability query fails for that number.
  std::array<std::vector<std::optional<MediaCaps>>, 6> Devices;

  uint32_t DeviceCount(MediaKind kind) override;
  std::optional<MediaCaps> DeviceCaps(MediaKind kind, uint32_t index) override;
};

// Applies [multimedia]; false for any other section.
bool ApplyMultimediaSection(RecordedMultimedia& media, const IniSection& section, const std::string& file);

}  // namespace kestrova
