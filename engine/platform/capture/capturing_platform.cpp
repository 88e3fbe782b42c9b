#include "engine/platform/capture/capturing_platform.h"

#include "engine/platform/capture/capture_display.h"
#include "engine/platform/capture/capture_drives.h"
#include "engine/platform/capture/capture_network.h"
#include "engine/platform/capture/capture_processes.h"
#include "engine/platform/capture/capture_profile_files.h"
#include "engine/platform/capture/capture_runtimes.h"
#include "engine/platform/capture/capture_services.h"
#include "engine/platform/capture/capture_shell_links.h"
#include "engine/platform/capture/capture_spooler.h"
#include "engine/platform/capture/capture_usb.h"
#include "engine/platform/capture/capture_files.h"
#include "engine/platform/capture/capture_firmware.h"
#include "engine/platform/capture/capture_memory_power.h"
#include "engine/platform/capture/capture_multimedia.h"
#include "engine/platform/capture/capture_libraries.h"
#include "engine/platform/capture/capture_processor.h"
#include "engine/platform/capture/capture_registry.h"
#include "engine/platform/capture/capture_shell.h"
#include "engine/platform/capture/capture_system.h"

namespace kestrova {

CapturingPlatform::CapturingPlatform(const Platform& inner) : inner_(inner), view_(inner) {
  if (inner.Registry) {
    registry_ = std::make_unique<CapturingRegistry>(*inner.Registry);
    view_.Registry = registry_.get();
  }
  if (inner.System) {
    system_ = std::make_unique<CapturingSystem>(*inner.System, registry_.get());
    view_.System = system_.get();
  }
  Wrap<CapturingFiles>(view_.Files);
  Wrap<CapturingShell>(view_.Shell);
  Wrap<CapturingLibraries>(view_.Libraries);
  Wrap<CapturingProcessor>(view_.Processor);
  Wrap<CapturingFirmware>(view_.Firmware);
  Wrap<CapturingDisplay>(view_.Display);
  Wrap<CapturingMultimedia>(view_.Multimedia);
  Wrap<CapturingMemoryPower>(view_.MemoryPower);
  Wrap<CapturingGate16>(view_.Gate16);
  Wrap<CapturingNetwork>(view_.Network);
  Wrap<CapturingUsb>(view_.Usb);
  Wrap<CapturingShellLinks>(view_.ShellLinks);
  Wrap<CapturingProfileFiles>(view_.Profiles);  // after the files: its contents replace their empty entries
  Wrap<CapturingDrives>(view_.Drives);
  Wrap<CapturingSpooler>(view_.Spooler);
  Wrap<CapturingProcesses>(view_.Processes);
  Wrap<CapturingServices>(view_.Services);
  Wrap<CapturingAutomation>(view_.Automation);
  Wrap<CapturingAspi>(view_.Aspi);
}

CapturingPlatform::~CapturingPlatform() = default;

std::vector<std::string> CapturingPlatform::MissingAreas() const {
  std::vector<void*> inner;
  Platform in = inner_, view = view_;
  ForEachArea(in, [&](const char*, auto* p) { inner.push_back(const_cast<void*>(static_cast<const void*>(p))); });
  std::vector<std::string> missing;
  size_t i = 0;
  ForEachArea(view, [&](const char* name, auto* p) {
    if (p && static_cast<const void*>(p) == inner[i]) missing.push_back(name);
    ++i;
  });
  return missing;
}

Platform CapturingPlatform::WithMissingAreasFrom(Platform replay, Platform original) const {
  const std::vector<std::string> missing = MissingAreas();
  std::vector<void*> from;
  ForEachArea(original, [&](const char*, auto* p) { from.push_back(static_cast<void*>(p)); });
  size_t i = 0;
  ForEachArea(replay, [&](const char* name, auto*& p) {
    for (const std::string& m : missing)
      if (m == name) p = static_cast<std::remove_reference_t<decltype(p)>>(from[i]);
    ++i;
  });
  return replay;
}

void CapturingPlatform::Write(CaptureOutput& out) const {
  if (system_) {
    system_->WriteRegistryFacts(out);
    system_->Write(out);
  }
  for (const auto& write : writers_) write(out);
  if (registry_) registry_->Write(out);
  for (const std::string& area : MissingAreas()) out.Note("area not captured (it passed straight through): " + area);
}

}  // namespace kestrova
