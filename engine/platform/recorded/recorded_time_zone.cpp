#include "engine/platform/recorded/recorded_time_zone.h"

#include <algorithm>

#include "engine/core/text.h"

namespace kestrova {

const char* const kTimeZoneInformationKey = "SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation";

namespace {

int32_t BiasValue(const IRegistry& r, const char* name) {
  auto v = r.QueryValue(RootKey::LocalMachine, kTimeZoneInformationKey, name);
  if (!v || v->Data.size() < 4) return 0;
  const auto& d = v->Data;
  return static_cast<int32_t>(uint32_t{d[0]} | uint32_t{d[1]} << 8 | uint32_t{d[2]} << 16 | uint32_t{d[3]} << 24);
}

std::string NameValue(const IRegistry& r, const char* name) {
  auto v = r.QueryValue(RootKey::LocalMachine, kTimeZoneInformationKey, name);
  if (!v || (v->Type != kRegSz && v->Type != kRegExpandSz)) return {};
  auto end = std::find(v->Data.begin(), v->Data.end(), uint8_t{0});
  return Truncate(std::string(v->Data.begin(), end), 31);
}

SystemTimeFields StartValue(const IRegistry& r, const char* name) {
  auto v = r.QueryValue(RootKey::LocalMachine, kTimeZoneInformationKey, name);
  return v ? SystemTimeFromBytes(v->Data, 0) : SystemTimeFields{};
}

}  // namespace

std::optional<TimeZoneFacts> RecordedTimeZone(const IRegistry& r) {
  if (!r.KeyExists(RootKey::LocalMachine, kTimeZoneInformationKey)) return std::nullopt;
  TimeZoneFacts z;
  z.Bias = BiasValue(r, "Bias");
  z.StandardName = NameValue(r, "StandardName");
  z.StandardDate = StartValue(r, "StandardStart");
  z.StandardBias = BiasValue(r, "StandardBias");
  z.DaylightName = NameValue(r, "DaylightName");
  z.DaylightDate = StartValue(r, "DaylightStart");
  z.DaylightBias = BiasValue(r, "DaylightBias");
  return z;
}

}  // namespace kestrova
