#pragma once
// Small routines several information classes share: registry values as text, version
// resources, the environment, default applications, internet connection probes, shell
// folders and the native NT entry points.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/platform/platform.h"

namespace kestrova {

// --- registry -------------------------------------------------------------------------
// A value as text, the way ReadRegistryText renders each type (see the .cpp).
std::string RegistryValueAsText(const RegValue& value, bool compact = false,
                                const ISystem* expandWith = nullptr);
// DWORD-like data as a signed 32-bit integer (shorter data is zero-padded).
int32_t RegistryValueAsInteger(const RegValue& value);

// Empty when the key does not open or the value is missing.
std::string ReadRegistryText(const Platform& p, RootKey root, const std::string& key,
                             const std::string& value, bool compact);
// Only string-typed values give text; anything else reads as empty.
std::string ReadRegistryString(const Platform& p, RootKey root, const std::string& key,
                               const std::string& value);

// Expands %NAME% references from the environment, as ExpandEnvironmentStrings does:
// names compare without case, unknown references stay as written.
std::string ExpandEnvironmentStrings(const ISystem& system, const std::string& text);

// --- version resources ----------------------------------------------------------------
struct TFileVersionRecord {
  std::string FileName, FileVersion, ProductName, CompanyName, FileDescription, Comments,
      LegalCopyright, InternalName, ProductVersion;
  uint32_t Major = 0, Minor = 0, Release = 0, Build = 0;
  uint32_t ProductMajor = 0, ProductMinor = 0, ProductRelease = 0, ProductBuild = 0;
  std::string SpecialBuild;
};

// Overwrites only what it finds; false when the file has no version resource.
bool ReadFileVersion(const Platform& p, const std::string& path, TFileVersionRecord& record);
// "040904E4" from the first translation entry (language, then code page).
std::string TranslationKey(uint32_t entry);
// The FileVersion string of a file, or empty.
std::string ExeVersionText(const Platform& p, const std::string& path);

// --- environment and commands -----------------------------------------------------------
constexpr size_t kEnvironmentWalkLimit = 4096;
std::vector<std::string> ReadEnvironmentList(const Platform& p);
std::vector<std::string> EnvironmentLinesOf(const std::string& block);  // the walk itself
std::string ExpandPathVariables(const Platform& p, const std::string& text);
std::string ExpandPathVariables(const std::vector<std::string>& environment, const std::string& text);
std::string CommandToFileName(const Platform& p, const std::string& command);
std::string GetDefaultBrowser(const Platform& p);
std::string GetDefaultMailClient(const Platform& p);

// --- internet ---------------------------------------------------------------------------
enum class TConnectionType : uint8_t { ctNone, ctLAN, ctDialup };
std::string GetProxyServerText(const Platform& p);
TConnectionType GetConnectionType(const Platform& p);
uint32_t CountRasConnections(const Platform& p);

// --- folders ----------------------------------------------------------------------------
std::string GetSpecialFolderPath(const Platform& p, int csidl);
std::string WinSysDirsPath(const Platform& p);
std::string ParentFolderOf(const std::string& path);

// --- native NT entry points ------------------------------------------------------------
// Binds NTDLL.DLL on the NT platform: takes the loaded module or loads it, and notes which
// entry points exist. Unload frees the module only if Load loaded it.
class NtdllBinding {
 public:
  static const char* const kEntryPoints[16];

  explicit NtdllBinding(ILibraries& libraries) : libraries_(libraries) {}
  ~NtdllBinding();  // frees a module it loaded; errors are not thrown from here
  NtdllBinding(const NtdllBinding&) = delete;
  NtdllBinding& operator=(const NtdllBinding&) = delete;

  // True when the module is known and NtQueryObject was found; false on 9x.
  bool Load(uint32_t platformId);
  // Throws std::runtime_error "Unload Error: NTDLL.DLL - 0x..." when FreeLibrary fails.
  void Unload();

  bool Has(const std::string& entryPoint) const;
  ModuleHandle Module() const { return module_; }
  bool LoadedHere() const { return loadedHere_; }

 private:
  ILibraries& libraries_;
  ModuleHandle module_ = 0;
  bool loadedHere_ = false;
  std::vector<std::string> found_;
};

}  // namespace kestrova
