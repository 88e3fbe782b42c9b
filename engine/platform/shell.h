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
  // SHGetSpecialFolderPathA (or SHGetSpecialFolderPath) with fCreate false: the buffer's
  // text up to its first NUL, nullopt when shell32 lacks the function or the call fails.
  // A platform that has only the other answer gives that one.
  virtual std::optional<std::string> SpecialFolderPathNoCreate(int csidl) const {
    return SpecialFolderPath(csidl);
  }
};

}  // namespace kestrova
