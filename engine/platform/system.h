#pragma once
// System facts: version, system information, names, clock, locale, environment, keyboard.
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kestrova {

// What GetVersionEx answers (OSVERSIONINFOEX fields; HasExtended false on systems
// that only answer the short record).
struct VersionFacts {
  uint32_t MajorVersion = 0;
  uint32_t MinorVersion = 0;
  uint32_t BuildNumber = 0;  // raw dwBuildNumber: on 9x the high word holds the version
  uint32_t PlatformId = 0;   // 0 Win32s, 1 Windows 9x, 2 NT
  std::string CSDVersion;
  bool HasExtended = false;
  uint16_t ServicePackMajor = 0;
  uint16_t ServicePackMinor = 0;
  uint16_t SuiteMask = 0;
  uint8_t ProductType = 0;   // 1 workstation, 2 domain controller, 3 server
};

// SYSTEM_INFO as GetNativeSystemInfo (or GetSystemInfo) fills it.
struct SystemFacts {
  uint32_t ProcessorCount = 1;
  uint16_t ProcessorArchitecture = 0;  // 0 x86, 6 IA64, 9 x64
  uint32_t PageSize = 4096;
  uint32_t AllocationGranularity = 65536;
  uint64_t MinimumApplicationAddress = 0x10000;
  uint64_t MaximumApplicationAddress = 0x7FFEFFFF;
};

struct LocalTime {
  int Year = 1899, Month = 12, Day = 30;
  int DayOfWeek = 6;  // 0 = Sunday
  int Hour = 0, Minute = 0, Second = 0, Milliseconds = 0;
};

struct LocaleFacts {
  std::string DecimalSeparator = ".";
  std::string DateSeparator = "/";
  std::string TimeSeparator = ":";
  std::array<std::string, 7> DayNames;     // from Sunday
  std::array<std::string, 12> MonthNames;  // from January
  std::map<std::string, std::string> Values;  // other LOCALE_* facts by their LCTYPE name
};

// What RasEnumConnectionsA answered with a buffer of four entries.
struct RasEnumResult {
  bool LibraryPresent = false;
  bool EntryPointPresent = false;
  uint32_t ReturnCode = 0;
  uint32_t ConnectionCount = 0;
};

class ISystem {
 public:
  virtual ~ISystem() = default;
  virtual VersionFacts Version() const = 0;
  virtual SystemFacts SystemInfo() const = 0;
  virtual std::optional<std::string> ComputerName() const = 0;
  virtual std::optional<std::string> UserName() const = 0;
  virtual std::string WindowsDirectory() const = 0;
  virtual std::string SystemDirectory() const = 0;
  virtual std::string TempPath() const = 0;
  virtual uint32_t TickCount() const = 0;
  virtual LocalTime Now() const = 0;
  virtual uint16_t SystemDefaultLangID() const = 0;
  virtual LocaleFacts Locale() const = 0;
  // The environment block as GetEnvironmentStrings gives it: NAME=VALUE strings, each
  // ended by a NUL, the block ended by one more NUL.
  virtual std::string EnvironmentBlock() const = 0;
  virtual std::optional<std::string> EnvironmentVariable(const std::string& name) const = 0;
  virtual int ServerR2Metric() const = 0;          // GetSystemMetrics(SM_SERVERR2)
  virtual uint32_t KernelVersionHigh() const = 0;  // kernel32.dll dwFileVersionMS
  virtual std::array<uint8_t, 256> KeyboardState() const = 0;
  virtual RasEnumResult EnumRasConnections() const = 0;
};

}  // namespace kestrova
