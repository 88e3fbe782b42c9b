// TDevices on the recorded Windows 98 SE and XP machines, the parses, and the
// resource-list decode for both descriptor sizes.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/core/context.h"
#include "engine/core/text.h"
#include "engine/inventory/devices.h"
#include "engine/platform/recorded/recorded_machine.h"

namespace kestrova {
namespace {

struct Devices {
  explicit Devices(const char* name)
      : machine(LoadRecordedMachine(std::string(KESTROVA_FIXTURES) + "/machines/" + name)),
        context(MakeEngineContext(machine->View())),
        devices(context) {
    devices.Refresh();
  }
  const TDevice* Find(const std::string& desc) const {
    for (const TDevice& d : devices.Devices())
      if (d.Description == desc) return &d;
    return nullptr;
  }
  std::unique_ptr<RecordedMachine> machine;
  EngineContext context;
  TDevices devices;
};

TEST(DevicesNT, DriverKeptAsReadDoubledBackslashesOnlyForTheKey) {
  auto machine = LoadRecordedMachine(std::string(KESTROVA_FIXTURES) + "/machines/xp-sp2-p4ht");
  const std::string enumKey =
      "SYSTEM\\CurrentControlSet\\Enum\\PCI\\VEN_10EC&DEV_8139&SUBSYS_813910EC&REV_10\\4&2B8260C3&0&10F0";
  const std::string doubled = "{4D36E972-E325-11CE-BFC1-08002BE10318}\\\\0001";
  machine->Registry.SetString(RootKey::LocalMachine, enumKey, "Driver", doubled);
  EngineContext context = MakeEngineContext(machine->View());
  TDevices devices(context);
  devices.Refresh();
  const TDevice* net = nullptr;
  for (const TDevice& d : devices.Devices())
    if (d.Name == "Realtek RTL8139 Family PCI Fast Ethernet NIC") net = &d;
  ASSERT_NE(net, nullptr);
  EXPECT_EQ(net->Driver, doubled);
  EXPECT_EQ(net->DriverVersion, "5.612.816.2004");  // the key was still found
  ReportLines lines;
  devices.WriteReport(lines, false);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "<data name=\"RegistryInfo\" type=\"string\">" + doubled + "</data>"),
            lines.end());
}

std::vector<std::string> ClassNames(const TDevices& d) {
  std::vector<std::string> names;
  for (const TDevice& x : d.Devices()) names.push_back(x.ClassName);
  return names;
}

