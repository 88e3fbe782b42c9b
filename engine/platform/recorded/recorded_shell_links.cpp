#include "engine/platform/recorded/recorded_shell_links.h"

#include "engine/core/text.h"
#include "engine/platform/recorded/load_error.h"

namespace kestrova {

std::optional<ShortcutTarget> RecordedShellLinks::Resolve(const std::string& linkPath) const {
  auto it = Targets.find(ToUpperAscii(linkPath));
  if (it == Targets.end()) return std::nullopt;
  return it->second;
}

void ApplyShortcutSection(RecordedShellLinks& links, const IniSection& section, const std::string& path,
                          const std::string& fileName) {
  ShortcutTarget target;
  for (const IniEntry& e : section.Entries) {
    if (EqualsNoCase(e.Key, "Target")) target.Path = e.Value;
    else if (EqualsNoCase(e.Key, "Arguments")) target.Arguments = e.Value;
    else throw LoadError(fileName, e.Line, "unknown key '" + e.Key + "' in [" + section.Name + "] (Target, Arguments)");
  }
  links.Targets[ToUpperAscii(path)] = target;
}

}  // namespace kestrova
