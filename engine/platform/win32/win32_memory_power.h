#pragma once
// IMemoryPower over kernel32: GlobalMemoryStatus(Ex), GetSystemInfo, GetSystemPowerStatus.
#include "engine/platform/memory_power.h"

namespace kestrova::win32 {

class Win32MemoryPower final : public IMemoryPower {
 public:
  MemoryStatusRecord GlobalMemoryStatus() override;
  std::optional<MemoryStatusRecord> GlobalMemoryStatusEx() override;
  SystemFacts ProcessSystemInfo() override;
  std::optional<PowerStatusRecord> SystemPowerStatus() override;
};

}  // namespace kestrova::win32
