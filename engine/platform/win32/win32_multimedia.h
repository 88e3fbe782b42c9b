#pragma once
// IMultimedia over winmm's <kind>GetNumDevs and <kind>GetDevCapsA.
#include "engine/platform/multimedia.h"

namespace kestrova::win32 {

class Win32Multimedia final : public IMultimedia {
 public:
  uint32_t DeviceCount(MediaKind kind) override;
  std::optional<MediaCaps> DeviceCaps(MediaKind kind, uint32_t index) override;
};

}  // namespace kestrova::win32
