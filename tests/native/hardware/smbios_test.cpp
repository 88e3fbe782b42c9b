// SMBIOS: locating, walking and decoding the generated era tables (2.1, 2.3, 2.4, legacy
// DMI), the walk's edge cases and bounds, and the report block.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "engine/core/context.h"
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
  EXPECT_DOUBLE_EQ(p.Voltage, 0.2);    // 82h: (130 - 128) / 10
  EXPECT_EQ(p.Frequency, 266);
  EXPECT_EQ(p.ExternalFrequency, 66);
  EXPECT_EQ(p.UpgradeInterface, 7);    // "Slot 1"
  EXPECT_EQ(p.SerialNumber, "");
  EXPECT_EQ(s.MemoryModuleCount(), 2);
  EXPECT_EQ(s.MemoryModule(0).Size, 64u);
  EXPECT_EQ(s.MemoryModule(1).Size, 0u);  // 7Fh: not installed
  EXPECT_EQ(s.MemCtrlMaxSize(), 128);
  EXPECT_EQ(s.PortCount(), 3);
  EXPECT_EQ(s.Port(0).ExternalDesignator, "PortSlot_0");
  EXPECT_EQ(s.Port(0).Type, 34);  // FFh: "Other"
  EXPECT_EQ(s.SystemSlot(1).Type, 2);  // ISA
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
  EXPECT_EQ(p.UpgradeInterface, 9);  // "370-pin Socket"
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
  EXPECT_EQ(s.SystemSlot(0).Type, 18);  // AGP 8X
  EXPECT_EQ(s.SystemSlot(3).Designation, "Slot_3");
  EXPECT_EQ(s.Port(8).Type, 32);  // A0h less 128
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
  EXPECT_EQ(s.TemperatureProbe(0).Location, 2);  // 63h: bits 4-0 = 3
  EXPECT_EQ(s.TemperatureProbe(0).Status, 2);    // bits 7-5 = 3
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
  EXPECT_DOUBLE_EQ(s.Processor(0).Voltage, 5.0);
  const TCacheInfo c = s.Cache(0);
  EXPECT_EQ(c.Socket, "Cache_0");
  EXPECT_EQ(c.InstalledSize, 1024);  // 8010h
  EXPECT_EQ(c.Type, 1);
  EXPECT_EQ(c.Associativity, 1);
  EXPECT_EQ(c.SRAMType, 2);
  ASSERT_EQ(s.OnBoardDeviceCount(), 2);
  EXPECT_EQ(s.OnBoardDevice(1).Type, 4);
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

TEST(SmbiosNames, TablesAndSetsRenderByIndex) {
  EXPECT_EQ(sizeof kConnectorNames / sizeof kConnectorNames[0], 40u);
  EXPECT_EQ(sizeof kPortTypeNames / sizeof kPortTypeNames[0], 35u);
  EXPECT_STREQ(kChassisNames[static_cast<int>(TChassis::smchMultiSystem)], "Multi-system Chassis");
  EXPECT_EQ(TSMBIOS::MemoryTypesText({}), "");
  EXPECT_EQ(TSMBIOS::MemoryTypesText(TMemoryTypes::FromBits(0x7FF)),
            "Other,Unknown,Standard,Fast Page Mode,EDO,Parity,ECC,SIMM,DIMM,Burst EDO,SDRAM");
  EXPECT_EQ(TSMBIOS::TypeDetailsText(TMemoryTypeDetails::FromBits(0x1001)), "Reserved,NonVolatile");
}

}  // namespace
}  // namespace kestrova
