#pragma once
// The two time-zone routines of the shell's date utilities that the "Localisation"
// section calls. They read the system directly, not through an engine object.
#include <string>

#include "engine/platform/platform.h"

namespace kestrova {

// "GMT" for a zero bias; otherwise "GMT+" (bias below 0) or "GMT-" and the offset in
// hours: an integer when whole, else the shortest general form with `decimalSeparator`.
std::string GmtOffsetText(int32_t bias, const std::string& decimalSeparator);
std::string GmtOffsetText(const Platform& p);

struct TimeZoneRecord {
  std::string KeyName;
  std::string DisplayName;
  int32_t Bias = 0;
  std::string StandardName;
  SystemTimeFields StandardDate;
  int32_t StandardBias = 0;
  std::string DaylightName;
  SystemTimeFields DaylightDate;
  int32_t DaylightBias = 0;
  bool UseDaylightTime = false;
};

// Built anew at every call: the current zone as GetTimeZoneInformation gives it (the
// extra biases as they are), and the key and display name of the last zone of the
// registry's list whose "std" name equals the current standard name.
TimeZoneRecord CurrentTimeZoneRecord(const Platform& p);

}  // namespace kestrova
