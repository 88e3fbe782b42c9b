#pragma once
// Memory, power and the 16-bit gate of a recorded machine: [memory], [power] and [gate16]
// of machine.ini. The process's view of the address space is the machine's [system] one.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/platform/gate16.h"
#include "engine/platform/memory_power.h"
#include "engine/platform/recorded/ini.h"

namespace kestrova {

class RecordedMemoryPower : public IMemoryPower {
 public:
  explicit RecordedMemoryPower(const SystemFacts& system) : system_(system) {}

  // The 64-bit figures; GlobalMemoryStatus gives each cut to 32 bits (0xFFFFFFFF at most),
  // as the short record does on machines with more than 4 GB.
  MemoryStatusRecord Memory;
  bool ExtendedCallWorks = true;           // GlobalMemoryStatusEx answers
  bool ShortRecordWhole = false;           // the short record's fields are 64-bit (a 64-bit process)
  std::optional<PowerStatusRecord> Power;  // nullopt: GetSystemPowerStatus fails

  MemoryStatusRecord GlobalMemoryStatus() override;
  std::optional<MemoryStatusRecord> GlobalMemoryStatusEx() override;
  SystemFacts ProcessSystemInfo() override { return system_; }
  std::optional<PowerStatusRecord> SystemPowerStatus() override { return Power; }

 private:
  const SystemFacts& system_;
};

class RecordedGate16 : public IGate16 {
 public:
  bool UserModuleLoads = false;        // user.exe loads through LoadLibrary16
  bool FreeResourcesExported = false;  // it exports GetFreeSystemResources
  uint16_t SystemResources = 0, GDIResources = 0, UserResources = 0;  // percent free
  std::vector<std::string> Journal;    // "load NAME", "free", "address NAME", "call SELECTOR"

  uint32_t LoadLibrary16(const std::string& name) override;
  void FreeLibrary16(uint32_t module) override;
  uint32_t GetProcAddress16(uint32_t module, const std::string& name) override;
  uint16_t CallWord16(uint32_t address, uint16_t argument) override;
};

// Applies [memory], [power] or [gate16]; false for any other section.
bool ApplyStatusSection(RecordedMemoryPower& memoryPower, RecordedGate16& gate, const IniSection& section,
                        const std::string& file);

}  // namespace kestrova
