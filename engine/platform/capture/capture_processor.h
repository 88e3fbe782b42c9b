#pragma once
// The processor tee: every CPUID leaf asked on each processor (cpuid.txt), and the
// [processor] facts: whether CPUID and affinity control exist, the clock the measurements
// give, a failing measuring thread and the division flaw.
#include <map>
#include <optional>
#include <tuple>

#include "engine/platform/capture/capture_output.h"
#include "engine/platform/processor.h"

namespace kestrova {

class CapturingProcessor final : public IProcessor {
 public:
  explicit CapturingProcessor(IProcessor& inner) : inner_(inner) {}
  bool CpuidSupported() override;
  CpuidRegisters Cpuid(uint32_t leaf, uint32_t subleaf, unsigned times) override;
  bool CanSetAffinity() override;
  uint64_t ProcessAffinity() override;
  void SetProcessAffinity(uint64_t mask) override;
  ClockSample MeasureClockOnWorker(uint32_t waitMs) override;
  ClockSample MeasureClockOnCaller() override;
  bool DivisionFlawed() override;
  void Write(CaptureOutput& out) const;

 private:
  void Keep(const ClockSample& s);
  IProcessor& inner_;
  std::optional<bool> cpuid_, affinityControl_, fdiv_;
  std::optional<uint64_t> initialAffinity_;
  unsigned current_ = 0;  // the processor CPUID runs on: the lowest of the mask set last
  std::map<std::tuple<unsigned, uint32_t, uint32_t>, CpuidRegisters> leaves_;
  std::optional<uint32_t> frequencyMHz_;
  uint32_t workerExitCode_ = 0;
};

}  // namespace kestrova
