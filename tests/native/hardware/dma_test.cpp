// The physical-memory reader: the three paths, the segment dump's decisions and its
// cleanup, and the bounded reads on the buffer.
#include <gtest/gtest.h>

#include "engine/core/context.h"
#include "engine/hardware/dma.h"
#include "engine/platform/recorded/recorded_machine.h"

namespace kestrova {
namespace {

struct Machine {
  explicit Machine(uint32_t platformId) {
    m.VersionData.PlatformId = platformId;
    m.VersionData.MajorVersion = platformId == 2 ? 5 : 4;
    m.TempPathData = "C:\\TEMP";
    m.EnvironmentLines = {"ComSpec=C:\\WINDOWS\\system32\\cmd.exe"};
    std::vector<uint8_t> rom(0x10000);
    for (size_t i = 0; i < rom.size(); ++i) rom[i] = static_cast<uint8_t>(i * 7 + 3);
    m.PhysicalMemory.AddRegion(0xE0000, rom);
    m.PhysicalMemory.AddRegion(0xF0000, std::vector<uint8_t>(0x10000, 0xAB));
    context = MakeEngineContext(m.View());
  }
  RecordedMachine m;
  EngineContext context;
};

TEST(DumpSegment, SelectorIsDigitFourThenDigitThreeBelowOneMegabyte) {
  DumpSegment f0 = DumpSegmentOf(0xF0000);
  EXPECT_TRUE(f0.Supported);
  EXPECT_EQ(f0.Selector, 0xF0);
  EXPECT_EQ(f0.Offset, 0);
  DumpSegment e8 = DumpSegmentOf(0xE8000);
  EXPECT_TRUE(e8.Supported);
  EXPECT_EQ(e8.Selector, 0xE0);
  EXPECT_EQ(e8.Offset, 0x8000);
  EXPECT_FALSE(DumpSegmentOf(0x0DFF1000).Supported);
  EXPECT_FALSE(DumpSegmentOf(0x100000).Supported);
  // Digits 3 and 4 are zero here, but the program could only reach segment 0.
  EXPECT_FALSE(DumpSegmentOf(0x01000000).Supported);
}

TEST(DumpSegment, ProgramIs46BytesWithTheSelectorInBothPlaces) {
  const auto p = SegmentDumpProgram(0xF0);
  const std::vector<uint8_t> expected = {
      0x31, 0xD2, 0xB6, 0xF0, 0x8E, 0xDA, 0x31, 0xD2, 0x31, 0xC9, 0x49, 0x31, 0xDB, 0x43, 0xB4, 0x40,
      0xCD, 0x21, 0x72, 0x16, 0x31, 0xD2, 0xB6, 0xF0, 0x8E, 0xDA, 0x31, 0xD2, 0x4A, 0x31, 0xC9, 0x41,
      0x89, 0xCB, 0xB4, 0x40, 0xCD, 0x21, 0x72, 0x02, 0xB0, 0x00, 0xB4, 0x4C, 0xCD, 0x21};
  EXPECT_EQ(p, expected);
  EXPECT_EQ(WithTrailingBackslash("C:\\TEMP"), "C:\\TEMP\\");
  EXPECT_EQ(WithTrailingBackslash("C:\\TEMP\\"), "C:\\TEMP\\");
}

TEST(DmaSection, MapsFromThePageBelowTheAddress) {
  Machine x(2);
  TDMA dma(x.context);
  ASSERT_TRUE(dma.Read(0xE0010, 4));
  EXPECT_EQ(x.m.Firmware.Journal, (std::vector<std::string>{"map e0000 20"}));
  EXPECT_EQ(dma.ReadByte(0xE0010), static_cast<uint8_t>(0x10 * 7 + 3));
  EXPECT_EQ(dma.Position(), 0xE0010u);
  EXPECT_EQ(dma.Size(), 4u);
}

TEST(DmaSegmentDump, FallsBackWhenTheSectionDoesNotOpenAndCleansUp) {
  Machine x(2);
  x.m.Firmware.SectionOpens = false;
  x.m.Firmware.Directories.insert("C:\\TEMP\\~ROMDMP1");  // taken: the next number is used
  TDMA dma(x.context);
  ASSERT_TRUE(dma.Read(0xE8000, 0x10));
  EXPECT_EQ(dma.ReadByte(0xE8000), static_cast<uint8_t>(0x8000 * 7 + 3));
  const std::string dir = "C:\\TEMP\\~RomDmp2";
  const std::vector<std::string> expected = {
      "map e8000 16",
      "mkdir " + dir,
      "write " + dir + "\\RomDump.com",
      "run C:\\WINDOWS\\system32\\cmd.exe /C " + dir + "\\RomDump.com > " + dir + "\\Rom.dmp",
      "read " + dir + "\\Rom.dmp",
      "delete " + dir + "\\RomDump.com",
      "delete " + dir + "\\Rom.dmp",
      "rmdir " + dir};
  EXPECT_EQ(x.m.Firmware.Journal, expected);
  EXPECT_TRUE(x.m.Firmware.Files.empty());
  EXPECT_EQ(x.m.Firmware.Directories.size(), 1u);  // only the one that was there before
}

TEST(DmaSegmentDump, BytesPastTheSegmentEndStayZero) {
  Machine x(2);
  x.m.Firmware.SectionOpens = false;
  TDMA dma(x.context);
  ASSERT_TRUE(dma.Read(0xEFFFE, 4));
  EXPECT_EQ(dma.ReadByte(0xEFFFF), static_cast<uint8_t>(0xFFFF * 7 + 3));
  EXPECT_EQ(dma.ReadByte(0xF0000), 0);  // beyond the dumped 64 KB
}

TEST(DmaSegmentDump, FailuresReadAsFailureWithZerosAndStillCleanUp) {
  struct Case { const char* Label; void (*Break)(RecordedFirmware&); };
  const Case cases[] = {
      {"command does not run", [](RecordedFirmware& f) { f.CommandInterpreterRuns = false; }},
      {"short dump", [](RecordedFirmware& f) { f.DumpLength = 0xFFFF; }},
      {"program not written", [](RecordedFirmware& f) { f.FileWritesFail = true; }},
  };
  for (const Case& c : cases) {
    Machine x(2);
    x.m.Firmware.SectionOpens = false;
    c.Break(x.m.Firmware);
    TDMA dma(x.context);
    EXPECT_FALSE(dma.Read(0xF0000, 8)) << c.Label;
    EXPECT_EQ(dma.ReadDword(0xF0000), 0u) << c.Label;
    EXPECT_EQ(x.m.Firmware.Journal.back(), "rmdir C:\\TEMP\\~RomDmp1") << c.Label;
    EXPECT_TRUE(x.m.Firmware.Files.empty()) << c.Label;
    EXPECT_TRUE(x.m.Firmware.Directories.empty()) << c.Label;
  }
}

TEST(DmaSegmentDump, UnsupportedAddressTouchesNoFile) {
  Machine x(2);
  x.m.Firmware.SectionOpens = false;
  TDMA dma(x.context);
  EXPECT_FALSE(dma.Read(0x0DFF1000, 16));
  EXPECT_EQ(x.m.Firmware.Journal, (std::vector<std::string>{"map dff1000 16"}));
  EXPECT_EQ(dma.Size(), 16u);
  EXPECT_EQ(dma.ReadDword(0x0DFF1000), 0u);
}

TEST(DmaDirect, An9xReadOfAnUnreadableRangeFailsInsteadOfFaulting) {
  Machine x(1);
  x.m.Firmware.UnreadableRanges = {{0xFFFF0, 0x100000}};
  TDMA dma(x.context);
  EXPECT_TRUE(dma.Read(0xF0000, 0x100));
  EXPECT_EQ(dma.ReadByte(0xF0000), 0xAB);
  EXPECT_FALSE(dma.Read(0xFFF00, 0x100));  // its last page faults
  EXPECT_EQ(dma.ReadByte(0xFFF00), 0);
  for (const std::string& step : x.m.Firmware.Journal)  // never the NT paths
    EXPECT_TRUE(step.rfind("query ", 0) == 0 || step.rfind("probe ", 0) == 0) << step;
}

TEST(DmaDirect, IsBadReadPtrDecidesOnlyWhenVirtualQuerySaysNo) {
  const struct { bool Query, Probe, Read; std::vector<std::string> Journal; } kCases[] = {
      {true, false, true, {"query f0000 256"}},
      {false, true, true, {"query f0000 256", "probe f0000 256"}},
      {false, false, false, {"query f0000 256", "probe f0000 256"}},
  };
  for (const auto& c : kCases) {
    Machine x(1);
    x.m.Firmware.QueryCallsReadable = c.Query;
    x.m.Firmware.ProbeCallsReadable = c.Probe;
    TDMA dma(x.context);
    EXPECT_EQ(dma.Read(0xF0000, 0x100), c.Read) << c.Query << c.Probe;
    EXPECT_EQ(dma.ReadByte(0xF0000), c.Read ? 0xAB : 0) << c.Query << c.Probe;
    EXPECT_EQ(x.m.Firmware.Journal, c.Journal) << c.Query << c.Probe;
  }
}

TEST(DmaReads, ValuesOutsideTheRangeAreZero) {
  Machine x(1);
  TDMA dma(x.context);
  ASSERT_TRUE(dma.Read(0xF0000, 16));
  EXPECT_EQ(dma.ReadDword(0xF0000), 0xABABABABu);
  EXPECT_EQ(dma.ReadDword(0xF0000 + 16 - 3), 0u);  // one byte past the end
  EXPECT_EQ(dma.ReadWord(0xF0000 + 15), 0u);
  EXPECT_EQ(dma.ReadByte(0xEFFFF), 0u);
  EXPECT_EQ(dma.ReadBlock(0xF0000 + 12, 100).size(), 4u);
  EXPECT_TRUE(dma.ReadBlock(0xF0010, 100).empty());
}

TEST(DmaReads, StringSetRules) {
  RecordedMachine m;
  const std::string set = std::string("  First \0Second\0\0Later\0", 24);
  m.PhysicalMemory.AddRegion(0x1000, std::vector<uint8_t>(set.begin(), set.end()));
  m.PhysicalMemory.AddRegion(0x2000, std::vector<uint8_t>(300, 'x'));  // never ends
  EngineContext c = MakeEngineContext(m.View());
  TDMA dma(c);
  ASSERT_TRUE(dma.Read(0x1000, 24));
  EXPECT_EQ(dma.ReadString(0x1000, 1), "First");
  EXPECT_EQ(dma.ReadString(0x1000, 2), "Second");
  EXPECT_EQ(dma.ReadString(0x1000, 3), "");  // the set ended before
  EXPECT_EQ(dma.ReadString(0x1000, 0), "");
  ASSERT_TRUE(dma.Read(0x2000, 300));
  EXPECT_EQ(dma.ReadString(0x2000, 1), std::string(255, 'x'));  // cut, and stops at the end
  EXPECT_EQ(dma.ReadString(0x2000, 2), "");
}

TEST(DmaReads, StringTextsTrimmedCutAndConverted) {
  struct Case {
    std::string Set;  // the bytes from the string set's start
    unsigned N;
    std::string Expected;
  };
  const std::string long254 = std::string(254, 'y');
  const Case kCases[] = {
      {std::string("\x01\t A b \x1F\0", 8), 1, "A b"},            // controls and blanks at both ends
      {std::string("\0Later\0", 7), 1, ""},                      // an empty first string ends the set
      {std::string("a\0\x80\xE9t\xE9\0", 7), 2, "\xE2\x82\xAC\xC3\xA9t\xC3\xA9"},  // cp1252 to UTF-8
      {std::string("a\0\x81\0", 4), 2, "\xC2\x81"},               // a hole of cp1252 kept as its code
      {long254 + "z \0", 1, long254 + "z"},                      // 256 bytes: cut at 255, then trimmed
      {long254 + " z\0", 1, long254},                            // the cut leaves a blank at the end
      {std::string("x\0y\0z\0", 6), 3, "z"},
      {std::string("x\0y\0z", 5), 3, "z"},                        // the range ends the last string
      {std::string("x\0y\0", 4), 3, ""},                          // past the range
  };
  for (const Case& c : kCases) {
    RecordedMachine m;
    m.PhysicalMemory.AddRegion(0x3000, std::vector<uint8_t>(c.Set.begin(), c.Set.end()));
    EngineContext ctx = MakeEngineContext(m.View());
    TDMA dma(ctx);
    ASSERT_TRUE(dma.Read(0x3000, static_cast<uint32_t>(c.Set.size())));
    EXPECT_EQ(dma.ReadString(0x3000, c.N), c.Expected) << c.N << " of " << c.Set.size() << " bytes";
  }
}

}  // namespace
}  // namespace kestrova
