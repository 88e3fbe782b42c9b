// The NT 4.0 SP6a recording through the sections that do not belong to the operating
// system: the machine, the processor and the folder listings.
#include <gtest/gtest.h>

#include "engine/core/context.h"
#include "engine/core/system_info.h"
#include "engine/platform/recorded/recorded_machine.h"
#include "sections/cpu_section.h"
#include "sections/folder_sections.h"
#include "sections/machine_section.h"
#include "fake_host.h"

namespace kestrova {
namespace {

std::vector<std::string> RunSections(const std::vector<const SectionWriter*>& writers) {
  auto m = LoadRecordedMachine(std::string(KESTROVA_FIXTURES) + "/machines/nt40-sp6a-p2");
  const EngineContext context = MakeEngineContext(m->View());
  TSystemInfo engine(context);
  MemoryLog log;
  kestrova::testing::FakeHost host;
  RunFlags flags;
  SectionContext ctx{engine, log, host, flags};
  for (const SectionWriter* w : writers) RunSection(*w, ctx);
  return log.Texts();
}

TEST(NT40Machine, MachineSectionFromTheRegistryAndSmbios21) {
  const std::vector<std::string> expected = {
      "",
      "Machine (général)",
      " - Nom Machine : COMPTA-NT",
      " - Nom Utilisateur : Paul",
      " - Dernier démarrage : 05/12/2026 - 19:05",  // one day of uptime
      " - Configuration : ",                        // NT 4 has no "Computer" device class
      " - Carte mère - Fabricant : Quorvane Computer",
      " - Carte mère - Modèle : 440LX-ATX",
      " - Carte mère - Version : Rev 1.02",
      " - BIOS - Nom : AT/AT COMPATIBLE",
      " - BIOS - Copyright : HALVORSEN - 4.51 PG Halvorsen Modular BIOS v4.51PG ",  // the last CR LF leaves a blank
      " - BIOS - Date : 04/14/98",
      " - BIOS - Version : 4.51 PG",
      " - Verrouillage Majuscules : Non",
      " - Verrouillage Clavier numérique : Oui"};
  EXPECT_EQ(RunSections({&kMachineWriter}), expected);
}

TEST(NT40Machine, CpuSectionNamesTheKlamathPentiumII) {
  const auto lines = RunSections({&kCpuWriter});
  const std::vector<std::string> head = {
      "",
      "CPU (processeur) - CPU #0",
      " - Type : 0",
      " - Famille : 6",
      " - Modèle : 3",
      " - Nom CPU : Pentium II",
      " - Nom générique : x86 Family 6 Model 3 Stepping 4",
      " - Nom commercial : ",
      " - Nom de code : A80522,P6L Klamath",
      " - Révision : C1",
      " - Technologie : 0.28 µm",
      " - Fréquence : 266 MHz",
      " - Cache Niveau 1 : 16",
      " - Cache Niveau 2 : 512",
      " - Cache Niveau 3 : 0"};
  ASSERT_GE(lines.size(), head.size());
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(head.size())), head);
}

TEST(NT40Machine, FolderSectionsOfTheInternetExplorer5Shell) {
  const std::vector<std::string> expected = {
      "",
      "Répertoires Utilisateur",
      " - Répertoire \"Applications / Tous utilisateurs\" = ",
      " - Répertoire \"Documents / Tous utilisateurs\" = ",
      " - Répertoire \"Ma musiques / Tous utilisateurs\" = ",
      " - Répertoire \"Mes Images / Tous utilisateurs\" = ",
      " - Répertoire \"Données applications\" = C:\\WINNT\\Profiles\\Paul\\Application Data\\",
      " - Répertoire \"Mes Documents / Utilisateur actuel\" = C:\\WINNT\\Profiles\\Paul\\Personnel\\",
      " - Répertoire \"Ma musique / Utilisateur actuel\" = ",
      " - Répertoire \"Mes Images / Utilisateur actuel\" = ",
      "",
      "Répertoires de c:\\",
      " - \\compta\\",
      " - \\program files\\",
      " - \\temp\\",
      " - \\winnt\\",  // RECYCLER is hidden and system
      "",
      "Répertoires de c:\\program files",
      " - \\fichiers communs\\",
      " - \\internet explorer\\",
      " - \\outlook express\\"};
  EXPECT_EQ(RunSections({&kUserFoldersWriter, &kRootFoldersWriter, &kProgramFilesFoldersWriter}), expected);
}

}  // namespace
}  // namespace kestrova
