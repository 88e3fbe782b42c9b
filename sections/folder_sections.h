#pragma once
// The three sections that read no engine object: the user's shell folders and the
// folders found directly inside c:\ and c:\program files.
#include <string>

#include "engine/platform/platform.h"
#include "sections/run.h"

namespace kestrova {

extern const SectionWriter kUserFoldersWriter;         // "Répertoires Utilisateur"
extern const SectionWriter kRootFoldersWriter;         // "Répertoires de c:\"
extern const SectionWriter kProgramFilesFoldersWriter; // "Répertoires de c:\program files"

// A shell folder as the section prints it: empty unless the shell's text holds a
// backslash, and then ending with one.
std::string ShellFolderText(const IShell& shell, int csidl);

}  // namespace kestrova
