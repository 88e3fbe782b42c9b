#include "engine/platform/recorded/recorded_display.h"

#include <cstdio>

#include "engine/core/text.h"
#include "engine/platform/recorded/ini_values.h"

namespace kestrova {

namespace {
struct CapName { const char* Name; int Index; };
// name               GetDeviceCaps index
constexpr CapName kCapNames[] = {
    {"DRIVERVERSION", 0},   {"TECHNOLOGY", 2},      {"HORZSIZE", 4},        {"VERTSIZE", 6},
    {"HORZRES", 8},         {"VERTRES", 10},        {"BITSPIXEL", 12},      {"PLANES", 14},
    {"NUMBRUSHES", 16},     {"NUMPENS", 18},        {"NUMMARKERS", 20},     {"NUMFONTS", 22},
    {"NUMCOLORS", 24},      {"PDEVICESIZE", 26},    {"CURVECAPS", 28},      {"LINECAPS", 30},
    {"POLYGONALCAPS", 32},  {"TEXTCAPS", 34},       {"CLIPCAPS", 36},       {"RASTERCAPS", 38},
    {"ASPECTX", 40},        {"ASPECTY", 42},        {"ASPECTXY", 44},       {"LOGPIXELSX", 88},
    {"LOGPIXELSY", 90},     {"SIZEPALETTE", 104},   {"NUMRESERVED", 106},   {"COLORRES", 108},
    {"PHYSICALWIDTH", 110}, {"PHYSICALHEIGHT", 111}, {"PHYSICALOFFSETX", 112}, {"PHYSICALOFFSETY", 113},
    {"SCALINGFACTORX", 114}, {"SCALINGFACTORY", 115}, {"VREFRESH", 116},     {"DESKTOPVERTRES", 117},
    {"DESKTOPHORZRES", 118}, {"BLTALIGNMENT", 119}, {"SHADEBLENDCAPS", 120}, {"COLORMGMTCAPS", 121},
};
}  // namespace

int DeviceCapIndex(const std::string& name) {
  for (const CapName& c : kCapNames)
    if (EqualsNoCase(name, c.Name)) return c.Index;
  return -1;
}

const char* DeviceCapName(int index) {
  for (const CapName& c : kCapNames)
    if (c.Index == index) return c.Name;
  return nullptr;
}

std::optional<std::map<int, int32_t>> RecordedDisplay::ScreenCaps(const std::vector<int>& indexes) {
  if (!Caps) return std::nullopt;
  std::map<int, int32_t> out;
  for (int i : indexes) {
    auto it = Caps->find(i);
    out[i] = it == Caps->end() ? 0 : it->second;
  }
  return out;
}

std::optional<DisplayMode> RecordedDisplay::EnumDisplayMode(uint32_t modeNumber) {
  ++ModeCalls;
  if (modeNumber >= Modes.size()) return std::nullopt;
  return Modes[modeNumber];
}

bool ApplyDisplaySection(RecordedDisplay& display, const IniSection& s, const std::string& file) {
  const std::string name = ToLowerAscii(s.Name);
  if (name == "devicecaps") {
    if (!display.Caps) display.Caps.emplace();
    for (const IniEntry& e : s.Entries) {
      const int index = DeviceCapIndex(e.Key);
      if (index < 0) IniFail(e, file, "unknown device capability '" + e.Key + "' in [devicecaps] (HORZRES, ...)");
      (*display.Caps)[index] = static_cast<int32_t>(IniSigned(e, file, INT32_MIN, UINT32_MAX));
    }
    return true;
  }
  if (name == "displaymodes") {
    for (const IniEntry& e : s.Entries) {
      const std::string line = e.Text();
      unsigned w = 0, h = 0, bits = 0, hz = 0;
      char tail = 0;
      if (!e.Key.empty() || std::sscanf(line.c_str(), "%ux%ux%u@%u%c", &w, &h, &bits, &hz, &tail) != 4)
        IniFail(e, file, "a display mode is WIDTHxHEIGHTxBITS@HERTZ: " + line);
      display.Modes.push_back({w, h, bits, hz});
    }
    return true;
  }
  return false;
}

}  // namespace kestrova
