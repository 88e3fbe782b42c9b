#pragma once
// The "APM - Gestion avancée de l'énergie" section.
#include "sections/run.h"

namespace kestrova {

extern const SectionWriter kApmWriter;

}  // namespace kestrova
