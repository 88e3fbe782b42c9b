#pragma once
// A recorded machine around a CPUID dump, and a TCPU over it.
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "engine/core/context.h"
#include "engine/hardware/cpu.h"
#include "engine/platform/recorded/recorded_machine.h"

namespace kestrova::testing {

inline std::string ReadCpuidFixture(const std::string& name) {
  std::ifstream in(std::string(KESTROVA_FIXTURES) + "/cpuid/" + name, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

struct CpuMachine {
  // A machine with the processors of `cpuidText` and the given clock.
  explicit CpuMachine(const std::string& cpuidText, uint32_t mhz = 0) {
    m.Cpuid = ParseCpuidText(cpuidText, "cpuid.txt");
    m.SystemData.ProcessorCount = m.Cpuid.ProcessorCount() ? m.Cpuid.ProcessorCount() : 1;
    m.Processor.FrequencyMHz = mhz;
  }
  TCPU& Cpu() {
    if (!cpu) {
      context = std::make_unique<EngineContext>(MakeEngineContext(m.View()));
      cpu = std::make_unique<TCPU>(*context);
    }
    return *cpu;
  }
  RecordedMachine m;
  std::unique_ptr<EngineContext> context;
  std::unique_ptr<TCPU> cpu;
};

// cpuid.txt lines for one processor: "leaf eax ebx ecx edx" each, cpu 0, subleaf 0.
inline std::string CpuidLines(std::initializer_list<std::array<uint32_t, 5>> rows, unsigned cpu = 0) {
  std::string text;
  for (const auto& r : rows) {
    char line[96];
    std::snprintf(line, sizeof line, "%u %x 0 %x %x %x %x\n", cpu, r[0], r[1], r[2], r[3], r[4]);
    text += line;
  }
  return text;
}

// Leaf 0 registers of a vendor signature with the given highest leaf.
inline std::array<uint32_t, 5> Leaf0(uint32_t maxLeaf, const char* signature) {
  auto reg = [&](int at) {
    return uint32_t(uint8_t(signature[at])) | uint32_t(uint8_t(signature[at + 1])) << 8 |
           uint32_t(uint8_t(signature[at + 2])) << 16 | uint32_t(uint8_t(signature[at + 3])) << 24;
  };
  return {0, maxLeaf, reg(0), reg(8), reg(4)};
}

}  // namespace kestrova::testing
