#include "engine/platform/capture/capture_usb.h"

#include <algorithm>

#include "engine/core/text.h"
#include "engine/inventory/usb_descriptors.h"
#include "engine/platform/recorded/recorded_usb.h"

namespace kestrova {

namespace {

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  if (b.size() < at + 4) return 0;
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

// A name answer's UTF-16 text after its leading fields, up to its NUL or the end.
std::string NameText(const std::vector<uint8_t>& output, size_t offset) {
  std::string text;
  for (size_t at = offset; at + 1 < output.size(); at += 2) {
    const uint32_t unit = output[at] | uint32_t{output[at + 1]} << 8;
    if (unit == 0) break;
    AppendUtf8(text, unit);
  }
  return text;
}

std::string Hex(const std::vector<uint8_t>& bytes) {
  std::string out;
  for (size_t i = 0; i < bytes.size(); ++i) out += Format(i ? " %02x" : "%02x", bytes[i]);
  return out;
}

// The text of a string descriptor, when the recorded form gives back the same bytes.
std::optional<std::string> DescriptorText(const std::vector<uint8_t>& d) {
  if (d.size() < 2 || d[1] != kDescriptorString) return std::nullopt;
  std::string text;
  for (size_t at = 2; at + 1 < d.size() && at + 1 < d[0]; at += 2) AppendUtf8(text, d[at] | uint32_t{d[at + 1]} << 8);
  if (StringDescriptorOf(text) != d) return std::nullopt;
  return text;
}

bool IsController(const std::string& name) { return StartsWith(ToUpperAscii(name), "HCD"); }

}  // namespace

CapturingUsb::Device& CapturingUsb::DeviceOf(const std::string& name) {
  for (Device& d : devices_)
    if (EqualsNoCase(d.Name, name)) return d;
  devices_.push_back({name, std::nullopt, std::nullopt, std::nullopt, {}});
  return devices_.back();
}

UsbHandle CapturingUsb::Open(const std::string& name) {
  const UsbHandle h = inner_.Open(name);
  if (h) {
    DeviceOf(name);
    for (size_t i = 0; i < devices_.size(); ++i)
      if (EqualsNoCase(devices_[i].Name, name)) open_[h] = i;
  }
  return h;
}

void CapturingUsb::Close(UsbHandle handle) {
  inner_.Close(handle);
  open_.erase(handle);
}

std::string CapturingUsb::ErrorMessage(uint32_t code) const {
  std::string text = inner_.ErrorMessage(code);
  messages_[code] = text;
  return text;
}

UsbAnswer CapturingUsb::Request(UsbHandle handle, uint32_t code, const std::vector<uint8_t>& input,
                                uint32_t outputSize) {
  UsbAnswer a = inner_.Request(handle, code, input, outputSize);
  if (!a.Ok) failureCodes_.push_back(a.LastError);
  auto h = open_.find(handle);
  if (h == open_.end()) return a;
  Device& d = devices_[h->second];
  if (IsController(d.Name)) {
    if (code == kIoctlGetHcdDriverKeyName && a.Ok) d.DriverKey = NameText(a.Output, 4);
    if (code == kIoctlUsbGetRootHubName && a.Ok) d.RootHub = NameText(a.Output, 4);
    return a;
  }
  if (code == kIoctlUsbGetNodeInformation) {
    d.NodeInformation = a;
    return a;
  }
  Port& p = d.Ports[Le32(input, 0)];
  switch (code) {
    case kIoctlUsbGetNodeConnectionInformation:
      p.Connection = a;
      break;
    case kIoctlUsbGetNodeConnectionName:
      if (a.Ok) p.Hub = NameText(a.Output, 8);
      else p.NameFailed = true;
      break;
    case kIoctlUsbGetNodeConnectionDriverKeyName:
      if (a.Ok) p.DriverKey = NameText(a.Output, 8);
      break;
    case kIoctlUsbGetDescriptorFromNodeConnection: {
      if (input.size() < kDescriptorRequestHeader) break;
      const uint8_t type = input[7], index = input[6];
      if (!a.Ok) {
        if (type == kDescriptorString) p.StringFailed = true;
        break;
      }
      const std::vector<uint8_t> data = DescriptorData(a.Output);
      if (type == kDescriptorConfiguration && (!p.Configuration || data.size() > p.Configuration->size()))
        p.Configuration = data;
      if (type == kDescriptorString) {
        std::vector<uint8_t>& s = p.Strings[index];
        if (data.size() >= s.size()) s = data;
      }
      break;
    }
    default:
      break;
  }
  return a;
}

void CapturingUsb::Write(CaptureOutput& out) const {
  for (uint32_t c : failureCodes_)
    if (c != RecordedUsb::kFailureCode) {
      out.Note(Format("a USB request failed with error %u; a recording fails them with %u", c, RecordedUsb::kFailureCode));
      break;
    }
  for (const Device& d : devices_) {
    if (IsController(d.Name)) {
      const std::string section = "usbcontroller:" + d.Name;
      out.AddSection(section);
      if (d.DriverKey) out.Add(section, "DriverKey", *d.DriverKey);
      if (d.RootHub) out.Add(section, "RootHub", *d.RootHub);
      continue;
    }
    const std::string hub = "usbhub:" + d.Name;
    out.AddSection(hub);
    if (d.NodeInformation && d.NodeInformation->Ok && d.NodeInformation->Output.size() > 6)
      out.Add(hub, "Ports", std::to_string(d.NodeInformation->Output[6]));
    else if (d.NodeInformation)
      out.Add(hub, "InfoFails", "1");
    for (const auto& entry : d.Ports) {
      const Port& p = entry.second;
      const std::string section = Format("usbport:%s:%u", d.Name.c_str(), entry.first);
      out.AddSection(section);
      if (p.Connection && !p.Connection->Ok) {
        out.Add(section, "InfoFails", "1");
      } else if (p.Connection) {
        const std::vector<uint8_t>& c = p.Connection->Output;
        out.Add(section, "Status", std::to_string(Le32(c, 31)));
        out.Add(section, "Address", std::to_string(c.size() > 25 ? c[25] : 0));
        if (c.size() >= 22) out.Add(section, "Device", Hex(std::vector<uint8_t>(c.begin() + 4, c.begin() + 22)));
        if (c.size() > 24 && c[24] && !p.Hub) {
          if (!p.NameFailed) out.Note(section + ": a hub whose name was not asked for");
          else out.Note(section + ": a hub whose name request failed");
        }
      }
      if (p.Hub) out.Add(section, "Hub", *p.Hub);
      if (p.DriverKey) out.Add(section, "DriverKey", *p.DriverKey);
      if (p.Configuration) out.Add(section, "Configuration", Hex(*p.Configuration));
      for (const auto& s : p.Strings) {
        if (s.first == 0) {
          out.Add(section, "Languages", Hex(s.second));
        } else if (auto text = DescriptorText(s.second)) {
          out.Add(section, Format("String.%u", s.first), *text);
        } else {
          out.Note(Format("%s: string descriptor %u is not a plain UTF-16 text; left out", section.c_str(), s.first));
        }
      }
    }
  }
  for (const auto& m : messages_) out.Add("errormessages", std::to_string(m.first), m.second);
}

}  // namespace kestrova
