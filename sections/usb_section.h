#pragma once
// The "USB" section: the count of connected devices, one line per host controller and
// one per device that names its manufacturer.
#include "sections/run.h"

namespace kestrova {

extern const SectionWriter kUsbWriter;  // "USB"

}  // namespace kestrova
