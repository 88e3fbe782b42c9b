#include "engine/core/date_time.h"

#include "engine/core/format.h"
#include "engine/core/text.h"

#include <cmath>
#include <cstdint>

namespace kestrova {

namespace {
// Days from 1970-01-01 to a civil date (proleptic Gregorian), and back.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (m <= 2));
}

const int64_t kEpochOffset = DaysFromCivil(1899, 12, 30);
constexpr int64_t kMsPerDay = 86400000;
}  // namespace

double EncodeDateTime(const LocalTime& t) {
  const int64_t days = DaysFromCivil(t.Year, static_cast<unsigned>(t.Month), static_cast<unsigned>(t.Day)) - kEpochOffset;
  const double time = (((t.Hour * 60.0 + t.Minute) * 60.0 + t.Second) * 1000.0 + t.Milliseconds) / kMsPerDay;
  return static_cast<double>(days) + time;
}

LocalTime DecodeDateTime(double value) {
  const int64_t totalMs = static_cast<int64_t>(std::llround(value * kMsPerDay));
  int64_t days = totalMs / kMsPerDay, ms = totalMs % kMsPerDay;
  if (ms < 0) ms += kMsPerDay, --days;
  LocalTime t;
  CivilFromDays(days + kEpochOffset, t.Year, t.Month, t.Day);
  const int64_t unixDays = days + kEpochOffset;  // 1970-01-01 was a Thursday
  t.DayOfWeek = static_cast<int>(((unixDays % 7) + 7 + 4) % 7);
  t.Hour = static_cast<int>(ms / 3600000);
  t.Minute = static_cast<int>(ms / 60000 % 60);
  t.Second = static_cast<int>(ms / 1000 % 60);
  t.Milliseconds = static_cast<int>(ms % 1000);
  return t;
}

std::string FormatDatePicture(const LocalTime& t, const std::string& picture, const LocaleFacts& locale) {
  std::string out;
  size_t i = 0;
  while (i < picture.size()) {
    const char c = picture[i];
    if (c == '\'' && i + 1 < picture.size() && picture[i + 1] == '\'') {  // '' is one quote
      out += '\'';
      i += 2;
      continue;
    }
    if (c == '\'') {  // quoted literal; '' inside stands for one quote
      ++i;
      while (i < picture.size()) {
        if (picture[i] == '\'') {
          if (i + 1 < picture.size() && picture[i + 1] == '\'') {
            out += '\'';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        out += picture[i++];
      }
      continue;
    }
    size_t run = 1;
    while (i + run < picture.size() && picture[i + run] == c) ++run;
    const size_t day = static_cast<size_t>(t.DayOfWeek) % 7, month = static_cast<size_t>(t.Month - 1) % 12;
    switch (c) {
      case 'd':
        out += run == 1 ? std::to_string(t.Day) : run == 2 ? Format("%2.2d", t.Day)
               : run == 3 ? Truncate(locale.DayNames[day], 3) : locale.DayNames[day];
        break;
      case 'M':
        out += run == 1 ? std::to_string(t.Month) : run == 2 ? Format("%2.2d", t.Month)
               : run == 3 ? Truncate(locale.MonthNames[month], 3) : locale.MonthNames[month];
        break;
      case 'y':
        out += run == 1 ? std::to_string(t.Year % 100) : run == 2 ? Format("%2.2d", t.Year % 100)
                                                        : Format("%4.4d", t.Year);
        break;
      case 'g':
        break;  // no era in the Gregorian calendar's short dates
      default:
        out.append(run, c);
    }
    i += run;
  }
  return out;
}

std::string ShortDateText(double date, const LocaleFacts& locale) {
  auto it = locale.Values.find("LOCALE_SSHORTDATE");
  const std::string picture = it != locale.Values.end() && !it->second.empty()
                                  ? it->second
                                  : "dd" + locale.DateSeparator + "MM" + locale.DateSeparator + "yyyy";
  return FormatDatePicture(DecodeDateTime(date), picture, locale);
}

}  // namespace kestrova
