#include "engine/platform/recorded/recorded_spooler.h"

#include <algorithm>

#include "engine/core/text.h"
#include "engine/platform/recorded/load_error.h"

namespace kestrova {

std::optional<std::vector<SpoolerPrinter>> RecordedSpooler::Enumerate(uint32_t flags, uint32_t level) {
  if (Fails || std::find(Levels.begin(), Levels.end(), level) == Levels.end()) return std::nullopt;
  std::vector<SpoolerPrinter> out;
  for (const RecordedPrinter& p : Printers) {
    if (!(flags & (p.Connection ? kPrinterEnumConnections : kPrinterEnumLocal))) continue;
    SpoolerPrinter s;
    s.Name = p.Name;
    s.Attributes = p.Attributes;
    if (level == 5 || level == 2) s.Ports = p.Ports;
    out.push_back(s);
  }
  return out;
}

namespace {

[[noreturn]] void Fail(const std::string& file, const IniEntry& e, const std::string& what) {
  throw LoadError(file, e.Line, what);
}

uint32_t Small(const std::string& file, const IniEntry& e, uint32_t max) {
  const std::string v = Trim(e.Value);
  if (v.empty() || v.size() > 9 || v.find_first_not_of("0123456789") != std::string::npos)
    Fail(file, e, "not a decimal number: " + e.Value);
  const uint32_t n = static_cast<uint32_t>(std::stoul(v));
  if (n > max) Fail(file, e, "number out of range: " + e.Value);
  return n;
}

}  // namespace

void ApplySpoolerSection(RecordedSpooler& spooler, const IniSection& s, const std::string& file) {
  for (const IniEntry& e : s.Entries) {
    if (EqualsNoCase(e.Key, "Levels")) {
      spooler.Levels.clear();
      for (const std::string& part : Split(e.Value, ',')) {
        IniEntry one = e;
        one.Value = part;
        spooler.Levels.push_back(Small(file, one, 9));
      }
    } else if (EqualsNoCase(e.Key, "Default")) {
      spooler.Default = e.Value;
    } else if (EqualsNoCase(e.Key, "Fails")) {
      spooler.Fails = Small(file, e, 1) != 0;
    } else {
      Fail(file, e, "unknown key '" + e.Key + "' in [" + s.Name + "]");
    }
  }
}

void ApplyPrinterSection(RecordedSpooler& spooler, const IniSection& s, const std::string& name,
                         const std::string& file) {
  RecordedPrinter p;
  p.Name = name;
  for (const IniEntry& e : s.Entries) {
    if (EqualsNoCase(e.Key, "Ports")) p.Ports = e.Value;
    else if (EqualsNoCase(e.Key, "Connection")) p.Connection = Small(file, e, 1) != 0;
    else if (EqualsNoCase(e.Key, "Attributes")) p.Attributes = Small(file, e, 999999999);
    else Fail(file, e, "unknown key '" + e.Key + "' in [" + s.Name + "]");
  }
  spooler.Printers.push_back(p);
}

}  // namespace kestrova
