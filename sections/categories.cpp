#include "sections/categories.h"

namespace kestrova {

const char* const kCatMachine = "Machine (général)";
const char* const kCatOS = "Système d'exploitation (OS)";
const char* const kCatCPU = "CPU (processeur)";
const char* const kCatLocale = "Localisation";
const char* const kCatDisplay = "Affichage";
const char* const kCatMonitors = "Moniteurs";
const char* const kCatMultimedia = "Multimédia";
const char* const kCatMemory = "Mémoire";
const char* const kCatDisks = "Disques";
const char* const kCatASPI = "ASPI";
const char* const kCatDirectX = "DirectX";
const char* const kCatOpenGL = "OpenGL";
const char* const kCatInternet = "Internet";
const char* const kCatDatabases = "Moteurs Bases de données";
const char* const kCatNetwork = "Réseau";
const char* const kCatPrinters = "Imprimantes";
const char* const kCatUSB = "USB";
const char* const kCatAPM = "APM - Gestion avancée de l'énergie";
const char* const kCatInstalledApps = "Applications installées";
const char* const kCatAutoStart = "Applications démarrées automatiquement";
const char* const kCatProcesses = "Processus";
const char* const kCatDrivers = "Drivers";
const char* const kCatServices = "Services";
const char* const kCatEnvironment = "Variables d'environnement";
const char* const kCatWindowsFolders = "Répertoires communs de Windows";
const char* const kCatUserFolders = "Répertoires Utilisateur";
const char* const kCatRootFolders = "Répertoires de c:\\";
const char* const kCatProgramFilesFolders = "Répertoires de c:\\program files";

const std::vector<std::string>& CategoryListOrder() {
  static const std::vector<std::string> kList = {
      kCatMachine, kCatOS, kCatCPU, kCatLocale, kCatDisplay, kCatMonitors, kCatMultimedia,
      kCatMemory, kCatDisks, kCatASPI, kCatDirectX, kCatOpenGL, kCatInternet, kCatDatabases,
      kCatNetwork, kCatPrinters, kCatUSB, kCatAPM, kCatInstalledApps, kCatAutoStart,
      kCatProcesses, kCatDrivers, kCatServices, kCatEnvironment, kCatWindowsFolders,
      kCatUserFolders, kCatRootFolders, kCatProgramFilesFolders};
  return kList;
}

}  // namespace kestrova
