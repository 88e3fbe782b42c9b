#pragma once
// Memory status (both records), the process's own view of the address space, and the
// power status.
#include <cstdint>
#include <optional>

#include "engine/platform/system.h"

namespace kestrova {

// MEMORYSTATUS (GlobalMemoryStatus: 32-bit fields, widened here) or MEMORYSTATUSEX.
struct MemoryStatusRecord {
  uint32_t MemoryLoad = 0;
  uint64_t TotalPhys = 0, AvailPhys = 0;
  uint64_t TotalPageFile = 0, AvailPageFile = 0;
  uint64_t TotalVirtual = 0, AvailVirtual = 0;
};

// SYSTEM_POWER_STATUS.
struct PowerStatusRecord {
  uint8_t ACLineStatus = 255;
  uint8_t BatteryFlag = 255;
  uint8_t BatteryLifePercent = 255;
  uint32_t BatteryLifeTime = 0xFFFFFFFF;
  uint32_t BatteryFullLifeTime = 0xFFFFFFFF;
};

class IMemoryPower {
 public:
  virtual ~IMemoryPower() = default;
  virtual MemoryStatusRecord GlobalMemoryStatus() = 0;
  // Through kernel32's GlobalMemoryStatusEx bound by name; nullopt when it is missing or
  // the call fails.
  virtual std::optional<MemoryStatusRecord> GlobalMemoryStatusEx() = 0;
  // GetSystemInfo: the process's own view (a 32-bit process on a 64-bit system sees its
  // own address space here, unlike ISystem::SystemInfo).
  virtual SystemFacts ProcessSystemInfo() = 0;
  // GetSystemPowerStatus; nullopt when the call fails.
  virtual std::optional<PowerStatusRecord> SystemPowerStatus() = 0;
};

}  // namespace kestrova
