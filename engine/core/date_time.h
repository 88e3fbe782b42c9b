#pragma once
// Dates as day counts: whole days since 30 December 1899, the fraction the time of day
// (the convention of the system's date-time values).
#include "engine/platform/system.h"

namespace kestrova {

double EncodeDateTime(const LocalTime& t);
// Rounded to the millisecond; the day of the week is filled in.
LocalTime DecodeDateTime(double value);

// A date by a Windows date picture (d, dd, ddd, dddd, M, MM, MMM, MMMM, y, yy, yyyy,
// 'quoted text', '' for one quote), everything else literal, as GetDateFormat reads
// LOCALE_SSHORTDATE. Names come from the locale, abbreviations are their first three
// characters.
#include <string>
std::string FormatDatePicture(const LocalTime& t, const std::string& picture, const LocaleFacts& locale);
// A date in the user's short date format (LOCALE_SSHORTDATE), or dd/MM/yyyy with the date
// separator when the locale gives none.
std::string ShortDateText(double date, const LocaleFacts& locale);

}  // namespace kestrova
