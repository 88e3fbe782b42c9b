#include "engine/platform/capture/capture_libraries.h"

#include "engine/core/text.h"

namespace kestrova {

CapturingLibraries::Library& CapturingLibraries::Entry(const std::string& name) {
  Library& lib = libraries_[ToUpperAscii(name)];
  if (lib.Name.empty()) lib.Name = name;
  return lib;
}

ModuleHandle CapturingLibraries::GetLoadedModule(const std::string& name) {
  const ModuleHandle h = inner_.GetLoadedModule(name);
  Library& lib = Entry(name);
  if (h) {
    lib.Exists = true;
    if (!lib.LoadedHere) lib.AlreadyLoaded = true;
    handles_[h].insert(ToUpperAscii(name));
  }
  return h;
}

ModuleHandle CapturingLibraries::Load(const std::string& name) {
  const ModuleHandle h = inner_.Load(name);
  Library& lib = Entry(name);
  if (h) {
    lib.Exists = true;
    if (!lib.AlreadyLoaded) lib.LoadedHere = true;
    handles_[h].insert(ToUpperAscii(name));
  }
  return h;
}

bool CapturingLibraries::HasEntryPoint(ModuleHandle module, const std::string& name) {
  const bool has = inner_.HasEntryPoint(module, name);
  auto it = handles_.find(module);
  if (it != handles_.end())
    for (const std::string& lib : it->second) (has ? libraries_[lib].Exports : libraries_[lib].Missing).insert(name);
  return has;
}

bool CapturingLibraries::Free(ModuleHandle module) {
  const bool freed = inner_.Free(module);
  auto it = handles_.find(module);
  if (it != handles_.end() && !freed)
    for (const std::string& lib : it->second) libraries_[lib].FreeFails = true;
  return freed;
}

void CapturingLibraries::Write(CaptureOutput& out) const {
  for (const auto& [key, lib] : libraries_) {
    if (!lib.Exists) continue;
    const std::string section = "library:" + lib.Name;
    out.AddSection(section);
    if (lib.AlreadyLoaded) out.Add(section, "Loaded", "1");
    std::string exports;
    for (const std::string& e : lib.Exports) {
      if (e.find(',') != std::string::npos) out.Note("[" + section + "] " + e + ": an entry point name with a comma");
      exports += (exports.empty() ? "" : ",") + e;
    }
    if (!exports.empty()) out.Add(section, "Exports", exports);
    if (lib.FreeFails) out.Add(section, "FreeFails", "1");
  }
}

}  // namespace kestrova
