// ISystem's time-zone and locale queries over the running Windows.
#include <windows.h>

#include "engine/platform/win32/api_family.h"
#include "engine/platform/win32/win32_system.h"
#include "engine/platform/win32/win32_util.h"

namespace kestrova::win32 {

namespace {
SystemTimeFields Fields(const SYSTEMTIME& t) {
  return {t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}
}  // namespace

std::optional<TimeZoneFacts> Win32System::TimeZone() const {
  TIME_ZONE_INFORMATION tzi{};
  if (::GetTimeZoneInformation(&tzi) == TIME_ZONE_ID_INVALID) return std::nullopt;
  // The record is wide on every Windows, the 9x family included.
  TimeZoneFacts z;
  z.Bias = tzi.Bias;
  z.StandardName = NarrowUntilNul(tzi.StandardName, sizeof tzi.StandardName / sizeof tzi.StandardName[0]);
  z.StandardDate = Fields(tzi.StandardDate);
  z.StandardBias = tzi.StandardBias;
  z.DaylightName = NarrowUntilNul(tzi.DaylightName, sizeof tzi.DaylightName / sizeof tzi.DaylightName[0]);
  z.DaylightDate = Fields(tzi.DaylightDate);
  z.DaylightBias = tzi.DaylightBias;
  return z;
}

std::optional<std::string> Win32System::LocaleInfo(uint32_t locale, uint32_t lcType) const {
  return WithApi([&](auto api) -> std::optional<std::string> {
    using Api = decltype(api);
    int size = Api::LocaleInfo(locale, lcType, nullptr, 0);  // with the NUL
    if (size <= 0) return std::nullopt;
    typename Api::Text buffer(static_cast<size_t>(size), typename Api::Char());
    int got = Api::LocaleInfo(locale, lcType, &buffer[0], size);
    if (got <= 0) return std::nullopt;
    return Api::OutUntilNul(buffer.data(), static_cast<size_t>(got));
  });
}

}  // namespace kestrova::win32
