#pragma once
// The processor of a recorded machine: CPUID answered from cpuid.txt for the processor
// the process is pinned to, and a clock that always measures the recorded frequency.
#include <cstdint>
#include <optional>

#include "engine/platform/processor.h"
#include "engine/platform/recorded/machine_data.h"

namespace kestrova {

class RecordedProcessor : public IProcessor {
 public:
  explicit RecordedProcessor(const CpuidTable& table) : table_(table) {}

  // --- the data ([processor] of machine.ini) ------------------------------------------
  uint32_t FrequencyMHz = 0;                // what every clock measurement gives
  std::optional<bool> CpuidPresent;         // default: cpuid.txt lists something
  bool AffinityControl = true;              // false: SetProcessAffinityMask is missing
  uint32_t WorkerExitCode = 0;              // e.g. 258: the worker thread overran
  bool FdivFlaw = false;

  // --- what the engine did (for tests) -------------------------------------------------
  unsigned CpuidCalls = 0;
  unsigned AffinityChanges = 0;
  unsigned WorkerMeasurements = 0, CallerMeasurements = 0;

  // --- IProcessor -----------------------------------------------------------------------
  bool CpuidSupported() override;
  CpuidRegisters Cpuid(uint32_t leaf, uint32_t subleaf, unsigned times) override;
  bool CanSetAffinity() override { return AffinityControl; }
  uint64_t ProcessAffinity() override;
  void SetProcessAffinity(uint64_t mask) override;
  ClockSample MeasureClockOnWorker(uint32_t waitMs) override;
  ClockSample MeasureClockOnCaller() override;
  bool DivisionFlawed() override { return FdivFlaw; }

  // The processor CPUID runs on now: the lowest processor of the affinity mask.
  unsigned CurrentProcessor() const;

 private:
  ClockSample Sample() const;
  const CpuidTable& table_;
  std::optional<uint64_t> affinity_;  // unset: every processor
};

}  // namespace kestrova
