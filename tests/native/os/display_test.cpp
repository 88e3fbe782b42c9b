// TDisplay and TMonitor, and the "Affichage" and "Moniteurs" sections, on the recorded
// machines and on small variations of them.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/os/display.h"
#include "engine/os/monitor.h"
#include "sections/display_sections.h"
#include "tests/native/os/section_run.h"

namespace kestrova {
namespace {

using testing::SectionRun;
using M = TSystemInfo::Member;

const char* const kVideoKey =
    "\\SYSTEM\\CurrentControlSet\\Control\\Video\\{2A3F5C1E-0B4D-4E2F-9A8B-7C6D5E4F3A2B}\\0000";

RegValue Binary(std::vector<uint8_t> data) { return {kRegBinary, std::move(data)}; }
RegValue Utf16(const std::string& ascii) {
  RegValue v{kRegBinary, {}};
  for (char c : ascii) v.Data.insert(v.Data.end(), {static_cast<uint8_t>(c), 0});
  v.Data.insert(v.Data.end(), {0, 0});
  return v;
}

TEST(DisplaySection, WindowsXpLineByLine) {
  SectionRun run("xp-sp2-p4ht");
  const std::vector<std::string> expected = {
      "",
      "Affichage",
      " - Carte : NVIDIA GeForce FX 5200",
      " - Chipset : GeForce FX 5200",
      " - RAM : 128,00 MO",
      " - Profondeur couleurs : 32 bits",
      " - Résolution fontes : 96 pixels",
      " - Taille affichage : 33,80 x 27,00 cm",
      " - Résolution écran : 1280 x 1024 pixels",
      " - Fréquence raffraichissement : 75 hertz",
      " - DAC (convetisseur N/A) : Integrated RAMDAC",
      " - BIOS vidéo - Date : 06/03/04",
      " - BIOS vidéo - Nom : Version 4.34.20.54.00",
      " - BIOS vidéo - Version : Version 4.34.20.54.00",  // first of the three lines
  };
  EXPECT_EQ(run.Run(kDisplayWriter), expected);
  auto& d = run.Member<TDisplay>(M::Display);
  // Distinct modes in enumeration order; refresh rates fold together.
  EXPECT_EQ(d.Modes(), (std::vector<std::string>{"640 x 480 - 8 bit", "640 x 480 - 16 bit", "640 x 480 - 32 bit",
                                                 "800 x 600 - 16 bit", "800 x 600 - 32 bit", "1024 x 768 - 32 bit",
                                                 "1280 x 1024 - 32 bit"}));
  EXPECT_EQ(d.Technology(), "Raster Display");
  EXPECT_EQ(d.DeviceDriverVersion(), 0x4000);
  EXPECT_EQ(d.PixelDiagonal(), 51);
  EXPECT_EQ(d.Service(), "nv");
}

TEST(DisplaySection, Windows98ReadsTheClassInfoKeyAndHasNoRefreshRate) {
  SectionRun run("win98se-p3");
  const std::vector<std::string> expected = {
      "",
      "Affichage",
      " - Carte : Intel(R) 82815 Graphics Controller",
      " - Chipset : Intel 82815",
      " - RAM : 4,00 MO",
      " - Profondeur couleurs : 16 bits",
      " - Résolution fontes : 96 pixels",
      " - Taille affichage : 32,00 x 24,00 cm",
      " - Résolution écran : 1024 x 768 pixels",
      " - Fréquence raffraichissement : 0 hertz",  // VREFRESH says 1; 9x reports 0
      " - DAC (convetisseur N/A) : Internal",
      " - BIOS vidéo - Date : ",
      " - BIOS vidéo - Nom : ",
      " - BIOS vidéo - Version : ",
  };
  EXPECT_EQ(run.Run(kDisplayWriter), expected);
}

TEST(DisplayAdapter, RegistryEdges) {
  SectionRun run("xp-sp2-p4ht");
  auto& d = run.Member<TDisplay>(M::Display);
  auto& reg = run.machine->Registry;
  d.Refresh();
  ASSERT_EQ(d.Chipset(), "GeForce FX 5200");
  // A value gone at the next refresh empties its property; a value longer than 255 bytes
  // is skipped whole, a 255-byte one is read.
  reg.DeleteValue(RootKey::LocalMachine, kVideoKey, "HardwareInformation.ChipType");
  RegValue longDac = Utf16(std::string(127, 'D'));  // 256 bytes with its NUL
  reg.SetValue(RootKey::LocalMachine, kVideoKey, "HardwareInformation.DacType", longDac);
  RegValue bios = Utf16(std::string(126, 'B'));
  bios.Data.push_back('X');  // 255 bytes: the odd last byte is no character
  reg.SetValue(RootKey::LocalMachine, kVideoKey, "HardwareInformation.BiosString", bios);
  reg.SetValue(RootKey::LocalMachine, kVideoKey, "HardwareInformation.MemorySize", {kRegDword, {0, 0, 0, 4}});
  d.Refresh();
  EXPECT_EQ(d.Chipset(), "");
  EXPECT_EQ(d.DAC(), "");
  EXPECT_EQ(d.BIOSString(), std::string(126, 'B'));
  EXPECT_EQ(d.Memory(), 64 * 1024 * 1024);
  // Text ends at its NUL within the bytes present; a string-typed value is no such data.
  reg.SetValue(RootKey::LocalMachine, kVideoKey, "HardwareInformation.DacType",
               Binary({'R', 0, 'A', 0, 0, 0, 'X', 0}));
  reg.SetValue(RootKey::LocalMachine, kVideoKey, "HardwareInformation.ChipType", {kRegSz, {'A', 0}});
  reg.SetValue(RootKey::LocalMachine, kVideoKey, "HardwareInformation.MemorySize", Binary({1, 2, 3, 4, 5}));
  d.Refresh();
  EXPECT_EQ(d.DAC(), "RA");
  EXPECT_EQ(d.Chipset(), "");
  EXPECT_EQ(d.Memory(), 0);  // five bytes: not a memory size
}

TEST(DisplayAdapter, WithoutVideoIdTheServiceDevice0KeyIsRead) {
  SectionRun run("xp-sp2-p4ht");
  auto& reg = run.machine->Registry;
  const std::string params =
      "\\SYSTEM\\CurrentControlSet\\Enum\\PCI\\VEN_10DE&DEV_0322&SUBSYS_00000000&REV_A1\\"
      "4&1C3E2B0E&0&0008\\Device Parameters";
  reg.DeleteValue(RootKey::LocalMachine, params, "VideoID");
  reg.SetValue(RootKey::LocalMachine, "\\SYSTEM\\CurrentControlSet\\Services\\nv\\Device0",
               "HardwareInformation.ChipType", Utf16("NV34"));
  auto& d = run.Member<TDisplay>(M::Display);
  EXPECT_EQ(d.DeviceParam(), "");
  d.Refresh();
  EXPECT_EQ(d.Chipset(), "NV34");
  EXPECT_EQ(d.DAC(), "");
}

TEST(DisplayAdapter, FriendlyNameWinsOverTheDescription) {
  SectionRun run("xp-sp2-p4ht");
  run.machine->Registry.SetValue(
      RootKey::LocalMachine,
      "\\SYSTEM\\CurrentControlSet\\Enum\\PCI\\VEN_10DE&DEV_0322&SUBSYS_00000000&REV_A1\\4&1C3E2B0E&0&0008",
      "FriendlyName", {kRegSz, {'F', 'X', 0}});
  EXPECT_EQ(run.Member<TDisplay>(M::Display).Adapter(), "FX");
}

// A driver that lists the same mode for every number.
class EndlessModes : public RecordedDisplay {
 public:
  std::optional<DisplayMode> EnumDisplayMode(uint32_t n) override {
    ++ModeCalls;
    return DisplayMode{800, 600, 32, n};
  }
};

TEST(DisplayAdapter, ModesStopAtTheBoundAndWithoutAScreenEverythingIsZero) {
  SectionRun run("xp-sp2-p4ht");
  EndlessModes endless;
  Platform view = run.machine->View();
  view.Display = &endless;
  EngineContext context = MakeEngineContext(view);
  TDisplay d(context);
  d.Refresh();
  EXPECT_EQ(endless.ModeCalls, TDisplay::kMaxModeNumbers);
  EXPECT_EQ(d.Modes(), std::vector<std::string>{"800 x 600 - 32 bit"});
  EXPECT_EQ(d.HorzRes(), 0);  // no [devicecaps] in this display: no device context
  EXPECT_TRUE(d.RasterCaps().Empty());
  EXPECT_EQ(d.Technology(), "");
}

// Each capability bit alone gives exactly its member, named as the report writes it.
template <typename Enum, unsigned N>
void ExpectBits(const char* set, const TCapabilityBit (&rows)[N], const std::vector<std::pair<uint32_t, const char*>>& written) {
  ASSERT_EQ(written.size(), N) << set;
  for (unsigned i = 0; i < N; ++i) {
    EXPECT_EQ(rows[i].Bit, written[i].first) << set << " row " << i;
    EXPECT_STREQ(rows[i].ReportName, written[i].second) << set << " row " << i;
    const auto s = CapabilitySet<Enum>(written[i].first, rows);
    EXPECT_EQ(s.Size(), 1u) << set << " bit " << written[i].first;
    EXPECT_TRUE(s.Contains(static_cast<Enum>(i))) << set << " bit " << written[i].first;
  }
}

TEST(DisplayCapabilities, EveryRowOfEverySet) {
  ExpectBits<TCurveCap>("curve", kCurveCapBits,
                        {{0x1, "Circles"}, {0x2, "PieWedges"}, {0x4, "Chords"}, {0x8, "Ellipses"},
                         {0x10, "WideBorders"}, {0x20, "StyledBorders"}, {0x40, "WideAndStyledBorders"},
                         {0x80, "Interiors"}, {0x100, "RoundedRectangles"}});
  ExpectBits<TLineCap>("line", kLineCapBits,
                       {{0x2, "Polylines"}, {0x4, "Markers"}, {0x8, "MultipleMarkers"}, {0x10, "WideLines"},
                        {0x20, "StyledLines"}, {0x40, "WideAndStyledLines"}, {0x80, "Interiors"}});
  ExpectBits<TPolygonCap>("polygon", kPolygonCapBits,
                          {{0x1, "AlternateFillPolygons"}, {0x2, "Rectangles"}, {0x4, "WindingFillPolygons"},
                           {0x8, "SingleScanlines"}, {0x10, "WideBorders"}, {0x20, "StyledBorders"},
                           {0x40, "WideAndStyledBorders"}, {0x80, "Interiors"}});
  ExpectBits<TRasterCap>("raster", kRasterCapBits,
                         {{0x2, "RequiresBanding"}, {0x1, "BitmapsTransferSupport"}, {0x8, "LargeBitmapSupport"},
                          {0x80, "SetGetDIBitsSupport"}, {0x200, "SetDIBitsToDeviceSupport"},
                          {0x1000, "FloodfillsSupport"}, {0x10, "Win20FeaturesSupport"}, {0x100, "PaletteBased"},
                          {0x4, "Scaling"}, {0x800, "StretchBltSupport"}, {0x2000, "StretchDIBitsSupport"}});
  ExpectBits<TTextCap>("text", kTextCapBits,
                       {{0x1, "CapableOfCharacterOutputPrecision"}, {0x2, "CapableOfStrokeOutputPrecision"},
                        {0x4, "CapableOfStrokeClipPrecision"}, {0x8, "Suports90DegreeCharacterRotation"},
                        {0x10, "SupportsCharacterRotationToAnyAngle"}, {0x20, "XYScaleIndependent"},
                        {0x40, "SupportsDoubledCharacterScaling"}, {0x80, "SupportsIntegerMultiplesOnlyWhenScaling"},
                        {0x100, "SupportsAnyMultiplesForExactCharacterScaling"},
                        {0x200, "SupportsDoubleWeightCharacters"}, {0x400, "SupportsItalics"},
                        {0x800, "SupportsUnderlines"}, {0x1000, "SupportsStrikeouts"},
                        {0x2000, "SupportsRasterFonts"}, {0x4000, "SupportsVectorFonts"},
                        {0x10000, "CannotScrollUsingBlts"}});
  ExpectBits<TShadeBlendCap>("shade", kShadeBlendCapBits,
                             {{0x1, "Source Constant Alpha handling"}, {0x10, "GradientFill rectangles"},
                              {0x20, "GradientFill triangles"}, {0x2, "Per-pixel alpha handling"},
                              {0x4, "Premultiplied alpha handling"}});
  ExpectBits<TColorMgmtCap>("colour", kColorMgmtCapBits,
                            {{0x4, "CMYK color space ICC color profile"}, {0x1, "ICM performation"},
                             {0x2, "Gamma Ramp support"}});
  const char* const names[] = {"Vector Plotter", "Raster Display", "Raster Printer", "Raster Camera",
                               "Character Stream", "Metafile", "Display File"};
  for (int i = 0; i < 7; ++i) EXPECT_STREQ(TechnologyName(i), names[i]);
  EXPECT_EQ(TechnologyName(7), nullptr);
  EXPECT_EQ(TechnologyName(-1), nullptr);
}

TEST(DisplayReport, BlockOrderModesAndCapabilities) {
  SectionRun run("xp-sp2-p4ht");
  run.Member<TDisplay>(M::Display).Refresh();
  const ReportLines lines = run.Report(M::Display);
  const std::vector<std::string> head(lines.begin(), lines.begin() + 21);
  const std::vector<std::string> expected = {
      "<Display classname=\"TDisplay\">",
      "<data name=\"Adapter\" type=\"string\">NVIDIA GeForce FX 5200</data>",
      "<data name=\"Chipset\" type=\"string\">GeForce FX 5200</data>",
      "<data name=\"DAC\" type=\"string\">Integrated RAMDAC</data>",
      "<data name=\"MemorySize\" type=\"integer\" unit=\"B\">134217728</data>",
      "<data name=\"BIOSVersion\" type=\"string\">Version 4.34.20.54.00</data>",
      "<data name=\"BIOSDate\" type=\"string\">06/03/04</data>",
      "<data name=\"BIOSString\" type=\"string\">Version 4.34.20.54.00</data>",
      "<data name=\"Technology\" type=\"string\">Raster Display</data>",
      "<data name=\"DeviceDriverVersion\" type=\"integer\">16384</data>",
      "<data name=\"HorizontalResolution\" type=\"integer\" unit=\"px\">1280</data>",
      "<data name=\"VerticalResolution\" type=\"integer\" unit=\"px\">1024</data>",
      "<data name=\"HorizontalSize\" type=\"integer\" unit=\"mm\">338</data>",
      "<data name=\"VerticalSize\" type=\"integer\" unit=\"mm\">270</data>",
      "<data name=\"ColorDepth\" type=\"integer\" unit=\"b\">32</data>",
      "<data name=\"PixelWidth\" type=\"integer\">36</data>",
      "<data name=\"PixelHeight\" type=\"integer\">36</data>",
      "<data name=\"PixelDiagonal\" type=\"integer\">51</data>",
      "<data name=\"FontResolution\" type=\"integer\" unit=\"dpi\">96</data>",
      "<data name=\"VerticalRefreshRate\" type=\"integer\" unit=\"Hz\">75</data>",
      "<section name=\"VideoModes\">",
  };
  EXPECT_EQ(head, expected);
  EXPECT_EQ(lines[21], "<data name=\"Count\" type=\"integer\">7</data>");
  EXPECT_EQ(lines[22], "<data name=\"Mode[0]\" type=\"string\">640 x 480 - 8 bit</data>");
  auto at = std::find(lines.begin(), lines.end(), "<section name=\"ColorManagementCapabilities\">");
  ASSERT_NE(at, lines.end());
  // COLORMGMTCAPS 0x02: only the gamma ramp.
  EXPECT_EQ(std::vector<std::string>(at + 1, at + 5),
            (std::vector<std::string>{
                "<data name=\"CMYK color space ICC color profile\" type=\"boolean\">0</data>",
                "<data name=\"ICM performation\" type=\"boolean\">0</data>",
                "<data name=\"Gamma Ramp support\" type=\"boolean\">1</data>", "</section>"}));
  EXPECT_EQ(lines.back(), "</Display>");
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "</section>"), 8);
}

