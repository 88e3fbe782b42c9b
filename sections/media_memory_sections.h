#pragma once
// The "Multimédia" and "Mémoire" sections.
#include "sections/run.h"

namespace kestrova {

extern const SectionWriter kMultimediaWriter;  // "Multimédia"
extern const SectionWriter kMemoryWriter;      // "Mémoire"

}  // namespace kestrova
