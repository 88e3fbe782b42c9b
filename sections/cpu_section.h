#pragma once
// The "CPU (processeur)" section: one block per processor.
#include "sections/run.h"

namespace kestrova {

extern const SectionWriter kCpuWriter;  // "CPU (processeur)"

}  // namespace kestrova
