#include "engine/platform/capture/capture_shell.h"

#include "engine/core/text.h"
#include "engine/platform/recorded/recorded_machine.h"

namespace kestrova {

std::optional<std::string> CapturingShell::SpecialFolderPath(int csidl) const {
  auto v = inner_.SpecialFolderPath(csidl);
  located_.emplace(csidl, v);
  return v;
}

std::optional<std::string> CapturingShell::SpecialFolderPathNoCreate(int csidl) const {
  auto v = inner_.SpecialFolderPathNoCreate(csidl);
  noCreate_.emplace(csidl, v);
  return v;
}

void CapturingShell::Write(CaptureOutput& out) const {
  // A recording answers both calls from one line: the located folder first, else the
  // other call's answer.
  std::map<int, std::optional<std::string>> merged = noCreate_;
  for (const auto& [csidl, v] : located_) merged[csidl] = v;
  if (!merged.empty()) out.AddSection("shellfolders");
  for (const auto& [csidl, v] : merged) {
    auto other = noCreate_.find(csidl);
    if (other != noCreate_.end() && located_.count(csidl) && other->second != v)
      out.Note(Format("[shellfolders] CSIDL 0x%02X: the two shell calls answer differently; the first is kept", csidl));
    if (!v) continue;
    const char* name = CsidlName(csidl);
    if (name) out.Add("shellfolders", name, *v);
    else out.Note(Format("[shellfolders] CSIDL 0x%02X has no name in the recorded format; left out", csidl));
  }
}

}  // namespace kestrova