bool Has(const ReportLines& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(DevicesNT, PresentInstancesSortedByClassWithTheirKeys) {
  Devices x("xp-sp2-p4ht");
  // The second USB controller has no "Control" subkey: it is not present.
  EXPECT_EQ(ClassNames(x.devices), (std::vector<std::string>{"Computer", "Display", "HIDClass", "Keyboard", "MEDIA",
                                                              "Monitor", "Monitor", "Monitor", "Net", "Net", "Net",
                                                              "System", "USB"}));
  EXPECT_EQ(x.devices.DeviceCount(), 13);
  const TDevice* net = x.Find("Realtek RTL8139 Family PCI Fast Ethernet NIC");
  ASSERT_NE(net, nullptr);
  EXPECT_EQ(net->Name, net->Description);  // FriendlyName of blanks only
  EXPECT_EQ(net->DeviceClass, 21);
  EXPECT_EQ(net->ClassDesc, "Cartes réseau");
  EXPECT_EQ(net->ClassIcon, "-5");
  EXPECT_EQ(net->PCINumber, 2);
  EXPECT_EQ(net->DeviceNumber, 2);
  EXPECT_EQ(net->FunctionNumber, 0);
  EXPECT_EQ(net->VendorID, 0x10ECu);
  EXPECT_EQ(net->DeviceID, 0x8139u);
  EXPECT_EQ(net->SubSystemID, 0x813910ECu);
  EXPECT_EQ(net->Revision, 0x10u);
  EXPECT_EQ(net->Driver, "{4D36E972-E325-11CE-BFC1-08002BE10318}\\0001");
  EXPECT_EQ(net->DriverVersion, "5.612.816.2004");
  EXPECT_EQ(net->DriverProvider, "Realtek");
  EXPECT_EQ(net->InfPath, "oem4.inf");
  EXPECT_EQ(net->ServiceName, "Pilote NT Realtek 10/100 NIC Family");
  EXPECT_EQ(net->ServiceGroup, "NDIS");
  EXPECT_EQ(net->ServiceType, 1);
  const std::string key = "\\SYSTEM\\CurrentControlSet\\Enum\\PCI\\VEN_10EC&DEV_8139&SUBSYS_813910EC&REV_10\\4&2B8260C3&0&10F0";
  EXPECT_EQ(net->RegistryKey, key);
  EXPECT_EQ(net->ResourceListKey, key + "\\Control");  // "Control" sorts before "LogConf"
  EXPECT_EQ(net->ResourceListValue, "AllocConfig");
  EXPECT_EQ(net->HardwareID, "PCI\\VEN_10EC&DEV_8139&SUBSYS_813910EC&REV_10\r\n");

  const TDevice* keyboard = x.Find("Clavier standard 101/102 touches ou Microsoft Natural PS/2");
  ASSERT_NE(keyboard, nullptr);
  EXPECT_EQ(keyboard->ClassIcon, "-3");              // an integer value
  EXPECT_EQ(keyboard->Location, "Pilote ACPI Microsoft");  // service named by the enumerator
  EXPECT_EQ(keyboard->PCINumber, -1);
  EXPECT_EQ(keyboard->ServiceGroup, "Keyboard Port");  // the device's own service wins
  EXPECT_EQ(x.Find("NVIDIA GeForce FX 5200")->DeviceParam, "{2A3F5C1E-0B4D-4E2F-9A8B-7C6D5E4F3A2B}");
  EXPECT_EQ(x.Find("Périphérique d'entrée USB")->VendorID, 0u);  // USB IDs are not parsed
}

TEST(DevicesNT, GetDeviceCopiesAndIgnoresBadIndexes) {
  Devices x("xp-sp2-p4ht");
  TDevice d;
  d.Name = "unchanged";
  x.devices.GetDevice(-1, d);
  x.devices.GetDevice(13, d);
  EXPECT_EQ(d.Name, "unchanged");
  x.devices.GetDevice(0, d);
  EXPECT_EQ(d.Name, "Ordinateur ACPI multiprocesseur");
}

TEST(DevicesNT, ResourcesAndTheDeviceResourcesElement) {
  Devices x("xp-sp2-p4ht");
  TDeviceResources r;
  x.devices.GetDeviceResources(*x.Find("NVIDIA GeForce FX 5200"), r);
  EXPECT_EQ(r.InterfaceType, 6);  // PCIBus + 1
  ASSERT_EQ(r.Resources.size(), 6u);
  EXPECT_EQ(ResourceValueText(r.Resources[1]), "e0000000 - efffffff");
  EXPECT_EQ(ResourceValueText(r.Resources[5]), "16");
  ReportLines lines;
  x.devices.WriteReport(lines, false);
  EXPECT_EQ(lines[0], "<Devices classname=\"TDevices\">");
  EXPECT_EQ(lines[1], "<data name=\"Count\" type=\"integer\">13</data>");
  EXPECT_EQ(lines[2], "<section name=\"Cartes graphiques\">");
  EXPECT_TRUE(Has(lines, "<section name=\"Cartes r&#233;seau\">"));
  EXPECT_TRUE(Has(lines, "<data name=\"Port\" type=\"string\">03c0 - 03df</data>"));
  EXPECT_TRUE(Has(lines, "<data name=\"RegistryInfo\" type=\"string\">{4D36E968-E325-11CE-BFC1-08002BE10318}\\0000</data>"));
  auto element = std::find(lines.begin(), lines.end(), "<DeviceResources classname=\"TDevices\">");
  ASSERT_NE(element, lines.end());
  auto irq16 = std::find(element, lines.end(), "<section name=\"IRQ 16\">");
  ASSERT_NE(irq16, lines.end());
  EXPECT_EQ(irq16[1], "<data name=\"NVIDIA GeForce FX 5200\" type=\"string\">Shared</data>");
  EXPECT_EQ(irq16[2], "<data name=\"Contr&#244;leur h&#244;te USB universel Intel(R) 82801EB - 24D2\" type=\"string\">Shared</data>");
  EXPECT_EQ(lines.back(), "</DeviceResources>");
}

TEST(Devices9x, ActiveDevicesOnceEachWithClassLinks) {
  Devices x("win98se-p3");
  // COM2 repeats COM1's class and description; the network key and the blank class go.
  EXPECT_EQ(ClassNames(x.devices), (std::vector<std::string>{"DISPLAY", "Keyboard", "MEDIA", "Net", "Net", "Ports", "System"}));
  const TDevice* display = x.Find("Intel(R) 82815 Graphics Controller");
  ASSERT_NE(display, nullptr);
  EXPECT_EQ(display->ClassDesc, "Cartes graphiques");  // read through the Link value
  EXPECT_EQ(display->ClassIcon, "-1");
  EXPECT_EQ(display->DeviceClass, 3);
  EXPECT_EQ(display->DriverVersion, "4.12.01.2619");
  EXPECT_EQ(display->RegistryKey, "\\Enum\\PCI\\VEN_8086&DEV_1132&SUBSYS_11328086&REV_02\\BUS_00&DEV_02&FUNC_00");
  EXPECT_EQ(display->ResourceListKey, "");
  EXPECT_EQ(x.Find("Port de communication")->Name, "Port de communication (COM1)");
  // The fallback location uses the configuration-manager entry's own name.
  EXPECT_EQ(x.Find("Clavier standard 101/102 touches ou Microsoft Natural")->Location,
            "(fallback by configuration-manager name)");
  ReportLines lines;
  x.devices.WriteReport(lines, false);
  EXPECT_EQ(lines.back(), "</Devices>");  // no resource element on this family
}

// Every row of the class, resource type and share disposition tables.
TEST(DeviceTables, EveryRow) {
  const std::vector<std::string> kClasses = {
      "Battery", "Computer", "DiskDrive", "Display", "CDROM", "fdc", "FloppyDisk", "GPS", "HID", "hdc",
      "1394", "Image", "Infrared", "Keyboard", "MediumChanger", "MTD", "Mouse", "Modem", "Monitor",
      "MultiFunction", "MultiPortSerial", "Net", "LegacyDriver", "NtApm", "Unknown", "PCMCIA", "Ports",
      "Printer", "SCSIAdapter", "SmartCardReader", "MEDIA", "Volume", "System", "TapeDrive",
      "TapeController", "Tape", "USB", "Processor"};
  EXPECT_EQ(std::vector<std::string>(std::begin(kDeviceClassNames), std::end(kDeviceClassNames)), kClasses);
  // The first entry the name begins with, in any case: "NetTrans" is Net, "TapeDrive" not Tape.
  for (size_t i = 0; i < kClasses.size(); ++i) {
    EXPECT_EQ(static_cast<size_t>(GetDeviceClass(ToLowerAscii(kClasses[i]) + "x")), i) << kClasses[i];
  }
  EXPECT_EQ(GetDeviceClass("Zip"), 24);
  EXPECT_EQ(GetDeviceClass(""), 24);
  std::string types;
  for (unsigned t : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 127, 128, 129, 130, 131}) types += ResourceTypeName(t) + std::string("|");
  EXPECT_EQ(types, "None|Port|IRQ|Memory|DMA|DeviceSpecific|BusNumber|Maximum|AssignedResource|SubAllocateFrom|||"
                   "ConfigData|DevicePrivate|PCCardConfig||");
  std::string shares;
  for (unsigned d : {0, 1, 2, 3, 255}) shares += ShareDispositionName(d) + std::string("|");
  EXPECT_EQ(shares, "Undetermined|Device Exclusive|Driver Exclusive|Shared|Shared|");
}

