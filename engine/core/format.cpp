#include "engine/core/format.h"

#include "engine/core/text.h"

namespace kestrova {

const std::string& ChooseText(bool flag, const std::string& t, const std::string& f) {
  return flag ? t : f;
}

std::string FormatSize(int64_t bytes, const std::string& decimalSeparator) {
  if (bytes < 0) return {};
  struct Unit { int64_t From; double Divisor; const char* Name; };
  // from               divisor                     unit
  static const Unit kUnits[] = {
      {int64_t{1} << 30, 1024.0 * 1024.0 * 1024.0, "GO"},
      {int64_t{1} << 20, 1024.0 * 1024.0, "MO"},
      {int64_t{1} << 10, 1024.0, "KO"},
      {0, 1.0, "Oct"},
  };
  for (const Unit& u : kUnits) {
    if (bytes < u.From) continue;
    std::string number = Format("%.2f", static_cast<double>(bytes) / u.Divisor);
    return ReplaceAll(number, ".", decimalSeparator) + " " + u.Name;
  }
  return {};
}

std::string KeepAlphanumeric(const std::string& text) {
  std::string out;
  for (char c : text)
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) out += c;
  return out;
}

std::string FormatDuration(int64_t seconds, bool clock) {
  struct Unit { int64_t Seconds; const char* One; const char* Many; };
  // unit length      singular        plural
  static const Unit kUnits[] = {
      {3157920000LL, " Century, ", " Centuries, "},
      {31579200LL, " Year, ", " Years, "},
      {2678400LL, " Month, ", " Months, "},
      {604800LL, " Week, ", " Weeks, "},
      {86400LL, " Day, ", " Days, "},
      {3600LL, " Hour, ", " Hours, "},
      {60LL, " Minute, ", " Minutes, "},
  };
  constexpr size_t kUnitCount = sizeof kUnits / sizeof kUnits[0];
  int64_t counts[kUnitCount];
  int64_t rest = seconds < 0 ? 0 : seconds;
  for (size_t i = 0; i < kUnitCount; ++i) {
    counts[i] = rest / kUnits[i].Seconds;
    rest %= kUnits[i].Seconds;
  }
  if (clock)
    return Format("%2.2lld:%2.2lld:%2.2lld", static_cast<long long>(counts[5]),
                  static_cast<long long>(counts[6]), static_cast<long long>(rest));
  std::string out;
  size_t first = 0;
  while (first < kUnitCount && counts[first] == 0) ++first;
  for (size_t i = first; i < kUnitCount; ++i)
    out += Format("%lld", static_cast<long long>(counts[i])) +
           (counts[i] == 1 ? kUnits[i].One : kUnits[i].Many);
  out += Format("%lld", static_cast<long long>(rest)) + (rest == 1 ? " Second." : " Seconds.");
  return out;
}

std::string FormatReportDate(const LocalTime& t, const LocaleFacts& locale) {
  const std::string& day = (t.DayOfWeek >= 0 && t.DayOfWeek < 7) ? locale.DayNames[t.DayOfWeek] : "";
  const std::string& month = (t.Month >= 1 && t.Month <= 12) ? locale.MonthNames[t.Month - 1] : "";
  return Format("%s %02d %s %04d - %02d:%02d", day.c_str(), t.Day, month.c_str(), t.Year, t.Hour,
                t.Minute);
}

}  // namespace kestrova
