#pragma once
// The "Affichage" (display adapter and screen) and "Moniteurs" sections.
#include <string>

#include "sections/run.h"

namespace kestrova {

extern const SectionWriter kDisplayWriter;   // "Affichage"
extern const SectionWriter kMonitorsWriter;  // "Moniteurs"

// What "%f" gives: two decimals, with the user's decimal separator.
std::string FixedTwoDecimals(double value, const std::string& decimalSeparator);

}  // namespace kestrova
