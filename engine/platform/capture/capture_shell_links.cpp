#include "engine/platform/capture/capture_shell_links.h"

#include "engine/core/text.h"

namespace kestrova {

std::optional<ShortcutTarget> CapturingShellLinks::Resolve(const std::string& linkPath) const {
  auto answer = inner_.Resolve(linkPath);
  seen_[linkPath] = answer;
  return answer;
}

void CapturingShellLinks::Write(CaptureOutput& out) const {
  for (const auto& s : seen_) {
    if (!s.second) continue;
    const std::string section = "shortcut:" + s.first;
    if (Trim(s.first) != s.first) {
      out.Note("shortcut '" + s.first + "': blanks at the ends of a section name are not kept; left out");
      continue;
    }
    out.Add(section, "Target", s.second->Path);
    out.Add(section, "Arguments", s.second->Arguments);
  }
}

}  // namespace kestrova