TEST(DeviceParses, LocationsAndHardwareIds) {
  int32_t b, d, f;
  ParseLocation("PCI bus 2, device 11, function 0", b, d, f);
  EXPECT_EQ(std::vector<int32_t>({b, d, f}), std::vector<int32_t>({2, 11, 0}));
  ParseLocation("USB Optical Mouse", b, d, f);
  EXPECT_EQ(std::vector<int32_t>({b, d, f}), std::vector<int32_t>({-1, -1, -1}));
  ParseLocation("x,y", b, d, f);  // text that is not a number gives 0
  EXPECT_EQ(std::vector<int32_t>({b, d, f}), std::vector<int32_t>({0, 0, 0}));
  TDevice dev;
  ParseHardwareID("PCI\\VEN_8086&DEV_7190&SUBSYS_00000000&REV_03\\3&2B8E0B4B&0&00", dev);
  EXPECT_EQ(std::vector<uint32_t>({dev.VendorID, dev.DeviceID, dev.SubSystemID, dev.Revision}),
            std::vector<uint32_t>({0x8086, 0x7190, 0, 3}));
  ParseHardwareID("USB\\VID_046D&PID_C016&REV_0340", dev);
  EXPECT_EQ(dev.VendorID + dev.DeviceID + dev.SubSystemID + dev.Revision, 0u);
  ParseHardwareID("PCI\\VEN_ZZZZ&DEV_12", dev);
  EXPECT_EQ(dev.VendorID, 0u);
  EXPECT_EQ(dev.DeviceID, 0x12u);
}