// --- monitors -------------------------------------------------------------------------------

TEST(MonitorsSection, WindowsXpThreeMonitorsTwoWithoutName) {
  SectionRun run("xp-sp2-p4ht");
  const std::vector<std::string> expected = {
      "",
      "Moniteurs",
      " - Nb de moniteurs detectés : 3",
      "Moniteur #00",  // the default monitor: no EDID value at all
      " - Aucune info trouvée",
      "Moniteur #01",  // an EDID without a name descriptor
      " - Aucune info trouvée",
      "Moniteur #02",
      " - - Nom : QV 1901FP",
      " - - Description : Moniteur Plug-and-Play",
      " - - Fabricant : (Types de moniteurs standard)",
      " - - Modèle : QVA1901",
      " - - Numéro produit : K6A012",
      " - - Numéro série : 67305985",
      " - - Dimensions (L x H) : 38 x 30",
  };
  EXPECT_EQ(run.Run(kMonitorsWriter), expected);
  const auto& colours = run.log.Lines;
  EXPECT_EQ(colours[4].Colour, kColourRed);
  EXPECT_EQ(colours[3].Level, kLevelHeading);
  auto& m = run.Member<TMonitor>(M::Monitor);
  const TMonitorRecord none = m.GetMonitor(0), noName = m.GetMonitor(1);
  EXPECT_EQ(none.Description, "Moniteur par défaut");
  EXPECT_EQ(none.EDIDVersion, "");  // device fields only
  EXPECT_EQ(noName.ProductNumber, "NR15X-77201");
  EXPECT_EQ(noName.Model, "NRD0710");
  EXPECT_EQ(m.GetMonitor(3).Key, "");  // past the end: an empty record
  EXPECT_EQ(m.GetMonitor(2).Key,
            "\\SYSTEM\\CurrentControlSet\\Enum\\DISPLAY\\QVA1901\\4&2E1D0C3B&0&80861100&00&02");
}

