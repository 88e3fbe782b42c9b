#include "engine/platform/win32/win32_memory_power.h"

#include <windows.h>

#include "engine/platform/win32/win32_util.h"

namespace kestrova::win32 {

namespace {
// Windows 2000 and later only; NT 4.0 has no power status either.
using GlobalMemoryStatusExFn = BOOL(WINAPI*)(LPMEMORYSTATUSEX);
using GetSystemPowerStatusFn = BOOL(WINAPI*)(LPSYSTEM_POWER_STATUS);
HMODULE Kernel() { return ::GetModuleHandleA("kernel32.dll"); }
}  // namespace

MemoryStatusRecord Win32MemoryPower::GlobalMemoryStatus() {
  MEMORYSTATUS ms{};
  ms.dwLength = sizeof ms;
  ::GlobalMemoryStatus(&ms);
  MemoryStatusRecord r;
  r.MemoryLoad = ms.dwMemoryLoad;
  r.TotalPhys = ms.dwTotalPhys;
  r.AvailPhys = ms.dwAvailPhys;
  r.TotalPageFile = ms.dwTotalPageFile;
  r.AvailPageFile = ms.dwAvailPageFile;
  r.TotalVirtual = ms.dwTotalVirtual;
  r.AvailVirtual = ms.dwAvailVirtual;
  return r;
}

std::optional<MemoryStatusRecord> Win32MemoryPower::GlobalMemoryStatusEx() {
  auto call = ProcAs<GlobalMemoryStatusExFn>(Kernel(), "GlobalMemoryStatusEx");
  if (!call) return std::nullopt;
  MEMORYSTATUSEX ms{};
  ms.dwLength = sizeof ms;
  if (!call(&ms)) return std::nullopt;
  MemoryStatusRecord r;
  r.MemoryLoad = ms.dwMemoryLoad;
  r.TotalPhys = ms.ullTotalPhys;
  r.AvailPhys = ms.ullAvailPhys;
  r.TotalPageFile = ms.ullTotalPageFile;
  r.AvailPageFile = ms.ullAvailPageFile;
  r.TotalVirtual = ms.ullTotalVirtual;
  r.AvailVirtual = ms.ullAvailVirtual;
  return r;
}

SystemFacts Win32MemoryPower::ProcessSystemInfo() {
  SYSTEM_INFO si{};
  ::GetSystemInfo(&si);
  SystemFacts f;
  f.ProcessorCount = si.dwNumberOfProcessors;
  f.ProcessorArchitecture = si.wProcessorArchitecture;
  f.PageSize = si.dwPageSize;
  f.AllocationGranularity = si.dwAllocationGranularity;
  f.MinimumApplicationAddress = reinterpret_cast<uintptr_t>(si.lpMinimumApplicationAddress);
  f.MaximumApplicationAddress = reinterpret_cast<uintptr_t>(si.lpMaximumApplicationAddress);
  return f;
}

std::optional<PowerStatusRecord> Win32MemoryPower::SystemPowerStatus() {
  auto call = ProcAs<GetSystemPowerStatusFn>(Kernel(), "GetSystemPowerStatus");
  if (!call) return std::nullopt;
  SYSTEM_POWER_STATUS ps{};
  if (!call(&ps)) return std::nullopt;
  PowerStatusRecord r;
  r.ACLineStatus = ps.ACLineStatus;
  r.BatteryFlag = ps.BatteryFlag;
  r.BatteryLifePercent = ps.BatteryLifePercent;
  r.BatteryLifeTime = ps.BatteryLifeTime;
  r.BatteryFullLifeTime = ps.BatteryFullLifeTime;
  return r;
}

}  // namespace kestrova::win32
