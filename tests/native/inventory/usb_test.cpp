// TUSB and the "USB" section: the descriptor readers over hand-made bytes, the name
// tables, the walk of the XP machine's recorded tree node by node, its report block, and
// the failures the walk must survive.
#include <gtest/gtest.h>

#include <chrono>

#include "engine/core/context.h"
#include "engine/core/system_info.h"
#include "engine/core/text.h"
#include "engine/inventory/usb.h"
#include "engine/inventory/usb_descriptors.h"
#include "engine/platform/recorded/recorded_machine.h"
#include "sections/usb_section.h"
#include "tests/native/os/section_run.h"

namespace kestrova {
namespace {

// The shared machine-engine-section fixture, with this area's member and section.
struct UsbRun : testing::SectionRun {
  using SectionRun::SectionRun;
  TUSB& Usb() { return Member<TUSB>(TSystemInfo::Member::USB); }
  std::vector<std::string> Section() { return Run(kUsbWriter); }
};

const char* const kRootHub0 = "USB#ROOT_HUB#4&2f1c3b5a&0#{f18a0e88-c30c-11d0-8815-00a0c906bed8}";
const char* const kExternalHub = "USB#VID_05E3&PID_0608#5&3a1b2c4d&0&1#{f18a0e88-c30c-11d0-8815-00a0c906bed8}";

// --- descriptor readers -----------------------------------------------------------------

TEST(UsbDescriptors, InterfaceClassOfTheConfiguration) {
  const std::vector<uint8_t> config = {9, 2, 0, 0, 1, 1, 0, 0x80, 50};
  auto with = [&](std::vector<uint8_t> tail, int total = -1) {
    std::vector<uint8_t> d = config;
    d.insert(d.end(), tail.begin(), tail.end());
    size_t t = total < 0 ? d.size() : static_cast<size_t>(total);
    d[2] = static_cast<uint8_t>(t);
    d[3] = static_cast<uint8_t>(t >> 8);
    return d;
  };
  const struct { const char* Name; std::vector<uint8_t> Bytes; uint8_t Index; } kCases[] = {
      {"class 0xFF is vendor specific", with({9, 4, 0, 0, 1, 0xFF, 0, 0, 0}), 10},
      {"class 3 stays", with({9, 4, 0, 0, 1, 3, 1, 2, 0}), 3},
      {"class 9 stays", with({9, 4, 0, 0, 1, 9, 0, 0, 0}), 9},
      {"class 10 and above are 11", with({9, 4, 0, 0, 1, 10, 0, 0, 0}), 11},
      {"class 0xE0 is 11", with({9, 4, 0, 0, 1, 0xE0, 1, 1, 0}), 11},
      {"an association (8 bytes) before the interface", with({8, 11, 0, 2, 0xFF, 0xFF, 0, 0, 9, 4, 0, 0, 1, 0xFF, 0, 0, 0}), 10},
      {"a class descriptor before the interface", with({5, 0x24, 0, 0x10, 1, 9, 4, 0, 0, 1, 2, 2, 1, 0}), 2},
      {"no interface", with({7, 5, 0x81, 3, 8, 0, 10}), 14},
      {"only the configuration", with({}), 14},
      {"zero length ends the walk", with({0, 4, 0, 0, 1, 3, 0, 0, 0, 9, 4, 0, 0, 1, 3, 0, 0, 0}), 14},
      {"interface running past the data", with({9, 4, 0, 0, 1, 3}), 14},
      {"total length cuts the walk", with({7, 5, 0x81, 3, 8, 0, 10, 9, 4, 0, 0, 1, 3, 0, 0, 0}, 16), 14},
      {"shorter than a configuration", {9, 2, 20}, 14},
      {"nothing", {}, 14},
  };
  for (const auto& c : kCases) EXPECT_EQ(InterfaceClassIndex(c.Bytes), c.Index) << c.Name;
}

TEST(UsbDescriptors, StringDescriptorsAreCutToWhatIsPresent) {
  const struct { const char* Name; std::vector<uint8_t> Bytes; std::string Text; } kCases[] = {
      {"plain", {8, 3, 'A', 0, 'b', 0, 'c', 0}, "Abc"},
      {"accented", {4, 3, 0xE9, 0}, "é"},
      {"odd length keeps whole units", {7, 3, 'A', 0, 'b', 0, 'c', 0}, "Ab"},
      {"length past the data", {40, 3, 'A', 0, 'b', 0}, "Ab"},
      {"zero unit ends it", {8, 3, 'A', 0, 0, 0, 'c', 0}, "A"},
      {"length byte only", {2, 3}, ""},
      {"one byte", {1}, ""},
      {"nothing", {}, ""},
  };
  for (const auto& c : kCases) EXPECT_EQ(DecodeStringDescriptor(c.Bytes), c.Text) << c.Name;
  std::vector<uint8_t> longest = {254, 3};
  for (int i = 0; i < 300; ++i) longest.insert(longest.end(), {'x', 0});
  EXPECT_EQ(DecodeStringDescriptor(longest).size(), 126u);  // 252 bytes of text in 254
}

TEST(UsbDescriptors, NamesTakeTheLowByteUpToZeroOrTheEnd) {
  EXPECT_EQ(NameFromRequest({9, 0, 0, 0, 'H', 0, 'U', 0x4E, 'B', 0}, 4), "HUB");
  EXPECT_EQ(NameFromRequest({9, 0, 0, 0, 'H', 0, 0, 1, 'B', 0}, 4), "H");
  EXPECT_EQ(NameFromRequest({9, 0, 0, 0, 'H', 0, 'U'}, 4), "HU");  // no terminating zero
  EXPECT_EQ(NameFromRequest({9, 0}, 4), "");
}

TEST(UsbNames, ClassAndStatusTables) {
  const char* const kClasses[] = {"Reserved", "Audio", "Communications", "Human interface", "Monitor",
                                  "Physical interface", "Power", "Printer", "Storage", "Root Hub",
                                  "Vendor Specific", "External Hub", "Host Controller", "<error>", "<unknown>"};
  for (uint8_t i = 0; i < 15; ++i) EXPECT_STREQ(USBClassName(i), kClasses[i]) << int(i);
  EXPECT_EQ(USBClassName(15), nullptr);
  const char* const kStatus[] = {"No device connected", "Device connected", "Device FAILED enumeration",
                                 "Device general FAILURE", "Device caused overcurrent", "Not enough power for device"};
  for (uint32_t i = 0; i < 6; ++i) EXPECT_STREQ(ConnectionStatusName(i), kStatus[i]) << i;
  EXPECT_EQ(ConnectionStatusName(6), nullptr);
  EXPECT_EQ(BcdByte(0x10), 10);
  EXPECT_EQ(BcdByte(0x02), 2);
  EXPECT_EQ(BcdByte(0x99), 99);
}

// --- the recorded XP tree -------------------------------------------------------------------

TEST(UsbWalk, XpTreeNodeByNode) {
  UsbRun run("xp-sp2-p4ht");
  TUSB& usb = run.Usb();
  usb.Refresh();
  struct Row { int32_t Level, Parent, Port, Address; uint8_t Class, Status; uint16_t Power; const char* Product; const char* Manufacturer; const char* Serial; };
  const Row kNodes[] = {
      {0, -1, 0, 0, 12, 1, 0, "", "", ""},
      {1, 0, 0, 0, 9, 1, 0, "", "", ""},
      {2, 1, 1, 2, 11, 1, 0, "", "", ""},
      {3, 2, 1, 3, 10, 1, 500, "QuickCam Pro 9000", "Logitech, Inc.", ""},  // composite, first interface 0xFF
      {3, 2, 2, 0, 0, 0, 0, "", "", ""},                                     // empty port
      {3, 2, 3, 4, 3, 1, 100, "", "", ""},                                   // string reads fail
      {3, 2, 4, 5, 8, 1, 100, "USB DISK", "", "0000000000001B1A"},            // iManufacturer 0
      {2, 1, 2, 1, 3, 1, 100, "USB-PS/2 Optical Mouse", "Logitech", ""},
      {0, -1, 1, 0, 12, 1, 0, "", "", ""},
      {1, 8, 1, 0, 9, 1, 0, "", "", ""},
      {2, 9, 1, 0, 0, 2, 0, "", "", ""},
      {2, 9, 2, 0, 0, 0, 0, "", "", ""},
      {2, 9, 3, 1, 8, 1, 200, "DataTraveler 2.0", "Kingston", "5B7A12345678"},
      {2, 9, 4, 0, 0, 0, 0, "", "", ""},
  };
  ASSERT_EQ(usb.NodeCount(), 14);
  for (int i = 0; i < 14; ++i) {
    TUSBNode n;
    usb.GetNode(i, n);
    const Row& r = kNodes[i];
    SCOPED_TRACE("node " + std::to_string(i));
    EXPECT_EQ(n.Level, r.Level);
    EXPECT_EQ(n.ParentIndex, r.Parent);
    EXPECT_EQ(n.PortNumber, r.Port);
    EXPECT_EQ(n.DeviceAddress, r.Address);
    EXPECT_EQ(n.USBClass, r.Class);
    EXPECT_EQ(n.ConnectionStatus, r.Status);
    EXPECT_EQ(n.MaxPower, r.Power);
    EXPECT_EQ(n.Product, r.Product);
    EXPECT_EQ(n.Manufacturer, r.Manufacturer);
    EXPECT_EQ(n.Serial, r.Serial);
  }
  TUSBNode n;
  usb.GetNode(1, n);
  EXPECT_EQ(n.ConnectionName, kRootHub0);
  EXPECT_EQ(n.DriverKeyName, "");
  usb.GetNode(0, n);
  EXPECT_EQ(n.DriverKeyName, "{36FC9E60-C465-11CF-8056-444553540000}\\0000");
  usb.GetNode(3, n);
  EXPECT_EQ(n.VendorID, 0x046D);
  EXPECT_EQ(n.ProductID, 0x08C2);
  EXPECT_EQ(n.SpecMajor, 0x02);
  EXPECT_EQ(n.SpecMinor, 0x00);
  usb.GetNode(14, n);
  EXPECT_EQ(n.USBClass, 13);
  EXPECT_EQ(n.Product, "");
  usb.GetNode(-1, n);
  EXPECT_EQ(n.USBClass, 13);
  EXPECT_EQ(usb.ConnectedDevices(), 5);  // no hub, controller or empty port
  EXPECT_EQ(run.machine->Usb.OpenHandles(), 0);
}

TEST(UsbSection, WindowsXpLineByLine) {
  UsbRun run("xp-sp2-p4ht");
  const std::vector<std::string> expected = {
      "",
      "USB",
      " - Nb d'équipements USB detectés : 5",
      " - USB #00",
      "   . LogitechInc - QuickCamPro9000 - Version 2.0 (Imax = 500 mA)",
      "   . Logitech - USBPS2OpticalMouse - Version 1.10 (Imax = 100 mA)",
      " - USB #01",
      "   . Kingston - DataTraveler20 - Version 2.0 (Imax = 200 mA)",
  };
  EXPECT_EQ(run.Section(), expected);
}

TEST(UsbSection, NtFourGetsTheRedLineAndNoControllerOnlyTheCount) {
  for (uint32_t major : {4u, 5u}) {
    UsbRun run("xp-sp2-p4ht");
    run.machine->VersionData.MajorVersion = major;
    run.machine->VersionData.MinorVersion = 0;
    run.machine->Usb.Controllers.clear();
    auto lines = run.Section();
    std::vector<std::string> expected = {"", "USB"};
    if (major == 4) expected.push_back(" - USB officiellement non supporté sous Windows NT");
    expected.push_back(" - Nb d'équipements USB detectés : 0");
    EXPECT_EQ(lines, expected);
    if (major == 4) {
      EXPECT_EQ(run.log.Lines[2].Colour, 0x0000FFu);
    }
  }
}

TEST(UsbReport, XpBlockNestsHubsAndClosesEverySection) {
  UsbRun run("xp-sp2-p4ht");
  run.Usb().Refresh();
  ReportLines lines;
  run.Usb().WriteReport(lines, false);
  auto s = [](const std::string& n, const std::string& v) { return "<data name=\"" + n + "\" type=\"string\">" + v + "</data>"; };
  const std::vector<std::string> expected = {
      "<USB classname=\"TUSB\">",
      "<data name=\"Count\" type=\"integer\">14</data>",
      "<data name=\"ConnectedDevices\" type=\"integer\">5</data>",
      "<section name=\"Host Controller 0\">",
      s("ConnectionName", "HCD0"), s("DriveKeyName", "{36FC9E60-C465-11CF-8056-444553540000}\\0000"),
      "<section name=\"Root Hub on HC 0\">",
      s("ConnectionName", "USB#ROOT_HUB#4&amp;2f1c3b5a&amp;0#{f18a0e88-c30c-11d0-8815-00a0c906bed8}"), s("DriveKeyName", ""),
      "<section name=\"Port[1]: External Hub\">",
      s("ConnectionName", "USB#VID_05E3&amp;PID_0608#5&amp;3a1b2c4d&amp;0&amp;1#{f18a0e88-c30c-11d0-8815-00a0c906bed8}"),
      s("DriveKeyName", ""),
      "<section name=\"Port[1]: QuickCam Pro 9000\">",
      s("ConnectionName", ""), s("DriveKeyName", "{36FC9E60-C465-11CF-8056-444553540000}\\0004"),
      s("Classname", "Vendor Specific"), s("Manufacturer", "Logitech, Inc."), s("Serial", ""),
      "<data name=\"Power Consumption\" type=\"integer\" unit=\"mA\">500</data>",
      s("Specification", "2.0"),
      "<data name=\"VendorID\" type=\"integer\">1133</data>",
      "<data name=\"ProductID\" type=\"integer\">2242</data>",
      "</section>",
      "<section name=\"Port[2]: No device connected\">", "</section>",
      "<section name=\"Port[3]: \">",
      s("ConnectionName", ""), s("DriveKeyName", "{745A17A0-74D3-11D0-B6FE-00A0C90F57DA}\\0001"),
      s("Classname", "Human interface"), s("Manufacturer", ""), s("Serial", ""),
      "<data name=\"Power Consumption\" type=\"integer\" unit=\"mA\">100</data>",
      s("Specification", "1.10"),
      "<data name=\"VendorID\" type=\"integer\">1118</data>",
      "<data name=\"ProductID\" type=\"integer\">219</data>",
      "</section>",
      "<section name=\"Port[4]: USB DISK\">",
      s("ConnectionName", ""), s("DriveKeyName", "{36FC9E67-C465-11CF-8056-444553540000}\\0002"),
      s("Classname", "Storage"), s("Manufacturer", ""), s("Serial", "0000000000001B1A"),
      "<data name=\"Power Consumption\" type=\"integer\" unit=\"mA\">100</data>",
      s("Specification", "2.0"),
      "<data name=\"VendorID\" type=\"integer\">2316</data>",
      "<data name=\"ProductID\" type=\"integer\">4096</data>",
      "</section>",
      "</section>",  // the external hub
      "<section name=\"Port[2]: USB-PS/2 Optical Mouse\">",
      s("ConnectionName", ""), s("DriveKeyName", "{745A17A0-74D3-11D0-B6FE-00A0C90F57DA}\\0000"),
      s("Classname", "Human interface"), s("Manufacturer", "Logitech"), s("Serial", ""),
      "<data name=\"Power Consumption\" type=\"integer\" unit=\"mA\">100</data>",
      s("Specification", "1.10"),
      "<data name=\"VendorID\" type=\"integer\">1133</data>",
      "<data name=\"ProductID\" type=\"integer\">49174</data>",
      "</section>",
      "</section>",  // root hub 0
      "</section>",  // controller 0
      "<section name=\"Host Controller 1\">",
      s("ConnectionName", "HCD1"), s("DriveKeyName", "{36FC9E60-C465-11CF-8056-444553540000}\\0001"),
      "<section name=\"Root Hub on HC 1\">",
      s("ConnectionName", "USB#ROOT_HUB20#4&amp;1e8d7c6b&amp;0#{f18a0e88-c30c-11d0-8815-00a0c906bed8}"), s("DriveKeyName", ""),
      "<section name=\"Port[1]: Device FAILED enumeration\">", "</section>",
      "<section name=\"Port[2]: No device connected\">", "</section>",
      "<section name=\"Port[3]: DataTraveler 2.0\">",
      s("ConnectionName", ""), s("DriveKeyName", "{36FC9E67-C465-11CF-8056-444553540000}\\0003"),
      s("Classname", "Storage"), s("Manufacturer", "Kingston"), s("Serial", "5B7A12345678"),
      "<data name=\"Power Consumption\" type=\"integer\" unit=\"mA\">200</data>",
      s("Specification", "2.0"),
      "<data name=\"VendorID\" type=\"integer\">2385</data>",
      "<data name=\"ProductID\" type=\"integer\">5633</data>",
      "</section>",
      "<section name=\"Port[4]: No device connected\">", "</section>",
      "</section>",
      "</section>",
      "</USB>",
  };
  EXPECT_EQ(lines, expected);
}

// --- failures ------------------------------------------------------------------------------

TEST(UsbWalk, FailingRequestsGiveTheErrorTextAndNoHub) {
  UsbRun run("xp-sp2-p4ht");
  RecordedUsb& u = run.machine->Usb;
  u.Controllers["HCD0"].DriverKey.reset();
  u.Controllers["HCD0"].RootHub.reset();
  u.Controllers.erase("HCD1");
  run.Usb().Refresh();
  ASSERT_EQ(run.Usb().NodeCount(), 1);
  EXPECT_EQ(run.Usb().Nodes()[0].DriverKeyName, "Error: Un périphérique attaché au système ne fonctionne pas. (31)");
  EXPECT_EQ(run.Usb().ConnectedDevices(), 0);
}

TEST(UsbWalk, AHubThatNamesItselfIsBounded) {
  UsbRun run("xp-sp2-p4ht");
  RecordedUsb& u = run.machine->Usb;
  // The external hub's port 2 holds the external hub again: a loop of hubs.
  RecordedUsbPort& loop = u.Hubs[ToUpperAscii(kExternalHub)].Port[2];
  loop.Status = 1;
  loop.Hub = kExternalHub;
  run.Usb().Refresh();
  const auto& nodes = run.Usb().Nodes();
  ASSERT_LE(nodes.size(), TUSB::kMaxNodes);
  int32_t deepest = 0;
  for (const auto& n : nodes) deepest = std::max(deepest, n.Level);
  EXPECT_EQ(deepest, TUSB::kMaxLevel);  // the hub at the last level is not walked
  EXPECT_EQ(u.OpenHandles(), 0);
}

TEST(UsbWalk, DescriptorRequestsThatFailLeaveNoPowerAndAnUnknownClass) {
  UsbRun run("xp-sp2-p4ht");
  run.machine->Usb.Hubs[ToUpperAscii(kRootHub0)].Port[2].Configuration.reset();
  run.Usb().Refresh();
  TUSBNode mouse;
  run.Usb().GetNode(7, mouse);
  EXPECT_EQ(mouse.MaxPower, 0);
  EXPECT_EQ(mouse.USBClass, 14);
  EXPECT_EQ(mouse.Manufacturer, "Logitech");  // strings still read
}

// How long the walk over the recorded tree takes (printed; the check is the tree itself).
TEST(UsbWalk, TimedWalkOverTheRecordedTree) {
  UsbRun run("xp-sp2-p4ht");
  TUSB& usb = run.Usb();
  const int kRuns = 200;
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kRuns; ++i) {
    usb.Refresh();
    ASSERT_EQ(usb.NodeCount(), 14);
  }
  double us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() / kRuns;
  std::printf("USB walk over the recorded XP tree: %.1f us per refresh (%u requests)\n", us,
              run.machine->Usb.Requests / kRuns);
}

}  // namespace
}  // namespace kestrova
