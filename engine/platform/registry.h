#pragma once
// Registry access, read-only. Paths are given as the engine opens them: relative to a
// root, with or without a leading backslash (implementations strip it).
//
// Values come back whole, whatever their size. String-typed data (REG_SZ, REG_EXPAND_SZ,
// REG_MULTI_SZ) is UTF-8 with the same NUL layout Windows uses: one NUL after each
// string, and for REG_MULTI_SZ one more NUL at the end of the list.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrova {

enum class RootKey { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig, DynData };

enum RegType : uint32_t {
  kRegNone = 0, kRegSz = 1, kRegExpandSz = 2, kRegBinary = 3, kRegDword = 4,
  kRegDwordBigEndian = 5, kRegLink = 6, kRegMultiSz = 7, kRegResourceList = 8,
  kRegFullResourceDescriptor = 9, kRegResourceRequirementsList = 10, kRegQword = 11,
};

struct RegValue {
  uint32_t Type = kRegNone;
  std::vector<uint8_t> Data;
};

class IRegistry {
 public:
  virtual ~IRegistry() = default;
  virtual bool KeyExists(RootKey root, const std::string& path) const = 0;
  // nullopt when the key does not open or the value is missing.
  virtual std::optional<RegValue> QueryValue(RootKey root, const std::string& path,
                                             const std::string& name) const = 0;
  virtual std::vector<std::string> SubKeyNames(RootKey root, const std::string& path) const = 0;
  virtual std::vector<std::string> ValueNames(RootKey root, const std::string& path) const = 0;
};

// "HKEY_LOCAL_MACHINE" and friends; nullopt for anything else.
std::optional<RootKey> RootKeyFromName(const std::string& name);
const char* RootKeyName(RootKey root);

// Drops one leading backslash: the registry APIs refuse "\SOFTWARE\...".
std::string StripLeadingBackslash(const std::string& path);

}  // namespace kestrova
