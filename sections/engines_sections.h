#pragma once
// The five runtime sections: "ASPI", "DirectX", "OpenGL", "Internet" and "Moteurs Bases
// de données". Each refreshes the engines itself.
#include "sections/run.h"

namespace kestrova {

extern const SectionWriter kAspiWriter;       // "ASPI"
extern const SectionWriter kDirectXWriter;    // "DirectX"
extern const SectionWriter kOpenGLWriter;     // "OpenGL"
extern const SectionWriter kInternetWriter;   // "Internet"
extern const SectionWriter kDatabasesWriter;  // "Moteurs Bases de données"

}  // namespace kestrova
