#pragma once
// GetTimeZoneInformation of a recorded machine, answered from its own registry: Windows
// keeps the current zone in HKLM "SYSTEM\CurrentControlSet\Control\TimeZoneInformation",
// so a captured registry replays its zone without anything else.
#include <optional>

#include "engine/platform/recorded/registry_tree.h"
#include "engine/platform/system.h"

namespace kestrova {

extern const char* const kTimeZoneInformationKey;

// The key's "Bias", "StandardBias", "DaylightBias" (DWORDs on the NT family, 4-byte
// binary values on the 9x family), "StandardName", "DaylightName" (cut to 31 characters,
// as the record holds them) and "StandardStart", "DaylightStart" (16-byte SYSTEMTIMEs).
// A value that is missing or too short reads as zero; nullopt when the key is missing.
std::optional<TimeZoneFacts> RecordedTimeZone(const IRegistry& registry);

}  // namespace kestrova
