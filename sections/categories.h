#pragma once
// The 28 report categories: their captions (also the keys the writers find their row
// by) in list order, and the section writers in run order.
#include <string>
#include <vector>

namespace kestrova {

extern const char* const kCatMachine;
extern const char* const kCatOS;
extern const char* const kCatCPU;
extern const char* const kCatLocale;
extern const char* const kCatDisplay;
extern const char* const kCatMonitors;
extern const char* const kCatMultimedia;
extern const char* const kCatMemory;
extern const char* const kCatDisks;
extern const char* const kCatASPI;
extern const char* const kCatDirectX;
extern const char* const kCatOpenGL;
extern const char* const kCatInternet;
extern const char* const kCatDatabases;
extern const char* const kCatNetwork;
extern const char* const kCatPrinters;
extern const char* const kCatUSB;
extern const char* const kCatAPM;
extern const char* const kCatInstalledApps;
extern const char* const kCatAutoStart;
extern const char* const kCatProcesses;
extern const char* const kCatDrivers;
extern const char* const kCatServices;
extern const char* const kCatEnvironment;
extern const char* const kCatWindowsFolders;
extern const char* const kCatUserFolders;
extern const char* const kCatRootFolders;
extern const char* const kCatProgramFilesFolders;

// The captions in the order of the category list.
const std::vector<std::string>& CategoryListOrder();

}  // namespace kestrova
