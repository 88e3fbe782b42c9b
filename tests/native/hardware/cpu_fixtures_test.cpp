// Recorded CPUID dumps of real processors, each checked against labelled expectations:
// what the processor is, what the name tables call it, its caches and its feature sets.
#include <gtest/gtest.h>

#include <map>

#include "engine/core/text.h"
#include "tests/native/hardware/cpu_test_support.h"

namespace kestrova {
namespace {

using Facts = std::map<std::string, std::string>;

std::string CacheText(const TCPUCacheDetails& c) {
  if (c.Size == 0) return "none";
  return Format("%d KB %s line %d", c.Size, AssociativityName(c.Associativity), c.LineSize);
}

std::string AvailableNames(const TCPUFeatureSet& set) {
  std::string names;
  for (const auto& f : set.Records())
    if (f.Available) names += (names.empty() ? "" : " ") + std::string(f.Name);
  return names;
}

Facts Describe(const TCPU& cpu) {
  const auto& f = cpu.Features();
  return {
      {"vendor", VendorInfo(cpu.Vendor()).ShortName},
      {"family", std::to_string(cpu.Family())},
      {"model", std::to_string(cpu.Model())},
      {"stepping", std::to_string(cpu.Stepping())},
      {"brand", std::to_string(cpu.Brand())},
      {"name", cpu.CPUName()},
      {"code name", cpu.CodeName()},
      {"revision", cpu.Revision()},
      {"technology", cpu.Technology()},
      {"marketing name", cpu.MarketingName()},
      {"generic name", cpu.GenericName()},
      {"extended", Format("%d/%d/%d", cpu.FamilyEx(), cpu.ModelEx(), cpu.SteppingEx())},
      {"l1 code", CacheText(cpu.Cache().Level1.Code)},
      {"l1 data", CacheText(cpu.Cache().Level1.Data)},
      {"l2", CacheText(cpu.Cache().Level2)},
      {"l3", CacheText(cpu.Cache().Level3)},
      {"trace", CacheText(cpu.Cache().Trace)},
      {"feature counts", Format("%u/%u/%u/%u", f.Standard.Count(), f.StandardEx.Count(), f.Extended.Count(),
                                f.PowerManagement.Count())},
      {"standard available", AvailableNames(f.Standard)},
      {"serial", cpu.SerialNumber()},
      {"apic", Format("%d lpp %d logical %d physical %d", cpu.APICID(), cpu.LogicalPerPackage(),
                      cpu.LogicalID(), cpu.PhysicalID())},
      {"frequency", std::to_string(cpu.Frequency())},
  };
}

// "label: value" lines; labels not given are not checked.
Facts Parse(const std::string& text) {
  Facts facts;
  for (const std::string& line : Split(text, '\n')) {
    size_t colon = line.find(": ");
    if (colon == std::string::npos) continue;
    facts[Trim(line.substr(0, colon))] = line.substr(colon + 2);
  }
  return facts;
}

struct Dump {
  const char* File;
  uint32_t Mhz;  // what the recorded clock measures
  const char* Expected;
};

const Dump kDumps[] = {
    {"intel-486dx2.txt", 66, R"(
      generic name: x86 Family 4 Model 3 Stepping 6
      name: i80486DX/2-WB
      marketing name: 
      l1 data: none
      l2: none
      feature counts: 29/7/0/0
      standard available: FPU VME
      serial: 0000-0436-0000-0003-0000-0000
      apic: 255 lpp 1 logical 0 physical 255
      frequency: 0)"},  // no time-stamp counter: nothing is measured
    {"intel-pentium-p54c.txt", 100, R"(
      generic name: x86 Family 5 Model 2 Stepping 12
      name: Pentium
      l1 data: none
      feature counts: 29/7/0/0
      standard available: FPU VME DE PSE TSC MSR MCE CX8
      frequency: 100)"},
    {"intel-pentium-mmx.txt", 200, R"(
      generic name: x86 Family 5 Model 4 Stepping 3
      name: Pentium MMX
      standard available: FPU VME DE PSE TSC MSR MCE CX8 MMX
      frequency: 200)"},
    {"intel-pentium-pro.txt", 200, R"(
      generic name: x86 Family 6 Model 1 Stepping 9
      name: Pentium Pro
      l1 code: 8 KB 4-Way line 32
      l1 data: 8 KB 2-Way line 32
      l2: 256 KB 4-Way line 32
      l3: none
      trace: none
      feature counts: 29/7/0/0)"},
    {"intel-pentium3-coppermine.txt", 800, R"(
      generic name: x86 Family 6 Model 8 Stepping 6
      brand: 2
      name: Pentium III
      marketing name: 
      l1 code: 16 KB 4-Way line 32
      l1 data: 16 KB 4-Way line 32
      l2: 256 KB 8-Way line 32
      feature counts: 29/7/0/0
      standard available: FPU VME DE PSE TSC MSR PAE MCE CX8 APIC SEP MTRR PGE MCA CMOV PSE36 MMX FXSR SSE
      serial: 0000-0686-0383-FBFF-0000-0000
      frequency: 800)"},
    {"intel-pentium4-northwood.txt", 2793, R"(
      generic name: x86 Family 15 Model 2 Stepping 9
      brand: 9
      name: Pentium 4 with HTT
      marketing name: Intel(R) Pentium(R) 4 CPU 2.80GHz
      extended: 0/0/0
      l1 code: none
      l1 data: 8 KB 4-Way line 64
      l2: 512 KB 8-Way line 64
      l3: none
      trace: 12 KB 8-Way line 0
      feature counts: 29/7/20/0
      serial: 0000-0F29-BFEB-FBFF-0000-4400
      apic: 0 lpp 2 logical 0 physical 0
      frequency: 2793)"},
    {"intel-pentium-m-banias.txt", 1600, R"(
      generic name: x86 Family 6 Model 9 Stepping 5
      brand: 22
      name: Pentium M
      marketing name: Intel(R) Pentium(R) M processor 1600MHz
      l1 code: 32 KB 8-Way line 64
      l1 data: 32 KB 8-Way line 64
      l2: 1024 KB 8-Way line 64
      apic: 255 lpp 1 logical 0 physical 255)"},
    {"amd-k5.txt", 90, R"(
      generic name: x86 Family 5 Model 1 Stepping 1
      name: K5
      marketing name: AMD-K5(tm) Processor
      extended: 5/1/1
      l1 code: 16 KB 4-Way line 32
      l1 data: 8 KB 4-Way line 32
      l2: none
      feature counts: 30/7/25/0)"},
    {"amd-k6-2.txt", 350, R"(
      generic name: x86 Family 5 Model 8 Stepping 12
      name: K6-II
      marketing name: AMD-K6(tm) 3D processor
      l1 code: 32 KB 2-Way line 32
      l1 data: 32 KB 2-Way line 32
      l2: none
      feature counts: 30/7/25/0)"},
    {"amd-athlon-thunderbird.txt", 1000, R"(
      generic name: x86 Family 6 Model 4 Stepping 2
      name: Athlon
      marketing name: AMD Athlon(tm) Processor
      l1 data: 64 KB 2-Way line 64
      l2: 256 KB 16-Way line 64
      feature counts: 30/7/25/0)"},
    {"amd-athlon64-clawhammer.txt", 2000, R"(
      generic name: x86 Family 15 Model 4 Stepping 8
      brand: 0
      name: Athlon 64
      marketing name: AMD Athlon(tm) 64 Processor 3200+
      extended: 15/4/8
      l1 data: 64 KB 2-Way line 64
      l2: 1024 KB 16-Way line 64
      feature counts: 30/7/25/6)"},
    {"via-c3-ezra.txt", 800, R"(
      generic name: x86 Family 6 Model 7 Stepping 8
      name: VIA C3 C5C
      marketing name: VIA Ezra
      l1 data: 64 KB 4-Way line 32
      l2: 64 KB 4-Way line 32
      feature counts: 29/7/20/0)"},
    {"transmeta-crusoe-tm5800.txt", 933, R"(
      generic name: x86 Family 5 Model 4 Stepping 3
      name: Crusoe
      marketing name: 
      l1 code: 64 KB 16-Way line 32
      l1 data: 64 KB None line 32
      l2: 512 KB 4-Way line 32
      feature counts: 29/7/20/0
      serial: 4A3E-21C7)"},
};

TEST(CpuidDumps, EachProcessorIsIdentifiedNamedAndDescribed) {
  for (const Dump& d : kDumps) {
    SCOPED_TRACE(d.File);
    testing::CpuMachine machine(testing::ReadCpuidFixture(d.File), d.Mhz);
    ASSERT_FALSE(machine.m.Cpuid.Empty());
    TCPU& cpu = machine.Cpu();
    cpu.Refresh(0);
    EXPECT_TRUE(cpu.CPUIDSupported());
    const Facts actual = Describe(cpu);
    for (const auto& [label, value] : Parse(d.Expected)) {
      auto it = actual.find(label);
      ASSERT_NE(it, actual.end()) << "unknown label " << label;
      EXPECT_EQ(it->second, value) << label;
    }
  }
}

TEST(CpuidDumps, TheSecondLogicalProcessorOfAHyperThreadedPentium4) {
  testing::CpuMachine machine(testing::ReadCpuidFixture("intel-pentium4-northwood.txt"), 2793);
  TCPU& cpu = machine.Cpu();
  cpu.Refresh(1);
  EXPECT_EQ(cpu.CPUIndex(), 1);
  EXPECT_EQ(Describe(cpu)["apic"], "1 lpp 2 logical 1 physical 0");
  EXPECT_EQ(cpu.CPUName(), "Pentium 4 with HTT");
  cpu.Refresh(0);
  EXPECT_EQ(cpu.APICID(), 0);
}

}  // namespace
}  // namespace kestrova
