#include "engine/platform/win32/win32_multimedia.h"

#include <windows.h>
#include <mmsystem.h>

#include "engine/platform/win32/api_family.h"

namespace kestrova::win32 {

namespace {
// The ANSI records on every system: szPname is in the ANSI code page, and these are the
// records the 9x family answers. Each has szPname and vDriverVersion.
template <typename Caps, typename Query>
std::optional<MediaCaps> Ask(uint32_t index, Query query) {
  Caps caps{};
  if (query(static_cast<UINT_PTR>(index), &caps, static_cast<UINT>(sizeof caps)) != MMSYSERR_NOERROR)
    return std::nullopt;
  MediaCaps out;
  out.ProductName = AnsiToUtf8UntilNul(caps.szPname, sizeof caps.szPname);
  out.DriverVersion = caps.vDriverVersion;
  return out;
}
}  // namespace

uint32_t Win32Multimedia::DeviceCount(MediaKind kind) {
  switch (kind) {
    case MediaKind::WaveOut: return ::waveOutGetNumDevs();
    case MediaKind::WaveIn: return ::waveInGetNumDevs();
    case MediaKind::MidiOut: return ::midiOutGetNumDevs();
    case MediaKind::MidiIn: return ::midiInGetNumDevs();
    case MediaKind::Aux: return ::auxGetNumDevs();
    case MediaKind::Mixer: return ::mixerGetNumDevs();
  }
  return 0;
}

std::optional<MediaCaps> Win32Multimedia::DeviceCaps(MediaKind kind, uint32_t index) {
  switch (kind) {
    case MediaKind::WaveOut: return Ask<WAVEOUTCAPSA>(index, ::waveOutGetDevCapsA);
    case MediaKind::WaveIn: return Ask<WAVEINCAPSA>(index, ::waveInGetDevCapsA);
    case MediaKind::MidiOut: return Ask<MIDIOUTCAPSA>(index, ::midiOutGetDevCapsA);
    case MediaKind::MidiIn: return Ask<MIDIINCAPSA>(index, ::midiInGetDevCapsA);
    case MediaKind::Aux: return Ask<AUXCAPSA>(index, ::auxGetDevCapsA);
    case MediaKind::Mixer: return Ask<MIXERCAPSA>(index, [](UINT_PTR id, MIXERCAPSA* caps, UINT size) {
      return ::mixerGetDevCapsA(static_cast<UINT>(id), caps, size);
    });
  }
  return std::nullopt;
}

}  // namespace kestrova::win32
