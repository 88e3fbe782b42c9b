#pragma once
// A recorded machine: every platform interface answered from data. Tests build one with
// the public members; LoadRecordedMachine reads a folder (tests/fixtures/machines/README.md
// documents the format).
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/platform/platform.h"
#include "engine/platform/recorded/machine_data.h"
#include "engine/platform/recorded/recorded_drives.h"
#include "engine/platform/recorded/recorded_processes.h"
#include "engine/platform/recorded/recorded_processor.h"
#include "engine/platform/recorded/recorded_runtimes.h"
#include "engine/platform/recorded/recorded_firmware.h"
#include "engine/platform/recorded/recorded_display.h"
#include "engine/platform/recorded/recorded_media.h"
#include "engine/platform/recorded/recorded_status.h"
#include "engine/platform/recorded/recorded_network.h"
#include "engine/platform/recorded/recorded_usb.h"
#include "engine/platform/recorded/recorded_profile_files.h"
#include "engine/platform/recorded/recorded_shell_links.h"
#include "engine/platform/recorded/recorded_spooler.h"
#include "engine/platform/recorded/registry_tree.h"

namespace kestrova {

struct RecordedLibrary {
  bool AlreadyLoaded = false;  // GetModuleHandle finds it
  std::vector<std::string> Exports;
  bool FreeFails = false;
};

class RecordedMachine : public PlatformHost,
                        public ISystem,
                        public IFiles,
                        public IShell,
                        public ILibraries {
 public:
  RecordedMachine();
  Platform View() override;

  // --- the data -----------------------------------------------------------------------
  RegistryTree Registry;
  VersionFacts VersionData;
  SystemFacts SystemData;
  std::optional<std::string> ComputerNameData, UserNameData;
  std::string WindowsDirectoryData = "C:\\WINDOWS", SystemDirectoryData = "C:\\WINDOWS\\SYSTEM32",
              TempPathData = "C:\\WINDOWS\\TEMP\\";
  uint32_t TickCountData = 0;
  LocalTime LocalTimeData;
  uint16_t LangIdData = 0x0409;
  LocaleFacts LocaleData;
  std::vector<std::string> EnvironmentLines;  // the block's strings, in order
  int ServerR2Data = 0;
  uint32_t KernelVersionHighData = 0;
  std::array<uint8_t, 256> KeyboardData{};
  RasEnumResult RasData;
  std::map<int, std::string> ShellFolders;                    // CSIDL -> path
  std::map<std::string, RecordedLibrary> Libraries;           // upper-cased name
  std::map<std::string, VersionResource> VersionResources;    // upper-cased path
  std::map<std::string, uint32_t> AttributeOverrides;         // upper-cased path
  std::map<std::string, uint64_t> SizeOverrides;              // upper-cased path ([sizes])
  std::string FilesRoot;                                      // host folder for C:\ etc.; empty = none
  CpuidTable Cpuid;
  RecordedProcessor Processor{Cpuid};  // answers from Cpuid; [processor] of machine.ini
  PhysicalMemoryImage PhysicalMemory;
  RecordedFirmware Firmware{PhysicalMemory};  // serves PhysicalMemory; knobs for each path
  RecordedDisplay Display;                 // [devicecaps], [displaymodes]
  RecordedMultimedia Multimedia;           // [multimedia]
  RecordedMemoryPower MemoryPower{SystemData};  // [memory], [power]
  RecordedGate16 Gate16;                   // [gate16]
  RecordedNetwork Network;  // [winsock], [netbios], [ipparams], [adapter:NAME]
  RecordedUsb Usb;          // [usbcontroller:HCDn], [usbhub:NAME], [usbport:NAME:N]
  RecordedShellLinks ShellLinks;              // [shortcut:...] of machine.ini
  RecordedProfileFiles ProfileFiles{[this](const std::string& p) { return HostPath(p); }};  // files/
  RecordedDrives Drives;    // [drives], [drive:X]
  RecordedSpooler Spooler;  // [spooler], [printer:NAME]
  RecordedProcesses Processes;  // processes, drivers, handles, windows and services
  RecordedRuntimes Runtimes;    // automation objects and the ASPI layer

  // --- ISystem --------------------------------------------------------------------------
  VersionFacts Version() const override { return VersionData; }
  SystemFacts SystemInfo() const override { return SystemData; }
  std::optional<std::string> ComputerName() const override { return ComputerNameData; }
  std::optional<std::string> UserName() const override { return UserNameData; }
  std::string WindowsDirectory() const override { return WindowsDirectoryData; }
  std::string SystemDirectory() const override { return SystemDirectoryData; }
  std::string TempPath() const override { return TempPathData; }
  uint32_t TickCount() const override { return TickCountData; }
  LocalTime Now() const override { return LocalTimeData; }
  uint16_t SystemDefaultLangID() const override { return LangIdData; }
  LocaleFacts Locale() const override { return LocaleData; }
  std::string EnvironmentBlock() const override;
  std::optional<std::string> EnvironmentVariable(const std::string& name) const override;
  int ServerR2Metric() const override { return ServerR2Data; }
  uint32_t KernelVersionHigh() const override { return KernelVersionHighData; }
  std::array<uint8_t, 256> KeyboardState() const override { return KeyboardData; }
  RasEnumResult EnumRasConnections() const override { return RasData; }
  std::optional<TimeZoneFacts> TimeZone() const override;  // from the registry
  std::optional<std::string> LocaleInfo(uint32_t locale, uint32_t lcType) const override;  // [locale]

  // --- IFiles ---------------------------------------------------------------------------
  std::optional<uint32_t> Attributes(const std::string& path) const override;
  std::optional<std::vector<DirectoryEntry>> ListDirectory(const std::string& path) const override;
  std::optional<VersionResource> ReadVersionResource(const std::string& path) const override;
  // The host path of a Windows path inside FilesRoot (case-insensitive), or empty.
  std::string HostPath(const std::string& windowsPath) const;

  // --- IShell ---------------------------------------------------------------------------
  std::optional<std::string> SpecialFolderPath(int csidl) const override;

  // --- ILibraries -----------------------------------------------------------------------
  ModuleHandle GetLoadedModule(const std::string& name) override;
  ModuleHandle Load(const std::string& name) override;
  bool HasEntryPoint(ModuleHandle module, const std::string& name) override;
  bool Free(ModuleHandle module) override;
  std::vector<std::string> LoadedLibraries() const;  // what Load loaded and Free did not free

 private:
  std::map<ModuleHandle, std::string> handles_;
  std::vector<std::string> loadedHere_;
};

// Reads a recorded machine folder. Files that are absent leave their area empty; a file
// that is present but malformed throws LoadError naming the file and line. A folder that
// does not exist throws std::runtime_error.
std::unique_ptr<RecordedMachine> LoadRecordedMachine(const std::string& folder);

// Applies machine.ini text to a machine (exposed for tests and the fuzzer).
void ApplyMachineIni(RecordedMachine& machine, const std::string& text, const std::string& fileName);

// CSIDL_* names known to machine.ini's [shellfolders] section.
std::optional<int> CsidlFromName(const std::string& name);
const char* CsidlName(int csidl);  // null for a CSIDL the section cannot name

}  // namespace kestrova
