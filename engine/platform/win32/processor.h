#pragma once
// IProcessor over the real processor: CPUID, the process affinity calls and the clock
// measurement with the time-stamp and performance counters.
#include "engine/platform/processor.h"

namespace kestrova::win32 {

class Win32Processor final : public IProcessor {
 public:
  Win32Processor();  // binds SetProcessAffinityMask by name: 9x has none

  bool CpuidSupported() override;
  CpuidRegisters Cpuid(uint32_t leaf, uint32_t subleaf, unsigned times) override;
  bool CanSetAffinity() override { return setAffinity_ != nullptr; }
  uint64_t ProcessAffinity() override;
  void SetProcessAffinity(uint64_t mask) override;
  ClockSample MeasureClockOnWorker(uint32_t waitMs) override;
  ClockSample MeasureClockOnCaller() override;
  bool DivisionFlawed() override;

 private:
  using SetAffinityFn = int(__stdcall*)(void*, uintptr_t);
  using GetAffinityFn = int(__stdcall*)(void*, uintptr_t*, uintptr_t*);
  SetAffinityFn setAffinity_ = nullptr;
  GetAffinityFn getAffinity_ = nullptr;
};

}  // namespace kestrova::win32