TEST(MonitorsSection, NoMonitorIsOneRedLine) {
  SectionRun run("win98se-p3");
  EXPECT_EQ(run.Run(kMonitorsWriter),
            (std::vector<std::string>{"", "Moniteurs", " - Nb de moniteurs detectés : 0", " - Aucun moniteur détecté"}));
  EXPECT_EQ(run.log.Lines.back().Colour, kColourRed);
  EXPECT_EQ(run.Report(M::Monitor), (ReportLines{"<Monitor classname=\"TMonitor\">",
                                                  "<data name=\"Count\" type=\"integer\">0</data>", "</Monitor>"}));
}

TEST(MonitorsSection, AnEdidOfAnotherTypeIsNotDecoded) {
  SectionRun run("xp-sp2-p4ht");
  const std::string key = "\\SYSTEM\\CurrentControlSet\\Enum\\DISPLAY\\QVA1901\\4&2E1D0C3B&0&80861100&00&02\\Device Parameters";
  auto edid = run.machine->Registry.QueryValue(RootKey::LocalMachine, key, "EDID");
  ASSERT_TRUE(edid);
  edid->Type = kRegNone;
  run.machine->Registry.SetValue(RootKey::LocalMachine, key, "EDID", *edid);
  auto& m = run.Member<TMonitor>(M::Monitor);
  m.Refresh();
  EXPECT_EQ(m.GetMonitor(2).Name, "");
  EXPECT_EQ(m.GetMonitor(2).Model, "QVA1901");
}

