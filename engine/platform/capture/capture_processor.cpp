#include "engine/platform/capture/capture_processor.h"

#include "engine/core/text.h"

namespace kestrova {

bool CapturingProcessor::CpuidSupported() {
  const bool v = inner_.CpuidSupported();
  if (!cpuid_) cpuid_ = v;
  return v;
}

CpuidRegisters CapturingProcessor::Cpuid(uint32_t leaf, uint32_t subleaf, unsigned times) {
  const CpuidRegisters r = inner_.Cpuid(leaf, subleaf, times);
  leaves_.emplace(std::make_tuple(current_, leaf, subleaf), r);
  return r;
}

bool CapturingProcessor::CanSetAffinity() {
  const bool v = inner_.CanSetAffinity();
  if (!affinityControl_) affinityControl_ = v;
  return v;
}

uint64_t CapturingProcessor::ProcessAffinity() {
  const uint64_t v = inner_.ProcessAffinity();
  if (!initialAffinity_) initialAffinity_ = v;
  return v;
}

void CapturingProcessor::SetProcessAffinity(uint64_t mask) {
  if (!initialAffinity_) initialAffinity_ = inner_.ProcessAffinity();
  inner_.SetProcessAffinity(mask);
  unsigned cpu = 0;
  while (cpu < 63 && mask && !((mask >> cpu) & 1u)) ++cpu;  // bounded by the mask width
  current_ = mask ? cpu : 0;
}

// The clock a sample gives, in whole MHz, as the replay's samples give it back.
void CapturingProcessor::Keep(const ClockSample& s) {
  if (s.ExitCode != 0 || s.CounterDelta <= 0 || s.CounterFrequency <= 0) return;
  const double seconds = static_cast<double>(s.CounterDelta) / static_cast<double>(s.CounterFrequency);
  const double mhz = static_cast<double>(s.TscDelta) / seconds / 1e6;
  if (mhz > 0 && mhz < 4294967295.0) frequencyMHz_ = static_cast<uint32_t>(mhz + 0.5);
}

ClockSample CapturingProcessor::MeasureClockOnWorker(uint32_t waitMs) {
  const ClockSample s = inner_.MeasureClockOnWorker(waitMs);
  if (s.ExitCode != 0 && workerExitCode_ == 0) workerExitCode_ = s.ExitCode;
  Keep(s);
  return s;
}

ClockSample CapturingProcessor::MeasureClockOnCaller() {
  const ClockSample s = inner_.MeasureClockOnCaller();
  Keep(s);
  return s;
}

bool CapturingProcessor::DivisionFlawed() {
  const bool v = inner_.DivisionFlawed();
  if (!fdiv_) fdiv_ = v;
  return v;
}

void CapturingProcessor::Write(CaptureOutput& out) const {
  if (frequencyMHz_) out.Add("processor", "Frequency", std::to_string(*frequencyMHz_));
  if (cpuid_) out.Add("processor", "Cpuid", *cpuid_ ? "1" : "0");
  if (affinityControl_ && !*affinityControl_) out.Add("processor", "AffinityControl", "0");
  if (workerExitCode_) out.Add("processor", "WorkerExitCode", std::to_string(workerExitCode_));
  if (fdiv_ && *fdiv_) out.Add("processor", "FDIVBug", "1");

  std::string text = "# cpu leaf subleaf eax ebx ecx edx\r\n";
  unsigned highest = 0;
  for (const auto& [key, r] : leaves_) {
    const auto& [cpu, leaf, subleaf] = key;
    highest = std::max(highest, cpu);
    text += Format("%u %x %x %08x %08x %08x %08x\r\n", cpu, leaf, subleaf, r.Eax, r.Ebx, r.Ecx, r.Edx);
  }
  if (!leaves_.empty()) out.SetFile("cpuid.txt", text);
  // The replay's process runs on as many processors as cpuid.txt names.
  if (initialAffinity_) {
    const uint64_t m = *initialAffinity_;
    const uint64_t replay = leaves_.empty() ? 1 : (highest >= 63 ? ~uint64_t{0} : (uint64_t{1} << (highest + 1)) - 1);
    if (m != replay)
      out.Note(Format("[processor] the process ran on the processors of mask 0x%llX; the replay's mask is 0x%llX",
                      static_cast<unsigned long long>(m), static_cast<unsigned long long>(replay)));
  }
}

}  // namespace kestrova
