#pragma once
// The "Machine (général)" section: names, last boot, board and BIOS, keyboard locks.
#include <string>

#include "engine/platform/system.h"
#include "sections/run.h"

namespace kestrova {

extern const SectionWriter kMachineWriter;  // "Machine (général)"

// "dd/mm/yyyy - hh:mm" with the user's date and time separators.
std::string FormatBootTime(double dateTime, const LocaleFacts& locale);

}  // namespace kestrova
