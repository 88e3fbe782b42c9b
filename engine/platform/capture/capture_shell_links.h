#pragma once
// Shortcut resolution, captured: each shortcut that resolves becomes a
// [shortcut:PATH] section with its target and arguments; one that does not resolve has
// none, which is how a recording says so.
#include <map>
#include <optional>
#include <string>

#include "engine/platform/capture/capture_output.h"
#include "engine/platform/shell_links.h"

namespace kestrova {

class CapturingShellLinks final : public IShellLinks {
 public:
  explicit CapturingShellLinks(IShellLinks& inner) : inner_(inner) {}
  std::optional<ShortcutTarget> Resolve(const std::string& linkPath) const override;
  void Write(CaptureOutput& out) const;

 private:
  IShellLinks& inner_;
  mutable std::map<std::string, std::optional<ShortcutTarget>> seen_;  // by path, in name order
};

}  // namespace kestrova
