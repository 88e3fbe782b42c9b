#pragma once
// IShell over the shell's special folders.
#include "engine/platform/shell.h"

namespace kestrova::win32 {

class Win32Shell final : public IShell {
 public:
  std::optional<std::string> SpecialFolderPath(int csidl) const override;
  std::optional<std::string> SpecialFolderPathNoCreate(int csidl) const override;
};

}  // namespace kestrova::win32
