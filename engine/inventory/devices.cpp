#include "engine/inventory/devices.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>

#include "engine/core/context.h"
#include "engine/core/text.h"
#include "engine/os/shared_routines.h"

namespace kestrova {

const char* const kDeviceClassNames[38] = {
    "Battery", "Computer", "DiskDrive", "Display", "CDROM", "fdc", "FloppyDisk", "GPS", "HID",
    "hdc", "1394", "Image", "Infrared", "Keyboard", "MediumChanger", "MTD", "Mouse", "Modem",
    "Monitor", "MultiFunction", "MultiPortSerial", "Net", "LegacyDriver", "NtApm", "Unknown",
    "PCMCIA", "Ports", "Printer", "SCSIAdapter", "SmartCardReader", "MEDIA", "Volume",
    "System", "TapeDrive", "TapeController", "Tape", "USB", "Processor"};

namespace {
const char* const kEnumKey = "\\SYSTEM\\CurrentControlSet\\Enum";
const char* const kNTClassTree = "\\SYSTEM\\CurrentControlSet\\Control\\Class";
const char* const k9xClassTree = "\\SYSTEM\\CurrentControlSet\\Services\\Class";
const char* const kServices = "\\SYSTEM\\CurrentControlSet\\Services\\";
const char* const k9xActiveList = "\\Config Manager\\Enum";
const char* const k9xEnumKey = "\\Enum";

// A decimal number with blanks around it; 0 when the text is not one.
int32_t DecimalOrZero(const std::string& text) {
  const std::string t = Trim(text);
  if (t.empty() || t.size() > 9) return 0;
  for (char c : t)
    if (c < '0' || c > '9') return 0;
  return static_cast<int32_t>(std::strtol(t.c_str(), nullptr, 10));
}

// `count` characters after the first `marker` as a hex number; 0 when absent or not one.
uint32_t HexAfter(const std::string& text, const std::string& marker, size_t count) {
  const size_t at = text.find(marker);
  if (at == std::string::npos) return 0;
  const std::string digits = text.substr(at + marker.size(), count);
  if (digits.empty()) return 0;
  for (char c : digits)
    if (!std::isxdigit(static_cast<unsigned char>(c))) return 0;
  return static_cast<uint32_t>(std::strtoul(digits.c_str(), nullptr, 16));
}
}  // namespace

uint8_t GetDeviceClass(const std::string& name) {
  const std::string upper = ToUpperAscii(name);
  for (size_t i = 0; i < 38; ++i)
    if (StartsWith(upper, ToUpperAscii(kDeviceClassNames[i]))) return static_cast<uint8_t>(i);
  return kDeviceClassUnknown;
}

void ParseLocation(const std::string& location, int32_t& bus, int32_t& device, int32_t& function) {
  bus = device = function = -1;
  const size_t comma = location.find(',');
  if (comma == std::string::npos) return;
  bus = DecimalOrZero(location.substr(comma >= 2 ? comma - 2 : 0, comma >= 2 ? 2 : comma));
  const std::string rest = location.substr(comma + 1);
  const size_t next = rest.find(',');
  device = next == std::string::npos ? 0 : DecimalOrZero(rest.substr(next >= 2 ? next - 2 : 0, next >= 2 ? 2 : next));
  function = DecimalOrZero(rest.size() >= 2 ? rest.substr(rest.size() - 2) : rest);
}

void ParseHardwareID(const std::string& id, TDevice& d) {
  d.VendorID = d.DeviceID = d.SubSystemID = d.Revision = 0;
  if (id.find("PCI\\VEN") == std::string::npos) return;
  d.VendorID = HexAfter(id, "VEN_", 4);
  d.DeviceID = HexAfter(id, "DEV_", 4);
  d.SubSystemID = HexAfter(id, "SUBSYS_", 8);
  d.Revision = HexAfter(id, "REV_", 2);
}

TDevices::TDevices(const EngineContext& context) : TInformation(context) {
  SetExceptionModes({TExceptionMode::emExceptionStack});
}

std::string TDevices::Text(const std::string& key, const std::string& value) const {
  return ReadRegistryText(Context().Sys, RootKey::LocalMachine, key, value, false);
}

void TDevices::Refresh() {
  devices_.clear();
  classKeys_.clear();
  if (!Context().Sys.Registry) return;
  if (Context().OSInfo.IsNT) EnumerateNT();
  else Enumerate9x();
  std::stable_sort(devices_.begin(), devices_.end(), [](const TDevice& a, const TDevice& b) {
    return ToUpperAscii(a.ClassName) < ToUpperAscii(b.ClassName);
  });
}

void TDevices::ReadClass(TDevice& d, const std::string& key, const std::string& classTree) {
  const IRegistry& reg = *Context().Sys.Registry;
  if (classKeys_.empty()) classKeys_ = reg.SubKeyNames(RootKey::LocalMachine, classTree);
  for (const std::string& sub : classKeys_) {
    if (!EqualsNoCase(sub, d.ClassGUID)) continue;
    std::string classKey = classTree + "\\" + sub;
    d.ClassName = Text(classKey, "Class");
    // A class key of the 9x family may only link to the key that holds the description.
    const std::string link = ReadRegistryString(Context().Sys, RootKey::LocalMachine, classKey, "Link");
    if (!link.empty()) classKey = classTree + "\\" + link;
    d.ClassDesc = Text(classKey, "");
    if (auto icon = reg.QueryValue(RootKey::LocalMachine, classKey, "Icon")) {
      if (icon->Type == kRegSz || icon->Type == kRegExpandSz) d.ClassIcon = RegistryValueAsText(*icon);
      else if (icon->Type == kRegDword) d.ClassIcon = Format("%d", RegistryValueAsInteger(*icon));
    }
    break;
  }
  if (d.ClassName.empty()) d.ClassName = Text(key, "Class");
}

void TDevices::ReadDevice(TDevice& d, const std::string& key, const std::string& classTree,
                          const std::string& fallbackService) {
  const Platform& p = Context().Sys;
  d.ClassGUID = ToUpperAscii(Text(key, "ClassGUID"));
  d.FriendlyName = Text(key, "FriendlyName");
  d.Description = Text(key, "DeviceDesc");
  d.Name = Trim(d.FriendlyName).empty() ? d.Description : d.FriendlyName;
  d.Manufacturer = Text(key, "Mfg");
  d.Service = Text(key, "Service");
  d.Location = Text(key, "LocationInformation");
  ParseLocation(d.Location, d.PCINumber, d.DeviceNumber, d.FunctionNumber);
  auto serviceType = [&](const std::string& serviceKey) {
    auto v = p.Registry->QueryValue(RootKey::LocalMachine, serviceKey, "Type");
    return (v && (v->Type == kRegDword || v->Type == kRegDwordBigEndian)) ? RegistryValueAsInteger(*v) : 0;
  };
  if (d.Location.empty()) {
    const std::string fallback = kServices + fallbackService;
    d.Location = Text(fallback, "DisplayName");
    d.ServiceGroup = Text(fallback, "Group");
    d.ServiceType = serviceType(fallback);
  }
  ReadClass(d, key, classTree);
  d.Driver = Text(key, "Driver");  // kept as read; the doubled backslashes matter only to open the key
  if (!d.Driver.empty()) {
    const std::string driverKey = classTree + "\\" + ReplaceAll(d.Driver, "\\\\", "\\");
    d.DriverDate = Text(driverKey, "DriverDate");
    d.DriverVersion = Text(driverKey, "DriverVersion");
    d.DriverProvider = Text(driverKey, "ProviderName");
    d.InfPath = Text(driverKey, "InfPath");
  }
  const std::string serviceKey = kServices + d.Service;
  d.ServiceName = Text(serviceKey, "DisplayName");
  d.ServiceGroup = Text(serviceKey, "Group");
  d.ServiceType = serviceType(serviceKey);
}

void TDevices::FindResourceList(TDevice& d) const {
  const IRegistry& reg = *Context().Sys.Registry;
  std::vector<std::string> subs = reg.SubKeyNames(RootKey::LocalMachine, d.RegistryKey);
  std::sort(subs.begin(), subs.end(), [](const std::string& a, const std::string& b) {
    return ToUpperAscii(a) < ToUpperAscii(b);
  });
  for (const std::string& sub : subs) {
    const std::string key = d.RegistryKey + "\\" + sub;
    for (const std::string& name : reg.ValueNames(RootKey::LocalMachine, key)) {
      auto v = reg.QueryValue(RootKey::LocalMachine, key, name);
      if (v && v->Type == kRegResourceList) {
        d.ResourceListKey = key;
        d.ResourceListValue = name;
        return;
      }
    }
  }
}

void TDevices::ReadDeviceParameters(TDevice& d) const {
  const IRegistry& reg = *Context().Sys.Registry;
  const std::string key = d.RegistryKey + "\\Device Parameters";
  for (const std::string& name : reg.ValueNames(RootKey::LocalMachine, key)) {
    if (name.empty()) continue;
    auto v = reg.QueryValue(RootKey::LocalMachine, key, name);
    if (v && (v->Type == kRegSz || v->Type == kRegExpandSz)) {
      d.DeviceParam = RegistryValueAsText(*v);
      return;
    }
  }
}

void TDevices::EnumerateNT() {
  const IRegistry& reg = *Context().Sys.Registry;
  const RootKey lm = RootKey::LocalMachine;
  for (const std::string& enumerator : reg.SubKeyNames(lm, kEnumKey)) {
    const std::string enumeratorKey = std::string(kEnumKey) + "\\" + enumerator;
    for (const std::string& device : reg.SubKeyNames(lm, enumeratorKey)) {
      const std::string deviceKey = enumeratorKey + "\\" + device;
      for (const std::string& instance : reg.SubKeyNames(lm, deviceKey)) {
        const std::string key = deviceKey + "\\" + instance;
        if (!reg.KeyExists(lm, key + "\\Control")) continue;  // only devices present now
        TDevice d;
        ReadDevice(d, key, kNTClassTree, enumerator);
        d.RegistryKey = key;
        d.HardwareID = Text(key, "HardwareID");
        ParseHardwareID(d.HardwareID, d);
        FindResourceList(d);
        ReadDeviceParameters(d);
        if (Trim(d.ClassName).empty()) continue;
        d.DeviceClass = GetDeviceClass(d.ClassName);
        devices_.push_back(std::move(d));
      }
    }
  }
}

void TDevices::Enumerate9x() {
  const IRegistry& reg = *Context().Sys.Registry;
  const std::vector<std::string> active = reg.SubKeyNames(RootKey::DynData, k9xActiveList);
  std::set<std::string> kept;  // upper-cased ClassName-Description
  for (const std::string& entry : active) {
    const std::string hardwareKey = ReadRegistryText(Context().Sys, RootKey::DynData,
                                                     std::string(k9xActiveList) + "\\" + entry,
                                                     "HardwareKey", false);
    if (hardwareKey.empty() || ToUpperAscii(hardwareKey).find("NETWORK") != std::string::npos) continue;
    const std::string key = std::string(k9xEnumKey) + "\\" + hardwareKey;
    if (!reg.KeyExists(RootKey::LocalMachine, key)) continue;
    TDevice d;
    ReadDevice(d, key, k9xClassTree, entry);
    d.RegistryKey = key;
    d.HardwareID = Text(key, "HardwareID");
    ParseHardwareID(d.HardwareID, d);
    if (Trim(d.ClassName).empty()) continue;
    if (!kept.insert(ToUpperAscii(d.ClassName + "-" + d.Description)).second) continue;
    d.DeviceClass = GetDeviceClass(d.ClassName);
    devices_.push_back(std::move(d));
  }
}

void TDevices::GetDevice(int index, TDevice& device) const {
  if (index >= 0 && index < DeviceCount()) device = devices_[static_cast<size_t>(index)];
}

void TDevices::GetDeviceResources(const TDevice& device, TDeviceResources& resources) const {
  resources = TDeviceResources{};
  if (Trim(device.ResourceListKey).empty() || !Context().Sys.Registry) return;
  auto v = Context().Sys.Registry->QueryValue(RootKey::LocalMachine, device.ResourceListKey,
                                              device.ResourceListValue);
  if (!v) return;
  const uint16_t arch = Context().Sys.System ? Context().Sys.System->SystemInfo().ProcessorArchitecture : 0;
  resources = DecodeResourceList(v->Data.data(), v->Data.size(), PartialDescriptorSize(arch));
}

void TDevices::WriteBlock(ReportWriter& out) const {
  out.OpenClass("Devices", "TDevices");
  out.Integer("Count", DeviceCount());
  struct Pair { std::string Key; size_t Index; };
  std::vector<Pair> pairs;
  for (size_t i = 0; i < devices_.size(); ++i) {
    const TDevice& d = devices_[i];
    pairs.push_back({ToUpperAscii(Trim(d.ClassDesc).empty() ? d.ClassName : d.ClassDesc), i});
  }
  std::stable_sort(pairs.begin(), pairs.end(), [](const Pair& a, const Pair& b) { return a.Key < b.Key; });

  struct Use { std::string Text; std::string Device; std::string Share; };
  std::vector<Use> uses;
  std::string group;
  bool open = false;
  for (const Pair& pr : pairs) {
    const TDevice& d = devices_[pr.Index];
    if (!open || pr.Key != group) {
      if (open) out.CloseSection();
      out.OpenSection(Trim(d.ClassDesc).empty() ? d.ClassName : d.ClassDesc);
      group = pr.Key;
      open = true;
    }
    out.OpenSection(d.Name);
    out.String("ClassName", d.ClassDesc);
    out.String("ClassGUID", d.ClassGUID);
    out.String("Manufacturer", d.Manufacturer);
    out.String("Location", d.Location);
    out.String("HardwareID", d.HardwareID);
    out.Integer("VendorID", d.VendorID);
    out.Integer("DeviceID", d.DeviceID);
    out.Integer("SubSystemID", d.SubSystemID);
    out.Integer("Revision", d.Revision);
    out.String("RegistryInfo", d.Driver);
    out.String("DriverDate", d.DriverDate);
    out.String("DriverVersion", d.DriverVersion);
    out.String("DriverProvider", d.DriverProvider);
    out.String("ServiceName", d.ServiceName);
    out.String("ServiceGroup", d.ServiceGroup);
    if (!Trim(d.ResourceListKey).empty()) {
      TDeviceResources res;
      GetDeviceResources(d, res);
      out.OpenSection("Resources");
      for (const TResourceEntry& r : res.Resources) {
        const std::string value = ResourceValueText(r);
        if (value.empty()) continue;  // only ports, interrupts, memory and DMA
        out.String(ResourceTypeName(r.Type), value);
        uses.push_back({std::string(ResourceTypeName(r.Type)) + " " + value, d.Name,
                        ShareDispositionName(r.ShareDisposition)});
      }
      out.CloseSection();
    }
    out.CloseSection();
  }
  if (open) out.CloseSection();
  out.CloseClass("Devices");

  if (!Context().OSInfo.IsNT) return;
  std::stable_sort(uses.begin(), uses.end(), [](const Use& a, const Use& b) { return a.Text < b.Text; });
  out.OpenClass("DeviceResources", "TDevices");
  size_t groups = 0;
  for (size_t i = 0; i < uses.size(); ++i)
    if (i == 0 || uses[i].Text != uses[i - 1].Text) ++groups;
  out.Integer("Count", static_cast<int64_t>(groups));
  for (size_t i = 0; i < uses.size(); ++i) {
    if (i == 0 || uses[i].Text != uses[i - 1].Text) {
      if (i != 0) out.CloseSection();
      out.OpenSection(uses[i].Text);
    }
    out.String(EscapeValue(uses[i].Device), uses[i].Share);
  }
  if (!uses.empty()) out.CloseSection();
  out.CloseClass("DeviceResources");
}

}  // namespace kestrova
