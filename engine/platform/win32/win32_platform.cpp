#include "engine/platform/win32/win32_platform.h"

#include "engine/platform/win32/firmware.h"
#include "engine/platform/win32/win32_display.h"
#include "engine/platform/win32/win32_gate16.h"
#include "engine/platform/win32/win32_memory_power.h"
#include "engine/platform/win32/win32_multimedia.h"
#include "engine/platform/win32/win32_drives.h"
#include "engine/platform/win32/win32_files.h"
#include "engine/platform/win32/processor.h"
#include "engine/platform/win32/win32_libraries.h"
#include "engine/platform/win32/win32_network.h"
#include "engine/platform/win32/win32_profile_files.h"
#include "engine/platform/win32/win32_processes.h"
#include "engine/platform/win32/win32_registry.h"
#include "engine/platform/win32/win32_runtimes.h"
#include "engine/platform/win32/win32_services.h"
#include "engine/platform/win32/win32_shell.h"
#include "engine/platform/win32/win32_shell_links.h"
#include "engine/platform/win32/win32_spooler.h"
#include "engine/platform/win32/win32_system.h"
#include "engine/platform/win32/win32_usb.h"

namespace kestrova {

namespace {

class Win32PlatformHost final : public PlatformHost {
 public:
  Platform View() override {
    Platform p;
    p.Registry = &registry_;
    p.System = &system_;
    p.Files = &files_;
    p.Shell = &shell_;
    p.Libraries = &libraries_;
    p.Processor = &processor_;
    p.Firmware = &firmware_;
    p.Display = &display_;
    p.Multimedia = &multimedia_;
    p.MemoryPower = &memoryPower_;
    p.Gate16 = &gate16_;
    p.Network = &network_;
    p.Usb = &usb_;
    p.ShellLinks = &shellLinks_;
    p.Profiles = &profiles_;
    p.Drives = &drives_;
    p.Spooler = &spooler_;
    p.Processes = &processes_;
    p.Services = &services_;
    p.Automation = &automation_;
    p.Aspi = &aspi_;
    return p;
  }

 private:
  win32::Win32Registry registry_;
  win32::Win32System system_;
  win32::Win32Files files_;
  win32::Win32Shell shell_;
  win32::Win32Libraries libraries_;
  win32::Win32Processor processor_;
  win32::Win32Firmware firmware_;
  win32::Win32Display display_;
  win32::Win32Multimedia multimedia_;
  win32::Win32MemoryPower memoryPower_;
  win32::Win32Gate16 gate16_;
  win32::Win32Network network_;
  win32::Win32Usb usb_;
  win32::Win32ShellLinks shellLinks_;
  win32::Win32ProfileFiles profiles_;
  win32::Win32Drives drives_;
  win32::Win32Spooler spooler_;
  win32::Win32Processes processes_;
  win32::Win32Services services_;
  win32::Win32Automation automation_;
  win32::Win32Aspi aspi_;
};

}  // namespace

std::unique_ptr<PlatformHost> MakeWin32Platform() { return std::make_unique<Win32PlatformHost>(); }

}  // namespace kestrova
