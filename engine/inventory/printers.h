#pragma once
// TPrinters: the printers installed for the user, each with its port, and which of them
// is the default. The printer devices come from a small printer layer over the spooler.
#include <string>
#include <vector>

#include "engine/core/information.h"

namespace kestrova {

// One printer device of the printer layer: a printer, or on the 9x family a printer on
// one of its ports.
struct TPrinterDevice {
  std::string Device;
  std::string Port;
  std::string DisplayText;  // "%s sur %s" (name, port) on the 9x family, the name on NT
};

// The ports of a spooler port list ("LPT1:,FILE:"): split at each comma, blanks before a
// port skipped, nothing after a final comma.
std::vector<std::string> SplitPortList(const std::string& ports);

// The printer layer: its device list is built from the spooler when first needed and
// kept until rebuilt. On the NT family: EnumPrinters(PRINTER_ENUM_LOCAL |
// PRINTER_ENUM_CONNECTIONS) at level 4, one device per printer, no port. On the 9x
// family: EnumPrinters(PRINTER_ENUM_LOCAL) at level 5, one device per printer and port.
class TPrinterLayer {
 public:
  explicit TPrinterLayer(const EngineContext& context) : context_(context) {}

  const std::vector<TPrinterDevice>& Devices();
  void Rebuild();
  // The device at an index of Devices(); index -1 selects the default printer (the
  // first device whose name is the default printer's, letter case ignored). Throws
  // std::out_of_range for an index outside the list and when there is no default.
  const TPrinterDevice& Select(int index);

 private:
  const EngineContext& context_;
  std::vector<TPrinterDevice> devices_;
  bool built_ = false;
};

class TPrinters : public TInformation {
 public:
  // The device name buffer of the printer layer holds 260 characters and the NUL.
  static constexpr size_t kDeviceNameLength = 260;
  static constexpr const char* kPrintersKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Print\\Printers\\";

  explicit TPrinters(const EngineContext& context);

  // Rebuilds Names, Ports and DefaultIndex from a freshly built printer layer.
  void Refresh();

  int DefaultIndex() const { return defaultIndex_; }
  const std::vector<std::string>& Names() const { return names_; }
  const std::vector<std::string>& Ports() const { return ports_; }

 protected:
  void WriteBlock(ReportWriter& out) const override;

 private:
  TPrinterLayer layer_;
  int defaultIndex_ = -1;
  std::vector<std::string> names_, ports_;
};

}  // namespace kestrova
