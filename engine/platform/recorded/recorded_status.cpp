#include "engine/platform/recorded/recorded_status.h"

#include <algorithm>
#include <functional>

#include "engine/core/text.h"
#include "engine/platform/recorded/ini_values.h"

namespace kestrova {

namespace {
constexpr uint32_t kUserModule = 0x1A57;          // any handle of 32 and above
constexpr uint32_t kFreeResourcesAddress = 0x01B70F4C;
uint64_t Cut32(uint64_t v) { return std::min<uint64_t>(v, 0xFFFFFFFFu); }
}  // namespace

MemoryStatusRecord RecordedMemoryPower::GlobalMemoryStatus() {
  MemoryStatusRecord r = Memory;
  if (ShortRecordWhole) return r;
  for (uint64_t* v : {&r.TotalPhys, &r.AvailPhys, &r.TotalPageFile, &r.AvailPageFile, &r.TotalVirtual, &r.AvailVirtual})
    *v = Cut32(*v);
  return r;
}

std::optional<MemoryStatusRecord> RecordedMemoryPower::GlobalMemoryStatusEx() {
  if (!ExtendedCallWorks) return std::nullopt;
  return Memory;
}

uint32_t RecordedGate16::LoadLibrary16(const std::string& name) {
  Journal.push_back("load " + name);
  return UserModuleLoads && EqualsNoCase(name, "user.exe") ? kUserModule : 2;  // 2: file not found
}

void RecordedGate16::FreeLibrary16(uint32_t) { Journal.push_back("free"); }

uint32_t RecordedGate16::GetProcAddress16(uint32_t module, const std::string& name) {
  Journal.push_back("address " + name);
  return module == kUserModule && FreeResourcesExported && name == "GetFreeSystemResources" ? kFreeResourcesAddress
                                                                                            : 0;
}

uint16_t RecordedGate16::CallWord16(uint32_t address, uint16_t argument) {
  Journal.push_back("call " + std::to_string(argument));
  if (address != kFreeResourcesAddress) return 0;
  switch (argument) {  // the GFSR_ selectors
    case 0: return SystemResources;
    case 1: return GDIResources;
    case 2: return UserResources;
    default: return 0;
  }
}

namespace {
using Setter = std::function<void(const IniEntry&)>;
void ApplyTable(const IniSection& s, const std::string& file,
                const std::vector<std::pair<const char*, Setter>>& table) {
  for (const IniEntry& e : s.Entries) {
    auto it = std::find_if(table.begin(), table.end(), [&](const auto& row) { return EqualsNoCase(row.first, e.Key); });
    if (it == table.end()) IniFail(e, file, "unknown key '" + e.Key + "' in [" + s.Name + "]");
    it->second(e);
  }
}
}  // namespace

bool ApplyStatusSection(RecordedMemoryPower& mp, RecordedGate16& gate, const IniSection& s, const std::string& file) {
  const std::string name = ToLowerAscii(s.Name);
  auto u64 = [&](uint64_t& field) { return [&field, &file](const IniEntry& e) { field = IniUnsigned(e, file, UINT64_MAX); }; };
  auto u32 = [&](uint32_t& field) {
    return [&field, &file](const IniEntry& e) { field = static_cast<uint32_t>(IniUnsigned(e, file, UINT32_MAX)); };
  };
  auto u16 = [&](uint16_t& field) {
    return [&field, &file](const IniEntry& e) { field = static_cast<uint16_t>(IniUnsigned(e, file, 0xFFFF)); };
  };
  auto u8 = [&](uint8_t& field) {
    return [&field, &file](const IniEntry& e) { field = static_cast<uint8_t>(IniUnsigned(e, file, 0xFF)); };
  };
  auto flag = [&](bool& field) { return [&field, &file](const IniEntry& e) { field = IniUnsigned(e, file, 1) == 1; }; };
  if (name == "memory") {
    MemoryStatusRecord& m = mp.Memory;
    ApplyTable(s, file, {{"MemoryLoad", u32(m.MemoryLoad)},       {"TotalPhys", u64(m.TotalPhys)},
                         {"AvailPhys", u64(m.AvailPhys)},         {"TotalPageFile", u64(m.TotalPageFile)},
                         {"AvailPageFile", u64(m.AvailPageFile)}, {"TotalVirtual", u64(m.TotalVirtual)},
                         {"AvailVirtual", u64(m.AvailVirtual)},   {"ExtendedCallWorks", flag(mp.ExtendedCallWorks)},
                         {"ShortRecordWhole", flag(mp.ShortRecordWhole)}});
    return true;
  }
  if (name == "power") {
    if (!mp.Power) mp.Power.emplace();
    PowerStatusRecord& p = *mp.Power;
    ApplyTable(s, file, {{"ACLineStatus", u8(p.ACLineStatus)},
                         {"BatteryFlag", u8(p.BatteryFlag)},
                         {"BatteryLifePercent", u8(p.BatteryLifePercent)},
                         {"BatteryLifeTime", u32(p.BatteryLifeTime)},
                         {"BatteryFullLifeTime", u32(p.BatteryFullLifeTime)}});
    return true;
  }
  if (name == "gate16") {
    ApplyTable(s, file, {{"UserExe", flag(gate.UserModuleLoads)},
                         {"GetFreeSystemResources", flag(gate.FreeResourcesExported)},
                         {"SystemResources", u16(gate.SystemResources)},
                         {"GDIResources", u16(gate.GDIResources)},
                         {"UserResources", u16(gate.UserResources)}});
    return true;
  }
  return false;
}

}  // namespace kestrova
