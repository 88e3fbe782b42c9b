// The "CPU (processeur)" section and the TCPU report block on the recorded machines, and
// what TCPU asks of the processor: pinning, the clock thread and its fallback.
#include "sections/cpu_section.h"

#include <gtest/gtest.h>

#include "sections/categories.h"
#include "tests/native/app/fake_host.h"
#include "tests/native/hardware/cpu_test_support.h"

namespace kestrova {
namespace {

using Lines = std::vector<std::string>;

struct CpuOnlyEngine {
  static TSystemInfo::Factories CpuFactory() {
    TSystemInfo::Factories f{};
    const auto cpu = static_cast<size_t>(TSystemInfo::Member::CPU);
    f[cpu] = TSystemInfo::BuiltMembers()[cpu];
    return f;
  }
  explicit CpuOnlyEngine(RecordedMachine& m) : Context(MakeEngineContext(m.View())), Engine(Context, CpuFactory()) {}
  TCPU& Cpu() { return *Engine.As<TCPU>(TSystemInfo::Member::CPU); }
  EngineContext Context;
  TSystemInfo Engine;
};

Lines RunCpuSection(RecordedMachine& m, CpuOnlyEngine& engine, MemoryLog& log) {
  testing::FakeHost host;
  RunFlags flags;
  host.TickOnly({kCatCPU});
  RunAnalysis(&engine.Engine, log, host, flags);
  EXPECT_EQ(log.UpdateDepth(), 0);
  EXPECT_EQ(host.Statuses, (Lines{kCatCPU, ""}));
  (void)m;
  return log.Texts();
}

std::unique_ptr<RecordedMachine> Load(const char* name) {
  return LoadRecordedMachine(std::string(KESTROVA_FIXTURES) + "/machines/" + name);
}

TEST(CpuSection, HyperThreadedPentium4WritesOneBlockPerLogicalProcessor) {
  auto m = Load("xp-sp2-p4ht");
  CpuOnlyEngine engine(*m);
  MemoryLog log;
  Lines out = RunCpuSection(*m, engine, log);
  const Lines head = {" - Type : 0",
                      " - Famille : 15",
                      " - Modèle : 2",
                      " - Nom CPU : Pentium 4 with HTT",
                      " - Nom générique : x86 Family 15 Model 2 Stepping 9",
                      " - Nom commercial : Intel(R) Pentium(R) 4 CPU 2.80GHz",
                      " - Nom de code : Northwood",
                      " - Révision : D1",
                      " - Technologie : 0.13 µm",
                      " - Fréquence : 2793 MHz",
                      " - Cache Niveau 1 : 8",
                      " - Cache Niveau 2 : 512",
                      " - Cache Niveau 3 : 0",
                      " - Numéro série : 0000-0F29-BFEB-FBFF-0000-4400",
                      " - FPU (Floating point unit)"};
  const size_t block = 1 + 14 + 29 + 7 + 20;  // heading, items, Standard, StandardEx, Extended
  ASSERT_EQ(out.size(), 3 + 2 * block + 2);
  EXPECT_EQ(out[2], "");  // the frame's blank line, and no caption heading of its own
  EXPECT_EQ(out[3], "CPU (processeur) - CPU #0");
  EXPECT_EQ(Lines(out.begin() + 4, out.begin() + 4 + head.size()), head);
  EXPECT_EQ(out[3 + block], "CPU (processeur) - CPU #1");
  EXPECT_EQ(Lines(out.begin() + 4 + block, out.begin() + 4 + block + head.size()), head);
  EXPECT_EQ(out[3 + 15 + 28], " - SBF (Signal break on FERR)");
  EXPECT_EQ(out[3 + 15 + 29], " - SSE3 (Streaming SIMD extensions 3)");
  EXPECT_EQ(out[3 + 15 + 35], " - ETPRD (ETPRD)");
  EXPECT_EQ(out[3 + 15 + 36], " - FPU (Floating point unit)");  // Extended set
  EXPECT_EQ(log.Lines[3].Level, kLevelHeading);
  EXPECT_EQ(log.Lines[4].Level, kLevelItem);
  EXPECT_EQ(engine.Cpu().CPUIndex(), 1);
  EXPECT_EQ(engine.Cpu().APICID(), 1);  // the second block examined the second processor
  // Pinned to each processor in turn, and the mask put back every time.
  EXPECT_GT(m->Processor.AffinityChanges, 0u);
  EXPECT_EQ(m->Processor.ProcessAffinity(), 3u);
}

TEST(CpuSection, EachBlockDescribesItsOwnProcessor) {
  // Two processors of different steppings.
  testing::CpuMachine two(testing::CpuidLines({testing::Leaf0(1, "GenuineIntel"), {1, 0x686, 2, 0, 0x10}}, 0) +
                              testing::CpuidLines({testing::Leaf0(1, "GenuineIntel"), {1, 0x68A, 2, 0, 0x10}}, 1),
                          700);
  CpuOnlyEngine engine(two.m);
  MemoryLog log;
  Lines out = RunCpuSection(two.m, engine, log);
  EXPECT_NE(std::find(out.begin(), out.end(), " - Nom générique : x86 Family 6 Model 8 Stepping 6"), out.end());
  EXPECT_NE(std::find(out.begin(), out.end(), " - Nom générique : x86 Family 6 Model 8 Stepping 10"), out.end());
}

TEST(CpuSection, WithoutCpuidOnlyTheRegistryNamesAndZeros) {
  RecordedMachine m;
  m.Processor.CpuidPresent = false;
  m.Processor.FrequencyMHz = 33;
  const std::string key = "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";
  m.Registry.SetString(RootKey::LocalMachine, key, "VendorIdentifier", "CyrixInstead");
  m.Registry.SetString(RootKey::LocalMachine, key, "Identifier", "x86 Family 4 Model 2 Stepping 0");
  CpuOnlyEngine engine(m);
  MemoryLog log;
  Lines out = RunCpuSection(m, engine, log);
  EXPECT_EQ(out, (Lines{"", "Début Analyse", "", "CPU (processeur) - CPU #0", " - Type : 0", " - Famille : 0",
                        " - Modèle : 0", " - Nom CPU : ", " - Nom générique : x86 Family 4 Model 2 Stepping 0",
                        " - Nom commercial : ", " - Nom de code : ", " - Révision : ", " - Technologie : ",
                        " - Fréquence : 0 MHz", " - Cache Niveau 1 : 0", " - Cache Niveau 2 : 0",
                        " - Cache Niveau 3 : 0", " - Numéro série : ", "", "Fin Analyse"}));
  EXPECT_EQ(engine.Cpu().Vendor(), TCpuVendor::cvCyrix);
  EXPECT_FALSE(engine.Cpu().CPUIDSupported());
  // No processor at all: the heading-less section writes only its blank line.
  m.SystemData.ProcessorCount = 0;
  MemoryLog none;
  EXPECT_EQ(RunCpuSection(m, engine, none), (Lines{"", "Début Analyse", "", "", "Fin Analyse"}));
}

TEST(CpuReport, BlockOfTheWindows98PentiumIII) {
  auto m = Load("win98se-p3");
  CpuOnlyEngine engine(*m);
  ReportLines lines;
  engine.Cpu().WriteReport(lines, false);
  const ReportLines head = {
      "<CPU classname=\"TCPU\">",
      "<data name=\"Count\" type=\"integer\">1</data>",
      "<section name=\"Processor #1\">",
      "<data name=\"Vendor\" type=\"string\">Intel Corporation</data>",
      "<data name=\"CPUName\" type=\"string\">Pentium III</data>",
      "<data name=\"GenericName\" type=\"string\">x86 Family 6 Model 8 Stepping 6</data>",
      "<data name=\"MarketingName\" type=\"string\"></data>",
      "<data name=\"CodeName\" type=\"string\">A80526, Coppermine</data>",
      "<data name=\"Revision\" type=\"string\">C0,cC0</data>",
      "<data name=\"Technology\" type=\"string\">0.18 &#181;m</data>",
      "<data name=\"Brand\" type=\"integer\">2</data>",
      "<data name=\"Type\" type=\"integer\">0</data>",
      "<data name=\"FamilyEx\" type=\"integer\">0</data>",
      "<data name=\"ModelEx\" type=\"integer\">0</data>",
      "<data name=\"SteppingEx\" type=\"integer\">0</data>",
      "<data name=\"Frequency\" type=\"integer\" unit=\"MHz\">800</data>",
      "<data name=\"Serial Number\" type=\"string\">0000-0686-0383-FBFF-0000-0000</data>",
      "<data name=\"APICID\" type=\"integer\">255</data>",
      "<data name=\"LogicalPerPackage\" type=\"integer\">1</data>",
      "<data name=\"PhysicalID\" type=\"integer\">255</data>",
      "<data name=\"LogicalID\" type=\"integer\">0</data>",
      "<section name=\"Level 1 Code\">",
      "<data name=\"Size\" type=\"integer\" unit=\"K\">16</data>",
      "<data name=\"Associativity\" type=\"string\">4-Way</data>",
      "<data name=\"LineSize\" type=\"integer\" unit=\"entries\">32</data>",
      "</section>"};
  ASSERT_GT(lines.size(), head.size());
  EXPECT_EQ(ReportLines(lines.begin(), lines.begin() + head.size()), head);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "<section name=\"Standard Features\">"), 1);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "<data name=\"SSE\" type=\"boolean\">1</data>"), 1);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "<data name=\"SSE2\" type=\"boolean\">0</data>"), 1);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "<section name=\"Extended Features\">"), 0);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "<section name=\"Trace\">"), 0);
  EXPECT_EQ(lines[lines.size() - 2], "</section>");
  EXPECT_EQ(lines.back(), "</CPU>");
  // Windows 98 cannot pin: nothing was asked of the affinity.
  EXPECT_EQ(m->Processor.AffinityChanges, 0u);
}