// A CM_RESOURCE_LIST with one full descriptor; `extra` bytes are appended to each partial
// descriptor so that it takes `size` bytes.
std::vector<uint8_t> ResourceList(const std::vector<std::vector<uint32_t>>& descs, size_t size, uint32_t count) {
  std::vector<uint8_t> b;
  auto put = [&](uint32_t v, int n) { for (int i = 0; i < n; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i))); };
  put(1, 4), put(5, 4), put(0, 4), put(1, 2), put(1, 2), put(count, 4);
  for (const auto& d : descs) {
    b.push_back(static_cast<uint8_t>(d[0])), b.push_back(static_cast<uint8_t>(d[1])), put(d[2], 2);
    put(d[3], 4), put(d[4], 4), put(d[5], 4);
    for (size_t i = 16; i < size; ++i) b.push_back(0xEE);
  }
  return b;
}

TEST(ResourceListDecode, BothDescriptorSizesGiveTheSameEntries) {
  const std::vector<std::vector<uint32_t>> descs = {
      {1, 1, 5, 0x3C0, 0, 0x20}, {2, 3, 1, 16, 16, 0xFFFFFFFF}, {3, 1, 0, 0xE0000000, 1, 0x1000}, {4, 1, 0, 2, 0, 0}};
  for (size_t size : {kPartialDescriptorSize32, kPartialDescriptorSize64}) {
    const auto bytes = ResourceList(descs, size, 4);
    const TDeviceResources r = DecodeResourceList(bytes.data(), bytes.size(), size);
    ASSERT_EQ(r.Resources.size(), 4u) << size;
    EXPECT_EQ(ResourceValueText(r.Resources[0]), "03c0 - 03df") << size;
    EXPECT_EQ(ResourceValueText(r.Resources[1]), "16") << size;
    EXPECT_EQ(ResourceValueText(r.Resources[2]), "1e0000000 - 1e0000fff") << size;
    EXPECT_EQ(ResourceValueText(r.Resources[3]), "02") << size;
    EXPECT_EQ(r.Resources[1].ShareDisposition, 3) << size;
  }
  EXPECT_EQ(PartialDescriptorSize(0), 16u);
  EXPECT_EQ(PartialDescriptorSize(9) + PartialDescriptorSize(6), 40u);  // x64 and IA-64
}

TEST(ResourceListDecode, BoundedByCountSizeAndDeviceSpecificData) {
  auto bytes = ResourceList({{1, 1, 0, 0x60, 0, 1}, {1, 1, 0, 0x64, 0, 1}}, 16, 2);
  // Cut inside the second descriptor: only the whole first one is read.
  EXPECT_EQ(DecodeResourceList(bytes.data(), bytes.size() - 1, 16).Resources.size(), 1u);
  // A count larger than the data holds.
  auto many = ResourceList({{1, 1, 0, 0x60, 0, 1}}, 16, 1000000);
  EXPECT_EQ(DecodeResourceList(many.data(), many.size(), 16).Resources.size(), 1u);
  // Types above 7 are skipped; device-specific data is stepped over.
  auto special = ResourceList({{0x81, 1, 0, 0, 0, 0}, {5, 1, 0, 4, 0, 0}}, 16, 3);
  for (int i = 0; i < 4; ++i) special.push_back(0xFF);  // the 4 bytes of device data
  auto tail = ResourceList({{2, 1, 0, 9, 9, 1}}, 16, 1);
  special.insert(special.end(), tail.begin() + 20, tail.end());
  const TDeviceResources r = DecodeResourceList(special.data(), special.size(), 16);
  ASSERT_EQ(r.Resources.size(), 2u);
  EXPECT_EQ(r.Resources[0].Type, 5);
  EXPECT_EQ(r.Resources[1].Type, 2);
  EXPECT_EQ(r.Resources[1].V2, 9u);
  EXPECT_TRUE(DecodeResourceList(special.data(), 19, 16).Resources.empty());
  EXPECT_TRUE(DecodeResourceList(nullptr, 0, 16).Resources.empty());
}

}  // namespace
}  // namespace kestrova
