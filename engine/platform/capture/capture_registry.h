#pragma once
// The registry tee: answers every call from the inner registry and keeps the keys and
// values it saw, so that Write can lay them out as a registry.reg the recorded registry
// reads back. Keys the engine found absent stay absent; values it listed but did not
// query are read once when listed, so the listing and the data agree.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/platform/capture/capture_output.h"
#include "engine/platform/registry.h"

namespace kestrova {

class CapturingRegistry final : public IRegistry {
 public:
  explicit CapturingRegistry(const IRegistry& inner);
  ~CapturingRegistry() override;

  bool KeyExists(RootKey root, const std::string& path) const override;
  std::optional<RegValue> QueryValue(RootKey root, const std::string& path, const std::string& name) const override;
  std::vector<std::string> SubKeyNames(RootKey root, const std::string& path) const override;
  std::vector<std::string> ValueNames(RootKey root, const std::string& path) const override;

  // Facts other areas keep in the registry of a recording (the time zone): added unless
  // the engine's own reads already hold that value; false when the held one differs.
  bool AddFact(RootKey root, const std::string& path, const std::string& name, const RegValue& value);
  // The key was seen to exist / not to exist (nullopt: never asked).
  std::optional<bool> KnownToExist(RootKey root, const std::string& path) const;
  // The value as the capture holds it (nullopt: not held or missing).
  std::optional<RegValue> HeldValue(RootKey root, const std::string& path, const std::string& name) const;

  // registry.reg as text ("Windows Registry Editor Version 5.00", UTF-8).
  std::string RegFile(CaptureOutput* notes = nullptr) const;
  void Write(CaptureOutput& out) const;

 private:
  struct Node;
  Node* Walk(RootKey root, const std::string& path, bool create) const;
  const IRegistry& inner_;
  std::vector<std::unique_ptr<Node>> roots_;
};

// One value as a .reg data text ("text" in quotes, dword:, hex(N):) in a version 5 file.
// Sets *lossy when the text held bytes that are not UTF-8 (they read back as U+FFFD).
std::string RegDataText(const RegValue& value, bool* lossy = nullptr);

}  // namespace kestrova
