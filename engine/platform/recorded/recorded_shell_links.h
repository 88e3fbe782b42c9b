#pragma once
// Shortcuts of a recorded machine: what each .lnk file of files/ resolves to, from the
// [shortcut:C:\path\name.lnk] sections of machine.ini. A shortcut without a section does
// not resolve.
#include <map>
#include <string>

#include "engine/platform/recorded/ini.h"
#include "engine/platform/shell_links.h"

namespace kestrova {

class RecordedShellLinks : public IShellLinks {
 public:
  std::map<std::string, ShortcutTarget> Targets;  // upper-cased shortcut path -> target

  std::optional<ShortcutTarget> Resolve(const std::string& linkPath) const override;
};

// A [shortcut:PATH] section: keys Target and Arguments (both may be absent or empty).
void ApplyShortcutSection(RecordedShellLinks& links, const IniSection& section, const std::string& path,
                          const std::string& fileName);

}  // namespace kestrova
