#pragma once
// Looking a file up in a list of folders, and the parts of a path.
#include <string>

#include "engine/platform/files.h"

namespace kestrova {

// The bare name if that file exists (relative to the current folder); else each folder of
// the semicolon-separated list in order, joined to the name with a backslash unless it
// ends in ":" or "\"; the first existing file wins. Empty when none exists.
std::string FileSearch(const IFiles& files, const std::string& name, const std::string& folders);

// The part after the last "\" or ":" (the whole text without either).
std::string FileNamePart(const std::string& path);
// The part up to and including the last "\" or ":" (empty without either).
std::string FolderPart(const std::string& path);

}  // namespace kestrova
