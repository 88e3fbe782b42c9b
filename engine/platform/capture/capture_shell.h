#pragma once
// The shell-folder tee: each CSIDL's answer becomes a [shellfolders] line.
#include <map>
#include <optional>
#include <string>

#include "engine/platform/capture/capture_output.h"
#include "engine/platform/shell.h"

namespace kestrova {

class CapturingShell final : public IShell {
 public:
  explicit CapturingShell(const IShell& inner) : inner_(inner) {}
  std::optional<std::string> SpecialFolderPath(int csidl) const override;
  std::optional<std::string> SpecialFolderPathNoCreate(int csidl) const override;
  void Write(CaptureOutput& out) const;

 private:
  const IShell& inner_;
  mutable std::map<int, std::optional<std::string>> located_, noCreate_;
};

}  // namespace kestrova
