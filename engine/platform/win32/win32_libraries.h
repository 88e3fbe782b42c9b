#pragma once
// ILibraries over the loader.
#include "engine/platform/libraries.h"

namespace kestrova::win32 {

class Win32Libraries final : public ILibraries {
 public:
  ModuleHandle GetLoadedModule(const std::string& name) override;
  ModuleHandle Load(const std::string& name) override;
  bool HasEntryPoint(ModuleHandle module, const std::string& name) override;
  bool Free(ModuleHandle module) override;
};

}  // namespace kestrova::win32
