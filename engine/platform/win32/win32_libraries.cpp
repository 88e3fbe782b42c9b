#include "engine/platform/win32/win32_libraries.h"

#include <windows.h>

namespace kestrova::win32 {

// Module and entry point names are ASCII: the ANSI calls take them as they are and exist
// on every Windows.

namespace {
HMODULE ToModule(ModuleHandle m) { return reinterpret_cast<HMODULE>(m); }
ModuleHandle FromModule(HMODULE m) { return reinterpret_cast<ModuleHandle>(m); }
}  // namespace

ModuleHandle Win32Libraries::GetLoadedModule(const std::string& name) {
  return FromModule(::GetModuleHandleA(name.c_str()));
}

ModuleHandle Win32Libraries::Load(const std::string& name) {
  return FromModule(::LoadLibraryA(name.c_str()));
}

bool Win32Libraries::HasEntryPoint(ModuleHandle module, const std::string& name) {
  return module != 0 && ::GetProcAddress(ToModule(module), name.c_str()) != nullptr;
}

bool Win32Libraries::Free(ModuleHandle module) {
  return module != 0 && ::FreeLibrary(ToModule(module)) != FALSE;
}

}  // namespace kestrova::win32
