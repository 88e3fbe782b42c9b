#pragma once
// The operating-system sections: "Système d'exploitation (OS)", "Localisation",
// "Variables d'environnement" and "Répertoires communs de Windows".
#include "sections/run.h"

namespace kestrova {

extern const SectionWriter kOSWriter;              // "Système d'exploitation (OS)"
extern const SectionWriter kLocaleWriter;          // "Localisation"
extern const SectionWriter kEnvironmentWriter;     // "Variables d'environnement"
extern const SectionWriter kWindowsFoldersWriter;  // "Répertoires communs de Windows"

}  // namespace kestrova
