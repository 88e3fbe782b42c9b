#pragma once
// "Processus", "Drivers" and "Services": each narrows the process list's detection range
// to its own kind, refreshes it and prints the sorted names.
#include <string>
#include <vector>

#include "sections/run.h"

namespace kestrova {

extern const SectionWriter kProcessesWriter;  // "Processus"
extern const SectionWriter kDriversWriter;    // "Drivers"
extern const SectionWriter kServicesWriter;   // "Services"

// The texts in the order of a list sorted without regard to case, as the system's text
// comparison orders them (symbols before digits before letters); equal texts all stay.
std::vector<std::string> SortedNoCase(std::vector<std::string> texts);

}  // namespace kestrova
