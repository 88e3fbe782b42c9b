#pragma once
// The multimedia tee: how many devices of each kind and each one's capabilities
// ([multimedia]: one line per device number, in order).
#include <array>
#include <map>
#include <optional>

#include "engine/platform/capture/capture_output.h"
#include "engine/platform/multimedia.h"

namespace kestrova {

class CapturingMultimedia final : public IMultimedia {
 public:
  explicit CapturingMultimedia(IMultimedia& inner) : inner_(inner) {}
  uint32_t DeviceCount(MediaKind kind) override;
  std::optional<MediaCaps> DeviceCaps(MediaKind kind, uint32_t index) override;
  void Write(CaptureOutput& out) const;

 private:
  IMultimedia& inner_;
  std::array<std::optional<uint32_t>, 6> counts_;
  std::array<std::map<uint32_t, std::optional<MediaCaps>>, 6> caps_;
};

}  // namespace kestrova
