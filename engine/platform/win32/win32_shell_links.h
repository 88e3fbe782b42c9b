#pragma once
// IShellLinks over the shell link object (CLSID_ShellLink).
#include "engine/platform/shell_links.h"

namespace kestrova::win32 {

class Win32ShellLinks final : public IShellLinks {
 public:
  std::optional<ShortcutTarget> Resolve(const std::string& linkPath) const override;
};

}  // namespace kestrova::win32
