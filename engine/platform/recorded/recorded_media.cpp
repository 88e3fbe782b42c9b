#include "engine/platform/recorded/recorded_media.h"

#include "engine/core/text.h"
#include "engine/platform/recorded/ini_values.h"

namespace kestrova {

uint32_t RecordedMultimedia::DeviceCount(MediaKind kind) {
  return static_cast<uint32_t>(Devices[static_cast<size_t>(kind)].size());
}

std::optional<MediaCaps> RecordedMultimedia::DeviceCaps(MediaKind kind, uint32_t index) {
  const auto& list = Devices[static_cast<size_t>(kind)];
  if (index >= list.size()) return std::nullopt;
  return list[index];
}

bool ApplyMultimediaSection(RecordedMultimedia& media, const IniSection& s, const std::string& file) {
  if (!EqualsNoCase(s.Name, "multimedia")) return false;
  // key       kind
  static const struct { const char* Key; MediaKind Kind; } kKinds[] = {
      {"WaveOut", MediaKind::WaveOut}, {"WaveIn", MediaKind::WaveIn}, {"MidiOut", MediaKind::MidiOut},
      {"MidiIn", MediaKind::MidiIn},   {"Aux", MediaKind::Aux},       {"Mixer", MediaKind::Mixer},
  };
  for (const IniEntry& e : s.Entries) {
    const MediaKind* kind = nullptr;
    for (const auto& k : kKinds)
      if (EqualsNoCase(e.Key, k.Key)) kind = &k.Kind;
    if (!kind) IniFail(e, file, "unknown key '" + e.Key + "' in [multimedia] (WaveOut, WaveIn, MidiOut, MidiIn, Aux, Mixer)");
    auto& list = media.Devices[static_cast<size_t>(*kind)];
    if (EqualsNoCase(e.Value, "fail")) {
      list.push_back(std::nullopt);
      continue;
    }
    const size_t comma = e.Value.find(',');
    if (comma == std::string::npos) IniFail(e, file, "a device is VERSION,NAME or fail: " + e.Value);
    IniEntry version = e;
    version.Value = Trim(e.Value.substr(0, comma));
    MediaCaps caps;
    caps.DriverVersion = static_cast<uint32_t>(IniUnsigned(version, file, UINT32_MAX));
    caps.ProductName = Trim(e.Value.substr(comma + 1));
    list.push_back(caps);
  }
  return true;
}

}  // namespace kestrova
