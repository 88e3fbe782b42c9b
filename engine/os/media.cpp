#include "engine/os/media.h"

#include <algorithm>

#include "engine/core/context.h"
#include "engine/core/text.h"
#include "engine/inventory/devices.h"

namespace kestrova {

namespace {
constexpr uint8_t kDeviceClassMedia = 30;
}

std::string MediaDeviceText(const MediaCaps& caps) {
  const uint32_t version = caps.DriverVersion & 0xFFFF;
  return Truncate(caps.ProductName, TMedia::kMaxProductName) + " v" + std::to_string(version >> 8) + "." +
         std::to_string(version & 0xFF);
}

TMedia::TMedia(const EngineContext& context) : TInformation(context) {
  SetExceptionModes({TExceptionMode::emExceptionStack});
  TDevices devices(context);
  devices.Refresh();
  for (const TDevice& d : devices.Devices()) {
    if (d.DeviceClass != kDeviceClassMedia) continue;
    const int index = static_cast<int>(devices_.size());
    const std::string name = d.FriendlyName.empty() ? d.Description : d.FriendlyName;
    devices_.push_back(name);
    if (ToUpperAscii(name).find("GAME") != std::string::npos)
      gamePortIndex_ = index;  // a later game port replaces an earlier one
    else if (!d.Location.empty() && soundCardIndex_ == -1)
      soundCardIndex_ = index;
  }
}

void TMedia::Refresh() {
  IMultimedia* media = Context().Sys.Multimedia;
  if (!media) return;
  // kind              list
  const std::pair<MediaKind, std::vector<std::string>*> kKinds[] = {
      {MediaKind::WaveOut, &waveOut_}, {MediaKind::WaveIn, &waveIn_}, {MediaKind::MidiOut, &midiOut_},
      {MediaKind::MidiIn, &midiIn_},   {MediaKind::Aux, &aux_},       {MediaKind::Mixer, &mixer_},
  };
  for (const auto& kind : kKinds) {
    const uint32_t count = media->DeviceCount(kind.first);
    for (uint32_t i = 0; i < count; ++i) {
      auto caps = media->DeviceCaps(kind.first, i);
      if (!caps) continue;  // this number does not answer; the others still do
      const std::string text = MediaDeviceText(*caps);
      std::vector<std::string>& list = *kind.second;
      if (std::find(list.begin(), list.end(), text) == list.end()) list.push_back(text);
    }
  }
}

void TMedia::WriteBlock(ReportWriter& out) const {
  out.OpenClass("Media", "TMedia");
  out.Integer("SoundCardDeviceIndex", soundCardIndex_);
  out.Integer("GamePortDeviceIndex", gamePortIndex_);
  out.OpenSection("Devices");
  out.StringList("Count", "Device", devices_);
  out.CloseSection();
  out.OpenSection("WAVE");
  out.StringList("WaveInCount", "WaveIn", waveIn_);
  out.StringList("WaveOutCount", "WaveOut", waveOut_);
  out.CloseSection();
  out.OpenSection("MIDI");
  out.StringList("MIDIInCount", "MIDIIn", midiIn_);
  out.StringList("MIDIOutCount", "MIDIOut", midiOut_);
  out.CloseSection();
  out.OpenSection("AUX");
  out.StringList("AUXCount", "AUX", aux_);
  out.CloseSection();
  out.OpenSection("Mixer");
  out.StringList("MixerCount", "Mixer", mixer_);
  out.CloseSection();
  out.CloseClass("Media");
}

}  // namespace kestrova
