#pragma once
// The print spooler of a recorded machine ([spooler] and [printer:NAME] sections of
// machine.ini): the printers in the spooler's order, the levels EnumPrinters answers,
// and the default printer of WIN.INI.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/platform/recorded/ini.h"
#include "engine/platform/spooler.h"

namespace kestrova {

struct RecordedPrinter {
  std::string Name;
  std::string Ports;        // the comma-separated list of level 5
  bool Connection = false;  // a connection to a server's printer, not a local one
  uint32_t Attributes = 0;
};

class RecordedSpooler : public ISpooler {
 public:
  std::vector<RecordedPrinter> Printers;
  std::vector<uint32_t> Levels = {1, 2, 4, 5};  // 9x has no level 4
  bool Fails = false;                           // no spooler: every enumeration fails
  std::optional<std::string> Default;

  std::optional<std::vector<SpoolerPrinter>> Enumerate(uint32_t flags, uint32_t level) override;
  std::optional<std::string> DefaultPrinter() override { return Default; }
};

// machine.ini: [spooler] (Levels, Default, Fails) and [printer:NAME] (Ports, Connection,
// Attributes), the printer sections in the spooler's order.
void ApplySpoolerSection(RecordedSpooler& spooler, const IniSection& section, const std::string& fileName);
void ApplyPrinterSection(RecordedSpooler& spooler, const IniSection& section, const std::string& name,
                         const std::string& fileName);

}  // namespace kestrova
