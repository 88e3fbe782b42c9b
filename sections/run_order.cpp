// The section writers that exist, in run order. Each section, once built, adds its row
// here at its place in the run:
//   Machine, OS, CPU, Localisation, Affichage, Moniteurs, Multimédia, Mémoire, Disques,
//   ASPI, DirectX, OpenGL, Internet, Moteurs Bases de données, Réseau, Imprimantes, USB,
//   APM, Variables d'environnement, Répertoires communs de Windows, Répertoires
//   Utilisateur, Applications installées, Applications démarrées automatiquement,
//   Processus, Drivers, Services, Répertoires de c:\, Répertoires de c:\program files.
#include "sections/run.h"

#include "sections/apm_section.h"
#include "sections/cpu_section.h"
#include "sections/disk_section.h"
#include "sections/engines_sections.h"
#include "sections/display_sections.h"
#include "sections/folder_sections.h"
#include "sections/machine_section.h"
#include "sections/media_memory_sections.h"
#include "sections/network_section.h"
#include "sections/usb_section.h"
#include "sections/os_sections.h"
#include "sections/printers_section.h"
#include "sections/software_sections.h"
#include "sections/process_sections.h"

namespace kestrova {

const std::vector<SectionWriter>& RunOrder() {
  static const std::vector<SectionWriter> kWriters = {
      kMachineWriter,              // 1 Machine (général)
      kOSWriter,                   // 2 Système d'exploitation (OS)
      kCpuWriter,                  // 3 CPU (processeur)
      kLocaleWriter,               // 4 Localisation
      kDisplayWriter,              // 5 Affichage
      kMonitorsWriter,             // 6 Moniteurs
      kMultimediaWriter,           // 7 Multimédia
      kMemoryWriter,               // 8 Mémoire
      kDiskWriter,                 // 9 Disques
      kAspiWriter,                 // 10 ASPI
      kDirectXWriter,              // 11 DirectX
      kOpenGLWriter,               // 12 OpenGL
      kInternetWriter,             // 13 Internet
      kDatabasesWriter,            // 14 Moteurs Bases de données
      kNetworkWriter,              // 15 Réseau
      kPrintersWriter,             // 16 Imprimantes
      kUsbWriter,                  // 17 USB
      kApmWriter,                  // 18 APM - Gestion avancée de l'énergie
      kEnvironmentWriter,          // 19 Variables d'environnement
      kWindowsFoldersWriter,       // 20 Répertoires communs de Windows
      kUserFoldersWriter,          // 21 Répertoires Utilisateur
      kInstalledAppsWriter,        // 22 Applications installées
      kAutoStartWriter,            // 23 Applications démarrées automatiquement
      kProcessesWriter,            // 24 Processus
      kDriversWriter,              // 25 Drivers
      kServicesWriter,             // 26 Services
      kRootFoldersWriter,          // 27 Répertoires de c:\ (root)
      kProgramFilesFoldersWriter,  // 28 Répertoires de c:\program files
  };
  return kWriters;
}

}  // namespace kestrova
