#pragma once
// TDisplay: the primary display adapter (the driver's registry data, the video BIOS) and
// the screen (device capabilities, display modes).
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/information.h"
#include "engine/core/set.h"
#include "engine/platform/registry.h"

namespace kestrova {

enum class TCurveCap : uint8_t {
  ccCircles, ccPieWedges, ccChords, ccEllipses, ccWideBorders, ccStyledBorders, ccWideStyledBorders,
  ccInteriors, ccRoundedRects
};
enum class TLineCap : uint8_t {
  lcPolylines, lcMarkers, lcMultipleMarkers, lcWideLines, lcStyledLines, lcWideStyledLines, lcInteriors
};
enum class TPolygonCap : uint8_t {
  pcAltFillPolygons, pcRectangles, pcWindingFillPolygons, pcSingleScanlines, pcWideBorders,
  pcStyledBorders, pcWideStyledBorders, pcInteriors
};
enum class TRasterCap : uint8_t {
  rcRequiresBanding, rcTransferBitmaps, rcBitmaps64K, rcSetGetDIBits, rcSetDIBitsToDevice,
  rcFloodfills, rcWindows2xFeatures, rcPaletteBased, rcScaling, rcStretchBlt, rcStretchDIBits
};
enum class TTextCap : uint8_t {
  tcCharOutPrec, tcStrokeOutPrec, tcStrokeClipPrec, tcCharRotation90, tcCharRotationAny,
  tcScaleIndependent, tcDoubledCharScaling, tcIntMultiScaling, tcAnyMultiExactScaling,
  tcDoubleWeightChars, tcItalics, tcUnderlines, tcStrikeouts, tcRasterFonts, tcVectorFonts,
  tcNoScrollUsingBlts
};
enum class TShadeBlendCap : uint8_t { sbcConstAlpha, sbcGradRect, sbcGradTri, sbcPixelAlpha, sbcPremultAlpha };
enum class TColorMgmtCap : uint8_t { cmcCMYKColor, cmcDeviceICM, cmcGammaRamp };

using TCurveCaps = EnumSet<TCurveCap, 9>;
using TLineCaps = EnumSet<TLineCap, 7>;
using TPolygonCaps = EnumSet<TPolygonCap, 8>;
using TRasterCaps = EnumSet<TRasterCap, 11>;
using TTextCaps = EnumSet<TTextCap, 16>;
using TShadeBlendCaps = EnumSet<TShadeBlendCap, 5>;
using TColorMgmtCaps = EnumSet<TColorMgmtCap, 3>;

// One member of a capability set: the bit of the capability word that gives it and its
// name in the report block.
struct TCapabilityBit {
  uint32_t Bit;
  const char* ReportName;
};
// Rows in the sets' declaration order.
extern const TCapabilityBit kCurveCapBits[9];
extern const TCapabilityBit kLineCapBits[7];
extern const TCapabilityBit kPolygonCapBits[8];
extern const TCapabilityBit kRasterCapBits[11];
extern const TCapabilityBit kTextCapBits[16];
extern const TCapabilityBit kShadeBlendCapBits[5];
extern const TCapabilityBit kColorMgmtCapBits[3];

// The set a capability word gives, one member per bit of the rows.
template <typename Enum, unsigned N>
EnumSet<Enum, N> CapabilitySet(uint32_t word, const TCapabilityBit (&rows)[N]) {
  EnumSet<Enum, N> set;
  for (unsigned i = 0; i < N; ++i)
    if (word & rows[i].Bit) set.Include(static_cast<Enum>(i));
  return set;
}

// The technology name of a TECHNOLOGY value, or nullptr for a value without one.
const char* TechnologyName(int32_t technology);

// UTF-16LE text up to its first NUL within the bytes present (an odd last byte ignored).
std::string Utf16TextUntilNul(const std::vector<uint8_t>& bytes);

class TDisplay : public TInformation {
 public:
  // Registry values longer than this are not read (a "HardwareInformation.*" value is
  // skipped whole, never cut).
  static constexpr size_t kMaxRegistryValueBytes = 255;
  // Display modes asked for at most: more than any driver lists (a few hundred with every
  // refresh rate), so a driver that answers every mode number cannot hang the run.
  static constexpr uint32_t kMaxModeNumbers = 4096;

  // Identifies the display device once (the first of class "Display").
  explicit TDisplay(const EngineContext& context);
  void Refresh();

  const std::string& Adapter() const { return adapter_; }
  const std::string& DAC() const { return dac_; }
  const std::string& Chipset() const { return chipset_; }
  int64_t Memory() const { return memory_; }
  int32_t HorzRes() const { return horzRes_; }
  int32_t VertRes() const { return vertRes_; }
  int32_t HorzSize() const { return horzSize_; }
  int32_t VertSize() const { return vertSize_; }
  int32_t ColorDepth() const { return colorDepth_; }
  int32_t DeviceDriverVersion() const { return driverVersion_; }
  const std::string& BIOSVersion() const { return biosVersion_; }
  const std::string& BIOSDate() const { return biosDate_; }
  const std::string& BIOSString() const { return biosString_; }
  const std::string& Technology() const { return technology_; }
  int32_t PixelWidth() const { return pixelWidth_; }
  int32_t PixelHeight() const { return pixelHeight_; }
  int32_t PixelDiagonal() const { return pixelDiagonal_; }
  TRasterCaps RasterCaps() const { return rasterCaps_; }
  TCurveCaps CurveCaps() const { return curveCaps_; }
  TLineCaps LineCaps() const { return lineCaps_; }
  TPolygonCaps PolygonCaps() const { return polygonCaps_; }
  TTextCaps TextCaps() const { return textCaps_; }
  TShadeBlendCaps ShadeBlendCaps() const { return shadeBlendCaps_; }
  TColorMgmtCaps ColorMgmtCaps() const { return colorMgmtCaps_; }
  const std::vector<std::string>& Modes() const { return modes_; }
  uint32_t FontResolution() const { return fontResolution_; }
  uint32_t VerticalRefreshRate() const { return verticalRefreshRate_; }
  // From the display device, unpublished.
  const std::string& Service() const { return service_; }
  const std::string& Driver() const { return driver_; }
  const std::string& DeviceParam() const { return deviceParam_; }

 protected:
  void WriteBlock(ReportWriter& out) const override;

 private:
  void ReadAdapterRegistry();
  void ReadScreen();
  void ReadModes();

  std::string adapter_, dac_, chipset_, biosVersion_, biosDate_, biosString_, technology_;
  std::string service_, driver_, deviceParam_;
  int64_t memory_ = 0;
  int32_t horzRes_ = 0, vertRes_ = 0, horzSize_ = 0, vertSize_ = 0, colorDepth_ = 0, driverVersion_ = 0;
  int32_t pixelWidth_ = 0, pixelHeight_ = 0, pixelDiagonal_ = 0;
  TRasterCaps rasterCaps_;
  TCurveCaps curveCaps_;
  TLineCaps lineCaps_;
  TPolygonCaps polygonCaps_;
  TTextCaps textCaps_;
  TShadeBlendCaps shadeBlendCaps_;
  TColorMgmtCaps colorMgmtCaps_;
  std::vector<std::string> modes_;
  uint32_t fontResolution_ = 0, verticalRefreshRate_ = 0;
};

}  // namespace kestrova
