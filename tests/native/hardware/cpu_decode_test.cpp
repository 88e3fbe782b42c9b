// The decoding rules on hand-made registers: leaf availability, family and model, the
// hyper-threading split, brand strings, the name tables' conditions, caches and features.
#include <gtest/gtest.h>

#include "engine/core/text.h"
#include "tests/native/hardware/cpu_test_support.h"

namespace kestrova {
namespace {

using testing::CpuidLines;
using testing::CpuMachine;
using testing::Leaf0;

constexpr const char* kIntel = "GenuineIntel";
constexpr const char* kAmd = "AuthenticAMD";

TEST(CpuDecode, FamilyModelAndTheExtendedFields) {
  // 06A0h, brand 0: the Tualatin-based Xeon.
  CpuMachine xeon(CpuidLines({Leaf0(2, kIntel), {1, 0x6A0, 0, 0, 0}}));
  xeon.Cpu().Refresh(0);
  EXPECT_EQ(xeon.Cpu().CPUName(), "Pentium III Xeon A");
  EXPECT_EQ(xeon.Cpu().Revision(), "A0");
  EXPECT_EQ(xeon.Cpu().Technology(), "0.18 µm");

  // Family bits 15 with extended family 1: family 16, which no row names.
  CpuMachine f16(CpuidLines({Leaf0(1, kIntel), {1, 0x00100F21, 0, 0, 0}}));
  f16.Cpu().Refresh(0);
  EXPECT_EQ(f16.Cpu().Family(), 16);
  EXPECT_EQ(f16.Cpu().GenericName(), "x86 Family 16 Model 2 Stepping 1");
  EXPECT_EQ(f16.Cpu().CPUName() + f16.Cpu().CodeName() + f16.Cpu().Revision() + f16.Cpu().Technology(), "");

  // The extended model is the model's high nibble: 1067Ah is model 23, not a Katmai.
  CpuMachine penryn(CpuidLines({Leaf0(1, kIntel), {1, 0x1067A, 0, 0, 0}}));
  penryn.Cpu().Refresh(0);
  EXPECT_EQ(penryn.Cpu().Model(), 23);
  EXPECT_EQ(penryn.Cpu().CPUName(), "");
  EXPECT_EQ(penryn.Cpu().CPUType(), 0);

  // CPUType from bits 13-12: an OverDrive 486 DX4.
  EXPECT_EQ(NameProcessor({TCpuVendor::cvIntel, 4, 8, 0, 1, 0, 0, 0, 0, false, 0}).CPUName, "i80486DX/4 OverDrive");
}

TEST(CpuDecode, LeavesAboveTheReportedMaximumReadAsZero) {
  EXPECT_EQ(LeafRangeBase(0x80000004u), 0x80000000u);
  EXPECT_EQ(LeafRangeBase(0x80000009u), 0u);
  EXPECT_EQ(LeafRangeBase(0x80860005u), 0x80860000u);
  EXPECT_EQ(LeafRangeBase(2), 0u);
  // Leaf 1 is listed but leaf 0 says the maximum is 0: as if it were missing, and the
  // registry names the processor instead.
  CpuMachine m(CpuidLines({Leaf0(0, kIntel), {1, 0xF29, 0x9, 0, 0xFFFFFFFF}}));
  m.m.Registry.SetString(RootKey::LocalMachine, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0",
                         "VendorIdentifier", "authenticamd");
  m.Cpu().Refresh(0);
  EXPECT_EQ(m.Cpu().Family(), 0);
  EXPECT_EQ(m.Cpu().Vendor(), TCpuVendor::cvAmd);  // the registry's, compared without case
  EXPECT_EQ(m.Cpu().SerialNumber(), "");
  EXPECT_EQ(m.Cpu().Features().Standard.Count(), 0u);
  EXPECT_EQ(m.Cpu().Frequency(), 0u);
  // The extended range needs 80000000h to report it: a listed 80000002h alone is ignored.
  CpuMachine noExt(CpuidLines({Leaf0(1, kIntel), {1, 0x681, 0, 0, 0}, {0x80000002, 0x41414141, 0, 0, 0}}));
  noExt.Cpu().Refresh(0);
  EXPECT_EQ(noExt.Cpu().MarketingName(), "");
}

TEST(CpuDecode, HyperThreadingSplitsTheApicId) {
  uint8_t logical = 0, physical = 0;
  SplitApicId(3, 2, logical, physical);
  EXPECT_EQ(logical, 1);
  EXPECT_EQ(physical, 1);
  SplitApicId(6, 1, logical, physical);
  EXPECT_EQ(logical, 0);
  EXPECT_EQ(physical, 6);
  SplitApicId(7, 3, logical, physical);  // k = 2
  EXPECT_EQ(logical, 3);
  EXPECT_EQ(physical, 1);
  SplitApicId(255, 255, logical, physical);  // k = 8: the whole id is logical
  EXPECT_EQ(logical, 255);
  EXPECT_EQ(physical, 0);
  SplitApicId(9, 0, logical, physical);
  EXPECT_EQ(physical, 9);
  // Without the HTT bit: 255 and one logical processor.
  CpuMachine m(CpuidLines({Leaf0(1, kIntel), {1, 0xF29, 0x03020809, 0, 0}}));
  m.Cpu().Refresh(0);
  EXPECT_EQ(m.Cpu().APICID(), 255);
  EXPECT_EQ(m.Cpu().LogicalPerPackage(), 1);
  EXPECT_EQ(m.Cpu().PhysicalID(), 255);
}

TEST(CpuDecode, BrandStringsAreTrimmedAndTransmetaHasNone) {
  // "  Ab" then a zero byte, then garbage after it, then trailing blanks.
  CpuMachine m(CpuidLines({Leaf0(1, kIntel), {1, 0x681, 0, 0, 0}, {0x80000000, 0x80000004, 0, 0, 0},
                           {0x80000002, 0x62412020, 0x5A5A5A00, 0x20202020, 0}, {0x80000003, 0, 0, 0, 0},
                           {0x80000004, 0xE9202020, 0, 0, 0}}));
  m.Cpu().Refresh(0);
  EXPECT_EQ(m.Cpu().MarketingName(), "Ab");
  // The 80860000h range when the extended one is missing.
  CpuMachine tm(CpuidLines({Leaf0(1, "CentaurHauls"), {1, 0x698, 0, 0, 0}, {0x80860000, 0x80860007, 0, 0, 0},
                            {0x80860003, 0x20414956, 0x6D656843, 0, 0}}));
  tm.Cpu().Refresh(0);
  EXPECT_EQ(tm.Cpu().MarketingName(), "VIA Chem");
  CpuMachine crusoe(testing::ReadCpuidFixture("transmeta-crusoe-tm5800.txt"));
  crusoe.Cpu().Refresh(0);
  EXPECT_EQ(crusoe.Cpu().MarketingName(), "");
  EXPECT_EQ(crusoe.Cpu().SerialNumber().size(), 9u);
}

// One case or more per row of every vendor's name table: {vendor, family, model, stepping,
// type, brand, extended family, L2, L3, serial feature, MHz} -> name|code name|technology|revision.
TEST(CpuNamesTable, EveryRowOfEveryVendor) {
  constexpr TCpuVendor A = TCpuVendor::cvAmd, C = TCpuVendor::cvCyrix, V = TCpuVendor::cvIDT,
                       N = TCpuVendor::cvNexGen, U = TCpuVendor::cvUMC, R = TCpuVendor::cvRise,
                       S = TCpuVendor::cvSiS, G = TCpuVendor::cvGeode, T = TCpuVendor::cvTransmeta,
                       I = TCpuVendor::cvIntel;
  const std::pair<CpuNameInput, const char*> kCases[] = {
      {{A, 4, 0}, "Am486DX|||"}, {{A, 4, 3}, "Am486DX2|||"}, {{A, 4, 7}, "Am486DX2|||"}, {{A, 4, 8}, "Am486DX4|||"},
      {{A, 4, 14}, "Am5x86|||A"}, {{A, 5, 0, 0}, "K5|SSA/5|0.50 µm|E"}, {{A, 5, 0, 1}, "K5|SSA/5|0.50 µm|F"},
      {{A, 5, 1}, "K5|5k86|0.35 µm|"}, {{A, 5, 6, 1}, "K6|K6|0.30 µm|B"}, {{A, 5, 6, 2}, "K6|K6|0.30 µm|C"},
      {{A, 5, 7}, "K6|Little Foot|0.25 µm|A"}, {{A, 5, 8, 0}, "K6-II|Chomper|0.25 µm|A"},
      {{A, 5, 9, 0}, "K6-III|Sharptooth|0.25 µm|A"}, {{A, 5, 13}, "K6-II+/K6-III+|||"}, {{A, 6, 0}, "Athlon|Argon|0.25 µm|"},
      {{A, 6, 1, 1}, "Athlon|Argon|0.25 µm|C1"}, {{A, 6, 2, 1}, "Athlon|Pluto/Orion|0.18 µm|A1"},
      {{A, 6, 3, 1}, "Duron|Spitfire|0.18 µm|A1,A2"}, {{A, 6, 4, 2}, "Athlon|Thunderbird|0.18 µm|A4,A5,A6,A7"},
      {{A, 6, 4, 4}, "Athlon|Thunderbird|0.18 µm|A9"}, {{A, 6, 6, 2}, "Athlon XP|Palomino/Corvette|0.18 µm|A5"},
      {{A, 6, 7, 1}, "Duron|Morgan/Camaro|0.18 µm|A1"}, {{A, 6, 8, 0}, "Athlon|Thoroughbred|0.13 µm|A0"},
      {{A, 6, 8, 1}, "Athlon|Thoroughbred|0.13 µm|B0"}, {{A, 6, 9}, "Athlon|Appaloosa|0.13 µm|"},
      {{A, 6, 10, 0, 0, 0, 0, 64}, "Sempron|Applebred|0.13 µm|A2"}, {{A, 6, 10, 0, 0, 0, 0, 256}, "Sempron|Geode|0.13 µm|A2"},
      {{A, 6, 10, 0, 0, 0, 0, 512}, "Sempron|Barton|0.13 µm|A2"}, {{A, 15, 4, 8}, "Athlon 64|Clawhammer|0.13 µm|SH7-C0"},
      {{A, 15, 4, 0, 0, 40, 0, 512}, "Athlon 64|Newcastle|0.13 µm|"}, {{A, 15, 4, 0, 0, 63, 0, 1024}, "Athlon 64|Hammer|0.13 µm|"},
      {{A, 15, 4, 0, 0, 64, 0, 512}, "Athlon 64|Clawhammer|0.13 µm|"}, {{A, 15, 5, 1}, "Opteron|Sledgehammer|0.13 µm|SH7-B3"},
      {{A, 15, 5, 0, 0, 100}, "Opteron|Sledgehammer|0.13 µm| UP1-46"},
      {{A, 15, 5, 0, 0, 130}, "Opteron|Sledgehammer|0.13 µm| DP2-42"},
      {{A, 15, 5, 0, 0, 191}, "Opteron|Sledgehammer|0.13 µm| MP8-100"}, {{A, 15, 6}, "Athlon 64 Dual Core|Toledo|90 nm|"},
      {{A, 15, 7}, "Opteron Dual Core|Egypt|90 nm|"}, {{A, 15, 9}, "Athlon 64|K9|90 nm|"}, {{A, 15, 8}, "|||"},
      {{C, 0, 0, 5}, "Cx486S/D|M5||"}, {{C, 0, 3, 6}, "Cx486DX|M6||"}, {{C, 0, 0, 7}, "Cx486DX2|M7||"},
      {{C, 0, 0, 8}, "Cx486DX4|M8||"}, {{C, 4, 1}, "Cx486SLC|||A"}, {{C, 4, 2, 9}, "Cx5x86|||0,rev1"}, {{C, 4, 2, 10}, "Cx5x86|||"},
      {{C, 4, 4}, "MediaGX|||GX,GXm"}, {{C, 4, 9}, "Cx5x86||0.65 µm|0,rev2+"}, {{C, 5, 2}, "6x86|M1|0.65 µm|"},
      {{C, 5, 3}, "6x86L|M1L|0.35 µm|"}, {{C, 6, 0, 0, 0, 0, 0, 0, 0, false, 225}, "M-II|M2|0.35 µm|"},
      {{C, 6, 0, 0, 0, 0, 0, 0, 0, false, 224}, "6x86MX|M2|0.35 µm|"}, {{C, 6, 5}, "VIA Cyrix III|Joshua||"},
      {{C, 6, 6, 4}, "VIA Cyrix 3|Samuel I||"}, {{C, 6, 6, 5}, "VIA Cyrix 3|Samuel II||"}, {{C, 6, 7}, "VIA Cyrix 3|Ezra||"},
      {{V, 5, 4}, "WinChip|C6|0.35 µm|"}, {{V, 5, 8, 1}, "WinChip 2|C6-2|0.35-0.25 µm|WC2"},
      {{V, 5, 8, 6}, "WinChip 2|C6-2|0.35-0.25 µm|"}, {{V, 5, 8, 7}, "WinChip 2|C6-2|0.35-0.25 µm|WC2A"},
      {{V, 5, 8, 10}, "WinChip 2|C6-2|0.35-0.25 µm|WC2B"}, {{V, 5, 9}, "WinChip 3||0.25 µm|"},
      {{V, 6, 6}, "VIA C3 C5A|Samuel 1|0.18 µm|"}, {{V, 6, 7, 8}, "VIA C3 C5C|Ezra|0.13µm|"},
      {{V, 6, 7, 7}, "VIA C3 C5B|Samuel 2|0.13 µm|"}, {{V, 6, 8}, "VIA C3 C5N|Ezra-T|0.13 µm|"},
      {{V, 6, 9, 8}, "VIA C3 C5P|Nehemiah|0.13 µm|"}, {{V, 6, 9, 7}, "VIA C3 C5XL|Nehemiah|0.13 µm|"},
      {{N, 5, 0}, "Nx586||0.50-0.44 µm|"}, {{N, 5, 6}, "Nx686|HA|0,50 µm|"}, {{U, 4, 1}, "U5SD|||"}, {{U, 4, 2}, "U5S/X|||"},
      {{U, 4, 3}, "U486DX2|||"}, {{U, 4, 5}, "U486SX2|||"}, {{R, 5, 0}, "mP6|iDragon||"}, {{R, 5, 2}, "mP6|iDragon|0.18 µm|"},
      {{R, 5, 8}, "mP6|iDragon II|0.25 µm|"}, {{R, 5, 9}, "mP6|iDragon II|0.18 µm|"}, {{S, 5, 0}, "55x|||"}, {{G, 5, 9}, "Geode|||"},
      {{G, 6, 1}, "Geode|||"}, {{T, 5, 4}, "Crusoe|TM3200||"}, {{T, 5, 4, 0, 0, 0, 0, 256}, "Crusoe|TM5400/TM5500||"},
      {{T, 5, 4, 0, 0, 0, 0, 512}, "Crusoe|TM5600/TM5800||"}, {{T, 6, 0, 0, 0, 0, 0, 256}, "Efficeon|Astro,TM8300/TM8500||"},
      {{T, 6, 0, 0, 0, 0, 0, 1024}, "Efficeon|Astro,TM8600/TM8800||"}, {{I, 4, 0, 0}, "i80486DX|P4||A0-A1"},
      {{I, 4, 1, 3}, "i80486DX|P4||cC0"}, {{I, 4, 1, 4}, "i80486DX-SL|P4||aA0,aA1"}, {{I, 4, 2, 0}, "i80486SX|P4S||A0"},
      {{I, 4, 2, 3}, "i80486SX-WB|P4S||bBx"}, {{I, 4, 2, 10}, "i80486SX-SL|P4S||aA0,aA1"}, {{I, 4, 3, 2}, "i80486DX/2|P24S||A0-A2"},
      {{I, 4, 3, 5}, "i80486DX/2-SL|P24S||aB0,aC0"}, {{I, 4, 3, 6}, "i80486DX/2-WB|P24D||A"}, {{I, 4, 4, 0}, "i80486SL|P23||A"},
      {{I, 4, 5, 11}, "i80486SX/2|P23||aC0"}, {{I, 4, 7}, "i80486DX/2-WB|P24D||A"}, {{I, 4, 8}, "i80486DX/4|P24C||A"},
      {{I, 4, 9, 0, 1}, "i80486DX/4 OverDrive|P24C||A"}, {{I, 5, 0}, "Pentium|A80501,P5|0.80 µm|Ax"},
      {{I, 5, 1, 10, 1}, "Pentium OverDrive for P5|PODP5V,P5T|0.80 µm|tA0"}, {{I, 5, 1, 5}, "Pentium|A80501,P5|0.80 µm|C1"},
      {{I, 5, 1, 10}, "Pentium|A80501,P5|0.80 µm|"}, {{I, 5, 2, 12}, "Pentium|A80502,P54C,P54CS|0.50 µm|aC0,cC0,mcC0,acC0"},
      {{I, 5, 2, 0, 1}, "Pentium OverDrive for P54C|P54CT|0.35 µm|"}, {{I, 5, 2, 0, 2}, "Pentium OverDrive for P54C|P54M|0.35 µm|"},
      {{I, 5, 3, 1}, "Pentium OverDrive for 486|P24T||"}, {{I, 5, 3, 2}, "Pentium OverDrive for 486|P24B||"},
      {{I, 5, 4, 4, 1}, "Pentium MMX OverDrive for P54C|P55CTP|0.28 µm|oxA3"},
      {{I, 5, 4, 3}, "Pentium MMX|A80503,P55C|0.28 µm|xB1,mxB1"}, {{I, 5, 7}, "Pentium|A80502,P54C,P54CS|0.35 µm|"},
      {{I, 5, 8, 2}, "Pentium MMX|A80503,P55C|0.25 µm|sB1,myB1"}, {{I, 6, 0}, "Pentium Pro|A80521,P6|0.50 µm|"},
      {{I, 6, 1, 9}, "Pentium Pro|A80521,P6|0.35 µm|sB1"}, {{I, 6, 3, 2, 1}, "Pentium II OverDrive|POPD66X333,P6T|0.28 µm|TdB0"},
      {{I, 6, 3, 4}, "Pentium II|A80522,P6L Klamath|0.28 µm|C1"},
      {{I, 6, 5, 0, 0, 0, 0, 2048}, "Pentium II Xeon|A80523, P6L Deschutes|0.25 µm|dA0,mdA0,mmdA0"},
      {{I, 6, 5, 1, 0, 0, 0, 512}, "Pentium II|A80523, P6L Deschutes|0.25 µm|dA1"},
      {{I, 6, 5, 2, 0, 0, 0, 256}, "Pentium II PE|Tonga|0.25 µm|B0,dB0,mdB0,mmdB0"},
      {{I, 6, 5, 3}, "Celeron|P6C Covington|0.25 µm|B1,dB1"},
      {{I, 6, 6, 0, 0, 0, 0, 128}, "Celeron|P6C Mendocino, Celeron A|0.25 µm|mA0"},
      {{I, 6, 6, 5, 0, 0, 0, 128, 0, true}, "Mobile Celeron|Dixon|0.25 µm|mB0"},
      {{I, 6, 6, 10, 0, 0, 0, 256, 0, true}, "Mobile Pentium II|Dixon|0.25 µm|mdbA0,mdxA0,mqbA1,mqpA1"},
      {{I, 6, 7, 2, 0, 0, 0, 1024}, "Pentium III Xeon|Tanner|0.25 µm|B0,kB0"},
      {{I, 6, 7, 3, 0, 0, 0, 512}, "Pentium III|A80525,P6K Katmai|0.25 µm|C0,kC0"},
      {{I, 6, 8, 1, 0, 1, 0, 256}, "Celeron|A80526, Coppermine|0.18 µm|A2,cA2,cA2c"},
      {{I, 6, 8, 3, 0, 2, 0, 256}, "Pentium III|A80526, Coppermine|0.18 µm|B0,cB0,cB0c"},
      {{I, 6, 8, 6, 0, 0, 0, 1024}, "Pentium III Xeon|Cascades|0.18 µm|C0,cC0"},
      {{I, 6, 8, 10, 0, 0, 0, 128}, "Celeron|Coppermine-128, Celeron II|0.18 µm|D0,cD0"},
      {{I, 6, 9, 0, 0, 18}, "Celeron M|Banias|0.13 µm|"}, {{I, 6, 9, 0, 0, 22}, "Pentium M|Banias|0.13 µm|"},
      {{I, 6, 10, 4}, "Pentium III Xeon A|A80530,Tualatin|0.18 µm|B0"},
      {{I, 6, 11, 1}, "Pentium III B|A80530,Tualatin|0.13 µm|tA1,A1"}, {{I, 6, 11, 0, 0, 1}, "Celeron|A80530,Tualatin|0.13 µm|"},
      {{I, 6, 11, 0, 0, 3}, "Pentium III Xeon|A80530,Tualatin|0.13 µm|"},
      {{I, 6, 11, 0, 0, 6}, "Mobile Pentium III M|Geyservile|0.13 µm|"},
      {{I, 6, 11, 4, 0, 7}, "Mobile Celeron|Geyservile|0.13 µm|tB1"}, {{I, 6, 12}, "Pentium M|Dothan|0.09 µm|"},
      {{I, 7, 0}, "Itanium|Merced|0.18 µm|"}, {{I, 15, 0, 0, 0, 0, 1}, "Itanium 2|McKinley|0.18 µm|"},
      {{I, 15, 1, 0, 0, 0, 1}, "Itanium 2|Madison/Deerfield|0.13 µm|"}, {{I, 15, 2, 0, 0, 0, 1}, "Itanium 2|Madison 9M|0.13 µm|"},
      {{I, 15, 0, 7, 0, 8}, "Pentium 4|P68, Willamette|0.18 µm|B2"}, {{I, 15, 0, 10, 0, 11}, "Pentium 4 Xeon|Foster|0.18 µm|C1"},
      {{I, 15, 1, 2, 0, 10}, "Celeron|P68, Willamette|0.18 µm|D0"}, {{I, 15, 1, 0, 0, 11}, "Pentium 4 Xeon|Foster|0.18 µm|"},
      {{I, 15, 1, 3, 0, 12}, "Pentium 4 Xeon MP|Foster MP|0.18 µm|E0"},
      {{I, 15, 2, 9, 0, 9}, "Pentium 4 with HTT|Northwood|0.13 µm|D1"}, {{I, 15, 2, 0, 0, 10}, "Celeron|Prestonia|0.13 µm|"},
      {{I, 15, 2, 0, 0, 11}, "Pentium 4 Xeon|Prestonia|0.13 µm|"},
      {{I, 15, 2, 0, 0, 11, 0, 0, 512}, "Pentium 4 Xeon MP|Prestonia|0.13 µm|"},
      {{I, 15, 2, 0, 0, 12}, "Pentium 4 Xeon MP|Prestonia|0.13 µm|"},
      {{I, 15, 2, 7, 0, 12, 0, 0, 1024}, "Pentium 4 Xeon MP|Gallatin|0.13 µm|C1"},
      {{I, 15, 2, 4, 0, 14}, "Mobile Pentium 4 M|Northwood|0.13 µm|B0"},
      {{I, 15, 2, 5, 0, 15}, "Mobile Celeron|Northwood|0.13 µm|M0"}, {{I, 15, 3, 0, 0, 9, 0, 256}, "Celeron|Prescott|90 nm|"},
      {{I, 15, 3, 0, 0, 9, 0, 1024}, "Pentium 4 with HTT|Prescott|90 nm|"}, {{I, 15, 3, 0, 0, 11}, "Pentium 4 Xeon|Nocona|90 nm|"},
      {{I, 15, 3, 0, 0, 12}, "Pentium 4 Xeon MP|Potomac|90 nm|"}, {{I, 15, 4, 0, 0, 9, 0, 256}, "Celeron D|Tejas|65 nm|"},
      {{I, 15, 4, 0, 0, 9, 0, 512}, "Celeron|Tejas|65 nm|"}, {{I, 15, 4, 0, 0, 11}, "Pentium 4 Xeon|Tulsa|65 nm|"},
      {{TCpuVendor::cvUnknown, 6, 8}, "|||"}};
  for (const auto& c : kCases) {
    const CpuNames n = NameProcessor(c.first);
    EXPECT_EQ(n.CPUName + "|" + n.CodeName + "|" + n.Technology + "|" + n.Revision, c.second)
        << "vendor " << int(c.first.Vendor) << " family " << c.first.Family << " model " << c.first.Model
        << " stepping " << c.first.Stepping;
  }
}

TEST(CpuNamesTable, OpteronRevisionsAndTheBrandOfLeaf80000001h) {
  // Leaf 1 brand 0 on a K8 of model 5: the brand comes from 80000001h EBX (0x62 = 98).
  CpuMachine m(CpuidLines({Leaf0(1, kAmd), {1, 0xF51, 0x00000800, 0, 0}, {0x80000000, 0x80000008, 0, 0, 0},
                           {0x80000001, 0xF51, 0x00000062, 0, 0}}));
  m.Cpu().Refresh(0);
  EXPECT_EQ(m.Cpu().Brand(), 0x62);
  EXPECT_EQ(m.Cpu().CPUName(), "Opteron");
  EXPECT_EQ(m.Cpu().Revision(), "SH7-B3");  // the stepping's revision replaces the brand's text
  // Every revision token of every table is "stepping:text", "from-to:text" or plain text.
  for (auto v : {TCpuVendor::cvIntel, TCpuVendor::cvAmd, TCpuVendor::cvCyrix, TCpuVendor::cvIDT,
                 TCpuVendor::cvNexGen, TCpuVendor::cvUMC, TCpuVendor::cvRise, TCpuVendor::cvSiS,
                 TCpuVendor::cvGeode, TCpuVendor::cvTransmeta}) {
    ASSERT_FALSE(NameTable(v).empty());
    for (const NameRow& row : NameTable(v)) {
      if (!row.Revision) continue;
      for (const std::string& token : Split(row.Revision, ';')) {
        EXPECT_FALSE(token.empty()) << row.Revision;
        size_t colon = token.find(':');
        if (colon != std::string::npos) {
          EXPECT_EQ(token.find_first_not_of("0123456789-"), colon) << row.Revision;
        }
      }
    }
  }
}

TEST(CpuCaches, DescriptorMethod) {
  CacheDescriptors slots = DescriptorSlots({0x665B5001, 0, 0, 0x007A7000}, {});
  EXPECT_EQ(slots, (CacheDescriptors{0x01, 0x50, 0x5B, 0x66, 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x70, 0x7A, 0x00}));
  TCPUCache c = DecodeDescriptorCaches(slots);
  EXPECT_EQ(c.Level1.Data.Size, 8);
  EXPECT_EQ(c.Level1.Data.Associativity, TCacheAssociativity::ca4Way);
  EXPECT_EQ(c.Level1.Data.LineSize, 64);
  EXPECT_EQ(c.Level2.Size, 256);
  EXPECT_EQ(c.Level2.Associativity, TCacheAssociativity::ca8Way);
  EXPECT_EQ(c.Level2.LineSize, 64);
  EXPECT_EQ(c.Trace.Size, 12);
  EXPECT_EQ(c.Trace.Associativity, TCacheAssociativity::ca8Way);
  EXPECT_EQ(c.Level1.Code.Size, 0);
  EXPECT_EQ(c.Level3.Size, 0);
  EXPECT_EQ(c.Level2.Descriptors, slots);
  // A register with bit 31 set holds no descriptors: its slots keep the previous ones.
  CacheDescriptors kept = DescriptorSlots({0x80000001, 0x0000002C, 0, 0}, slots);
  EXPECT_EQ(kept[3], 0x66);
  EXPECT_EQ(kept[4], 0x2C);
  EXPECT_EQ(DescriptorSlots({0xFFFFFFFF, 0x80000000, 0x80000043, 0x80000000}, {}), CacheDescriptors{});
  // First row gives the associativity, last row the size: 2Ch (8-way 32 KB) then 66h.
  TCPUCache both = DecodeDescriptorCaches({0x2C, 0x66});
  EXPECT_EQ(both.Level1.Data.Associativity, TCacheAssociativity::ca8Way);
  EXPECT_EQ(both.Level1.Data.Size, 8);
  // Leaf 2 asks to be run more than once: the last execution counts.
  CpuMachine twice(CpuidLines({Leaf0(2, kIntel), {1, 0xF29, 0, 0, 0}, {2, 0x665B5002, 0, 0, 0x007B7040}}));
  twice.Cpu().Refresh(0);
  EXPECT_EQ(twice.Cpu().Cache().Level2.Size, 512);
  // A refresh whose leaf-2 EDX has bit 31 set keeps the previous refresh's descriptors.
  twice.m.Cpuid.Set(0, 2, 0, {0x665B5001, 0, 0, 0x80000000});
  twice.Cpu().Refresh(0);
  EXPECT_EQ(twice.Cpu().Cache().Level2.Size, 512);
}

TEST(CpuCaches, ExtendedLeafMethod) {
  // Athlon: the L2 associativity is 16-way whatever the register says.
  TCPUCache athlon = DecodeExtendedLeafCaches(TCpuVendor::cvAmd, 6, {0, 0, 0x40020140, 0x40020140},
                                              {0, 0, 0x01004140, 0}, {});
  EXPECT_EQ(athlon.Level2.Size, 256);
  EXPECT_EQ(athlon.Level2.Associativity, TCacheAssociativity::ca16Way);
  EXPECT_EQ(athlon.Level2.LineSize, 64);
  EXPECT_EQ(athlon.Level1.Code.Size, 64);
  EXPECT_EQ(athlon.Level1.Code.Associativity, TCacheAssociativity::ca2Way);
  EXPECT_EQ(athlon.Level1.Unified.Size, 0);
  EXPECT_EQ(athlon.Level3.Size, 0);
  // Elsewhere the code of bits 15-12; VIA reads the size from the top byte.
  TCPUCache k8 = DecodeExtendedLeafCaches(TCpuVendor::cvAmd, 15, {}, {0, 0, 0x020061C0, 0}, {});
  EXPECT_EQ(k8.Level2.Associativity, TCacheAssociativity::ca8Way);
  EXPECT_EQ(k8.Level2.LineSize, 192);
  EXPECT_EQ(DecodeExtendedLeafCaches(TCpuVendor::cvIDT, 6, {}, {0, 0, 0x40044120, 0}, {}).Level2.Size, 64);
  // Level 1's bits 23-16 are a code of the same table: 8 is 16-way, 6 is 8-way, FFh none.
  const TCPUCache l1 = DecodeExtendedLeafCaches(TCpuVendor::cvAmd, 15, {0, 0, 0x40060140, 0x40080140},
                                                {0, 0, 0x02FF6140, 0}, {});
  EXPECT_EQ(l1.Level1.Code.Associativity, TCacheAssociativity::ca16Way);
  EXPECT_EQ(l1.Level1.Data.Associativity, TCacheAssociativity::ca8Way);
  EXPECT_EQ(DecodeExtendedLeafCaches(TCpuVendor::cvAmd, 15, {0, 0, 0x40FF0140, 0x400F0140}, {}, {}).Level1.Data.Associativity,
            TCacheAssociativity::caNone);
  EXPECT_EQ(DecodeExtendedLeafCaches(TCpuVendor::cvAmd, 15, {0, 0, 0, 0x400F0140}, {}, {}).Level1.Code.Associativity,
            TCacheAssociativity::caFull);
}

TEST(CpuFeatures, TwoPassesPerVendor) {
  TCPUFeatureSet intel = TCPUFeatureSet::Build(TFeatureSetKind::Standard, TCpuVendor::cvIntel, 0);
  EXPECT_EQ(intel.Count(), 29u);
  EXPECT_EQ(intel.Feature(29).Name, "");  // out of range: a zeroed record
  EXPECT_EQ(intel.FeatureOfBit(16).Name, "");  // PAT is AMD's only

  TCPUFeatureSet amdExt = TCPUFeatureSet::Build(TFeatureSetKind::Extended, TCpuVendor::cvAmd, 0x80400000u);
  TCPUFeatureSet intelExt = TCPUFeatureSet::Build(TFeatureSetKind::Extended, TCpuVendor::cvIntel, 0x80400000u);
  EXPECT_EQ(intelExt.Count(), 20u);
  EXPECT_EQ(amdExt.Count(), 25u);
  EXPECT_EQ(amdExt.FeatureOfBit(22).Name, "MMX+");
  EXPECT_EQ(amdExt.FeatureOfBit(31).Name, "3DNOW");
  EXPECT_EQ(amdExt.FeatureOfBit(19).Name, "MP");  // renames CLFSH in place
  EXPECT_EQ(intelExt.FeatureOfBit(22).Name, "");
  TCPUFeatureSet cyrixExt = TCPUFeatureSet::Build(TFeatureSetKind::Extended, TCpuVendor::cvCyrix, 0);
  EXPECT_EQ(cyrixExt.FeatureOfBit(24).Name, "MMX+");
  EXPECT_EQ(cyrixExt.Count(), 22u);
  EXPECT_EQ(TCPUFeatureSet::Build(TFeatureSetKind::PowerManagement, TCpuVendor::cvAmd, 1).FeatureOfBit(0).Name, "TS");
  EXPECT_EQ(TCPUFeatureSet::Build(TFeatureSetKind::PowerManagement, TCpuVendor::cvIntel, 1).Count(), 0u);
}

TEST(CpuTables, EveryVendorRow) {
  using V = TCpuVendor;
  const TCacheMethod D = TCacheMethod::Descriptors, E = TCacheMethod::ExtendedLeaves;
  const TCPUVendorInfo kRows[] = {
      {V::cvUnknown, "BadCpuVendor", "Unknown", "Unknown Vendor", D},
      {V::cvIntel, "GenuineIntel", "Intel", "Intel Corporation", D},
      {V::cvAmd, "AuthenticAMD", "AMD", "Advanced Micro Devices", E},
      {V::cvCyrix, "CyrixInstead", "Cyrix", "Via Technologies Inc", D},
      {V::cvIDT, "CentaurHauls", "Via", "Via Technologies Inc", E},
      {V::cvNexGen, "NexGenDriven", "NexGen", "NexGen Inc", D},
      {V::cvUMC, "UMC UMC UMC ", "UMC", "United Microelectronics Corp", D},
      {V::cvRise, "RiseRiseRise", "Rise", "Rise Technology", D},
      {V::cvSiS, "SiS SiS SiS ", "SiS", "SiS", D},
      {V::cvGeode, "Geode by NSC", "NSC", "National Semiconductor", D},
      {V::cvTransmeta, "GenuineTMx86", "Transmeta", "Transmeta", E}};
  for (const TCPUVendorInfo& r : kRows) {
    const TCPUVendorInfo& got = VendorInfo(r.Vendor);
    EXPECT_EQ(std::string(got.Signature) + "/" + got.ShortName + "/" + got.FullName,
              std::string(r.Signature) + "/" + r.ShortName + "/" + r.FullName);
    EXPECT_EQ(got.CacheMethod, r.CacheMethod) << r.Signature;
    EXPECT_EQ(VendorFromSignature(r.Signature), r.Vendor) << r.Signature;
  }
  EXPECT_EQ(VendorFromSignature("genuineintel"), V::cvUnknown);  // exact case unless asked
  EXPECT_EQ(VendorFromSignature("genuineintel", true), V::cvIntel);
  EXPECT_EQ(VendorFromSignature("SiS SiS SiS"), V::cvUnknown);  // the trailing blank counts
}

// Each cache row alone in the slots gives its cache those values, and no other cache any.
TEST(CpuTables, EveryCacheDescriptorRow) {
  using A = TCacheAssociativity;
  using K = CacheKind;
  const TCacheDescriptorInfo kRows[] = {
    {0x06, K::L1Code, A::ca4Way, 8, 32}, {0x08, K::L1Code, A::ca4Way, 16, 32},
    {0x30, K::L1Code, A::ca8Way, 32, 64}, {0x0A, K::L1Data, A::ca2Way, 8, 32},
    {0x0C, K::L1Data, A::ca4Way, 16, 32}, {0x2C, K::L1Data, A::ca8Way, 32, 64},
    {0x60, K::L1Data, A::ca8Way, 16, 64}, {0x66, K::L1Data, A::ca4Way, 8, 64},
    {0x67, K::L1Data, A::ca4Way, 16, 64}, {0x68, K::L1Data, A::ca4Way, 32, 64},
    {0x39, K::L2, A::ca4Way, 128, 64}, {0x3B, K::L2, A::ca2Way, 128, 64}, {0x3C, K::L2, A::ca4Way, 256, 64},
    {0x41, K::L2, A::ca4Way, 128, 32}, {0x42, K::L2, A::ca4Way, 256, 32}, {0x43, K::L2, A::ca4Way, 512, 32},
    {0x44, K::L2, A::ca4Way, 1024, 32}, {0x45, K::L2, A::ca4Way, 2048, 32},
    {0x78, K::L2, A::ca4Way, 1024, 64}, {0x79, K::L2, A::ca8Way, 128, 64},
    {0x7A, K::L2, A::ca8Way, 256, 64}, {0x7B, K::L2, A::ca8Way, 512, 64},
    {0x7C, K::L2, A::ca8Way, 1024, 64}, {0x7D, K::L2, A::ca8Way, 2048, 64},
    {0x7E, K::L2, A::ca8Way, 1024, 128}, {0x7F, K::L2, A::ca2Way, 256, 64},
    {0x81, K::L2, A::ca8Way, 128, 32}, {0x82, K::L2, A::ca8Way, 256, 32} /* a 256 KB L2 on the Coppermine */, {0x83, K::L2, A::ca8Way, 512, 32},
    {0x84, K::L2, A::ca8Way, 1024, 32}, {0x85, K::L2, A::ca8Way, 2048, 32},
    {0x86, K::L2, A::ca4Way, 512, 64}, {0x87, K::L2, A::ca8Way, 1024, 64},
    {0x22, K::L3, A::ca4Way, 512, 64}, {0x23, K::L3, A::ca8Way, 1024, 64},
    {0x25, K::L3, A::ca8Way, 2048, 64}, {0x29, K::L3, A::ca8Way, 4096, 64}, {0x40, K::L3, A::caNone, 0, 0},
    {0x70, K::Trace, A::ca8Way, 12, 0}, {0x71, K::Trace, A::ca8Way, 16, 0},
    {0x72, K::Trace, A::ca8Way, 32, 0},
  };
  for (const TCacheDescriptorInfo& r : kRows) {
    const TCPUCache c = DecodeDescriptorCaches({r.Descriptor});
    const TCPUCacheDetails* const caches[] = {&c.Level1.Code, &c.Level1.Data, &c.Level1.Unified,
                                               &c.Level2, &c.Level3, &c.Trace};
    for (int k = 0; k < 6; ++k) {
      const bool mine = k == static_cast<int>(r.Cache);
      EXPECT_EQ(caches[k]->Size, mine ? r.Size : 0) << std::hex << int{r.Descriptor} << " cache " << k;
      EXPECT_EQ(caches[k]->LineSize, mine ? r.Line : 0) << std::hex << int{r.Descriptor};
      EXPECT_EQ(caches[k]->Associativity, mine ? r.Associativity : A::caNone) << std::hex << int{r.Descriptor};
    }
  }
  for (uint8_t tlb : {0x01, 0x02, 0x03, 0x04, 0x50, 0x51, 0x52, 0x5B, 0x5C, 0x5D, 0x80}) {
    const TCPUCache c = DecodeDescriptorCaches({tlb});
    EXPECT_EQ(c.Level1.Code.Size + c.Level1.Data.Size + c.Level2.Size + c.Level3.Size + c.Trace.Size, 0) << int{tlb};
  }
  // Codes of the extended-leaf method and the names of the report, every value.
  const std::pair<uint32_t, A> kCodes[] = {{0, A::caNone}, {1, A::caDirect}, {2, A::ca2Way}, {3, A::caNone},
                                          {4, A::ca4Way}, {5, A::caNone}, {6, A::ca8Way}, {7, A::caNone},
                                          {8, A::ca16Way}, {14, A::caNone}, {15, A::caFull}, {16, A::caNone}};
  for (const auto& c : kCodes) EXPECT_EQ(AssociativityFromCode(c.first), c.second) << c.first;
  std::string names;
  for (int a = 0; a <= static_cast<int>(A::caFull); ++a) names += AssociativityName(static_cast<A>(a)) + std::string("|");
  EXPECT_EQ(names, "None|Direct|2-Way|4-Way|8-Way|16-Way|Full|");
}

// Every row: bit, name, vendor column (0 all, 2 AMD, 3 Cyrix), sets, description.
TEST(CpuTables, EveryFeatureRowAndEachRegisterBitAlone) {
  const char* const kRows[] = {
      "0 FPU 0 StdExt Floating point unit", "0 TS 2 PM Temperature Sensor",
      "0 SSE3 0 StandardEx Streaming SIMD extensions 3", "1 VME 0 StdExt Virtual mode extension",
      "1 FID 2 PM Frequency Id Control", "2 DE 0 StdExt Debugging extensions", "2 VID 2 PM Voltage Id Control",
      "3 PSE 0 StdExt Page size extension", "3 MON 0 StandardEx MONITOR/MWAIT", "3 TPP 2 PM Thermal Trip",
      "4 TSC 0 StdExt Time stamp counter", "4 TM 2 PM Thermal monitor support",
      "5 MSR 0 StdExt Machine specific registers", "5 STC 2 PM Software Thermal Control",
      "6 PAE 0 StdExt Physical address exception", "7 MCE 0 StdExt Machine check exception",
      "7 TM2 0 StandardEx Thermal Monitor 2", "8 CX8 0 StdExt CMPXCHG8 instrucion support",
      "8 EST 0 StandardEx Enhanced SpeedStep Technology", "9 APIC 0 StdExt APIC hardware support",
      "10 CID 0 StandardEx Context Id", "11 SEP 0 StdExt Fast system call",
      "12 MTRR 0 StdExt Memory type range registers", "13 PGE 0 StdExt Page global enable",
      "13 CX16 0 StandardEx CMPXCHG16B instrucion support", "14 ETPRD 0 StandardEx ETPRD",
      "14 MCA 0 StdExt Machine check architecture", "15 CMOV 0 StdExt Conditional move support",
      "16 PAT 2 Standard Page attribute table", "16 FCMOV 0 Extended FCMOVcc",
      "17 PSE36 0 Standard 36-bit page size extension", "18 PSN 0 Standard Processor serial number",
      "19 CLFSH 0 StdExt CLFLUSH instruction support", "19 MP 2 Extended Multi processor enabled",
      "20 NX 2 Extended No Execute Page Protections", "20 NX 3 Extended No Execute Page Protections",
      "21 DTES 0 Standard Debug trace and EMON store MSR",
      "22 ACPI 0 Standard Thermal monitor and software controlled clock",
      "22 MMX+ 2 Extended Extended MMX architecture", "23 MMX 0 StdExt MMX architecture support",
      "24 FXSR 0 StdExt Fast floating point save", "24 MMX+ 3 Extended Extended MMX architecture",
      "25 SSE 0 Standard Streaming SIMD instruction support", "25 FFXSR 0 Extended FFXSR",
      "26 SSE2 0 Standard Streaming SIMD extensions 2", "27 SS 0 Standard Self snoop",
      "28 HTT 0 Standard Hyper-Threading technology", "29 TM 0 Standard Thermal monitor support",
      "29 LM 2 Extended AA-64 Long mode", "29 LM 3 Extended AA-64 Long mode", "30 IA-64 0 Standard IA-64",
      "30 3DNOW+ 2 Extended Extended 3DNow! extensions", "31 SBF 0 Standard Signal break on FERR",
      "31 3DNOW 2 Extended 3DNow! extensions",
  };
  const std::pair<const char*, unsigned> kSets[] = {
      {"StdExt", 5}, {"Standard", 1}, {"StandardEx", 2}, {"Extended", 4}, {"PM", 8}};
  const auto& table = FeatureTable();
  ASSERT_EQ(table.size(), sizeof kRows / sizeof kRows[0]);
  for (size_t i = 0; i < table.size(); ++i) {
    const TFeatureDetail& f = table[i];
    std::string sets;
    for (const auto& s : kSets)
      if (f.Sets.Bits() == s.second) sets = s.first;
    EXPECT_EQ(Format("%d %s %d %s %s", f.Bit, f.Name, f.Vendor, sets.c_str(), f.Description), kRows[i]);
    EXPECT_EQ(f.Row, static_cast<int>(i) + 1);
  }
  for (auto kind : {TFeatureSetKind::Standard, TFeatureSetKind::StandardEx, TFeatureSetKind::Extended,
                    TFeatureSetKind::PowerManagement})
    for (auto vendor : {TCpuVendor::cvIntel, TCpuVendor::cvAmd, TCpuVendor::cvCyrix})
      for (unsigned bit = 0; bit < 32; ++bit) {
        const TCPUFeatureSet set = TCPUFeatureSet::Build(kind, vendor, 1u << bit);
        for (const TCPUFeature& r : set.Records()) {
          EXPECT_EQ(r.Available, r.Bit == bit) << r.Name << " with bit " << bit;
          EXPECT_EQ(r.SetNumber, static_cast<int>(kind));
        }
      }
}

}  // namespace
}  // namespace kestrova
