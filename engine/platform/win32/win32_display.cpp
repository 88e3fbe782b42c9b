#include "engine/platform/win32/win32_display.h"

#include <windows.h>

#include "engine/platform/win32/handles.h"

namespace kestrova::win32 {

namespace {
void ReleaseScreenDC(HDC dc) noexcept { ::ReleaseDC(nullptr, dc); }
using UniqueScreenDC = UniqueResource<NullHandleTraits<HDC, &ReleaseScreenDC>>;
}  // namespace

std::optional<std::map<int, int32_t>> Win32Display::ScreenCaps(const std::vector<int>& indexes) {
  UniqueScreenDC dc(::GetDC(nullptr));  // released on every path
  if (!dc) return std::nullopt;
  std::map<int, int32_t> caps;
  for (int index : indexes) caps[index] = ::GetDeviceCaps(dc.Get(), index);
  return caps;
}

std::optional<DisplayMode> Win32Display::EnumDisplayMode(uint32_t modeNumber) {
  // The ANSI record: the wide function is a stub on the 9x family, and no text is read.
  DEVMODEA dm{};
  dm.dmSize = sizeof dm;
  if (!::EnumDisplaySettingsA(nullptr, modeNumber, &dm)) return std::nullopt;
  DisplayMode m;
  m.PelsWidth = dm.dmPelsWidth;
  m.PelsHeight = dm.dmPelsHeight;
  m.BitsPerPel = dm.dmBitsPerPel;
  m.DisplayFrequency = dm.dmDisplayFrequency;
  return m;
}

}  // namespace kestrova::win32
