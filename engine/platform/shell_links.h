#pragma once
// Shortcut (.lnk) files, resolved through the shell link object.
#include <optional>
#include <string>

namespace kestrova {

struct ShortcutTarget {
  std::string Path;       // the target, as IShellLink::GetPath gives it
  std::string Arguments;  // IShellLink::GetArguments
};

class IShellLinks {
 public:
  virtual ~IShellLinks() = default;
  // Loads the shortcut file and resolves it without user interface and without searching
  // (neither the disks nor the network) for a target that moved. nullopt when the file is
  // not a shortcut or does not resolve. The texts come back whole: the engine applies its
  // own limits.
  virtual std::optional<ShortcutTarget> Resolve(const std::string& linkPath) const = 0;
};

}  // namespace kestrova
