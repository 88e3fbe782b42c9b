#include "engine/os/monitor.h"

#include "engine/core/context.h"
#include "engine/core/text.h"
#include "engine/inventory/devices.h"

namespace kestrova {

namespace {
constexpr uint8_t kDeviceClassMonitor = 18;
}

std::string MonitorModelOf(const std::string& hardwareId) {
  const size_t slash = hardwareId.find('\\');
  return Trim(slash == std::string::npos ? hardwareId : hardwareId.substr(slash + 1));
}

void TMonitor::Refresh() {
  monitors_.clear();
  const EngineContext& c = Context();
  {
    TDevices devices(c);
    devices.Refresh();
    for (const TDevice& d : devices.Devices()) {
      if (d.DeviceClass != kDeviceClassMonitor) continue;
      TMonitorRecord m;
      m.Key = d.RegistryKey;
      m.Description = d.FriendlyName.empty() ? d.Description : d.FriendlyName;
      m.Model = MonitorModelOf(d.HardwareID);
      m.Manufacturer = d.Manufacturer;
      monitors_.push_back(m);
    }
  }
  if (!c.Sys.Registry) return;
  for (TMonitorRecord& m : monitors_) {
    auto edid = c.Sys.Registry->QueryValue(RootKey::LocalMachine, m.Key + "\\Device Parameters", "EDID");
    if (!edid || edid->Type != kRegBinary) continue;  // only the device fields then
    const TEDIDInfo info = DecodeEDID(edid->Data.data(), edid->Data.size());
    m.Name = info.Name;
    m.ProductNumber = info.ProductNumber;
    m.Width = info.Width;
    m.Height = info.Height;
    m.SerialNumber = info.SerialNumber;
    m.Week = info.Week;
    m.Year = info.Year;
    m.Gamma = info.Gamma;
    m.EDIDVersion = info.EDIDVersion;
  }
}

TMonitorRecord TMonitor::GetMonitor(unsigned index) const {
  return index < monitors_.size() ? monitors_[index] : TMonitorRecord{};
}

void TMonitor::WriteBlock(ReportWriter& out) const {
  out.OpenClass("Monitor", "TMonitor");
  out.Integer("Count", Count());
  for (const TMonitorRecord& m : monitors_) {
    out.OpenSection(m.Description);
    out.String("Name", m.Name);
    out.String("ProductNumber", m.ProductNumber);
    out.String("Model", m.Model);
    out.String("Manufacturer", m.Manufacturer);
    out.String("EDID", m.EDIDVersion);
    out.Integer("Width", m.Width, "cm");
    out.Integer("Height", m.Height, "cm");
    out.Float("Gamma", m.Gamma, "%1.2f");
    out.Integer("SerialNumber", m.SerialNumber);
    out.Integer("Year", m.Year);
    out.Integer("Week", m.Week);
    out.CloseSection();
  }
  out.CloseClass("Monitor");
}

}  // namespace kestrova
