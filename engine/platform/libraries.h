#pragma once
// Optional system libraries, bound at run time.
#include <cstdint>
#include <string>

namespace kestrova {

using ModuleHandle = uintptr_t;  // 0 = none

class ILibraries {
 public:
  virtual ~ILibraries() = default;
  virtual ModuleHandle GetLoadedModule(const std::string& name) = 0;  // GetModuleHandle
  virtual ModuleHandle Load(const std::string& name) = 0;             // LoadLibrary
  virtual bool HasEntryPoint(ModuleHandle module, const std::string& name) = 0;
  virtual bool Free(ModuleHandle module) = 0;                         // FreeLibrary
};

}  // namespace kestrova
