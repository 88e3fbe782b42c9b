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

CpuNames Names(TCpuVendor v, int family, int model, int stepping, int brand = 0) {
  CpuNameInput in;
  in.Vendor = v;
  in.Family = family;
  in.Model = model;
  in.Stepping = stepping;
  in.Brand = brand;
  return NameProcessor(in);
}

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

TEST(CpuNamesTable, ConditionsOnTypeBrandCachesFeatureAndClock) {
  EXPECT_EQ(Names(TCpuVendor::cvIntel, 15, 2, 9, 9).CPUName, "Pentium 4 with HTT");
  CpuNameInput xeon{TCpuVendor::cvIntel, 15, 2, 7, 0, 12, 0, 512, 0, false, 0};
  EXPECT_EQ(NameProcessor(xeon).CodeName, "Prestonia");
  xeon.L3 = 1024;
  EXPECT_EQ(NameProcessor(xeon).CodeName, "Gallatin");
  EXPECT_EQ(NameProcessor(xeon).Revision, "C1");
  // Mendocino: Celeron, unless the serial-number feature is present.
  CpuNameInput dixon{TCpuVendor::cvIntel, 6, 6, 0, 0, 0, 0, 128, 0, false, 0};
  EXPECT_EQ(NameProcessor(dixon).CPUName, "Celeron");
  EXPECT_EQ(NameProcessor(dixon).CodeName, "P6C Mendocino, Celeron A");
  dixon.SerialFeature = true;
  EXPECT_EQ(NameProcessor(dixon).CPUName, "Mobile Celeron");
  EXPECT_EQ(NameProcessor(dixon).CodeName, "Dixon");
  dixon.L2 = 256;
  EXPECT_EQ(NameProcessor(dixon).CPUName, "Mobile Pentium II");
  // Steppings append to the name; they never clear what an earlier row set.
  EXPECT_EQ(Names(TCpuVendor::cvIntel, 4, 2, 3).CPUName, "i80486SX-WB");
  EXPECT_EQ(Names(TCpuVendor::cvIntel, 4, 2, 11).CPUName, "i80486SX-SL");
  EXPECT_EQ(Names(TCpuVendor::cvIntel, 4, 2, 11).Revision, "aB0,aC0");
  EXPECT_EQ(Names(TCpuVendor::cvIntel, 5, 3, 1).CodeName, "P24T");
  EXPECT_EQ(NameProcessor({TCpuVendor::cvIntel, 5, 1, 10, 1, 0, 0, 0, 0, false, 0}).Revision, "tA0");
  EXPECT_EQ(NameProcessor({TCpuVendor::cvIntel, 5, 1, 10, 0, 0, 0, 0, 0, false, 0}).Revision, "");
  EXPECT_EQ(NameProcessor({TCpuVendor::cvIntel, 15, 1, 0, 0, 0, 1, 0, 0, false, 0}).CodeName, "Madison/Deerfield");
  // Cyrix's 6x86MX becomes the M-II above 224 MHz.
  CpuNameInput mx{TCpuVendor::cvCyrix, 6, 0, 0, 0, 0, 0, 0, 0, false, 224};
  EXPECT_EQ(NameProcessor(mx).CPUName, "6x86MX");
  mx.Frequency = 225;
  EXPECT_EQ(NameProcessor(mx).CPUName, "M-II");
  EXPECT_EQ(Names(TCpuVendor::cvCyrix, 0, 0, 7).CodeName, "M7");
  EXPECT_EQ(Names(TCpuVendor::cvIDT, 5, 8, 8).Revision, "WC2A");
  EXPECT_EQ(Names(TCpuVendor::cvIDT, 6, 9, 8).CPUName, "VIA C3 C5P");
  EXPECT_EQ(Names(TCpuVendor::cvIDT, 6, 9, 2).CPUName, "VIA C3 C5XL");
  EXPECT_EQ(Names(TCpuVendor::cvGeode, 5, 9, 1).CPUName, "Geode");
  EXPECT_EQ(Names(TCpuVendor::cvRise, 5, 8, 0).CodeName, "iDragon II");
  EXPECT_EQ(Names(TCpuVendor::cvRise, 5, 8, 0).CPUName, "mP6");
  EXPECT_EQ(Names(TCpuVendor::cvUnknown, 6, 8, 0).CPUName, "");
  // Sempron code names by L2.
  CpuNameInput sempron{TCpuVendor::cvAmd, 6, 10, 0, 0, 0, 0, 64, 0, false, 0};
  EXPECT_EQ(NameProcessor(sempron).CodeName, "Applebred");
  sempron.L2 = 512;
  EXPECT_EQ(NameProcessor(sempron).CodeName, "Barton");
}

