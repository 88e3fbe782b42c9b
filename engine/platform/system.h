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

// SYSTEMTIME, as a time-zone rule or an absolute moment holds it.
struct SystemTimeFields {
  uint16_t Year = 0, Month = 0, DayOfWeek = 0, Day = 0;
  uint16_t Hour = 0, Minute = 0, Second = 0, Milliseconds = 0;
};
inline bool operator==(const SystemTimeFields& a, const SystemTimeFields& b) {
  return a.Year == b.Year && a.Month == b.Month && a.DayOfWeek == b.DayOfWeek && a.Day == b.Day &&
         a.Hour == b.Hour && a.Minute == b.Minute && a.Second == b.Second && a.Milliseconds == b.Milliseconds;
}

// The eight little-endian 16-bit fields of a SYSTEMTIME starting at `offset`; fields that
// lie past the end of the data read as 0.
inline SystemTimeFields SystemTimeFromBytes(const std::vector<uint8_t>& data, size_t offset) {
  uint16_t f[8] = {};
  for (size_t i = 0; i < 8; ++i) {
    const size_t at = offset + 2 * i;
    if (at < offset || at + 1 >= data.size()) break;
    f[i] = static_cast<uint16_t>(data[at] | (data[at + 1] << 8));
  }
  return {f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7]};
}

// TIME_ZONE_INFORMATION as GetTimeZoneInformation fills it. The names are the record's
// 32 wide characters up to their NUL (at most 31 characters).
struct TimeZoneFacts {
  int32_t Bias = 0;  // minutes, UTC = local time + Bias
  std::string StandardName;
  SystemTimeFields StandardDate;
  int32_t StandardBias = 0;
  std::string DaylightName;
  SystemTimeFields DaylightDate;
  int32_t DaylightBias = 0;
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
  // GetTimeZoneInformation; nullopt when the call fails (TIME_ZONE_ID_INVALID).
  virtual std::optional<TimeZoneFacts> TimeZone() const = 0;
  // GetLocaleInfoA for one locale (LOCALE_SYSTEM_DEFAULT 0x0800, LOCALE_USER_DEFAULT
  // 0x0400, or an LCID) and one LCTYPE; nullopt when the call fails.
  virtual std::optional<std::string> LocaleInfo(uint32_t locale, uint32_t lcType) const = 0;
};

}  // namespace kestrova
