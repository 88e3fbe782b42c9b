#pragma once
// The file-system tee: every path the engine found (its attributes), every folder it
// listed (names, attributes, sizes) and every version resource it read. Write lays the
// tree out under files/ as empty files and folders, with [attributes] where they differ
// from the recorded defaults, [sizes] for the listed sizes, and [version:PATH] sections.
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "engine/platform/capture/capture_output.h"
#include "engine/platform/files.h"

namespace kestrova {

class CapturingFiles final : public IFiles {
 public:
  explicit CapturingFiles(const IFiles& inner);
  ~CapturingFiles() override;

  std::optional<uint32_t> Attributes(const std::string& path) const override;
  std::optional<std::vector<DirectoryEntry>> ListDirectory(const std::string& path) const override;
  std::optional<VersionResource> ReadVersionResource(const std::string& path) const override;

  void Write(CaptureOutput& out) const;

 private:
  struct Node;
  Node* Walk(const std::string& path) const;  // nullptr for a path a recording cannot hold
  const IFiles& inner_;
  std::unique_ptr<Node> root_;  // children: drive letters
  mutable std::map<std::string, std::pair<std::string, VersionResource>> versions_;  // upper-cased path
  mutable std::vector<std::string> notes_;
};

}  // namespace kestrova
