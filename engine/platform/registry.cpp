#include "engine/platform/registry.h"

#include "engine/core/text.h"

namespace kestrova {

namespace {
struct RootName { RootKey Root; const char* Name; };
constexpr RootName kRootNames[] = {
    {RootKey::ClassesRoot, "HKEY_CLASSES_ROOT"},   {RootKey::CurrentUser, "HKEY_CURRENT_USER"},
    {RootKey::LocalMachine, "HKEY_LOCAL_MACHINE"}, {RootKey::Users, "HKEY_USERS"},
    {RootKey::CurrentConfig, "HKEY_CURRENT_CONFIG"}, {RootKey::DynData, "HKEY_DYN_DATA"},
};
}  // namespace

std::optional<RootKey> RootKeyFromName(const std::string& name) {
  // Compared in place with the table's names (no text built per name).
  auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
  for (const auto& r : kRootNames) {
    size_t i = 0;
    while (i < name.size() && r.Name[i] && upper(name[i]) == upper(r.Name[i])) ++i;
    if (i == name.size() && !r.Name[i]) return r.Root;
  }
  return std::nullopt;
}

const char* RootKeyName(RootKey root) {
  for (const auto& r : kRootNames)
    if (r.Root == root) return r.Name;
  return "";
}

std::string StripLeadingBackslash(const std::string& path) {
  if (!path.empty() && path[0] == '\\') return path.substr(1);
  return path;
}

}  // namespace kestrova
