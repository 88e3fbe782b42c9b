#include "engine/core/format.h"

#include <gtest/gtest.h>

#include "engine/core/date_time.h"

namespace kestrova {
namespace {

TEST(FormatSize, UnitBoundariesWithTheUsersDecimalSeparator) {
  EXPECT_EQ(FormatSize(0, ","), "0,00 Oct");
  EXPECT_EQ(FormatSize(1023, ","), "1023,00 Oct");
  EXPECT_EQ(FormatSize(1024, ","), "1,00 KO");
  EXPECT_EQ(FormatSize(1536, ","), "1,50 KO");
  EXPECT_EQ(FormatSize(1048575, ","), "1024,00 KO");
  EXPECT_EQ(FormatSize(1048576, ","), "1,00 MO");
  EXPECT_EQ(FormatSize(1073741823, ","), "1024,00 MO");
  EXPECT_EQ(FormatSize(1073741824, ","), "1,00 GO");
  EXPECT_EQ(FormatSize(int64_t{5} << 40, "."), "5120.00 GO");  // nothing above GO
  EXPECT_EQ(FormatSize(-1, ","), "");
}

TEST(FormatDuration, ListFormStartsAtTheLargestNonZeroUnit) {
  EXPECT_EQ(FormatDuration(3725, false), "1 Hour, 2 Minutes, 5 Seconds.");
  EXPECT_EQ(FormatDuration(61, false), "1 Minute, 1 Second.");
  EXPECT_EQ(FormatDuration(59, false), "59 Seconds.");
  EXPECT_EQ(FormatDuration(0, false), "0 Seconds.");
  // zero units below the first non-zero one are still listed
  EXPECT_EQ(FormatDuration(86401, false), "1 Day, 0 Hours, 0 Minutes, 1 Second.");
  EXPECT_EQ(FormatDuration(2 * 604800 + 7200, false), "2 Weeks, 0 Days, 2 Hours, 0 Minutes, 0 Seconds.");
  EXPECT_EQ(FormatDuration(31579200LL + 2678400LL, false),
            "1 Year, 1 Month, 0 Weeks, 0 Days, 0 Hours, 0 Minutes, 0 Seconds.");
  EXPECT_EQ(FormatDuration(2 * 3157920000LL, false),
            "2 Centuries, 0 Years, 0 Months, 0 Weeks, 0 Days, 0 Hours, 0 Minutes, 0 Seconds.");
}

TEST(FormatDuration, ClockFormShowsHoursMinutesSecondsOnly) {
  EXPECT_EQ(FormatDuration(86400 + 3600 + 60 + 1, true), "01:01:01");
  EXPECT_EQ(FormatDuration(0, true), "00:00:00");
  EXPECT_EQ(FormatDuration(-5, true), "00:00:00");
}

// Day numbers from 30 December 1899 and weekdays (0 Sunday) round month and year ends, in
// leap and common years, century years included.
TEST(DateTime, DayNumbersAndWeekdaysAcrossMonthAndYearEnds) {
  const struct { int Year, Month, Day; double Serial; int Weekday; } kDays[] = {
      {1899, 12, 30, 0, 6},     {1900, 2, 28, 60, 3},     {1900, 3, 1, 61, 4},      {1970, 1, 1, 25569, 4},
      {2000, 2, 29, 36585, 2},  {2000, 3, 1, 36586, 3},   {2023, 3, 1, 44986, 3},   {2024, 2, 29, 45351, 4},
      {2024, 3, 1, 45352, 5},   {2026, 12, 31, 46387, 4}, {2027, 1, 1, 46388, 5},   {2100, 2, 28, 73109, 0},
      {2100, 3, 1, 73110, 1}};
  for (const auto& d : kDays) {
    LocalTime t;
    t.Year = d.Year, t.Month = d.Month, t.Day = d.Day, t.Hour = 18, t.Minute = 30;
    EXPECT_DOUBLE_EQ(EncodeDateTime(t), d.Serial + 0.770833333333333333) << d.Year << "-" << d.Month << "-" << d.Day;
    const LocalTime back = DecodeDateTime(d.Serial + 0.75);
    EXPECT_EQ(std::vector<int>({back.Year, back.Month, back.Day, back.DayOfWeek, back.Hour}),
              std::vector<int>({d.Year, d.Month, d.Day, d.Weekday, 18}));
  }
}

TEST(ChooseTextAndKeepAlphanumeric, Basics) {
  EXPECT_EQ(ChooseText(true, "Oui", "Non"), "Oui");
  EXPECT_EQ(ChooseText(false, "Yes", "Non"), "Non");
  EXPECT_EQ(KeepAlphanumeric("USB\\Root_Hub#2"), "USBRootHub2");
  EXPECT_EQ(KeepAlphanumeric("Pér\xC3\xA9iph\xC3\xA9rique 3"), "Priphrique3");  // accents dropped
}

TEST(FormatReportDate, FrenchSundayInDecember) {
  LocaleFacts fr;
  fr.DayNames = {"dimanche", "lundi", "mardi", "mercredi", "jeudi", "vendredi", "samedi"};
  fr.MonthNames = {"janvier", "février", "mars", "avril", "mai", "juin", "juillet", "août",
                   "septembre", "octobre", "novembre", "décembre"};
  LocalTime t;
  t.Year = 2026; t.Month = 12; t.Day = 6; t.DayOfWeek = 0; t.Hour = 19; t.Minute = 6; t.Second = 42;
  EXPECT_EQ(FormatReportDate(t, fr), "dimanche 06 décembre 2026 - 19:06");
  t.Month = 2; t.Day = 9; t.DayOfWeek = 1; t.Hour = 7; t.Minute = 5;
  EXPECT_EQ(FormatReportDate(t, fr), "lundi 09 février 2026 - 07:05");
}

}  // namespace
}  // namespace kestrova
