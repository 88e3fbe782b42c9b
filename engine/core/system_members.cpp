// The classes the aggregate creates, and what it sets on them after creation. Each
// information class, once built, adds its factory here.
#include <exception>

#include "engine/core/context.h"
#include "engine/core/system_info.h"
#include "engine/hardware/cpu.h"
#include "engine/hardware/machine.h"
#include "engine/inventory/devices.h"
#include "engine/inventory/network.h"
#include "engine/inventory/software.h"
#include "engine/inventory/startup.h"
#include "engine/inventory/disk.h"
#include "engine/inventory/printers.h"
#include "engine/inventory/process_list.h"
#include "engine/inventory/storage.h"
#include "engine/os/engines.h"
#include "engine/os/apm.h"
#include "engine/os/display.h"
#include "engine/os/media.h"
#include "engine/os/memory.h"
#include "engine/os/monitor.h"
#include "engine/inventory/usb.h"
#include "engine/os/operating_system.h"

namespace kestrova {

TSystemInfo::Factories TSystemInfo::BuiltMembers() {
  Factories f;
  f[static_cast<size_t>(Member::CPU)] = [](const EngineContext& c) { return std::make_unique<TCPU>(c); };
  f[static_cast<size_t>(Member::OS)] = [](const EngineContext& c) { return std::make_unique<TOperatingSystem>(c); };
  f[static_cast<size_t>(Member::Machine)] = [](const EngineContext& c) { return std::make_unique<TMachine>(c); };
  f[static_cast<size_t>(Member::Devices)] = [](const EngineContext& c) { return std::make_unique<TDevices>(c); };
  f[static_cast<size_t>(Member::Storage)] = [](const EngineContext& c) { return std::make_unique<TStorage>(c); };
  f[static_cast<size_t>(Member::Memory)] = [](const EngineContext& c) { return std::make_unique<TMemory>(c); };
  f[static_cast<size_t>(Member::Display)] = [](const EngineContext& c) { return std::make_unique<TDisplay>(c); };
  f[static_cast<size_t>(Member::Monitor)] = [](const EngineContext& c) { return std::make_unique<TMonitor>(c); };
  f[static_cast<size_t>(Member::Media)] = [](const EngineContext& c) { return std::make_unique<TMedia>(c); };
  f[static_cast<size_t>(Member::APM)] = [](const EngineContext& c) { return std::make_unique<TAPM>(c); };
  f[static_cast<size_t>(Member::Network)] = [](const EngineContext& c) { return std::make_unique<TNetwork>(c); };
  f[static_cast<size_t>(Member::USB)] = [](const EngineContext& c) { return std::make_unique<TUSB>(c); };
  f[static_cast<size_t>(Member::Software)] = [](const EngineContext& c) { return std::make_unique<TSoftware>(c); };
  f[static_cast<size_t>(Member::Startup)] = [](const EngineContext& c) { return std::make_unique<TStartup>(c); };
  f[static_cast<size_t>(Member::Disk)] = [](const EngineContext& c) { return std::make_unique<TDisk>(c); };
  f[static_cast<size_t>(Member::Printers)] = [](const EngineContext& c) { return std::make_unique<TPrinters>(c); };
  f[static_cast<size_t>(Member::Engines)] = [](const EngineContext& c) { return std::make_unique<TEngines>(c); };
  f[static_cast<size_t>(Member::ProcessList)] = [](const EngineContext& c) { return std::make_unique<TProcessList>(c); };
  return f;
}

namespace {

// The refresh of one member, whatever its class's signature.
void RefreshMember(TInformation* member) {
  if (auto* x = dynamic_cast<TMachine*>(member)) return x->Refresh(1);  // with SMBIOS
  if (auto* x = dynamic_cast<TCPU*>(member)) return x->Refresh(0);
  if (auto* x = dynamic_cast<TOperatingSystem*>(member)) return x->Refresh();
  if (auto* x = dynamic_cast<TMemory*>(member)) return x->Refresh();
  if (auto* x = dynamic_cast<TDisk*>(member)) return x->Refresh();
  if (auto* x = dynamic_cast<TUSB*>(member)) return x->Refresh();
  if (auto* x = dynamic_cast<TNetwork*>(member)) return x->Refresh();
  if (auto* x = dynamic_cast<TDisplay*>(member)) return x->Refresh();
  if (auto* x = dynamic_cast<TMonitor*>(member)) return x->Refresh();
  if (auto* x = dynamic_cast<TMedia*>(member)) return x->Refresh();
  if (auto* x = dynamic_cast<TDevices*>(member)) return x->Refresh();
  if (auto* x = dynamic_cast<TEngines*>(member)) return x->Refresh();
  if (auto* x = dynamic_cast<TAPM*>(member)) return x->Refresh();
  if (auto* x = dynamic_cast<TPrinters*>(member)) return x->Refresh();
  if (auto* x = dynamic_cast<TSoftware*>(member)) return x->Refresh();
  if (auto* x = dynamic_cast<TStartup*>(member)) return x->Refresh();
  if (auto* x = dynamic_cast<TProcessList*>(member)) return x->Refresh();  // its detection range
  // TStorage reads the machine when it is made and has nothing to refresh.
}

}  // namespace

std::vector<std::string> TSystemInfo::RefreshAll() {
  std::vector<std::string> errors;
  for (Member m : kCreationOrder) {
    TInformation* member = Get(m);
    if (!member) continue;
    try {
      RefreshMember(member);
    } catch (const std::exception& e) {
      errors.push_back(std::string(MemberName(m)) + ": " + e.what());
    }
  }
  return errors;
}

void TSystemInfo::ConfigureMembers() {
  // dynamic_cast: tests may put another class in a slot.
  if (auto* list = dynamic_cast<TProcessList*>(Get(Member::ProcessList)))
    list->SetDetectionRange({TDetectionType::dtProcesses});
}

}  // namespace kestrova
