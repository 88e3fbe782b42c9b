#pragma once
// The print spooler: EnumPrinters at a given level, and the default printer.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrova {

// EnumPrinters flags.
constexpr uint32_t kPrinterEnumLocal = 0x2;
constexpr uint32_t kPrinterEnumConnections = 0x4;

// One PRINTER_INFO_4 or PRINTER_INFO_5 record. Level 4 has no port: Ports stays empty;
// level 5 gives the port list as the spooler writes it (comma-separated).
struct SpoolerPrinter {
  std::string Name;
  std::string Ports;
  uint32_t Attributes = 0;
};

class ISpooler {
 public:
  virtual ~ISpooler() = default;
  // EnumPrinters(flags, no server name, level); nullopt when the call fails (a level the
  // system does not know, no spooler).
  virtual std::optional<std::vector<SpoolerPrinter>> Enumerate(uint32_t flags, uint32_t level) = 0;
  // The printer name of the "device" entry of the [windows] section of WIN.INI (the text
  // before its first comma); nullopt when there is none.
  virtual std::optional<std::string> DefaultPrinter() = 0;
};

}  // namespace kestrova
