#include "engine/platform/capture/capture_memory_power.h"

#include "engine/core/text.h"

namespace kestrova {

MemoryStatusRecord CapturingMemoryPower::GlobalMemoryStatus() {
  const MemoryStatusRecord r = inner_.GlobalMemoryStatus();
  if (!short_) short_ = r;
  return r;
}

std::optional<MemoryStatusRecord> CapturingMemoryPower::GlobalMemoryStatusEx() {
  auto r = inner_.GlobalMemoryStatusEx();
  if (!extended_) extended_ = r;
  return r;
}

SystemFacts CapturingMemoryPower::ProcessSystemInfo() {
  // The replay answers the [system] figures: the system tee holds them.
  return inner_.ProcessSystemInfo();
}

std::optional<PowerStatusRecord> CapturingMemoryPower::SystemPowerStatus() {
  auto p = inner_.SystemPowerStatus();
  if (!power_) power_ = p;
  return p;
}

void CapturingMemoryPower::Write(CaptureOutput& out) const {
  // The replay gives the short record as the long one cut to 32 bits: the long record
  // when there is one, else the short one.
  const MemoryStatusRecord* m = extended_ && *extended_ ? &**extended_ : short_ ? &*short_ : nullptr;
  if (m) {
    out.Add("memory", "MemoryLoad", std::to_string(m->MemoryLoad));
    out.Add("memory", "TotalPhys", std::to_string(m->TotalPhys));
    out.Add("memory", "AvailPhys", std::to_string(m->AvailPhys));
    out.Add("memory", "TotalPageFile", std::to_string(m->TotalPageFile));
    out.Add("memory", "AvailPageFile", std::to_string(m->AvailPageFile));
    out.Add("memory", "TotalVirtual", std::to_string(m->TotalVirtual));
    out.Add("memory", "AvailVirtual", std::to_string(m->AvailVirtual));
  }
  if (extended_ && !*extended_) out.Add("memory", "ExtendedCallWorks", "0");
  // A 64-bit process's short record holds 64-bit fields: the replay must not cut them.
  if (short_) {
    const MemoryStatusRecord& s = *short_;
    bool wide = false;
    for (uint64_t v : {s.TotalPhys, s.AvailPhys, s.TotalPageFile, s.AvailPageFile, s.TotalVirtual, s.AvailVirtual})
      wide = wide || v > 0xFFFFFFFFu;
    if (wide) out.Add("memory", "ShortRecordWhole", "1");
  }
  if (extended_ && *extended_ && short_) {
    auto cut = [](uint64_t v) { return std::min<uint64_t>(v, 0xFFFFFFFFu); };
    const MemoryStatusRecord& e = **extended_;
    const MemoryStatusRecord& s = *short_;
    const bool whole = s.TotalPhys > 0xFFFFFFFFu || s.TotalVirtual > 0xFFFFFFFFu || s.TotalPageFile > 0xFFFFFFFFu;
    auto same = [&](uint64_t shortValue, uint64_t longValue) { return shortValue == (whole ? longValue : cut(longValue)); };
    if (!same(s.TotalPhys, e.TotalPhys) || !same(s.TotalPageFile, e.TotalPageFile) || !same(s.TotalVirtual, e.TotalVirtual))
      out.Note("[memory] the short record is not the long one (cut to 32 bits); the replay gives it from the long one");
  }
  if (power_ && *power_) {
    const PowerStatusRecord& p = **power_;
    out.Add("power", "ACLineStatus", std::to_string(p.ACLineStatus));
    out.Add("power", "BatteryFlag", std::to_string(p.BatteryFlag));
    out.Add("power", "BatteryLifePercent", std::to_string(p.BatteryLifePercent));
    out.Add("power", "BatteryLifeTime", std::to_string(p.BatteryLifeTime));
    out.Add("power", "BatteryFullLifeTime", std::to_string(p.BatteryFullLifeTime));
  }
}

uint32_t CapturingGate16::LoadLibrary16(const std::string& name) {
  const uint32_t h = inner_.LoadLibrary16(name);
  if (EqualsNoCase(name, "user.exe")) {
    if (!userLoads_) userLoads_ = h >= 32;
    if (h >= 32) userModule_ = h;
  }
  return h;
}

void CapturingGate16::FreeLibrary16(uint32_t module) { inner_.FreeLibrary16(module); }

uint32_t CapturingGate16::GetProcAddress16(uint32_t module, const std::string& name) {
  const uint32_t a = inner_.GetProcAddress16(module, name);
  if (module == userModule_ && module != 0 && name == "GetFreeSystemResources") {
    if (!freeResources_) freeResources_ = a != 0;
    if (a) freeResourcesAddress_ = a;
  }
  return a;
}

uint16_t CapturingGate16::CallWord16(uint32_t address, uint16_t argument) {
  const uint16_t r = inner_.CallWord16(address, argument);
  if (address == freeResourcesAddress_ && address != 0) resources_.emplace(argument, r);
  return r;
}

void CapturingGate16::Write(CaptureOutput& out) const {
  if (!userLoads_) return;
  out.Add("gate16", "UserExe", *userLoads_ ? "1" : "0");
  if (freeResources_) out.Add("gate16", "GetFreeSystemResources", *freeResources_ ? "1" : "0");
  static const char* const kKeys[] = {"SystemResources", "GDIResources", "UserResources"};
  for (const auto& [selector, percent] : resources_) {
    if (selector < 3) out.Add("gate16", kKeys[selector], std::to_string(percent));
    else out.Note(Format("[gate16] selector %u has no key in the recorded format", selector));
  }
}

}  // namespace kestrova
