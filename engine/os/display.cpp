#include "engine/os/display.h"

#include <algorithm>

#include "engine/core/context.h"
#include "engine/core/text.h"
#include "engine/inventory/devices.h"
#include "engine/os/shared_routines.h"

namespace kestrova {

// bit      report name
const TCapabilityBit kCurveCapBits[9] = {
    {0x1, "Circles"},          {0x2, "PieWedges"},     {0x4, "Chords"},
    {0x8, "Ellipses"},         {0x10, "WideBorders"},  {0x20, "StyledBorders"},
    {0x40, "WideAndStyledBorders"}, {0x80, "Interiors"}, {0x100, "RoundedRectangles"},
};
const TCapabilityBit kLineCapBits[7] = {
    {0x2, "Polylines"},   {0x4, "Markers"},       {0x8, "MultipleMarkers"},      {0x10, "WideLines"},
    {0x20, "StyledLines"}, {0x40, "WideAndStyledLines"}, {0x80, "Interiors"},
};
const TCapabilityBit kPolygonCapBits[8] = {
    {0x1, "AlternateFillPolygons"}, {0x2, "Rectangles"},    {0x4, "WindingFillPolygons"},
    {0x8, "SingleScanlines"},       {0x10, "WideBorders"},  {0x20, "StyledBorders"},
    {0x40, "WideAndStyledBorders"}, {0x80, "Interiors"},
};
const TCapabilityBit kRasterCapBits[11] = {
    {0x2, "RequiresBanding"},        {0x1, "BitmapsTransferSupport"},   {0x8, "LargeBitmapSupport"},
    {0x80, "SetGetDIBitsSupport"},   {0x200, "SetDIBitsToDeviceSupport"}, {0x1000, "FloodfillsSupport"},
    {0x10, "Win20FeaturesSupport"},  {0x100, "PaletteBased"},           {0x4, "Scaling"},
    {0x800, "StretchBltSupport"},    {0x2000, "StretchDIBitsSupport"},
};
const TCapabilityBit kTextCapBits[16] = {
    {0x1, "CapableOfCharacterOutputPrecision"},
    {0x2, "CapableOfStrokeOutputPrecision"},
    {0x4, "CapableOfStrokeClipPrecision"},
    {0x8, "Suports90DegreeCharacterRotation"},
    {0x10, "SupportsCharacterRotationToAnyAngle"},
    {0x20, "XYScaleIndependent"},
    {0x40, "SupportsDoubledCharacterScaling"},
    {0x80, "SupportsIntegerMultiplesOnlyWhenScaling"},
    {0x100, "SupportsAnyMultiplesForExactCharacterScaling"},
    {0x200, "SupportsDoubleWeightCharacters"},
    {0x400, "SupportsItalics"},
    {0x800, "SupportsUnderlines"},
    {0x1000, "SupportsStrikeouts"},
    {0x2000, "SupportsRasterFonts"},
    {0x4000, "SupportsVectorFonts"},
    {0x10000, "CannotScrollUsingBlts"},
};
const TCapabilityBit kShadeBlendCapBits[5] = {
    {0x1, "Source Constant Alpha handling"}, {0x10, "GradientFill rectangles"},
    {0x20, "GradientFill triangles"},        {0x2, "Per-pixel alpha handling"},
    {0x4, "Premultiplied alpha handling"},
};
const TCapabilityBit kColorMgmtCapBits[3] = {
    {0x4, "CMYK color space ICC color profile"}, {0x1, "ICM performation"}, {0x2, "Gamma Ramp support"},
};

namespace {

constexpr uint8_t kDeviceClassDisplay = 3;
constexpr uint32_t kPlatformNT = 2;

// GetDeviceCaps indexes.
enum DeviceCap : int {
  DRIVERVERSION = 0, TECHNOLOGY = 2, HORZSIZE = 4, VERTSIZE = 6, HORZRES = 8, VERTRES = 10,
  BITSPIXEL = 12, CURVECAPS = 28, LINECAPS = 30, POLYGONALCAPS = 32, TEXTCAPS = 34, RASTERCAPS = 38,
  ASPECTX = 40, ASPECTY = 42, ASPECTXY = 44, LOGPIXELSY = 90, VREFRESH = 116, SHADEBLENDCAPS = 120,
  COLORMGMTCAPS = 121,
};

const char* const kTechnologyNames[] = {"Vector Plotter", "Raster Display", "Raster Printer", "Raster Camera",
                                        "Character Stream", "Metafile", "Display File"};

// The adapter's registry data, read afresh at every refresh.
struct AdapterRecord {
  std::string DAC, Chip, BIOSString;
  int64_t Memory = 0;
};

bool IsTextType(uint32_t type) { return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz; }

template <typename Enum, unsigned N>
void WriteCapabilities(ReportWriter& out, const char* section, EnumSet<Enum, N> set,
                       const TCapabilityBit (&rows)[N]) {
  out.OpenSection(section);
  for (unsigned i = 0; i < N; ++i) out.Boolean(rows[i].ReportName, set.Contains(static_cast<Enum>(i)));
  out.CloseSection();
}

}  // namespace

const char* TechnologyName(int32_t technology) {
  if (technology < 0 || technology >= static_cast<int32_t>(sizeof kTechnologyNames / sizeof kTechnologyNames[0]))
    return nullptr;
  return kTechnologyNames[technology];
}

std::string Utf16TextUntilNul(const std::vector<uint8_t>& bytes) {
  size_t units = bytes.size() / 2;
  for (size_t i = 0; i < units; ++i)
    if (bytes[2 * i] == 0 && bytes[2 * i + 1] == 0) {
      units = i;
      break;
    }
  return Utf16LeToUtf8(bytes.data(), units * 2);
}

TDisplay::TDisplay(const EngineContext& context) : TInformation(context) {
  SetExceptionModes({TExceptionMode::emExceptionStack});
  TDevices devices(context);
  devices.Refresh();
  for (const TDevice& d : devices.Devices()) {
    if (d.DeviceClass != kDeviceClassDisplay) continue;
    adapter_ = d.FriendlyName.empty() ? d.Description : d.FriendlyName;
    service_ = d.Service;
    driver_ = d.Driver;
    deviceParam_ = d.DeviceParam;
    break;
  }
}

void TDisplay::Refresh() {
  ReadAdapterRegistry();
  const Platform& p = Context().Sys;
  if (p.Registry) {
    const char* const key = "\\HARDWARE\\DESCRIPTION\\System";
    const std::string version = ReadRegistryText(p, RootKey::LocalMachine, key, "VideoBiosVersion", false);
    const size_t end = version.find_first_of("\r\n");
    biosVersion_ = version.substr(0, end);
    biosDate_ = ReadRegistryText(p, RootKey::LocalMachine, key, "VideoBiosDate", false);
  } else {
    biosVersion_.clear();
    biosDate_.clear();
  }
  ReadScreen();
  ReadModes();
}

void TDisplay::ReadAdapterRegistry() {
  const Platform& p = Context().Sys;
  AdapterRecord r;  // what this refresh finds; missing values stay empty or 0
  auto value = [&](const std::string& key, const char* name) -> std::optional<RegValue> {
    if (!p.Registry) return std::nullopt;
    auto v = p.Registry->QueryValue(RootKey::LocalMachine, key, name);
    // Too long to be one of these values: skipped whole.
    if (v && v->Data.size() > kMaxRegistryValueBytes) return std::nullopt;
    return v;
  };
  auto memory = [&](const std::optional<RegValue>& v) {
    // Four little-endian bytes, whether the driver wrote them as binary or as a DWORD.
    if (v && (v->Type == kRegBinary || v->Type == kRegDword) && v->Data.size() <= 4)
      r.Memory = static_cast<uint32_t>(RegistryValueAsInteger(*v));
  };
  const bool nt = p.System && p.System->Version().PlatformId == kPlatformNT;
  if (nt) {
    const std::string key = !deviceParam_.empty()
                                ? "\\SYSTEM\\CurrentControlSet\\Control\\Video\\" + deviceParam_ + "\\0000"
                                : "\\SYSTEM\\CurrentControlSet\\Services\\" + service_ + "\\Device0";
    auto text = [&](const char* name, std::string& into) {
      auto v = value(key, name);
      // Binary data holding UTF-16LE text; string and number types are not such data.
      if (v && !IsTextType(v->Type) && v->Type != kRegDword) into = Utf16TextUntilNul(v->Data);
    };
    text("HardwareInformation.DacType", r.DAC);
    text("HardwareInformation.ChipType", r.Chip);
    text("HardwareInformation.BiosString", r.BIOSString);
    memory(value(key, "HardwareInformation.MemorySize"));
  } else {
    const std::string key = "\\System\\CurrentControlSet\\Services\\Class\\" + driver_ + "\\INFO";
    auto text = [&](const char* name, std::string& into) {
      auto v = value(key, name);
      if (v && IsTextType(v->Type)) into = RegistryValueAsText(*v);
    };
    text("DacType", r.DAC);
    text("ChipType", r.Chip);
    memory(value(key, "VideoMemory"));
  }
  dac_ = Truncate(r.DAC, 255);
  chipset_ = Truncate(r.Chip, 255);
  biosString_ = Truncate(r.BIOSString, 255);
  memory_ = r.Memory;
}

void TDisplay::ReadScreen() {
  const Platform& p = Context().Sys;
  curveCaps_ = {}, lineCaps_ = {}, polygonCaps_ = {}, rasterCaps_ = {}, textCaps_ = {}, shadeBlendCaps_ = {},
  colorMgmtCaps_ = {};
  static const std::vector<int> kIndexes = {
      DRIVERVERSION, TECHNOLOGY, HORZSIZE, VERTSIZE, HORZRES, VERTRES, BITSPIXEL, CURVECAPS, LINECAPS,
      POLYGONALCAPS, TEXTCAPS, RASTERCAPS, ASPECTX, ASPECTY, ASPECTXY, LOGPIXELSY, VREFRESH, SHADEBLENDCAPS,
      COLORMGMTCAPS};
  // No device context for the screen: every capability reads as 0 and the technology,
  // which has no name for "no screen", stays as it was.
  std::map<int, int32_t> caps;
  if (p.Display)
    if (auto got = p.Display->ScreenCaps(kIndexes)) caps = *got;
  auto cap = [&](int index) {
    auto it = caps.find(index);
    return it == caps.end() ? 0 : it->second;
  };
  horzRes_ = cap(HORZRES);
  vertRes_ = cap(VERTRES);
  horzSize_ = cap(HORZSIZE);
  vertSize_ = cap(VERTSIZE);
  colorDepth_ = cap(BITSPIXEL);
  driverVersion_ = cap(DRIVERVERSION);
  if (!caps.empty())
    if (const char* name = TechnologyName(cap(TECHNOLOGY))) technology_ = name;
  pixelWidth_ = cap(ASPECTX);
  pixelHeight_ = cap(ASPECTY);
  pixelDiagonal_ = cap(ASPECTXY);
  fontResolution_ = static_cast<uint32_t>(cap(LOGPIXELSY));
  const bool nt = p.System && p.System->Version().PlatformId == kPlatformNT;
  verticalRefreshRate_ = nt ? static_cast<uint32_t>(cap(VREFRESH)) : 0;
  curveCaps_ = CapabilitySet<TCurveCap>(static_cast<uint32_t>(cap(CURVECAPS)), kCurveCapBits);
  lineCaps_ = CapabilitySet<TLineCap>(static_cast<uint32_t>(cap(LINECAPS)), kLineCapBits);
  polygonCaps_ = CapabilitySet<TPolygonCap>(static_cast<uint32_t>(cap(POLYGONALCAPS)), kPolygonCapBits);
  rasterCaps_ = CapabilitySet<TRasterCap>(static_cast<uint32_t>(cap(RASTERCAPS)), kRasterCapBits);
  textCaps_ = CapabilitySet<TTextCap>(static_cast<uint32_t>(cap(TEXTCAPS)), kTextCapBits);
  shadeBlendCaps_ = CapabilitySet<TShadeBlendCap>(static_cast<uint32_t>(cap(SHADEBLENDCAPS)), kShadeBlendCapBits);
  colorMgmtCaps_ = CapabilitySet<TColorMgmtCap>(static_cast<uint32_t>(cap(COLORMGMTCAPS)), kColorMgmtCapBits);
}

void TDisplay::ReadModes() {
  modes_.clear();
  IDisplay* display = Context().Sys.Display;
  if (!display) return;
  for (uint32_t n = 0; n < kMaxModeNumbers; ++n) {
    auto mode = display->EnumDisplayMode(n);
    if (!mode) break;
    const std::string text = Format("%u x %u - %u bit", mode->PelsWidth, mode->PelsHeight, mode->BitsPerPel);
    if (std::find(modes_.begin(), modes_.end(), text) == modes_.end()) modes_.push_back(text);
  }
}

void TDisplay::WriteBlock(ReportWriter& out) const {
  out.OpenClass("Display", "TDisplay");
  out.String("Adapter", adapter_);
  out.String("Chipset", chipset_);
  out.String("DAC", dac_);
  out.Integer("MemorySize", memory_, "B");
  out.String("BIOSVersion", biosVersion_);
  out.String("BIOSDate", biosDate_);
  out.String("BIOSString", biosString_);
  out.String("Technology", technology_);
  out.Integer("DeviceDriverVersion", driverVersion_);
  out.Integer("HorizontalResolution", horzRes_, "px");
  out.Integer("VerticalResolution", vertRes_, "px");
  out.Integer("HorizontalSize", horzSize_, "mm");
  out.Integer("VerticalSize", vertSize_, "mm");
  out.Integer("ColorDepth", colorDepth_, "b");
  out.Integer("PixelWidth", pixelWidth_);
  out.Integer("PixelHeight", pixelHeight_);
  out.Integer("PixelDiagonal", pixelDiagonal_);
  out.Integer("FontResolution", fontResolution_, "dpi");
  out.Integer("VerticalRefreshRate", verticalRefreshRate_, "Hz");
  out.OpenSection("VideoModes");
  out.StringList("Count", "Mode", modes_);
  out.CloseSection();
  WriteCapabilities(out, "CurveCapabilities", curveCaps_, kCurveCapBits);
  WriteCapabilities(out, "LineCapabilities", lineCaps_, kLineCapBits);
  WriteCapabilities(out, "PolygonCapabilities", polygonCaps_, kPolygonCapBits);
  WriteCapabilities(out, "RasterCapabilities", rasterCaps_, kRasterCapBits);
  WriteCapabilities(out, "TextCapabilities", textCaps_, kTextCapBits);
  WriteCapabilities(out, "ShadeBlendCapabilities", shadeBlendCaps_, kShadeBlendCapBits);
  WriteCapabilities(out, "ColorManagementCapabilities", colorMgmtCaps_, kColorMgmtCapBits);
  out.CloseClass("Display");
}

}  // namespace kestrova
