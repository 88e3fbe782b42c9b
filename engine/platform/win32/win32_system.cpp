#include "engine/platform/win32/win32_system.h"

#include <windows.h>

#include <cstddef>

#include "engine/platform/win32/api_family.h"
#include "engine/platform/win32/handles.h"
#include "engine/platform/win32/win32_files.h"
#include "engine/platform/win32/win32_util.h"

namespace kestrova::win32 {

namespace {

#ifndef SM_SERVERR2
#define SM_SERVERR2 89
#endif

// RASCONNA as the first RAS release defined it. Every later system accepts this size,
// while the bigger records of newer SDKs are refused by the older ones
// (ERROR_INVALID_SIZE), so the buffer is always made of these.
struct RasConnectionEntry {
  DWORD dwSize;
  HANDLE hrasconn;
  CHAR szEntryName[256 + 1];
  CHAR szDeviceType[16 + 1];
  CHAR szDeviceName[128 + 1];
};
#if !defined(_WIN64)
static_assert(sizeof(RasConnectionEntry) == 412, "the historical 32-bit RASCONNA size");
#endif
constexpr DWORD kRasEntriesAsked = 4;
using RasEnumConnectionsAFn = DWORD(WINAPI*)(RasConnectionEntry*, LPDWORD, LPDWORD);
using GetNativeSystemInfoFn = void(WINAPI*)(LPSYSTEM_INFO);

// LCTYPE values reported by name beside the separators and the day and month names.
struct LocaleItem {
  LCTYPE Type;
  const char* Name;
};
#define KESTROVA_LOCALE_ITEM(x) {x, #x}
constexpr LocaleItem kLocaleItems[] = {
    KESTROVA_LOCALE_ITEM(LOCALE_ILANGUAGE),          KESTROVA_LOCALE_ITEM(LOCALE_SLANGUAGE),
    KESTROVA_LOCALE_ITEM(LOCALE_SENGLANGUAGE),       KESTROVA_LOCALE_ITEM(LOCALE_SABBREVLANGNAME),
    KESTROVA_LOCALE_ITEM(LOCALE_SNATIVELANGNAME),    KESTROVA_LOCALE_ITEM(LOCALE_ICOUNTRY),
    KESTROVA_LOCALE_ITEM(LOCALE_SCOUNTRY),           KESTROVA_LOCALE_ITEM(LOCALE_SENGCOUNTRY),
    KESTROVA_LOCALE_ITEM(LOCALE_SABBREVCTRYNAME),    KESTROVA_LOCALE_ITEM(LOCALE_SNATIVECTRYNAME),
    KESTROVA_LOCALE_ITEM(LOCALE_IDEFAULTLANGUAGE),   KESTROVA_LOCALE_ITEM(LOCALE_IDEFAULTCOUNTRY),
    KESTROVA_LOCALE_ITEM(LOCALE_IDEFAULTCODEPAGE),   KESTROVA_LOCALE_ITEM(LOCALE_IDEFAULTANSICODEPAGE),
    KESTROVA_LOCALE_ITEM(LOCALE_SLIST),              KESTROVA_LOCALE_ITEM(LOCALE_IMEASURE),
    KESTROVA_LOCALE_ITEM(LOCALE_SDECIMAL),           KESTROVA_LOCALE_ITEM(LOCALE_STHOUSAND),
    KESTROVA_LOCALE_ITEM(LOCALE_SGROUPING),          KESTROVA_LOCALE_ITEM(LOCALE_IDIGITS),
    KESTROVA_LOCALE_ITEM(LOCALE_ILZERO),             KESTROVA_LOCALE_ITEM(LOCALE_INEGNUMBER),
    KESTROVA_LOCALE_ITEM(LOCALE_SNATIVEDIGITS),      KESTROVA_LOCALE_ITEM(LOCALE_SCURRENCY),
    KESTROVA_LOCALE_ITEM(LOCALE_SINTLSYMBOL),        KESTROVA_LOCALE_ITEM(LOCALE_SMONDECIMALSEP),
    KESTROVA_LOCALE_ITEM(LOCALE_SMONTHOUSANDSEP),    KESTROVA_LOCALE_ITEM(LOCALE_SMONGROUPING),
    KESTROVA_LOCALE_ITEM(LOCALE_ICURRDIGITS),        KESTROVA_LOCALE_ITEM(LOCALE_IINTLCURRDIGITS),
    KESTROVA_LOCALE_ITEM(LOCALE_ICURRENCY),          KESTROVA_LOCALE_ITEM(LOCALE_INEGCURR),
    KESTROVA_LOCALE_ITEM(LOCALE_SDATE),              KESTROVA_LOCALE_ITEM(LOCALE_STIME),
    KESTROVA_LOCALE_ITEM(LOCALE_SSHORTDATE),         KESTROVA_LOCALE_ITEM(LOCALE_SLONGDATE),
    KESTROVA_LOCALE_ITEM(LOCALE_STIMEFORMAT),        KESTROVA_LOCALE_ITEM(LOCALE_IDATE),
    KESTROVA_LOCALE_ITEM(LOCALE_ILDATE),             KESTROVA_LOCALE_ITEM(LOCALE_ITIME),
    KESTROVA_LOCALE_ITEM(LOCALE_ITIMEMARKPOSN),      KESTROVA_LOCALE_ITEM(LOCALE_ICENTURY),
    KESTROVA_LOCALE_ITEM(LOCALE_ITLZERO),            KESTROVA_LOCALE_ITEM(LOCALE_IDAYLZERO),
    KESTROVA_LOCALE_ITEM(LOCALE_IMONLZERO),          KESTROVA_LOCALE_ITEM(LOCALE_S1159),
    KESTROVA_LOCALE_ITEM(LOCALE_S2359),              KESTROVA_LOCALE_ITEM(LOCALE_ICALENDARTYPE),
    KESTROVA_LOCALE_ITEM(LOCALE_IOPTIONALCALENDAR),  KESTROVA_LOCALE_ITEM(LOCALE_IFIRSTDAYOFWEEK),
    KESTROVA_LOCALE_ITEM(LOCALE_IFIRSTWEEKOFYEAR),   KESTROVA_LOCALE_ITEM(LOCALE_SPOSITIVESIGN),
    KESTROVA_LOCALE_ITEM(LOCALE_SNEGATIVESIGN),      KESTROVA_LOCALE_ITEM(LOCALE_IPOSSIGNPOSN),
    KESTROVA_LOCALE_ITEM(LOCALE_INEGSIGNPOSN),       KESTROVA_LOCALE_ITEM(LOCALE_IPOSSYMPRECEDES),
    KESTROVA_LOCALE_ITEM(LOCALE_IPOSSEPBYSPACE),     KESTROVA_LOCALE_ITEM(LOCALE_INEGSYMPRECEDES),
    KESTROVA_LOCALE_ITEM(LOCALE_INEGSEPBYSPACE),     KESTROVA_LOCALE_ITEM(LOCALE_SISO639LANGNAME),
    KESTROVA_LOCALE_ITEM(LOCALE_SISO3166CTRYNAME),   KESTROVA_LOCALE_ITEM(LOCALE_IDEFAULTMACCODEPAGE),
    KESTROVA_LOCALE_ITEM(LOCALE_IDEFAULTEBCDICCODEPAGE),
};
#undef KESTROVA_LOCALE_ITEM

// LOCALE_SDAYNAME1 is Monday; the facts start at Sunday.
constexpr LCTYPE kDayNames[7] = {LOCALE_SDAYNAME7, LOCALE_SDAYNAME1, LOCALE_SDAYNAME2, LOCALE_SDAYNAME3,
                                 LOCALE_SDAYNAME4, LOCALE_SDAYNAME5, LOCALE_SDAYNAME6};
constexpr LCTYPE kMonthNames[12] = {
    LOCALE_SMONTHNAME1, LOCALE_SMONTHNAME2, LOCALE_SMONTHNAME3,  LOCALE_SMONTHNAME4,
    LOCALE_SMONTHNAME5, LOCALE_SMONTHNAME6, LOCALE_SMONTHNAME7,  LOCALE_SMONTHNAME8,
    LOCALE_SMONTHNAME9, LOCALE_SMONTHNAME10, LOCALE_SMONTHNAME11, LOCALE_SMONTHNAME12};

template <typename Api>
std::optional<std::string> LocaleText(Api, LCTYPE type) {
  int size = Api::LocaleInfo(LOCALE_USER_DEFAULT, type, nullptr, 0);  // with the NUL
  if (size <= 0) return std::nullopt;
  typename Api::Text buffer(static_cast<size_t>(size), typename Api::Char());
  int got = Api::LocaleInfo(LOCALE_USER_DEFAULT, type, &buffer[0], size);
  if (got <= 0) return std::nullopt;
  return Api::OutUntilNul(buffer.data(), static_cast<size_t>(got));
}

// A folder of the GetWindowsDirectory kind, read with `call(api, buffer, size)`.
template <typename Call>
std::string FolderText(Call call) {
  return WithApi([&](auto api) {
    using Api = decltype(api);
    auto text = ReadGrowing<typename Api::Char>(
        [&](typename Api::Char* b, DWORD n) { return static_cast<DWORD>(call(api, b, n)); });
    return text ? Api::Out(text->data(), text->size()) : std::string();
  });
}

}  // namespace

VersionFacts Win32System::Version() const {
  return WithApi([](auto api) {
    using Api = decltype(api);
    using Info = typename Api::VersionInfo;  // OSVERSIONINFOEX of the family
    VersionFacts facts;
    Info ex{};
    ex.dwOSVersionInfoSize = sizeof ex;
    bool extended = Api::Version(&ex) != FALSE;
    if (!extended) {
      // Windows 95/98 and NT 4 before SP6 only know the short record, which is the
      // start of the long one.
      ex = Info{};
      ex.dwOSVersionInfoSize = offsetof(Info, wServicePackMajor);
      if (!Api::Version(&ex)) return facts;
    }
    facts.MajorVersion = ex.dwMajorVersion;
    facts.MinorVersion = ex.dwMinorVersion;
    facts.BuildNumber = ex.dwBuildNumber;
    facts.PlatformId = ex.dwPlatformId;
    facts.CSDVersion = Api::OutUntilNul(ex.szCSDVersion, sizeof ex.szCSDVersion / sizeof ex.szCSDVersion[0]);
    facts.HasExtended = extended;
    if (extended) {
      facts.ServicePackMajor = ex.wServicePackMajor;
      facts.ServicePackMinor = ex.wServicePackMinor;
      facts.SuiteMask = ex.wSuiteMask;
      facts.ProductType = ex.wProductType;
    }
    return facts;
  });
}

SystemFacts Win32System::SystemInfo() const {
  SYSTEM_INFO si{};
  // The native view tells an x64 Windows under a 32-bit build; only XP and later have it.
  auto native = ProcAs<GetNativeSystemInfoFn>(::GetModuleHandleA("kernel32.dll"), "GetNativeSystemInfo");
  if (native)
    native(&si);
  else
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

std::optional<std::string> Win32System::ComputerName() const {
  return WithApi([](auto api) -> std::optional<std::string> {
    using Api = decltype(api);
    typename Api::Text buffer(MAX_COMPUTERNAME_LENGTH + 1, typename Api::Char());
    for (int attempt = 0; attempt < 4; ++attempt) {
      DWORD size = static_cast<DWORD>(buffer.size());
      if (Api::ComputerName(&buffer[0], &size)) return Api::OutUntilNul(buffer.data(), size);
      if (::GetLastError() != ERROR_BUFFER_OVERFLOW || size <= buffer.size()) return std::nullopt;
      buffer.resize(size);
    }
    return std::nullopt;
  });
}

std::optional<std::string> Win32System::UserName() const {
  return WithApi([](auto api) -> std::optional<std::string> {
    using Api = decltype(api);
    typename Api::Text buffer(257, typename Api::Char());  // UNLEN + 1
    for (int attempt = 0; attempt < 4; ++attempt) {
      DWORD size = static_cast<DWORD>(buffer.size());
      if (Api::UserName(&buffer[0], &size)) return Api::OutUntilNul(buffer.data(), buffer.size());
      if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || size <= buffer.size()) return std::nullopt;
      buffer.resize(size);
    }
    return std::nullopt;
  });
}

std::string Win32System::WindowsDirectory() const {
  return FolderText([](auto api, auto* b, DWORD n) { return decltype(api)::WindowsFolder(b, n); });
}

std::string Win32System::SystemDirectory() const {
  return FolderText([](auto api, auto* b, DWORD n) { return decltype(api)::SystemFolder(b, n); });
}

std::string Win32System::TempPath() const {
  return FolderText([](auto api, auto* b, DWORD n) { return decltype(api)::TempFolder(b, n); });
}

uint32_t Win32System::TickCount() const { return ::GetTickCount(); }

LocalTime Win32System::Now() const {
  SYSTEMTIME st{};
  ::GetLocalTime(&st);
  LocalTime t;
  t.Year = st.wYear;
  t.Month = st.wMonth;
  t.Day = st.wDay;
  t.DayOfWeek = st.wDayOfWeek;
  t.Hour = st.wHour;
  t.Minute = st.wMinute;
  t.Second = st.wSecond;
  t.Milliseconds = st.wMilliseconds;
  return t;
}

uint16_t Win32System::SystemDefaultLangID() const { return ::GetSystemDefaultLangID(); }

LocaleFacts Win32System::Locale() const {
  return WithApi([](auto api) {
    LocaleFacts f;
    if (auto s = LocaleText(api, LOCALE_SDECIMAL)) f.DecimalSeparator = *s;
    if (auto s = LocaleText(api, LOCALE_SDATE)) f.DateSeparator = *s;
    if (auto s = LocaleText(api, LOCALE_STIME)) f.TimeSeparator = *s;
    for (size_t i = 0; i < 7; ++i) f.DayNames[i] = LocaleText(api, kDayNames[i]).value_or("");
    for (size_t i = 0; i < 12; ++i) f.MonthNames[i] = LocaleText(api, kMonthNames[i]).value_or("");
    for (const LocaleItem& item : kLocaleItems)
      if (auto s = LocaleText(api, item.Type)) f.Values[item.Name] = *s;
    return f;
  });
}

std::string Win32System::EnvironmentBlock() const {
  return WithApi([](auto api) {
    using Api = decltype(api);
    using Char = typename Api::Char;
    Char* block = Api::Environment();
    if (!block) return std::string(1, '\0');
    // Strings end with a NUL each; an empty string ends the block.
    size_t n = 0;
    while (block[n] != Char()) {
      while (block[n] != Char()) ++n;
      ++n;
    }
    std::string out = Api::Out(block, n);
    out += '\0';
    Api::FreeEnvironment(block);
    return out;
  });
}

std::optional<std::string> Win32System::EnvironmentVariable(const std::string& name) const {
  return WithApi([&](auto api) -> std::optional<std::string> {
    using Api = decltype(api);
    typename Api::Text native = Api::In(name);
    typename Api::Text buffer(256, typename Api::Char());
    for (int attempt = 0; attempt < 8; ++attempt) {
      ::SetLastError(ERROR_SUCCESS);
      DWORD size = static_cast<DWORD>(buffer.size());
      DWORD n = Api::EnvironmentVariable(native.c_str(), &buffer[0], size);
      if (n == 0) {
        // A variable set to "" also answers 0; only ERROR_ENVVAR_NOT_FOUND means absent.
        if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
        return std::string();
      }
      if (n < size) return Api::Out(buffer.data(), n);
      buffer.resize(n + 1);
    }
    return std::nullopt;
  });
}

int Win32System::ServerR2Metric() const { return ::GetSystemMetrics(SM_SERVERR2); }

uint32_t Win32System::KernelVersionHigh() const {
  HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  if (!kernel) return 0;
  std::optional<std::string> path = WithApi([kernel](auto api) -> std::optional<std::string> {
    using Api = decltype(api);
    auto text = ReadGrowing<typename Api::Char>(
        [kernel](typename Api::Char* b, DWORD n) { return Api::ModulePath(kernel, b, n); });
    if (!text) return std::nullopt;
    return Api::Out(text->data(), text->size());
  });
  if (!path) return 0;
  auto res = Win32Files().ReadVersionResource(*path);
  return res && res->HasFixedInfo ? res->FileVersionMS : 0;
}

std::array<uint8_t, 256> Win32System::KeyboardState() const {
  std::array<uint8_t, 256> state{};
  BYTE keys[256] = {};
  if (::GetKeyboardState(keys))
    for (size_t i = 0; i < state.size(); ++i) state[i] = keys[i];
  return state;
}

RasEnumResult Win32System::EnumRasConnections() const {
  RasEnumResult r;
  UniqueLibrary ras(::LoadLibraryA("rasapi32.dll"));  // freed on every path
  if (!ras) return r;
  r.LibraryPresent = true;
  auto enumerate = ProcAs<RasEnumConnectionsAFn>(ras.Get(), "RasEnumConnectionsA");
  if (!enumerate) return r;
  r.EntryPointPresent = true;
  RasConnectionEntry entries[kRasEntriesAsked] = {};
  entries[0].dwSize = sizeof(RasConnectionEntry);
  DWORD bytes = sizeof entries;
  DWORD count = 0;
  r.ReturnCode = enumerate(entries, &bytes, &count);
  r.ConnectionCount = count;
  return r;
}

}  // namespace kestrova::win32
