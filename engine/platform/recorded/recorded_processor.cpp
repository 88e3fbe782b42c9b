#include "engine/platform/recorded/recorded_processor.h"

namespace kestrova {

bool RecordedProcessor::CpuidSupported() { return CpuidPresent.value_or(!table_.Empty()); }

unsigned RecordedProcessor::CurrentProcessor() const {
  if (!affinity_ || *affinity_ == 0) return 0;
  unsigned cpu = 0;
  while (cpu < 63 && !((*affinity_ >> cpu) & 1u)) ++cpu;  // bounded by the mask width
  return cpu;
}

CpuidRegisters RecordedProcessor::Cpuid(uint32_t leaf, uint32_t subleaf, unsigned times) {
  CpuidCalls += times == 0 ? 1 : times;
  return table_.Query(CurrentProcessor(), leaf, subleaf);
}

uint64_t RecordedProcessor::ProcessAffinity() {
  if (affinity_) return *affinity_;
  unsigned count = table_.ProcessorCount();
  if (count == 0) count = 1;
  return count >= 64 ? ~uint64_t{0} : (uint64_t{1} << count) - 1;
}

void RecordedProcessor::SetProcessAffinity(uint64_t mask) {
  ++AffinityChanges;
  affinity_ = mask;
}

// A one-second window in which the time-stamp counter advanced by the recorded frequency.
ClockSample RecordedProcessor::Sample() const {
  ClockSample s;
  s.CounterFrequency = 3579545;  // the ACPI timer rate many systems report
  s.CounterDelta = s.CounterFrequency;
  s.TscDelta = uint64_t{FrequencyMHz} * 1000000u;
  return s;
}

ClockSample RecordedProcessor::MeasureClockOnWorker(uint32_t) {
  ++WorkerMeasurements;
  if (WorkerExitCode != 0) {
    ClockSample failed;
    failed.ExitCode = WorkerExitCode;
    return failed;
  }
  return Sample();
}

ClockSample RecordedProcessor::MeasureClockOnCaller() {
  ++CallerMeasurements;
  return Sample();
}

}  // namespace kestrova
