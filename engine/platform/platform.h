#pragma once
// The platform seam: every information class reads the machine through these
// interfaces only. Win32 implementations live in win32/, data-driven ones in recorded/.
#include <memory>
#include <string>

#include "engine/platform/display.h"
#include "engine/platform/drives.h"
#include "engine/platform/files.h"
#include "engine/platform/firmware.h"
#include "engine/platform/gate16.h"
#include "engine/platform/libraries.h"
#include "engine/platform/processes.h"
#include "engine/platform/memory_power.h"
#include "engine/platform/multimedia.h"
#include "engine/platform/network.h"
#include "engine/platform/processor.h"
#include "engine/platform/profile_files.h"
#include "engine/platform/registry.h"
#include "engine/platform/runtimes.h"
#include "engine/platform/services.h"
#include "engine/platform/shell.h"
#include "engine/platform/shell_links.h"
#include "engine/platform/spooler.h"
#include "engine/platform/system.h"
#include "engine/platform/usb.h"

namespace kestrova {

// Non-owning view handed to the engine; an implementation owns the objects.
struct Platform {
  IRegistry* Registry = nullptr;
  ISystem* System = nullptr;
  IFiles* Files = nullptr;
  IShell* Shell = nullptr;
  ILibraries* Libraries = nullptr;
  IProcessor* Processor = nullptr;
  IFirmware* Firmware = nullptr;
  IDisplay* Display = nullptr;
  IMultimedia* Multimedia = nullptr;
  IMemoryPower* MemoryPower = nullptr;
  IGate16* Gate16 = nullptr;
  INetwork* Network = nullptr;
  IUsb* Usb = nullptr;
  IShellLinks* ShellLinks = nullptr;
  IProfileFiles* Profiles = nullptr;
  IDrives* Drives = nullptr;
  ISpooler* Spooler = nullptr;
  IProcesses* Processes = nullptr;
  IServices* Services = nullptr;
  IAutomation* Automation = nullptr;
  IAspi* Aspi = nullptr;
};

// Owner of one complete set of implementations.
class PlatformHost {
 public:
  virtual ~PlatformHost() = default;
  virtual Platform View() = 0;
};

}  // namespace kestrova
