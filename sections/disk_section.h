#pragma once
// The "Disques" section: one line per logical drive.
#include "sections/run.h"

namespace kestrova {

extern const SectionWriter kDiskWriter;  // "Disques"

}  // namespace kestrova
