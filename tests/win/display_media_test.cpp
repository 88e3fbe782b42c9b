// The display, multimedia, memory, power and 16-bit gate twins over real Win32. The
// screen tests (OnXvfb.*) need a display: ctest runs them on a private Xvfb whose size
// KESTROVA_SCREEN gives (tests/win/gui/CMakeLists.txt).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <set>

#include "engine/core/context.h"
#include "engine/os/display.h"
#include "engine/os/memory.h"
#include "tests/win/wine_env.h"

namespace kestrova::wintest {
namespace {

TEST(Win32MemoryPower, BothRecordsAgreeAndArePlausible) {
  IMemoryPower& mp = *Win32().MemoryPower;
  const MemoryStatusRecord small = mp.GlobalMemoryStatus();
  const auto full = mp.GlobalMemoryStatusEx();
  ASSERT_TRUE(full);  // every Wine kernel32 has it
  EXPECT_GT(full->TotalPhys, 16u << 20);
  EXPECT_LE(full->AvailPhys, full->TotalPhys);
  EXPECT_LE(full->MemoryLoad, 100u);
  EXPECT_GT(full->TotalVirtual, 0u);
  EXPECT_LE(small.TotalPhys, full->TotalPhys);  // the short record is cut, never bigger
  if (sizeof(SIZE_T) == 4) {  // the 32-bit record; a 64-bit process gets SIZE_T fields
    EXPECT_LE(small.TotalPhys, 0xFFFFFFFFu);
  }
  const SystemFacts si = mp.ProcessSystemInfo();
  EXPECT_EQ(si.PageSize, 4096u);
  EXPECT_EQ(si.AllocationGranularity, 65536u);
  EXPECT_LT(si.MinimumApplicationAddress, si.MaximumApplicationAddress);
}

TEST(Win32MemoryPower, PowerStatusOfThisDesktop) {
  const auto power = Win32().MemoryPower->SystemPowerStatus();
  ASSERT_TRUE(power);
  EXPECT_EQ(power->ACLineStatus, 1);    // Wine: on mains power
  EXPECT_EQ(power->BatteryFlag, 128);   // and no battery
}

TEST(Win32Multimedia, NoDeviceHereAndAQueryPastTheCountFails) {
  IMultimedia& media = *Win32().Multimedia;
  for (MediaKind kind : {MediaKind::WaveOut, MediaKind::WaveIn, MediaKind::MidiOut, MediaKind::MidiIn,
                         MediaKind::Aux, MediaKind::Mixer}) {
    const uint32_t count = media.DeviceCount(kind);
    EXPECT_FALSE(media.DeviceCaps(kind, count + 7)) << static_cast<int>(kind);
    for (uint32_t i = 0; i < count; ++i) {
      auto caps = media.DeviceCaps(kind, i);
      if (caps) {
        EXPECT_LE(caps->ProductName.size(), 32u * 3);
      }
    }
  }
}

TEST(Win32Gate16, TheSixtyFourBitBuildHasNoSixteenBitLoader) {
#if defined(__i386__)
  GTEST_SKIP() << "the 32-bit build reaches kernel32's 16-bit loader on the 9x family only";
#else
  IGate16& gate = *Win32().Gate16;
  EXPECT_LT(gate.LoadLibrary16("user.exe"), 32u);
  EXPECT_EQ(gate.GetProcAddress16(0x1234, "GetFreeSystemResources"), 0u);
  EXPECT_EQ(gate.CallWord16(0x12345678, 0), 0);
#endif
}

// "1024x768" from KESTROVA_SCREEN.
bool ScreenSize(int& width, int& height) {
  return std::sscanf(EnvOr("KESTROVA_SCREEN", "").c_str(), "%dx%d", &width, &height) == 2;
}

TEST(OnXvfb, ScreenCapsAndModesOfTheDisplay) {
  int width = 0, height = 0;
  if (!ScreenSize(width, height)) GTEST_SKIP() << "needs KESTROVA_SCREEN=WIDTHxHEIGHT and a display";
  auto caps = Win32().Display->ScreenCaps({HORZRES, VERTRES, BITSPIXEL, LOGPIXELSY, TECHNOLOGY, RASTERCAPS});
  ASSERT_TRUE(caps);
  EXPECT_EQ((*caps)[HORZRES], width);
  EXPECT_EQ((*caps)[VERTRES], height);
  EXPECT_EQ((*caps)[BITSPIXEL], 32);  // a 24-bit X visual is a 32-bit screen here
  EXPECT_EQ((*caps)[TECHNOLOGY], DT_RASDISPLAY);
  EXPECT_GT((*caps)[LOGPIXELSY], 0);
  EXPECT_TRUE((*caps)[RASTERCAPS] & RC_BITBLT);
  ASSERT_TRUE(Win32().Display->EnumDisplayMode(0));

  // The engine over it: the screen's own mode is among the distinct modes.
  EngineContext context = MakeEngineContext(Win32());
  TDisplay display(context);
  display.Refresh();
  EXPECT_EQ(display.HorzRes(), width);
  EXPECT_EQ(display.ColorDepth(), 32);
  EXPECT_EQ(display.Technology(), "Raster Display");
  const std::string own = std::to_string(width) + " x " + std::to_string(height) + " - 32 bit";
  EXPECT_NE(std::find(display.Modes().begin(), display.Modes().end(), own), display.Modes().end())
      << "modes: " << display.Modes().size();
  const auto& modes = display.Modes();
  EXPECT_EQ(std::set<std::string>(modes.begin(), modes.end()).size(), modes.size());  // distinct
}

TEST(OnXvfb, MemoryOfTheEngine) {
  int width = 0, height = 0;
  if (!ScreenSize(width, height)) GTEST_SKIP() << "needs KESTROVA_SCREEN";
  EngineContext context = MakeEngineContext(Win32());
  TMemory memory(context);
  memory.Refresh();  // XP personality: the long record, resources 90 without a gate
  EXPECT_GT(memory.PhysicalTotal(), int64_t{16} << 20);
  EXPECT_LE(memory.PhysicalFree(), memory.PhysicalTotal());
  EXPECT_LE(memory.MemoryLoad(), 100);
  EXPECT_EQ(memory.Resources().System(), TResources::kNTValue);
}

}  // namespace
}  // namespace kestrova::wintest
