#pragma once
// TMonitor: the monitors of the device registry, each with what its stored EDID says.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/information.h"
#include "engine/os/edid.h"

namespace kestrova {

struct TMonitorRecord {
  std::string Key;           // the device's key below HKEY_LOCAL_MACHINE
  std::string Description;   // FriendlyName, else DeviceDesc
  std::string Model;         // the hardware ID after its first backslash, trimmed
  std::string Manufacturer;  // "Mfg"
  std::string Name, ProductNumber;
  uint8_t Width = 0, Height = 0;
  uint32_t SerialNumber = 0;
  uint16_t Week = 0, Year = 0;
  double Gamma = 0;
  std::string EDIDVersion;
};

// "MONITOR\QVA1901\r\n" -> "QVA1901": the text after the first backslash, blanks and
// line breaks removed at both ends.
std::string MonitorModelOf(const std::string& hardwareId);

class TMonitor : public TInformation {
 public:
  explicit TMonitor(const EngineContext& context) : TInformation(context) {}

  void Refresh();
  unsigned Count() const { return static_cast<unsigned>(monitors_.size()); }
  // A copy of record `index`; an empty record outside the list.
  TMonitorRecord GetMonitor(unsigned index) const;

 protected:
  void WriteBlock(ReportWriter& out) const override;

 private:
  std::vector<TMonitorRecord> monitors_;
};

}  // namespace kestrova
