#pragma once
// "Applications installées" (the installed applications' names, sorted, once each) and
// "Applications démarrées automatiquement" (every auto-start entry with its source).
#include <string>
#include <vector>

#include "sections/run.h"

namespace kestrova {

extern const SectionWriter kInstalledAppsWriter;  // "Applications installées"
extern const SectionWriter kAutoStartWriter;      // "Applications démarrées automatiquement"

// The names in the order the section prints them: sorted without regard to letter case
// (accented Latin letters beside their base letter), each name once, the first spelling
// met kept.
std::vector<std::string> SortedDistinctNames(std::vector<std::string> names);

}  // namespace kestrova
