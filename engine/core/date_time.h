#pragma once
// Dates as day counts: whole days since 30 December 1899, the fraction the time of day
// (the convention of the system's date-time values).
#include "engine/platform/system.h"

namespace kestrova {

double EncodeDateTime(const LocalTime& t);
// Rounded to the millisecond; the day of the week is filled in.
LocalTime DecodeDateTime(double value);

}  // namespace kestrova
