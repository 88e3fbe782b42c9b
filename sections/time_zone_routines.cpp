#include "sections/time_zone_routines.h"

#include <algorithm>
#include <cstdlib>

#include "engine/core/text.h"
#include "engine/os/shared_routines.h"
#include "engine/os/time_zone.h"

namespace kestrova {

std::string GmtOffsetText(int32_t bias, const std::string& decimalSeparator) {
  if (bias == 0) return "GMT";
  const std::string sign = bias < 0 ? "GMT+" : "GMT-";
  const int64_t minutes = std::llabs(static_cast<int64_t>(bias));
  if (minutes % 60 == 0) return sign + Format("%lld", static_cast<long long>(minutes / 60));
  return sign + ReplaceAll(Format("%.15G", static_cast<double>(minutes) / 60.0), ".", decimalSeparator);
}

std::string GmtOffsetText(const Platform& p) {
  if (!p.System) return "GMT";
  const TimeZoneFacts z = p.System->TimeZone().value_or(TimeZoneFacts{});
  return GmtOffsetText(z.Bias, p.System->Locale().DecimalSeparator);
}

TimeZoneRecord CurrentTimeZoneRecord(const Platform& p) {
  TimeZoneRecord r;
  if (!p.System) return r;
  const TimeZoneFacts z = p.System->TimeZone().value_or(TimeZoneFacts{});
  r.Bias = z.Bias;
  r.StandardName = z.StandardName;
  r.StandardDate = z.StandardDate;
  r.StandardBias = z.StandardBias;
  r.DaylightName = z.DaylightName;
  r.DaylightDate = z.DaylightDate;
  r.DaylightBias = z.DaylightBias;
  r.UseDaylightTime = z.StandardDate.Month != 0;
  if (!p.Registry) return r;
  // The raw platform decides the key here, not the classification of the engine.
  const std::string key = TimeZonesKey(p.System->Version().PlatformId == 2);
  for (const std::string& name : p.Registry->SubKeyNames(RootKey::LocalMachine, key)) {
    const std::string zone = key + "\\" + name;
    // One read of "std": a zone without it never matches; one of another type reads as
    // an empty text, as ReadRegistryString gives it.
    const auto standard = p.Registry->QueryValue(RootKey::LocalMachine, zone, "std");
    if (!standard) continue;
    const bool isText = standard->Type == kRegSz || standard->Type == kRegExpandSz;
    const auto& data = standard->Data;
    const std::string text = isText ? std::string(data.begin(), std::find(data.begin(), data.end(), uint8_t{0})) : std::string();
    if (text != r.StandardName) continue;
    r.DisplayName = ReadRegistryString(p, RootKey::LocalMachine, zone, "Display");
    r.KeyName = name;  // every zone is examined: the last match wins
  }
  return r;
}

}  // namespace kestrova
