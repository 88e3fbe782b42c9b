#pragma once
// Shell folders.
#include <optional>
#include <string>

namespace kestrova {

class IShell {
 public:
  virtual ~IShell() = default;
  // SHGetSpecialFolderLocation + SHGetPathFromIDList; nullopt when either fails.
  virtual std::optional<std::string> SpecialFolderPath(int csidl) const = 0;
};

}  // namespace kestrova
