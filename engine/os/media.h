#pragma once
// TMedia: the multimedia devices of the device registry, and the wave, MIDI, auxiliary
// and mixer devices the multimedia system reports with their driver versions.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/information.h"
#include "engine/platform/multimedia.h"

namespace kestrova {

// "Name v1.5": the product name (at most 32 characters), " v", the high and the low byte
// of the low word of the driver version, in decimal.
std::string MediaDeviceText(const MediaCaps& caps);

class TMedia : public TInformation {
 public:
  static constexpr size_t kMaxProductName = 32;

  // Lists the devices of class "MEDIA" and finds the sound card and the game port.
  explicit TMedia(const EngineContext& context);
  // Adds the devices of each kind not listed yet; the lists are never cleared.
  void Refresh();

  const std::vector<std::string>& Devices() const { return devices_; }
  int SoundCardIndex() const { return soundCardIndex_; }
  int GamePortIndex() const { return gamePortIndex_; }
  const std::vector<std::string>& WAVEIn() const { return waveIn_; }
  const std::vector<std::string>& WAVEOut() const { return waveOut_; }
  const std::vector<std::string>& MIDIIn() const { return midiIn_; }
  const std::vector<std::string>& MIDIOut() const { return midiOut_; }
  const std::vector<std::string>& AUX() const { return aux_; }
  const std::vector<std::string>& Mixer() const { return mixer_; }

 protected:
  void WriteBlock(ReportWriter& out) const override;

 private:
  std::vector<std::string> devices_, waveIn_, waveOut_, midiIn_, midiOut_, aux_, mixer_;
  int soundCardIndex_ = -1, gamePortIndex_ = -1;
};

}  // namespace kestrova
