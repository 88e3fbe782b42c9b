#pragma once
// The memory and power tee ([memory], [power]) and the 16-bit gate's ([gate16]).
#include <map>
#include <optional>

#include "engine/platform/capture/capture_output.h"
#include "engine/platform/gate16.h"
#include "engine/platform/memory_power.h"

namespace kestrova {

class CapturingMemoryPower final : public IMemoryPower {
 public:
  explicit CapturingMemoryPower(IMemoryPower& inner) : inner_(inner) {}
  MemoryStatusRecord GlobalMemoryStatus() override;
  std::optional<MemoryStatusRecord> GlobalMemoryStatusEx() override;
  SystemFacts ProcessSystemInfo() override;
  std::optional<PowerStatusRecord> SystemPowerStatus() override;
  void Write(CaptureOutput& out) const;

 private:
  IMemoryPower& inner_;
  std::optional<MemoryStatusRecord> short_;
  std::optional<std::optional<MemoryStatusRecord>> extended_;
  std::optional<std::optional<PowerStatusRecord>> power_;
};

class CapturingGate16 final : public IGate16 {
 public:
  explicit CapturingGate16(IGate16& inner) : inner_(inner) {}
  uint32_t LoadLibrary16(const std::string& name) override;
  void FreeLibrary16(uint32_t module) override;
  uint32_t GetProcAddress16(uint32_t module, const std::string& name) override;
  uint16_t CallWord16(uint32_t address, uint16_t argument) override;
  void Write(CaptureOutput& out) const;

 private:
  IGate16& inner_;
  std::optional<bool> userLoads_, freeResources_;
  uint32_t userModule_ = 0, freeResourcesAddress_ = 0;
  std::map<uint16_t, uint16_t> resources_;  // GFSR_ selector -> percent
};

}  // namespace kestrova
