#include "engine/os/time_zone.h"

#include "engine/core/context.h"
#include "engine/core/date_time.h"
#include "engine/core/text.h"
#include "engine/hardware/machine.h"
#include "engine/os/shared_routines.h"

namespace kestrova {

namespace {

int32_t Le32At(const std::vector<uint8_t>& d, size_t at) {
  return static_cast<int32_t>(uint32_t{d[at]} | uint32_t{d[at + 1]} << 8 | uint32_t{d[at + 2]} << 16 |
                              uint32_t{d[at + 3]} << 24);
}

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

bool ValidDate(int y, int m, int d) { return y >= 1 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= DaysInMonth(y, m); }

int WeekDay(int y, int m, int d) {  // 0 = Sunday
  LocalTime t;
  t.Year = y, t.Month = m, t.Day = d;
  return DecodeDateTime(EncodeDateTime(t)).DayOfWeek;
}

double DateValue(int y, int m, int d) {
  LocalTime t;
  t.Year = y, t.Month = m, t.Day = d;
  return EncodeDateTime(t);
}

}  // namespace

std::optional<TziRecord> DecodeTzi(const std::vector<uint8_t>& data) {
  if (data.size() != kTziSize) return std::nullopt;
  TziRecord r;
  r.Bias = Le32At(data, 0);
  r.StandardBias = Le32At(data, 4);
  r.DaylightBias = Le32At(data, 8);
  r.StandardDate = SystemTimeFromBytes(data, 12);
  r.DaylightDate = SystemTimeFromBytes(data, 28);
  return r;
}

std::optional<double> TransitionMoment(const SystemTimeFields& rule, int year) {
  if (rule.Month == 0) return 0.0;
  if (rule.Hour > 23 || rule.Minute > 59 || rule.Second > 59 || rule.Milliseconds > 999) return std::nullopt;
  const double time = (((rule.Hour * 60.0 + rule.Minute) * 60.0 + rule.Second) * 1000.0 + rule.Milliseconds) / 86400000.0;
  if (rule.Year != 0) {
    if (!ValidDate(rule.Year, rule.Month, rule.Day)) return std::nullopt;
    return DateValue(rule.Year, rule.Month, rule.Day) + time;
  }
  if (!ValidDate(year, rule.Month, 1)) return std::nullopt;
  double date = 0;  // a wDay outside 1 to 5 stays at day 0 of the scale
  if (rule.Day >= 1 && rule.Day <= 4) {
    const int first = WeekDay(year, rule.Month, 1);
    const int day = 1 + ((rule.DayOfWeek - first + 7) % 7 + 7) % 7 + 7 * (rule.Day - 1);
    date = DateValue(year, rule.Month, day);
  } else if (rule.Day == 5) {
    const int lastDay = DaysInMonth(year, rule.Month);
    const int last = WeekDay(year, rule.Month, lastDay);
    date = DateValue(year, rule.Month, lastDay - ((last - rule.DayOfWeek + 7) % 7 + 7) % 7);
  }
  return date + time;
}

const char* TimeZonesKey(bool nt) {
  return nt ? "\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones"
            : "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Time Zones";
}

TTimeZone::TTimeZone(const EngineContext& context) : TInformation(context) {
  SetExceptionModes({TExceptionMode::emExceptionStack});
}

void TTimeZone::Refresh() {
  const EngineContext& c = Context();
  if (!c.Sys.System) return;
  const TimeZoneFacts now = c.Sys.System->TimeZone().value_or(TimeZoneFacts{});

  if (const IRegistry* reg = c.Sys.Registry) {
    const std::string key = TimeZonesKey(c.OSInfo.IsNT);
    if (reg->KeyExists(RootKey::LocalMachine, key)) {
      for (const std::string& name : reg->SubKeyNames(RootKey::LocalMachine, key)) {
        const std::string zone = key + "\\" + name;
        auto tzi = reg->QueryValue(RootKey::LocalMachine, zone, "TZI");
        if (!tzi) continue;
        auto record = DecodeTzi(tzi->Data);
        if (!record) continue;
        auto stdValue = reg->QueryValue(RootKey::LocalMachine, zone, "Std");
        auto display = reg->QueryValue(RootKey::LocalMachine, zone, "Display");
        if (!stdValue || !display) continue;  // not a zone this search can name
        const std::string stdName = Truncate(ReadRegistryString(c.Sys, RootKey::LocalMachine, zone, "Std"), 31);
        if (record->Bias == now.Bias && record->StandardBias == now.StandardBias &&
            record->StandardDate == now.StandardDate && stdName == now.StandardName) {
          displayName_ = ReadRegistryString(c.Sys, RootKey::LocalMachine, zone, "Display");
          break;
        }
      }
    }
  }

  bias_ = now.Bias;
  standardName_ = now.StandardName;
  daylightName_ = now.DaylightName;

  if (now.DaylightDate.Month != 0 && now.StandardDate.Month != 0) {
    const int year = c.Sys.System->Now().Year;
    auto daylight = TransitionMoment(now.DaylightDate, year);
    if (!daylight) return;
    daylightStart_ = *daylight;
    auto standard = TransitionMoment(now.StandardDate, year);
    if (!standard) return;
    standardStart_ = *standard;
    standardBias_ = now.Bias + now.StandardBias;
    daylightBias_ = now.Bias + now.DaylightBias;
  }
}

void TTimeZone::WriteBlock(ReportWriter& out) const {
  const LocaleFacts locale = Context().Sys.System ? Context().Sys.System->Locale() : LocaleFacts{};
  out.OpenClass("TimeZone", "TTimeZone");
  out.String("TimeZone", displayName_);
  out.String("StandardName", ShortDateTimeText(standardStart_, locale));
  out.Integer("StandardBias", standardBias_, "min");
  out.String("DaylightName", ShortDateTimeText(daylightStart_, locale));
  out.Integer("DaylightBias", daylightBias_, "min");
  out.CloseClass("TimeZone");
}

}  // namespace kestrova
