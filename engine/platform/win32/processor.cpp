#include "engine/platform/win32/processor.h"

#include <windows.h>

#include <cpuid.h>
#include <x86intrin.h>

#include <atomic>
#include <memory>

namespace kestrova::win32 {

namespace {

// The measurement itself, the same on the worker and on the caller: both counters read,
// a busy wait until GetTickCount has advanced by 5 ms, both counters read again.
// GetTickCount moves in steps (about 55 ms on Windows 9x, 10 to 16 ms on NT, irregular
// under Wine): begun just before a step, "5 ms later" can come a few microseconds later,
// too short to measure anything. So the measurement starts on a step.
ClockSample MeasureClock() {
  ClockSample s;
  LARGE_INTEGER frequency, before, after;
  if (!QueryPerformanceCounter(&before)) {
    s.ExitCode = GetLastError() ? GetLastError() : ERROR_NOT_SUPPORTED;
    return s;
  }
  // GetTickCount always moves on; the counter check only guards against a stuck clock.
  LARGE_INTEGER now = before;
  auto waitTicks = [&](DWORD from, DWORD ms) {
    const LONGLONG origin = now.QuadPart;
    while (GetTickCount() - from < ms) {
      QueryPerformanceCounter(&now);
      if (now.QuadPart - origin > 50000000000LL) break;
    }
  };
  waitTicks(GetTickCount(), 1);
  const uint64_t tsc0 = __rdtsc();
  QueryPerformanceCounter(&before);
  now = before;
  waitTicks(GetTickCount(), 5);
  const uint64_t tsc1 = __rdtsc();
  QueryPerformanceCounter(&after);
  if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart == 0) {
    s.ExitCode = GetLastError() ? GetLastError() : ERROR_NOT_SUPPORTED;
    return s;
  }
  s.TscDelta = tsc1 - tsc0;
  s.CounterDelta = after.QuadPart - before.QuadPart;
  s.CounterFrequency = frequency.QuadPart;
  return s;
}

// A thread may only be terminated where it holds no lock. While it starts and while it
// ends, Windows runs the DLL_THREAD_ATTACH/DETACH notifications (and the C runtime's TLS
// callbacks) under the loader lock: terminated there, it leaves the lock taken for ever
// and the next LoadLibrary or GetProcAddress of the process hangs. So the worker tells
// where it is, and the caller terminates it only inside the measurement, which takes no
// lock (a compare-and-exchange on the state decides who wins a race at either end).
enum ClockState : long { kNotStarted, kMeasuring, kFinished, kCancelled };

struct ClockJob {
  ClockSample Result;
  std::atomic<long> State{kNotStarted};
};
static_assert(std::atomic<long>::is_always_lock_free, "a lock-free instruction, no import");

bool Advance(std::atomic<long>& state, long from, long to) { return state.compare_exchange_strong(from, to); }

DWORD WINAPI ClockThread(LPVOID param) {
  auto* job = static_cast<ClockJob*>(param);
  if (!Advance(job->State, kNotStarted, kMeasuring)) return kClockThreadTimedOut;  // cancelled before it ran
  job->Result = MeasureClock();
  if (!Advance(job->State, kMeasuring, kFinished)) {
    // Cancelled during the measurement: wait here, holding nothing, to be terminated.
    for (;;) Sleep(INFINITE);
  }
  return job->Result.ExitCode;
}

// After the wait ran out: stops the worker without catching it under the loader lock.
// Measuring, it is terminated; not started yet, it will return as soon as it runs;
// finished, it is on its way out. The state only moves forward, so the loop ends.
void CancelClockThread(HANDLE thread, ClockJob& job) {
  for (int attempt = 0; attempt < 4; ++attempt) {
    if (Advance(job.State, kMeasuring, kCancelled)) {
      TerminateThread(thread, kClockThreadTimedOut);
      return;
    }
    if (Advance(job.State, kNotStarted, kCancelled) || job.State.load() == kFinished) return;
  }
}

}  // namespace

Win32Processor::Win32Processor() {
  if (HMODULE kernel = GetModuleHandleA("KERNEL32.DLL")) {
    setAffinity_ = reinterpret_cast<SetAffinityFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetProcessAffinityMask")));
    getAffinity_ = reinterpret_cast<GetAffinityFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "GetProcessAffinityMask")));
  }
}

bool Win32Processor::CpuidSupported() {
#if defined(__x86_64__)
  return true;  // every x86-64 processor has CPUID
#elif defined(__i386__)
  // CPUID exists when the ID bit (21) of EFLAGS can be toggled.
  uint32_t original, toggled;
  __asm__ volatile(
      "pushfl\n\t"
      "pushfl\n\t"
      "popl %0\n\t"
      "movl %0, %1\n\t"
      "xorl $0x200000, %0\n\t"
      "pushl %0\n\t"
      "popfl\n\t"
      "pushfl\n\t"
      "popl %0\n\t"
      "popfl"
      : "=&r"(toggled), "=&r"(original)
      :
      : "cc");
  return ((toggled ^ original) & 0x200000u) != 0;
#else
  return false;
#endif
}

CpuidRegisters Win32Processor::Cpuid(uint32_t leaf, uint32_t subleaf, unsigned times) {
  CpuidRegisters r;
  unsigned a = 0, b = 0, c = 0, d = 0;
  for (unsigned i = 0; i < (times == 0 ? 1u : times); ++i) __cpuid_count(leaf, subleaf, a, b, c, d);
  r.Eax = a;
  r.Ebx = b;
  r.Ecx = c;
  r.Edx = d;
  return r;
}

uint64_t Win32Processor::ProcessAffinity() {
  if (!getAffinity_) return 0;
  uintptr_t process = 0, system = 0;
  if (!getAffinity_(GetCurrentProcess(), &process, &system)) return 0;
  return process;
}

void Win32Processor::SetProcessAffinity(uint64_t mask) {
  if (!setAffinity_) return;
  setAffinity_(GetCurrentProcess(), static_cast<uintptr_t>(mask));
  Sleep(0);  // let the scheduler move us before the next instruction counts
}

ClockSample Win32Processor::MeasureClockOnWorker(uint32_t waitMs) {
  auto job = std::make_unique<ClockJob>();
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, ClockThread, job.get(), 0, &id);
  if (!thread) {
    ClockSample failed;
    failed.ExitCode = GetLastError() ? GetLastError() : ERROR_NOT_ENOUGH_MEMORY;
    return failed;
  }
  if (WaitForSingleObject(thread, waitMs) == WAIT_TIMEOUT) {
    CancelClockThread(thread, *job);
    // The job may only be freed once the thread is really gone.
    if (WaitForSingleObject(thread, 5000) != WAIT_OBJECT_0) {
      job.release();  // still running somewhere: leak it rather than free it under the thread
      CloseHandle(thread);
      ClockSample failed;
      failed.ExitCode = kClockThreadTimedOut;
      return failed;
    }
  }
  DWORD exitCode = kClockThreadTimedOut;
  if (!GetExitCodeThread(thread, &exitCode)) exitCode = GetLastError();
  CloseHandle(thread);
  if (exitCode != 0) {
    ClockSample failed;
    failed.ExitCode = exitCode;
    return failed;
  }
  return job->Result;
}

ClockSample Win32Processor::MeasureClockOnCaller() { return MeasureClock(); }

bool Win32Processor::DivisionFlawed() {
  // volatile: the compiler must not fold the division at build time.
  volatile long double a = 4195835.0L, b = 3145727.0L;
  long double q = a / b;
  return b * q - a != 0.0L;
}

}  // namespace kestrova::win32
