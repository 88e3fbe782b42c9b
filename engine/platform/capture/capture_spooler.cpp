#include "engine/platform/capture/capture_spooler.h"

#include <algorithm>

#include "engine/core/text.h"

namespace kestrova {

std::optional<std::vector<SpoolerPrinter>> CapturingSpooler::Enumerate(uint32_t flags, uint32_t level) {
  auto answer = inner_.Enumerate(flags, level);
  calls_.push_back({flags, level, answer});
  return answer;
}

std::optional<std::string> CapturingSpooler::DefaultPrinter() {
  auto answer = inner_.DefaultPrinter();
  defaultAsked_ = true;
  default_ = answer;
  return answer;
}

void CapturingSpooler::Write(CaptureOutput& out) const {
  std::vector<uint32_t> levels;
  bool anyAnswered = false;
  for (const Call& c : calls_) {
    if (!c.Answer) continue;
    anyAnswered = true;
    if (std::find(levels.begin(), levels.end(), c.Level) == levels.end()) levels.push_back(c.Level);
  }
  for (const Call& c : calls_)
    if (!c.Answer && std::find(levels.begin(), levels.end(), c.Level) != levels.end())
      out.Note(Format("EnumPrinters level %u failed once and answered another time; it answers in the recording", c.Level));
  std::sort(levels.begin(), levels.end());
  if (!calls_.empty() && !anyAnswered) {
    out.Add("spooler", "Fails", "1");
  } else if (!calls_.empty()) {
    std::string list;
    for (uint32_t l : levels) list += (list.empty() ? "" : ",") + std::to_string(l);
    out.Add("spooler", "Levels", list);
  } else {
    out.AddSection("spooler");
  }
  if (default_) out.Add("spooler", "Default", *default_);

  // Every printer once, in the order the spooler first listed it. A printer that only
  // enumerations without PRINTER_ENUM_LOCAL listed is a connection.
  struct Printer {
    SpoolerPrinter Facts;
    bool SeenLocal = false, SeenOther = false;
  };
  std::vector<Printer> printers;
  for (const Call& c : calls_) {
    if (!c.Answer) continue;
    for (const SpoolerPrinter& p : *c.Answer) {
      auto it = std::find_if(printers.begin(), printers.end(),
                             [&](const Printer& x) { return x.Facts.Name == p.Name; });
      if (it == printers.end()) {
        printers.push_back({p, false, false});
        it = printers.end() - 1;
      }
      if (!p.Ports.empty()) it->Facts.Ports = p.Ports;
      it->Facts.Attributes = p.Attributes;
      if (c.Flags & kPrinterEnumLocal) it->SeenLocal = true;
      else it->SeenOther = true;
    }
  }
  for (const Printer& p : printers) {
    const std::string section = "printer:" + p.Facts.Name;
    if (Trim(p.Facts.Name) != p.Facts.Name || p.Facts.Name.empty()) {
      out.Note("printer '" + p.Facts.Name + "': blanks at the ends of a section name are not kept; left out");
      continue;
    }
    out.Add(section, "Ports", p.Facts.Ports);
    out.Add(section, "Connection", p.SeenOther && !p.SeenLocal ? "1" : "0");
    out.Add(section, "Attributes", std::to_string(p.Facts.Attributes));
  }
}

}  // namespace kestrova