TEST(CpuClock, PinningTheThreadFallbackAndTheFormula) {
  testing::CpuMachine m(testing::ReadCpuidFixture("intel-pentium4-northwood.txt"), 2793);
  TCPU& cpu = m.Cpu();
  cpu.Refresh(1);
  EXPECT_EQ(m.m.Processor.WorkerMeasurements, 1u);
  EXPECT_EQ(m.m.Processor.CallerMeasurements, 0u);
  EXPECT_EQ(m.m.Processor.ProcessAffinity(), 3u);  // restored after every pin
  // A worker that overran (terminated, exit code 258): measured again on the caller.
  m.m.Processor.WorkerExitCode = kClockThreadTimedOut;
  cpu.Refresh(0);
  EXPECT_EQ(m.m.Processor.CallerMeasurements, 1u);
  EXPECT_EQ(cpu.Frequency(), 2793u);
  // An index beyond the processors pins to processor 0; 32 and above pins nothing.
  unsigned before = m.m.Processor.AffinityChanges;
  cpu.Refresh(40);
  EXPECT_EQ(m.m.Processor.AffinityChanges, before);
  EXPECT_EQ(cpu.APICID(), 0);
  cpu.Refresh(5);
  EXPECT_EQ(cpu.APICID(), 0);
  EXPECT_EQ(cpu.CPUIndex(), 5);

  EXPECT_EQ(ClockMHz({0, 2793000000ull, 3579545, 3579545}), 2793u);
  EXPECT_EQ(ClockMHz({0, 13999999ull, 5000, 1000000}), 2799u);  // 5 ms; the fraction is cut off
  EXPECT_EQ(ClockMHz({0, 1000, 0, 3579545}), 0u);                 // no time elapsed
  EXPECT_EQ(ClockMHz({0, 1000, 10, 0}), 0u);                      // no counter frequency
  EXPECT_EQ(ClockMHz({5, 1000, 10, 10}), 0u);                     // a failed measurement
  EXPECT_EQ(ClockMHz({0, ~0ull, 1, 1000000000}), UINT32_MAX);
  m.m.Processor.FdivFlaw = true;
  cpu.Refresh(0);
  EXPECT_TRUE(cpu.FDIVBug());
}

TEST(RecordedProcessorIni, ProcessorSectionKeys) {
  RecordedMachine m;
  ApplyMachineIni(m, "[processor]\nFrequency=2793\nCpuid=0\nAffinityControl=0\nWorkerExitCode=258\nFDIVBug=1\n", "machine.ini");
  EXPECT_EQ(m.Processor.FrequencyMHz, 2793u);
  EXPECT_FALSE(m.Processor.CpuidSupported());
  EXPECT_FALSE(m.Processor.CanSetAffinity());
  EXPECT_EQ(m.Processor.WorkerExitCode, 258u);
  EXPECT_TRUE(m.Processor.DivisionFlawed());
  EXPECT_THROW(ApplyMachineIni(m, "[processor]\nFrequence=1\n", "machine.ini"), std::exception);
}

}  // namespace
}  // namespace kestrova
