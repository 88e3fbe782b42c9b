#pragma once
// The multimedia system's devices: how many of each kind, and each one's capabilities
// (the product name and the driver version of the <kind>GetDevCaps records).
#include <cstdint>
#include <optional>
#include <string>

namespace kestrova {

enum class MediaKind : uint8_t { WaveOut, WaveIn, MidiOut, MidiIn, Aux, Mixer };

struct MediaCaps {
  std::string ProductName;     // szPname up to its NUL (at most its 32 characters), UTF-8
  uint32_t DriverVersion = 0;  // vDriverVersion as the record holds it
};

class IMultimedia {
 public:
  virtual ~IMultimedia() = default;
  virtual uint32_t DeviceCount(MediaKind kind) = 0;  // <kind>GetNumDevs
  // <kind>GetDevCapsA for device number `index`; nullopt when it does not answer 0.
  virtual std::optional<MediaCaps> DeviceCaps(MediaKind kind, uint32_t index) = 0;
};

}  // namespace kestrova
