#include "engine/inventory/printers.h"

#include <stdexcept>

#include "engine/core/context.h"
#include "engine/core/text.h"
#include "engine/os/shared_routines.h"

namespace kestrova {

std::vector<std::string> SplitPortList(const std::string& ports) {
  std::vector<std::string> out;
  size_t pos = 0;
  // Every turn moves past at least one character: bounded by the text's length.
  while (pos < ports.size() && ports[pos] != '\0') {
    while (pos < ports.size() && ports[pos] == ' ') ++pos;
    const size_t start = pos;
    while (pos < ports.size() && ports[pos] != ',' && ports[pos] != '\0') ++pos;
    out.push_back(ports.substr(start, pos - start));
    if (pos < ports.size() && ports[pos] == ',') ++pos;
  }
  return out;
}

// --- the printer layer ---------------------------------------------------------------------

const std::vector<TPrinterDevice>& TPrinterLayer::Devices() {
  if (built_) return devices_;
  built_ = true;
  devices_.clear();
  ISpooler* spooler = context_.Sys.Spooler;
  if (!spooler) return devices_;
  const bool nt = context_.Sys.System && context_.Sys.System->Version().PlatformId == 2;
  if (nt) {
    if (auto printers = spooler->Enumerate(kPrinterEnumLocal | kPrinterEnumConnections, 4))
      for (const SpoolerPrinter& p : *printers) devices_.push_back({p.Name, "", p.Name});
  } else {
    if (auto printers = spooler->Enumerate(kPrinterEnumLocal, 5))
      for (const SpoolerPrinter& p : *printers)
        for (const std::string& port : SplitPortList(p.Ports))
          devices_.push_back({p.Name, port, Format("%s sur %s", p.Name.c_str(), port.c_str())});
  }
  return devices_;
}

void TPrinterLayer::Rebuild() {
  built_ = false;
  Devices();
}

const TPrinterDevice& TPrinterLayer::Select(int index) {
  const std::vector<TPrinterDevice>& devices = Devices();
  if (index == -1) {
    ISpooler* spooler = context_.Sys.Spooler;
    const std::optional<std::string> name = spooler ? spooler->DefaultPrinter() : std::nullopt;
    if (name)
      for (const TPrinterDevice& d : devices)
        if (EqualsNoCase(d.Device, *name)) return d;
    throw std::out_of_range("no default printer");
  }
  if (index < 0 || static_cast<size_t>(index) >= devices.size()) throw std::out_of_range("printer index out of range");
  return devices[static_cast<size_t>(index)];
}

// --- TPrinters -----------------------------------------------------------------------------

TPrinters::TPrinters(const EngineContext& context) : TInformation(context), layer_(context) {
  SetExceptionModes({TExceptionMode::emExceptionStack});
}

void TPrinters::Refresh() {
  names_.clear();
  ports_.clear();
  defaultIndex_ = -1;
  // The spooler is asked again at every refresh: a printer added or removed since the
  // last run shows in this one.
  layer_.Rebuild();
  const EngineContext& c = Context();
  try {
    const size_t count = layer_.Devices().size();
    for (size_t i = 0; i < count; ++i) {
      const TPrinterDevice& device = layer_.Select(static_cast<int>(i));
      const std::string name = Truncate(device.Device, kDeviceNameLength);
      names_.push_back(name);
      if (c.OSInfo.IsNT) {
        // A connection "\\SERVER\Share" is kept under ",,SERVER,Share".
        ports_.push_back(c.Sys.Registry ? ReadRegistryString(c.Sys, RootKey::LocalMachine,
                                                              kPrintersKey + ReplaceAll(name, "\\", ","), "Port")
                                        : std::string());
      } else {
        ports_.push_back(device.Port);
      }
    }
    const std::string defaultName = Truncate(layer_.Select(-1).Device, kDeviceNameLength);
    for (size_t i = 0; i < names_.size(); ++i) {
      if (EqualsNoCase(names_[i], defaultName)) {
        defaultIndex_ = static_cast<int>(i);
        break;
      }
    }
  } catch (const std::exception&) {
    // The walk ends here; what was read stays.
  }
}

void TPrinters::WriteBlock(ReportWriter& out) const {
  out.OpenClass("Printers", "TPrinters");
  out.Integer("Count", static_cast<int64_t>(names_.size()));
  for (size_t i = 0; i < names_.size(); ++i) {
    std::string name = EscapeValue(names_[i]);
    if (static_cast<int>(i) == defaultIndex_) name = Format("%s (Default)", name.c_str());
    out.String(name, i < ports_.size() ? ports_[i] : std::string());
  }
  out.CloseClass("Printers");
}

}  // namespace kestrova
