#pragma once
// The optional-library tee: which libraries exist, which were already in the process,
// which entry points they export and whether freeing one fails ([library:NAME]).
#include <map>
#include <set>
#include <string>

#include "engine/platform/capture/capture_output.h"
#include "engine/platform/libraries.h"

namespace kestrova {

class CapturingLibraries final : public ILibraries {
 public:
  explicit CapturingLibraries(ILibraries& inner) : inner_(inner) {}
  ModuleHandle GetLoadedModule(const std::string& name) override;
  ModuleHandle Load(const std::string& name) override;
  bool HasEntryPoint(ModuleHandle module, const std::string& name) override;
  bool Free(ModuleHandle module) override;
  void Write(CaptureOutput& out) const;

 private:
  struct Library {
    std::string Name;             // as first asked for
    bool Exists = false;
    bool AlreadyLoaded = false;   // found loaded before this program loaded it
    bool LoadedHere = false;
    bool FreeFails = false;
    std::set<std::string> Exports;
    std::set<std::string> Missing;  // entry points asked for and not found
  };
  Library& Entry(const std::string& name);
  ILibraries& inner_;
  std::map<std::string, Library> libraries_;                 // upper-cased name
  std::map<ModuleHandle, std::set<std::string>> handles_;    // handle -> upper-cased names
};

}  // namespace kestrova
