#pragma once
// The processor as the engine reads it: the CPUID instruction, the process affinity that
// pins it to one processor, and the raw counter readings the clock measurement needs.
// The arithmetic (which mask, which leaves, the MHz formula) stays in the engine.
#include <cstdint>

namespace kestrova {

struct CpuidRegisters {
  uint32_t Eax = 0, Ebx = 0, Ecx = 0, Edx = 0;
};

// One clock measurement: time-stamp counter and performance counter read before and after
// a busy wait of at least 5 ms of GetTickCount, and the performance-counter frequency.
// ExitCode is the measuring thread's: 0 when the readings are good, the last Win32 error
// when the measurement failed, 258 (WAIT_TIMEOUT) when it overran and was terminated.
struct ClockSample {
  uint32_t ExitCode = 0;
  uint64_t TscDelta = 0;
  int64_t CounterDelta = 0;
  int64_t CounterFrequency = 0;
};

constexpr uint32_t kClockThreadTimedOut = 258;

class IProcessor {
 public:
  virtual ~IProcessor() = default;

  // The EFLAGS ID bit (bit 21) can be toggled: the CPUID instruction exists.
  virtual bool CpuidSupported() = 0;
  // Executes CPUID `times` times (at least once) on the processor the process runs on and
  // returns the registers of the last execution.
  virtual CpuidRegisters Cpuid(uint32_t leaf, uint32_t subleaf, unsigned times) = 0;

  // False when the system offers no SetProcessAffinityMask: nothing is pinned then.
  virtual bool CanSetAffinity() = 0;
  virtual uint64_t ProcessAffinity() = 0;
  // Sets the mask and gives up the time slice, so the process moves before the next call.
  virtual void SetProcessAffinity(uint64_t mask) = 0;

  // The measurement on a worker thread, waited for at most `waitMs` and terminated if it
  // overruns (ExitCode kClockThreadTimedOut then).
  virtual ClockSample MeasureClockOnWorker(uint32_t waitMs) = 0;
  // The same measurement on the calling thread.
  virtual ClockSample MeasureClockOnCaller() = 0;

  // b * (a / b) - a != 0 in extended precision, a = 4195835, b = 3145727, computed by this
  // processor's floating-point unit.
  virtual bool DivisionFlawed() = 0;
};

}  // namespace kestrova
