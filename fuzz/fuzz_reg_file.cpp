// .reg loader: any bytes either load or raise LoadError; nothing else may happen.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/platform/recorded/load_error.h"
#include "engine/platform/recorded/registry_tree.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kestrova::RegistryTree tree;
  try {
    kestrova::LoadRegFile(tree, std::string(reinterpret_cast<const char*>(data), size), "fuzz.reg");
  } catch (const kestrova::LoadError&) {
  }
  for (const auto& k : tree.SubKeyNames(kestrova::RootKey::LocalMachine, "")) (void)tree.ValueNames(kestrova::RootKey::LocalMachine, k);
  return 0;
}
