#pragma once
// Formatting shared by the report sections: sizes, durations, the header's date line.
#include <cstdint>
#include <string>

#include "engine/platform/system.h"

namespace kestrova {

const std::string& ChooseText(bool flag, const std::string& textIfTrue, const std::string& textIfFalse);

// Base 1024, two decimals with the user's decimal separator: "1,50 KO". Empty below 0.
std::string FormatSize(int64_t bytes, const std::string& decimalSeparator);

// ASCII letters and digits only, in their order.
std::string KeepAlphanumeric(const std::string& text);

// Seconds as "1 Hour, 2 Minutes, 5 Seconds." or, with clock true, "01:02:05".
std::string FormatDuration(int64_t seconds, bool clock);

// "dddd dd mmmm yyyy - hh:mm" with the user's day and month names.
std::string FormatReportDate(const LocalTime& t, const LocaleFacts& locale);

}  // namespace kestrova
