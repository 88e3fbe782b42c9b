// machine.ini sections of the display, multimedia, memory, power and 16-bit gate twins:
// what they set, and malformed lines named by file and line.
#include <gtest/gtest.h>

#include "engine/platform/recorded/load_error.h"
#include "engine/platform/recorded/recorded_machine.h"

namespace kestrova {
namespace {

TEST(RecordedStatusSections, ValuesReachTheTwins) {
  RecordedMachine m;
  ApplyMachineIni(m,
                  "[devicecaps]\nHORZRES=800\nnumcolors=-1\nRASTERCAPS=0xFFFFFFFF\n"
                  "[displaymodes]\n800x600x16@60\n640x480x8@0\n"
                  "[multimedia]\nWaveOut=0x0105,Wave, with a comma\nWaveOut=fail\nMixer=3,M\n"
                  "[memory]\nTotalPhys=0x180000000\nMemoryLoad=12\nExtendedCallWorks=0\n"
                  "[power]\nBatteryFlag=8\n"
                  "[gate16]\nUserExe=1\nGDIResources=70\n",
                  "machine.ini");
  auto caps = m.Display.ScreenCaps({8, 24, 38, 10});
  ASSERT_TRUE(caps);
  EXPECT_EQ((*caps)[8], 800);
  EXPECT_EQ((*caps)[24], -1);
  EXPECT_EQ((*caps)[38], -1);
  EXPECT_EQ((*caps)[10], 0);  // not recorded
  ASSERT_EQ(m.Display.Modes.size(), 2u);
  EXPECT_EQ(m.Display.Modes[0].DisplayFrequency, 60u);
  EXPECT_FALSE(m.Display.EnumDisplayMode(2));
  EXPECT_EQ(m.Multimedia.DeviceCount(MediaKind::WaveOut), 2u);
  EXPECT_EQ(m.Multimedia.DeviceCaps(MediaKind::WaveOut, 0)->ProductName, "Wave, with a comma");
  EXPECT_EQ(m.Multimedia.DeviceCaps(MediaKind::WaveOut, 0)->DriverVersion, 0x0105u);
  EXPECT_FALSE(m.Multimedia.DeviceCaps(MediaKind::WaveOut, 1));
  EXPECT_EQ(m.Multimedia.DeviceCaps(MediaKind::Mixer, 0)->DriverVersion, 3u);
  EXPECT_EQ(m.MemoryPower.GlobalMemoryStatus().TotalPhys, 0xFFFFFFFFu);  // the short record's cut
  EXPECT_FALSE(m.MemoryPower.GlobalMemoryStatusEx());
  EXPECT_EQ(m.MemoryPower.Memory.TotalPhys, 0x180000000u);
  ASSERT_TRUE(m.MemoryPower.SystemPowerStatus());
  EXPECT_EQ(m.MemoryPower.SystemPowerStatus()->BatteryFlag, 8);
  EXPECT_EQ(m.MemoryPower.SystemPowerStatus()->ACLineStatus, 255);  // not recorded: unknown
  EXPECT_GE(m.Gate16.LoadLibrary16("USER.EXE"), 32u);
  EXPECT_LT(m.Gate16.LoadLibrary16("gdi.exe"), 32u);
}

TEST(RecordedStatusSections, AbsentSectionsMeanNoScreenNoDevicesNoPower) {
  RecordedMachine m;
  EXPECT_FALSE(m.Display.ScreenCaps({8}));
  EXPECT_EQ(m.Multimedia.DeviceCount(MediaKind::Aux), 0u);
  EXPECT_FALSE(m.MemoryPower.SystemPowerStatus());
  EXPECT_LT(m.Gate16.LoadLibrary16("user.exe"), 32u);
}

TEST(RecordedStatusSections, MalformedLinesNameTheirLine) {
  const struct { const char* Text; int Line; } cases[] = {
      {"[devicecaps]\nHORZRES=800\nWIDTH=3\n", 3},
      {"[devicecaps]\nHORZRES=0x1FFFFFFFF\n", 2},
      {"[displaymodes]\n800x600x16\n", 2},
      {"[displaymodes]\n800x600x16@60 extra\n", 2},
      {"[multimedia]\nSpeaker=1,x\n", 2},
      {"[multimedia]\nWaveIn=no comma\n", 2},
      {"[multimedia]\nWaveIn=v1,name\n", 2},
      {"[memory]\n\nTotalPhys=-1\n", 3},
      {"[power]\nBatteryFlag=256\n", 2},
      {"[gate16]\nUserExe=2\n", 2},
      {"[gate16]\nKernel=1\n", 2},
  };
  for (const auto& c : cases) {
    RecordedMachine m;
    try {
      ApplyMachineIni(m, c.Text, "m.ini");
      ADD_FAILURE() << "accepted: " << c.Text;
    } catch (const LoadError& e) {
      EXPECT_EQ(e.Line(), c.Line) << c.Text << e.what();
      EXPECT_EQ(e.File(), "m.ini");
    }
  }
}

}  // namespace
}  // namespace kestrova
