#pragma once
// The "Imprimantes" section: the names of the installed printers.
#include "sections/run.h"

namespace kestrova {

extern const SectionWriter kPrintersWriter;  // "Imprimantes"

}  // namespace kestrova
