// SMBIOS: locating, walking and decoding the generated era tables (2.1, 2.3, 2.4, legacy
// DMI), the walk's edge cases and bounds, and the report block.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

#include "engine/core/context.h"
#include "engine/hardware/dma.h"
#include "engine/hardware/smbios.h"
#include "engine/platform/recorded/recorded_machine.h"

namespace kestrova {
namespace {

std::vector<uint8_t> ReadFixture(const std::string& name) {
  std::ifstream f(std::string(KESTROVA_FIXTURES) + "/smbios/" + name, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

struct Decoded {
  explicit Decoded(const std::string& fixture, uint32_t platformId = 2) {
    machine.VersionData.PlatformId = platformId;
    if (!fixture.empty()) AddSmbiosDump(machine.PhysicalMemory, ReadFixture(fixture), fixture);
  }
  TSMBIOS& Refresh(int mode = 1) {
    context = MakeEngineContext(machine.View());
    smbios = std::make_unique<TSMBIOS>(context);
    smbios->Refresh(mode);
    return *smbios;
  }
  RecordedMachine machine;
  EngineContext context;
  std::unique_ptr<TSMBIOS> smbios;
};

std::vector<uint8_t> Types(const TSMBIOS& s) {
  std::vector<uint8_t> t;
  for (const auto& e : s.Index()) t.push_back(e.Type);
  return t;
}

TEST(SmbiosTables, Version21BoardHasNoLaterFields) {
  Decoded d("pentium2-smbios21.bin");
  const TSMBIOS& s = d.Refresh();
  EXPECT_EQ(s.Version(), "2.1");
  EXPECT_EQ(s.EntryPointAddress(), 0xF0000u);
  EXPECT_EQ(s.StructureTableAddress(), 0x20u);
  EXPECT_EQ(s.BIOSVersion(), "4.51 PG");
  EXPECT_EQ(s.BIOSSize(), 128u);
  EXPECT_EQ(s.SystemUUID(), "");  // the 2.0-style system structure has no UUID
  EXPECT_EQ(s.MainBoardModel(), "440LX-ATX");
  EXPECT_EQ(s.ChassisModel(), TChassis::smchMiniTower);
  EXPECT_EQ(s.ChassisVersion(), "");  // string number 0
  ASSERT_EQ(s.ProcessorCount(), 1);
  const TProcessorInfo p = s.Processor(0);
  EXPECT_EQ(p.Version, "Pentium II");
  EXPECT_EQ(p.Frequency, 266);
  EXPECT_EQ(p.ExternalFrequency, 66);
  EXPECT_EQ(p.SerialNumber, "");
  EXPECT_EQ(s.MemoryModuleCount(), 2);
  EXPECT_EQ(s.MemoryModule(0).Size, 64u);
  EXPECT_EQ(s.MemoryModule(1).Size, 0u);  // 7Fh: not installed
  EXPECT_EQ(s.MemCtrlMaxSize(), 128);
  EXPECT_EQ(s.PortCount(), 3);
  EXPECT_EQ(s.Port(0).ExternalDesignator, "PortSlot_0");
  EXPECT_EQ(s.MemoryDeviceCount(), 0);
  EXPECT_EQ(Types(s).back(), 127);
}

TEST(SmbiosTables, Version23DesktopOfThe98Machine) {
  Decoded d("p3-desktop-smbios23.bin");
  const TSMBIOS& s = d.Refresh();
  EXPECT_EQ(s.Version(), "2.3");
  EXPECT_EQ(s.BIOSVendor(), "Halvorsen Software, Inc.");
  EXPECT_EQ(s.BIOSDate(), "08/24/2000");
  EXPECT_EQ(s.BIOSSize(), 256u);
  EXPECT_EQ(s.SystemUUID(), "101112131415161718191a1b1c1d1e1f");
  EXPECT_EQ(s.MainBoardManufacturer(), "Quorvane Computer");
  EXPECT_EQ(s.ChassisModel(), TChassis::smchDesktop);
  EXPECT_EQ(s.ChassisAssetTag(), "Asset-0042");
  const TProcessorInfo p = s.Processor(0);
  EXPECT_EQ(p.Socket, "Socket 370");
  EXPECT_DOUBLE_EQ(p.Voltage, 1.5);
  EXPECT_EQ(s.MemCtrlSupportedInterleave(), TInterleaveSupport::smisOnewWay);
  EXPECT_EQ(s.MemCtrlMaxSize(), 512);
  EXPECT_EQ(TSMBIOS::MemoryTypesText(s.MemCtrlSupportedTypes()), "DIMM,SDRAM");
  EXPECT_EQ(s.MemCtrlSupportedVoltages(), TVoltages{TVoltage::smv33V});
  EXPECT_EQ(s.MemCtrlSlotCount(), 3);
  EXPECT_EQ(s.MemoryModule(0).Size, 128u);
  EXPECT_EQ(s.CacheCount(), 3);
  EXPECT_EQ(s.Cache(2).InstalledSize, 256);  // 8004h
  EXPECT_EQ(s.Cache(2).Associativity, 6);    // 8-way
  EXPECT_EQ(s.Port(7).ExternalDesignator, "PortSlot_7");
  EXPECT_EQ(s.SystemSlot(0).Type, 14);  // AGP
  ASSERT_EQ(s.OnBoardDeviceCount(), 2);
  EXPECT_EQ(s.OnBoardDevice(0).Type, 2);  // 83h: Video, enabled
  EXPECT_TRUE(s.OnBoardDevice(0).Status);
  ASSERT_EQ(s.MemoryDeviceCount(), 3);
  EXPECT_EQ(s.MemoryDevice(0).Speed, 133);
  EXPECT_EQ(s.MemoryDevice(0).Size, 128);
  EXPECT_EQ(s.MemoryDevice(0).Device, 14);  // SDRAM
  EXPECT_EQ(TSMBIOS::TypeDetailsText(s.MemoryDevice(0).TypeDetails), "Synchronous");
}

TEST(SmbiosTables, Version24DesktopOfTheXpMachineWithEvery23Field) {
  Decoded d("p4ht-desktop-smbios24.bin");
  const TSMBIOS& s = d.Refresh();
  EXPECT_EQ(s.Version(), "2.4");
  EXPECT_EQ(s.MainBoardLocationInChassis(), "Base Board");
  EXPECT_EQ(s.MainBoardAssetTag(), "Board Asset");
  const TProcessorInfo p = s.Processor(0);
  EXPECT_EQ(p.Version, "Intel(R) Pentium(R) 4 CPU 3.00GHz");
  EXPECT_EQ(p.SerialNumber, "To Be Filled By O.E.M.");
  EXPECT_EQ(p.AssetTag, "CPU Asset");
  EXPECT_EQ(p.PartNumber, "HT-630");
  EXPECT_EQ(p.Frequency, 3000);
  EXPECT_EQ(p.ExternalFrequency, 200);
  EXPECT_EQ(s.Cache(1).MaxSize, 2048);
  EXPECT_EQ(s.SystemSlot(3).Designation, "Slot_3");
  const TMemoryDevice m = s.MemoryDevice(1);
  EXPECT_EQ(m.DeviceLocator, "DIMM_B1");
  EXPECT_EQ(m.BankLocator, "CHANNEL B");
  EXPECT_EQ(m.Manufacturer, "Kelmarsh");
  EXPECT_EQ(m.SerialNumber, "1A2B3C4E");
  EXPECT_EQ(m.PartNumber, "KM512DDR400");
  EXPECT_EQ(m.Speed, 400);
  EXPECT_EQ(m.Device, 17);  // DDR
  ASSERT_EQ(s.TemperatureProbeCount(), 2);
  EXPECT_EQ(s.TemperatureProbe(0).Description, "CPU Thermal Probe");
  EXPECT_EQ(s.TemperatureProbe(0).NominalValue, 450);
  EXPECT_EQ(s.Processor(5).Version, "");  // outside the list: empty record
}

TEST(SmbiosLocate, LegacyDmiAnchorGivesTheEntryPointSixteenBytesBefore) {
  RecordedMachine m;
  m.VersionData.PlatformId = 2;
  std::vector<uint8_t> rom(0x10000, 0);
  const auto dump = ReadFixture("legacy-dmi20.bin");
  std::copy(dump.begin(), dump.begin() + 15, rom.begin() + 0x10);  // "_DMI_" at F0010h
  m.PhysicalMemory.AddRegion(0xF0000, rom);
  m.PhysicalMemory.AddRegion(0x20, std::vector<uint8_t>(dump.begin() + 0x20, dump.end()));
  EngineContext c = MakeEngineContext(m.View());
  TSMBIOS s(c);
  s.Refresh(1);
  EXPECT_EQ(s.EntryPointAddress(), 0xF0000u);
  EXPECT_EQ(s.Version(), "0.0");  // the legacy entry point has no version bytes there
  EXPECT_EQ(s.BIOSVersion(), "4.50 G");
  EXPECT_EQ(s.SystemManufacturer(), "Brennholt");
  EXPECT_EQ(s.Processor(0).Version, "Pentium MMX");
  EXPECT_EQ(s.Processor(0).SerialNumber, "");
}

TEST(SmbiosLocate, NoAnchorOrNoTableAddressDecodesNothing) {
  Decoded none("");
  none.machine.PhysicalMemory.AddRegion(0xF0000, std::vector<uint8_t>(0x10000, '_'));
  const TSMBIOS& s = none.Refresh();
  EXPECT_EQ(s.EntryPointAddress(), 0u);
  EXPECT_TRUE(s.Index().empty());
  EXPECT_EQ(s.ChassisModel(), TChassis::smchUnknown);

  Decoded zero("p3-desktop-smbios23.bin");
  std::vector<uint8_t> ep = ReadFixture("p3-desktop-smbios23.bin");
  ep.resize(0x1F);
  std::fill(ep.begin() + 0x18, ep.begin() + 0x1C, 0);
  zero.machine.PhysicalMemory.AddRegion(0xF0000, ep);
  const TSMBIOS& z = zero.Refresh();
  EXPECT_EQ(z.Version(), "2.3");
  EXPECT_TRUE(z.Index().empty());
  EXPECT_EQ(z.BIOSVendor(), "");
}

TEST(SmbiosWalk, PaddingMissingStringSetCountLimitAndEndOfTable) {
  Decoded d("walk-edges.bin");
  const TSMBIOS& s = d.Refresh();
  // The entry point counts one structure fewer than the table holds: End-of-Table is not
  // recorded, but it still ends the walk.
  EXPECT_EQ(Types(s), (std::vector<uint8_t>{0, 5, 6, 32, 4, 7, 10, 126}));
  EXPECT_EQ(s.Index()[2].Name, "Memory Module Information");
  EXPECT_EQ(s.Index()[7].Name, "Inactive");
  EXPECT_EQ(s.BIOSVendor(), "Edge BIOS");
  EXPECT_EQ(s.MemoryModule(0).Bank, "SIMM0");  // found right after the string-less type 5
  EXPECT_EQ(s.MemoryModule(0).Size, 32u);
  EXPECT_EQ(s.MemoryModule(0).Speed, 70);
  EXPECT_EQ(s.Processor(0).Version, "Processor_0");
  const TCacheInfo c = s.Cache(0);
  EXPECT_EQ(c.Socket, "Cache_0");
  EXPECT_EQ(c.InstalledSize, 1024);  // 8010h
  EXPECT_EQ(c.SRAMType, 2);
  ASSERT_EQ(s.OnBoardDeviceCount(), 2);
  EXPECT_FALSE(s.OnBoardDevice(1).Status);
}

// A table of hand-made bytes at 1000h, with an entry point at F0000h naming it.
struct Handmade : Decoded {
  Handmade(const std::vector<uint8_t>& table, uint16_t claimedLength, uint16_t count) : Decoded("") {
    std::vector<uint8_t> ep(0x1F, 0);
    const char anchor[] = "_SM_";
    std::copy(anchor, anchor + 4, ep.begin());
    ep[6] = 2, ep[7] = 4;
    ep[0x16] = claimedLength & 0xFF, ep[0x17] = claimedLength >> 8;
    ep[0x18] = 0x00, ep[0x19] = 0x10;  // table at 1000h
    ep[0x1C] = count & 0xFF, ep[0x1D] = count >> 8;
    machine.PhysicalMemory.AddRegion(0xF0000, ep);
    machine.PhysicalMemory.AddRegion(0x1000, table);
  }
};

TEST(SmbiosBounds, MalformedTablesEndTheWalkCleanly) {
  // A length below 4 would overlap the header: the walk stops after it.
  Handmade shortLength({0x01, 0x02, 0x01, 0x00, 0x00, 0x00, 0x00, 0x01, 0x04}, 9, 10);
  EXPECT_EQ(Types(shortLength.Refresh()), std::vector<uint8_t>{1});
  // A string set that never ends: the scan stops at the end of the loaded range.
  std::vector<uint8_t> endless = {0x02, 0x05, 0x02, 0x00, 0x01};
  endless.resize(300, 'A');
  Handmade noEnd(endless, 300, 10);
  const TSMBIOS& n = noEnd.Refresh();
  EXPECT_EQ(Types(n), std::vector<uint8_t>{2});
  EXPECT_EQ(n.MainBoardManufacturer(), std::string(255, 'A'));
  // A table that claims 65535 bytes but holds 8: past the recorded bytes memory reads as
  // zeros, a zero length ends the walk.
  Handmade claims({0x20, 0x04, 0x00, 0x00, 0x00, 0x00, 0x7F, 0x04}, 0xFFFF, 0xFFFF);
  EXPECT_EQ(Types(claims.Refresh()), (std::vector<uint8_t>{32, 127}));
  // Structures running to the very end of the claimed length stop at that length.
  Handmade exact({0x20, 0x04, 0x01, 0x00, 0x00, 0x00, 0x20, 0x04, 0x02, 0x00, 0x00, 0x00}, 6, 10);
  EXPECT_EQ(Types(exact.Refresh()), std::vector<uint8_t>{32});
}

// The walk as first written, one range-checked byte at a time: the engine's walk skips
// ahead on the buffer and must find exactly the same structures.
std::vector<uint32_t> ReferenceWalk(const TDMA& r, uint32_t start, uint32_t limit) {
  std::vector<uint32_t> at;
  if (!r.InRange(start)) return at;
  uint64_t entry = start;
  at.push_back(start);
  bool z = r.ReadByte(entry) == 0;
  uint64_t d = 0;
  for (;;) {
    const uint8_t type = r.ReadByte(entry), length = r.ReadByte(entry + 1);
    if (length < 4) break;
    d += length;
    const uint64_t strings = uint64_t{start} + d;
    const uint8_t c = r.ReadByte(strings);
    if (!(type == 5 && c > 5 && c != 0x20)) {
      uint64_t p = strings + 1;
      while (r.InRange(p)) {
        if (r.ReadByte(p - 1) == 0 && r.ReadByte(p) == 0 && (!z || r.ReadByte(p + 1) != 0)) break;
        ++p;
      }
      d = p + 1 - start;
    }
    if (d >= limit || !r.InRange(uint64_t{start} + d)) break;
    entry = uint64_t{start} + d;
    at.push_back(static_cast<uint32_t>(entry));
    z = z || r.ReadByte(entry) == 0;
    if (r.ReadByte(entry) == 127) break;
  }
  return at;
}

TEST(SmbiosWalk, SameStructuresAsTheByteByByteWalkOnManyTables) {
  // Tables built from a few structure shapes (BIOS structures that switch the three-zero
  // rule on, string-less memory controllers, empty and long string sets, zeros in runs,
  // tables cut anywhere) and plain noise.
  uint32_t seed = 12345;
  auto next = [&seed]() { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
  int tables = 0, structures = 0;
  for (int n = 0; n < 600; ++n) {
    std::vector<uint8_t> t;
    const int shape = n % 3;
    while (t.size() < 40 + (next() % 400)) {
      const uint8_t pick = static_cast<uint8_t>(next() % 6);
      const uint8_t type = pick == 0 ? 0 : pick == 1 ? 5 : pick == 2 ? 127 : static_cast<uint8_t>(next() % 40);
      const uint8_t length = static_cast<uint8_t>(shape == 2 ? next() % 12 : 4 + next() % 20);
      t.push_back(type);
      t.push_back(length);
      for (int i = 2; i < length; ++i) t.push_back(static_cast<uint8_t>(shape == 2 ? next() % 3 : next() % 256));
      for (unsigned k = next() % 4; k > 0; --k) {  // strings, some empty
        for (unsigned c = next() % 8; c > 0; --c) t.push_back(static_cast<uint8_t>('A' + next() % 26));
        t.push_back(0);
      }
      for (unsigned k = next() % 3; k > 0; --k) t.push_back(0);
      if (next() % 8 == 0) t.insert(t.end(), next() % 40, 0);  // a long run of zeros
    }
    t.resize(t.size() - next() % 8);  // cut anywhere
    RecordedMachine m;
    m.PhysicalMemory.AddRegion(0x2000, t);
    EngineContext c = MakeEngineContext(m.View());
    TDMA r(c);
    ASSERT_TRUE(r.Read(0x2000, static_cast<uint32_t>(t.size())));
    for (uint32_t limit : {static_cast<uint32_t>(t.size()), static_cast<uint32_t>(t.size() / 2), 0xFFFFu}) {
      std::vector<uint32_t> got;
      for (const auto& e : WalkStructureTable(r, 0x2000, limit, UINT32_MAX)) got.push_back(e.Address);
      ASSERT_EQ(got, ReferenceWalk(r, 0x2000, limit)) << "table " << n << ", limit " << limit;
      ++tables;
      structures += static_cast<int>(got.size());
    }
  }
  EXPECT_GT(structures, tables * 2);  // the tables did hold several structures each
}

TEST(SmbiosRefresh, OtherModesDecodeWhatReaderBHolds) {
  Decoded d("p4ht-desktop-smbios24.bin");
  TSMBIOS& s = d.Refresh(1);
  const size_t structures = s.Index().size();
  s.Refresh(0);
  EXPECT_EQ(s.EntryPointAddress(), 0u);     // no search this time
  EXPECT_EQ(s.Index().size(), structures);  // same table, count unlimited
  EXPECT_EQ(s.MainBoardModel(), "D865GQV");
  EXPECT_EQ(s.Processor(0).SerialNumber, "");  // no entry-point version: no 2.3 fields
}

TEST(SmbiosReport, BlockLinesAndUnknownValues) {
  Decoded d("walk-edges.bin");
  TSMBIOS& s = d.Refresh();
  ReportLines lines;
  s.WriteReport(lines, false);
  auto has = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); };
  EXPECT_EQ(lines.front(), "<SMBIOS classname=\"TSMBIOS\">");
  EXPECT_EQ(lines.back(), "</SMBIOS>");
  EXPECT_TRUE(has("<data name=\"Version\" type=\"string\">2.3</data>"));
  EXPECT_TRUE(has("<data name=\"StartAddress\" type=\"integer\">983040</data>"));
  EXPECT_TRUE(has("<data name=\"TableCount\" type=\"integer\">7</data>"));
  EXPECT_TRUE(has("<data name=\"Table_126\" type=\"string\">Inactive</data>"));
  EXPECT_TRUE(has("<data name=\"Model\" type=\"string\">Unknown</data>"));  // no chassis structure
  EXPECT_TRUE(has("<section name=\"Processor_0\">"));
  EXPECT_TRUE(has("<data name=\"Voltage\" type=\"float\" unit=\"V\">5.0</data>"));
  EXPECT_TRUE(has("<data name=\"InstalledSize\" type=\"integer\" unit=\"KB\">1024</data>"));
  EXPECT_TRUE(has("<data name=\"Type\" type=\"string\">Video</data>"));
  EXPECT_TRUE(has("<data name=\"Status\" type=\"Boolean\">1</data>"));
  EXPECT_TRUE(has("<section name=\"Module_0\">"));
  EXPECT_TRUE(has("<data name=\"Type\" type=\"string\">Standard</data>"));
  // Values past their name table: the memory controller's "byte - 1" of a zero byte.
  Decoded p2("pentium2-smbios21.bin");
  ReportLines l2;
  p2.Refresh().WriteReport(l2, false);
  EXPECT_NE(std::find(l2.begin(), l2.end(), "<data name=\"InternalConnector\" type=\"string\">On Board IDE</data>"), l2.end());
  EXPECT_NE(std::find(l2.begin(), l2.end(), "<data name=\"Type\" type=\"string\">Other</data>"), l2.end());
  EXPECT_EQ(StructureTypeName(24), std::string(" Hardware Security"));
  EXPECT_EQ(StructureTypeName(200), std::string("Unknown"));
}

// One structure, then End-of-Table: `set` gives {offset, byte} of the formatted area.
std::vector<uint8_t> OneStructure(uint8_t type, uint8_t length, std::vector<std::pair<int, int>> set,
                                  const std::string& strings = "") {
  std::vector<uint8_t> t(length, 0);
  t[0] = type, t[1] = length;
  for (const auto& b : set) t[b.first] = static_cast<uint8_t>(b.second);
  t.insert(t.end(), strings.begin(), strings.end());
  t.insert(t.end(), {0, 0, 0x7F, 4, 0, 0, 0, 0});
  return t;
}

TEST(SmbiosDecode, FieldRulesBitByBitAndAtTheirBounds) {
  using Get = int64_t (*)(const TSMBIOS&);
  const Get volts = [](const TSMBIOS& s) -> int64_t { return std::llround(s.Processor(0).Voltage * 10); };
  const Get ctrlVolts = [](const TSMBIOS& s) -> int64_t { return s.MemCtrlSupportedVoltages().Bits(); };
  const Get slot = [](const TSMBIOS& s) -> int64_t { return s.SystemSlot(0).Type; };
  const Get port = [](const TSMBIOS& s) -> int64_t { return s.Port(0).Type; };
  const Get cacheAssoc = [](const TSMBIOS& s) -> int64_t { return s.Cache(0).Associativity; };
  const Get cacheType = [](const TSMBIOS& s) -> int64_t { return s.Cache(0).Type; };
  const Get onBoard = [](const TSMBIOS& s) -> int64_t { return s.OnBoardDevice(0).Type * 2 + s.OnBoardDevice(0).Status; };
  const Get moduleSize = [](const TSMBIOS& s) -> int64_t { return s.MemoryModule(0).Size; };
  const struct { uint8_t Type, Length; std::vector<std::pair<int, int>> Set; Get Value; int64_t Expected; } kCases[] = {
      {4, 0x1A, {{0x11, 0x01}}, volts, 50}, {4, 0x1A, {{0x11, 0x02}}, volts, 33},
      {4, 0x1A, {{0x11, 0x04}}, volts, 29}, {4, 0x1A, {{0x11, 0x03}}, volts, 50},
      {4, 0x1A, {{0x11, 0x06}}, volts, 33}, {4, 0x1A, {{0x11, 0x08}}, volts, 0},
      {4, 0x1A, {{0x11, 0x8C}}, volts, 12},
      {4, 0x1A, {{0x19, 0x11}}, [](const TSMBIOS& s) -> int64_t { return s.Processor(0).UpgradeInterface; }, 16},
      {5, 0x0F, {{0x0D, 1}}, ctrlVolts, 1}, {5, 0x0F, {{0x0D, 2}}, ctrlVolts, 2},
      {5, 0x0F, {{0x0D, 4}}, ctrlVolts, 4}, {5, 0x0F, {{0x0D, 8}}, ctrlVolts, 0},
      {5, 0x0F, {{0x09, 0x10}}, [](const TSMBIOS& s) -> int64_t { return s.MemCtrlSupportedSpeeds().Bits(); }, 0x10},
      {5, 0x0F, {{0x0C, 0x04}}, [](const TSMBIOS& s) -> int64_t { return s.MemCtrlSupportedTypes().Bits(); }, 0x400},
      {5, 0x0F, {{0x08, 15}}, [](const TSMBIOS& s) -> int64_t { return s.MemCtrlMaxSize(); }, 32768},
      {5, 0x0F, {{0x08, 16}}, [](const TSMBIOS& s) -> int64_t { return s.MemCtrlMaxSize(); }, 0},
      {6, 0x0C, {{0x09, 0x8A}}, moduleSize, 1024}, {6, 0x0C, {{0x09, 31}}, moduleSize, 0x80000000LL},
      {6, 0x0C, {{0x09, 32}}, moduleSize, 0},
      {7, 0x13, {{0x12, 8}}, cacheAssoc, 7}, {7, 0x13, {{0x12, 9}}, cacheAssoc, 1},
      {7, 0x13, {{0x12, 0}}, cacheAssoc, 1},
      {7, 0x13, {{0x11, 5}}, cacheType, 4}, {7, 0x13, {{0x11, 6}}, cacheType, 1},
      {7, 0x13, {{0x0D, 0x40}}, [](const TSMBIOS& s) -> int64_t { return s.Cache(0).SRAMType; }, 6},
      {7, 0x13, {{0x07, 0x03}, {0x08, 0x80}}, [](const TSMBIOS& s) -> int64_t { return s.Cache(0).MaxSize; }, 192},
      {8, 0x09, {{0x08, 0xFF}}, port, 34}, {8, 0x09, {{0x08, 31}}, port, 31}, {8, 0x09, {{0x08, 0xA1}}, port, 33},
      {8, 0x09, {{0x05, 0xFF}}, [](const TSMBIOS& s) -> int64_t { return s.Port(0).InternalConnector; }, 39},
      {8, 0x09, {{0x07, 0xFF}}, [](const TSMBIOS& s) -> int64_t { return s.Port(0).ExternalConnector; }, 39},
      {9, 0x0D, {{0x05, 19}}, slot, 18}, {9, 0x0D, {{0x05, 20}}, slot, 0}, {9, 0x0D, {{0x05, 0x9F}}, slot, 0},
      {9, 0x0D, {{0x05, 0xA0}}, slot, 19}, {9, 0x0D, {{0x05, 0xA4}}, slot, 23}, {9, 0x0D, {{0x05, 0xA5}}, slot, 0},
      {10, 0x06, {{0x04, 0x87}}, onBoard, 13}, {10, 0x06, {{0x04, 0x08}}, onBoard, 0},
      {3, 0x09, {{0x05, 0x99}}, [](const TSMBIOS& s) -> int64_t { return static_cast<int>(s.ChassisModel()); }, 24},
      {17, 0x1B, {{0x14, 0x30}}, [](const TSMBIOS& s) -> int64_t { return s.MemoryDevice(0).TypeDetails.Bits(); }, 0x1000},
      {28, 0x16, {{0x05, 0xFF}}, [](const TSMBIOS& s) -> int64_t { return s.TemperatureProbe(0).Location * 1000 + s.TemperatureProbe(0).Status; }, 30006},
  };
  for (const auto& c : kCases) {
    const auto table = OneStructure(c.Type, c.Length, c.Set);
    Handmade h(table, static_cast<uint16_t>(table.size()), 10);
    EXPECT_EQ(c.Value(h.Refresh()), c.Expected) << "type " << int{c.Type} << " byte " << c.Set[0].first;
  }
}

// Every row of every name table against the written one ("|" between names).
TEST(SmbiosNames, EveryRowOfEveryTableAndSetsInBitOrder) {
  auto rows = [](const char* const* names, size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) s += (i ? "|" : "") + std::string(names[i]);
    return s;
  };
#define ROWS(table) rows(table, sizeof table / sizeof table[0])
  const std::pair<std::string, const char*> kTables[] = {
      {ROWS(kChassisNames),
       "Other|Unknown|Desktop|Low Profile Desktop|Pizza Box|Mini Tower|Tower|Portable|"
       "LapTop|Notebook|Hand Held|Docking Station|All in One|SubNotebook|Space-Saving|"
       "Lunch Box|Main Server Chassis|Expansion Chassis|SubChassis|Bus Expansion Chassis|"
       "Peripheral Chassis|RAID Chassis|Rack-Mount Chassis|Sealed-case PC|"
       "Multi-system Chassis"},
      {ROWS(kInterleaveNames), "Other|Unknown|1-Way|2-Way|4-Way|8-Way|16-Way"},
      {ROWS(kVoltageNames), "5V|3.3V|2.9V"},
      {ROWS(kMemorySpeedNames), "Other|Unknown|70ns|60ns|50ns"},
      {ROWS(kUpgradeInterfaceNames),
       "Other|Unknown|Daughter Board|ZIF Socket|Replaceable Piggy Back|None|LIF Socket|"
       "Slot 1|Slot 2|370-pin Socket|Slot A|Slot M|Socket 423|Socket A (Socket 462)|"
       "Socket 478|Socket 754|Socket 940"},
      {ROWS(kFormFactorNames),
       "Other|Unknown|SIMM|SIP|Chip|DIP|ZIP|PropCard|DIMM|TSOP|RowChip|RIMM|SODIMM|SRIMM"},
      {ROWS(kMemoryDeviceNames),
       "Other|Unknown|DRAM|EDRAM|VRAM|SRAM|RAM|ROM|FLASH|EEPROM|FEPROM|EPROM|CDRAM|3DRAM|"
       "SDRAM|SGRAM|RDRAM|DDR"},
      {ROWS(kMemoryTypeNames),
       "Other|Unknown|Standard|Fast Page Mode|EDO|Parity|ECC|SIMM|DIMM|Burst EDO|SDRAM"},
      {ROWS(kTypeDetailNames),
       "Reserved|Other|Unknown|FastPaged|StaticColumn|PseudoStatic|RAMBUS|Synchronous|CMOS|"
       "EDO|WindowDRAM|CacheDRAM|NonVolatile"},
      {ROWS(kConnectorNames),
       "None|Centronics|Mini Centronics|Proprietary|DB-25 pin male|DB-25 pin female|"
       "DB-15 pin male|DB-15 pin female|DB-9 pin male|DB-9 pin female|RJ-11|RJ-45|"
       "50 Pin MiniSCSI|Mini-DIN|Micro-DIN|PS/2|Infrared|HP-HIL|Access Bus (USB)|SSA SCSI|"
       "Circular DIN-8 male|Circular DIN-8 female|On Board IDE|On Board Floppy|"
       "9 Pin Dual Inline (pin 10 cut)|25 Pin Dual Inline (pin 26 cut)|50 Pin Dual Inline|"
       "68 Pin Dual Inline|On Board Sound Input from CD-ROM|Mini-Centronics Type-14|"
       "Mini-Centronics Type-26|Mini-jack (headphones)|BNC|1394|PC-98|PC-98Hireso|PC-H98|"
       "PC-98Note|PC-98Full|Other"},
      {ROWS(kPortTypeNames),
       "None|Parallel Port XT/AT Compatible|Parallel Port PS/2|Parallel Port ECP|"
       "Parallel Port EPP|Parallel Port ECP/EPP|Serial Port XT/AT Compatible|"
       "Serial Port 16450 Compatible|Serial Port 16550 Compatible|"
       "Serial Port 16550A Compatible|SCSI Port|MIDI Port|Joy Stick Port|Keyboard Port|"
       "Mouse Port|SSA SCSI|USB|FireWire (IEEE P1394)|PCMCIA Type I|PCMCIA Type II|"
       "PCMCIA Type III|Cardbus|Access Bus Port|SCSI II|SCSI Wide|PC-98|PC-98-Hireso|PC-H98|"
       "Video Port|Audio Port|Modem Port|Network Port|8251 Compatible|8251 FIFO Compatible|"
       "Other"},
      {ROWS(kSlotTypeNames),
       "Other|Unknown|ISA|MCA|EISA|PCI|PC Card (PCMCIA)|VL-VESA|Proprietary|"
       "Processor Card Slot|Proprietary Memory Card|I/O Riser Card Slot|NuBus|"
       "PCI - 66MHz Capable|AGP|AGP 2X|AGP 4X|PCI-X|AGP 8X|PC-98/C20|PC-98/C24|PC-98/E|"
       "PC-98/Local Bus|PC-98/Card"},
      {ROWS(kDataBusNames), "Other|Unknown|8 bit|16 bit|32 bit|64 bit|128 bit"},
      {ROWS(kSlotUsageNames), "Other|Unknown|Available|InUse"},
      {ROWS(kSlotLengthNames), "Other|Unknown|Short|Long"},
      {ROWS(kSRAMTypeNames),
       "Other|Unknown|Non-Burst|Burst|Pipeline Burst|Synchronous|Asynchronous"},
      {ROWS(kCacheTypeNames), "Other|Unknown|Instruction|Data|Unified"},
      {ROWS(kAssociativityNames),
       "Other|Unknown|Direct Mapped|2-way Set-Associative|4-way Set-Associative|"
       "Fully Associative|8-way Set-Associative|16-way Set-Associative"},
      {ROWS(kOnBoardDeviceNames), "Other|Unknown|Video|SCSICrl|Ethernet|TokenRing|Sound"},
  };
#undef ROWS
  for (const auto& t : kTables) EXPECT_EQ(t.first, t.second);
  std::string types;
  for (int t = 0; t < 40; ++t) types += (t ? "|" : "") + std::string(StructureTypeName(static_cast<uint8_t>(t)));
  EXPECT_EQ(types,
            "BIOS Information|System Information|Base Board Information|System Enclosure or Chassis|"
            "Processor Information|Memory Controller Information|Memory Module Information|"
            "Cache Information|Port Connector Information|System Slots|On Board Devices Information|"
            "OEM Strings|System Configuration Options|BIOS Language Information|Group Associations|"
            "System Event Log|Physical Memory Array|Memory Device|32-bit Memory Error Information|"
            "Memory Array Mapped Address|Memory Device Mapped Address|Built-in Pointing Device|"
            "Portable Battery|System Reset| Hardware Security|System Power Controls|Voltage Probe|"
            " Cooling Device|Temperature Probe|Electrical Current Probe|Out-of-Band Remote Access|"
            "Boot Integrity Services (BIS) Entry Point|System Boot Information|"
            "64-bit Memory Error Information|Management Device|Management Device Component|"
            "Management Device Threshold Data|Memory Channel|IPMI Device Information|System Power Supply");
  EXPECT_STREQ(StructureTypeName(126), "Inactive");
  EXPECT_STREQ(StructureTypeName(127), "End-of-Table");
  for (uint8_t unknown : {40, 125, 128, 255}) EXPECT_STREQ(StructureTypeName(unknown), "Unknown");
  EXPECT_EQ(TSMBIOS::MemoryTypesText({}), "");
  for (unsigned bit = 0; bit < 13; ++bit) {
    const std::string detail = TSMBIOS::TypeDetailsText(TMemoryTypeDetails::FromBits(static_cast<uint16_t>(1u << bit)));
    EXPECT_EQ(detail, kTypeDetailNames[bit]);
    if (bit < 11) {
      EXPECT_EQ(TSMBIOS::MemoryTypesText(TMemoryTypes::FromBits(static_cast<uint16_t>(1u << bit))), kMemoryTypeNames[bit]);
    }
  }
  EXPECT_EQ(TSMBIOS::TypeDetailsText(TMemoryTypeDetails::FromBits(0x1001)), "Reserved,NonVolatile");
}

}  // namespace
}  // namespace kestrova