TEST(CpuNamesTable, OpteronRevisionsAndTheBrandOfLeaf80000001h) {
  // Leaf 1 brand 0 on a K8 of model 5: the brand comes from 80000001h EBX (0x62 = 98).
  CpuMachine m(CpuidLines({Leaf0(1, kAmd), {1, 0xF51, 0x00000800, 0, 0}, {0x80000000, 0x80000008, 0, 0, 0},
                           {0x80000001, 0xF51, 0x00000062, 0, 0}}));
  m.Cpu().Refresh(0);
  EXPECT_EQ(m.Cpu().Brand(), 0x62);
  EXPECT_EQ(m.Cpu().CPUName(), "Opteron");
  EXPECT_EQ(m.Cpu().Revision(), "SH7-B3");  // the stepping's revision replaces the brand's text
  EXPECT_EQ(Names(TCpuVendor::cvAmd, 15, 5, 2, 0x62).Revision, " UP1-42");
  EXPECT_EQ(Names(TCpuVendor::cvAmd, 15, 5, 2, 160).Revision, " MP8-38");
  EXPECT_EQ(Names(TCpuVendor::cvAmd, 15, 4, 0, 40).CodeName, "Hammer");
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
  TCPUCache k8 = DecodeExtendedLeafCaches(TCpuVendor::cvAmd, 15, {}, {0, 0, 0x02006140, 0}, {});
  EXPECT_EQ(k8.Level2.Associativity, TCacheAssociativity::ca8Way);
  EXPECT_EQ(DecodeExtendedLeafCaches(TCpuVendor::cvIDT, 6, {}, {0, 0, 0x40044120, 0}, {}).Level2.Size, 64);
  EXPECT_EQ(AssociativityFromCode(15), TCacheAssociativity::caFull);
  EXPECT_EQ(AssociativityFromCode(3), TCacheAssociativity::caNone);
  // Level 1's bits 23-16 are a code of the same table: 8 is 16-way, 6 is 8-way, FFh none.
  const TCPUCache l1 = DecodeExtendedLeafCaches(TCpuVendor::cvAmd, 15, {0, 0, 0x40060140, 0x40080140},
                                                {0, 0, 0x02FF6140, 0}, {});
  EXPECT_EQ(l1.Level1.Code.Associativity, TCacheAssociativity::ca16Way);
  EXPECT_EQ(l1.Level1.Data.Associativity, TCacheAssociativity::ca8Way);
  EXPECT_EQ(DecodeExtendedLeafCaches(TCpuVendor::cvAmd, 15, {0, 0, 0x40FF0140, 0x400F0140}, {}, {}).Level1.Data.Associativity,
            TCacheAssociativity::caNone);
  EXPECT_EQ(DecodeExtendedLeafCaches(TCpuVendor::cvAmd, 15, {0, 0, 0, 0x400F0140}, {}, {}).Level1.Code.Associativity,
            TCacheAssociativity::caFull);
  EXPECT_STREQ(AssociativityName(TCacheAssociativity::ca16Way), "16-Way");
}

TEST(CpuFeatures, TwoPassesPerVendor) {
  TCPUFeatureSet intel = TCPUFeatureSet::Build(TFeatureSetKind::Standard, TCpuVendor::cvIntel, 0);
  EXPECT_EQ(intel.Count(), 29u);
  EXPECT_FALSE(intel.FeatureOfBit(18).Available);
  EXPECT_EQ(intel.FeatureOfBit(18).Name, "PSN");
  EXPECT_TRUE(TCPUFeatureSet::Build(TFeatureSetKind::Standard, TCpuVendor::cvIntel, 1u << 18).FeatureOfBit(18).Available);
  EXPECT_EQ(intel.Feature(0).Name, "FPU");
  EXPECT_EQ(intel.Feature(0).SetNumber, 1);
  EXPECT_EQ(intel.Feature(29).Name, "");  // out of range: a zeroed record
  EXPECT_EQ(intel.FeatureOfBit(16).Name, "");  // PAT is AMD's only

  TCPUFeatureSet amdExt = TCPUFeatureSet::Build(TFeatureSetKind::Extended, TCpuVendor::cvAmd, 0x80400000u);
  TCPUFeatureSet intelExt = TCPUFeatureSet::Build(TFeatureSetKind::Extended, TCpuVendor::cvIntel, 0x80400000u);
  EXPECT_EQ(intelExt.Count(), 20u);
  EXPECT_EQ(amdExt.Count(), 25u);
  EXPECT_EQ(amdExt.FeatureOfBit(22).Name, "MMX+");
  EXPECT_TRUE(amdExt.FeatureOfBit(22).Available);
  EXPECT_EQ(amdExt.FeatureOfBit(31).Name, "3DNOW");
  EXPECT_EQ(amdExt.FeatureOfBit(19).Name, "MP");  // renames CLFSH in place
  EXPECT_EQ(intelExt.FeatureOfBit(22).Name, "");
  TCPUFeatureSet cyrixExt = TCPUFeatureSet::Build(TFeatureSetKind::Extended, TCpuVendor::cvCyrix, 0);
  EXPECT_EQ(cyrixExt.FeatureOfBit(24).Name, "MMX+");
  EXPECT_EQ(cyrixExt.Count(), 22u);
  EXPECT_EQ(TCPUFeatureSet::Build(TFeatureSetKind::PowerManagement, TCpuVendor::cvAmd, 1).FeatureOfBit(0).Name, "TS");
  EXPECT_EQ(TCPUFeatureSet::Build(TFeatureSetKind::PowerManagement, TCpuVendor::cvIntel, 1).Count(), 0u);
  EXPECT_EQ(FeatureTable().size(), 54u);
}

}  // namespace
}  // namespace kestrova
