#pragma once
// An in-memory registry: keys and values under the six roots, names compared without
// case, subkeys listed in name order and values in the order they were set.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/platform/registry.h"

namespace kestrova {

class RegistryTree : public IRegistry {
 public:
  RegistryTree();
  ~RegistryTree() override;
  RegistryTree(RegistryTree&&) noexcept;
  RegistryTree& operator=(RegistryTree&&) noexcept;

  void CreateKey(RootKey root, const std::string& path);
  void DeleteKey(RootKey root, const std::string& path);
  void SetValue(RootKey root, const std::string& path, const std::string& name, RegValue value);
  void DeleteValue(RootKey root, const std::string& path, const std::string& name);
  // Shorthands for tests and builders.
  void SetString(RootKey root, const std::string& path, const std::string& name, const std::string& text,
                 uint32_t type = kRegSz);
  void SetDword(RootKey root, const std::string& path, const std::string& name, uint32_t value);
  void SetMultiString(RootKey root, const std::string& path, const std::string& name,
                      const std::vector<std::string>& items);

  bool KeyExists(RootKey root, const std::string& path) const override;
  std::optional<RegValue> QueryValue(RootKey root, const std::string& path,
                                     const std::string& name) const override;
  std::vector<std::string> SubKeyNames(RootKey root, const std::string& path) const override;
  std::vector<std::string> ValueNames(RootKey root, const std::string& path) const override;

 private:
  struct Node;
  Node* Find(RootKey root, const std::string& path) const;
  Node* Make(RootKey root, const std::string& path);
  std::vector<std::unique_ptr<Node>> roots_;
};

// Reads a .reg file ("REGEDIT4" or "Windows Registry Editor Version 5.00"; UTF-8, or
// UTF-16LE when it starts with that byte-order mark) into the tree. Throws LoadError
// naming the file and line of the first malformed line.
void LoadRegFile(RegistryTree& tree, const std::string& bytes, const std::string& fileName);

}  // namespace kestrova
