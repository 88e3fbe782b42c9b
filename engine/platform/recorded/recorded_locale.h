#pragma once
// GetLocaleInfo of a recorded machine, answered from machine.ini's [locale] section: a
// LOCALE_* key gives the text of that LCTYPE; DecimalSeparator, DateSeparator and
// TimeSeparator also answer LOCALE_SDECIMAL, LOCALE_SDATE and LOCALE_STIME when those
// keys are absent. A recording holds one locale: the user's and the system's alike.
#include <cstdint>
#include <optional>
#include <string>

#include "engine/platform/system.h"

namespace kestrova {

// "LOCALE_SDECIMAL" for 0x0E; null for an LCTYPE the recordings do not name.
const char* LocaleTypeName(uint32_t lcType);

std::optional<std::string> RecordedLocaleInfo(const LocaleFacts& locale, uint32_t lcType);

}  // namespace kestrova