TEST(MonitorsReport, OneSectionPerMonitor) {
  SectionRun run("xp-sp2-p4ht");
  run.Member<TMonitor>(M::Monitor).Refresh();
  const ReportLines lines = run.Report(M::Monitor);
  ASSERT_EQ(lines.size(), 3u + 3 * 13);
  const std::vector<std::string> last(lines.end() - 14, lines.end());
  EXPECT_EQ(last, (std::vector<std::string>{
                      "<section name=\"Moniteur Plug-and-Play\">",
                      "<data name=\"Name\" type=\"string\">QV 1901FP</data>",
                      "<data name=\"ProductNumber\" type=\"string\">K6A012</data>",
                      "<data name=\"Model\" type=\"string\">QVA1901</data>",
                      "<data name=\"Manufacturer\" type=\"string\">(Types de moniteurs standard)</data>",
                      "<data name=\"EDID\" type=\"string\">1.3</data>",
                      "<data name=\"Width\" type=\"integer\" unit=\"cm\">38</data>",
                      "<data name=\"Height\" type=\"integer\" unit=\"cm\">30</data>",
                      "<data name=\"Gamma\" type=\"float\">2.20</data>",
                      "<data name=\"SerialNumber\" type=\"integer\">67305985</data>",
                      "<data name=\"Year\" type=\"integer\">2005</data>",
                      "<data name=\"Week\" type=\"integer\">12</data>",
                      "</section>",
                      "</Monitor>"}));
  EXPECT_EQ(lines[2], "<section name=\"Moniteur par d&#233;faut\">");
}

TEST(MonitorModel, AfterTheFirstBackslashTrimmed) {
  EXPECT_EQ(MonitorModelOf("MONITOR\\QVA1901\r\n"), "QVA1901");
  EXPECT_EQ(MonitorModelOf("MONITOR\\A\r\nMONITOR\\B\r\n"), "A\r\nMONITOR\\B");
  EXPECT_EQ(MonitorModelOf(" PLAIN "), "PLAIN");
  EXPECT_EQ(MonitorModelOf(""), "");
}

TEST(DisplayFormat, TwoDecimalsWithTheUserSeparator) {
  EXPECT_EQ(FixedTwoDecimals(67108864 / 1024.0 / 1024.0, ","), "64,00");
  EXPECT_EQ(FixedTwoDecimals(320 / 10.0, "."), "32.00");
  EXPECT_EQ(FixedTwoDecimals(24.005, ","), "24,00");
}

}  // namespace
}  // namespace kestrova
