#pragma once
// TDevices: the hardware devices the system's device registry knows as present, from the
// Enum tree on the NT family and from the configuration manager's list on the 9x family.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/information.h"
#include "engine/inventory/resource_list.h"

namespace kestrova {

struct TDevice {
  std::string Name, ClassName, ClassDesc, ClassIcon, FriendlyName, Description, ClassGUID,
      Manufacturer, Location;
  int32_t PCINumber = -1, DeviceNumber = -1, FunctionNumber = -1;
  std::string HardwareID, DeviceParam, Driver, DriverDate, DriverVersion, DriverProvider,
      InfPath, Service, ServiceName, ServiceGroup;
  int32_t ServiceType = 0;
  std::string RegistryKey, ResourceListKey, ResourceListValue;
  uint8_t DeviceClass = 0;
  uint32_t VendorID = 0, DeviceID = 0, SubSystemID = 0, Revision = 0;
};

// The device class table: "Battery", "Computer", ... "Processor" (38 names).
extern const char* const kDeviceClassNames[38];
constexpr uint8_t kDeviceClassComputer = 1;
constexpr uint8_t kDeviceClassUnknown = 24;

// Index of the first table entry the upper-cased name begins with; 24 when none.
uint8_t GetDeviceClass(const std::string& name);

// "PCI bus 2, device 11, function 0" -> 2, 11, 0; all -1 without a comma.
void ParseLocation(const std::string& location, int32_t& bus, int32_t& device, int32_t& function);
// VEN_, DEV_, SUBSYS_, REV_ of a "PCI\VEN..." hardware ID; zeros otherwise.
void ParseHardwareID(const std::string& hardwareId, TDevice& device);

class TDevices : public TInformation {
 public:
  explicit TDevices(const EngineContext& context);

  void Refresh();
  int DeviceCount() const { return static_cast<int>(devices_.size()); }
  // Copies the record at index into `device`; an index outside the list changes nothing.
  void GetDevice(int index, TDevice& device) const;
  const std::vector<TDevice>& Devices() const { return devices_; }
  // Reads and decodes the resource list the record names (empty when there is none).
  void GetDeviceResources(const TDevice& device, TDeviceResources& resources) const;

 protected:
  void WriteBlock(ReportWriter& out) const override;

 private:
  void EnumerateNT();
  void Enumerate9x();
  // The values NT and 9x read alike (steps 2 to 7 of the enumeration).
  void ReadDevice(TDevice& d, const std::string& key, const std::string& classTree,
                  const std::string& fallbackService);
  void ReadClass(TDevice& d, const std::string& key, const std::string& classTree);
  void FindResourceList(TDevice& d) const;
  void ReadDeviceParameters(TDevice& d) const;
  std::string Text(const std::string& key, const std::string& value) const;

  std::vector<TDevice> devices_;
  std::vector<std::string> classKeys_;  // subkeys of the class tree, listed once per refresh
};

}  // namespace kestrova
