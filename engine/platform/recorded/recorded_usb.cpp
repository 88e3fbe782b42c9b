#include "engine/platform/recorded/recorded_usb.h"

#include <algorithm>

#include "engine/core/text.h"
#include "engine/inventory/usb_descriptors.h"
#include "engine/platform/recorded/ini_values.h"
#include "engine/platform/recorded/load_error.h"

namespace kestrova {

namespace {

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  if (b.size() < at + 4) return 0;
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

UsbAnswer Failed() {
  UsbAnswer a;
  a.LastError = RecordedUsb::kFailureCode;
  return a;
}

// A name answer: the input's leading fields, ActualLength, then the UTF-16 name and its
// NUL, cut to the output size.
UsbAnswer NameAnswer(const std::vector<uint8_t>& input, size_t lengthAt, const std::string& name, uint32_t outputSize) {
  UsbAnswer a;
  a.Ok = true;
  std::vector<uint8_t>& out = a.Output;
  out.reserve(lengthAt + 4 + 2 * name.size() + 2);  // a UTF-8 name has no more characters than bytes
  out.assign(input.begin(), input.begin() + static_cast<long>(std::min(input.size(), lengthAt)));
  out.resize(lengthAt + 4, 0);
  for (size_t i = 0; i < name.size();) {
    const uint32_t cp = NextUtf8(name, i);
    out.push_back(static_cast<uint8_t>(cp));
    out.push_back(static_cast<uint8_t>(cp >> 8));
  }
  out.push_back(0);
  out.push_back(0);
  const uint32_t actual = static_cast<uint32_t>(out.size());
  for (int i = 0; i < 4; ++i) out[lengthAt + i] = static_cast<uint8_t>(actual >> (8 * i));
  if (out.size() > outputSize) out.resize(outputSize);
  return a;
}

}  // namespace

std::vector<uint8_t> StringDescriptorOf(const std::string& text) {
  std::vector<uint8_t> d{0, kDescriptorString};
  for (uint32_t cp : DecodeUtf8(text)) {
    if (d.size() >= 254) break;
    d.push_back(static_cast<uint8_t>(cp));
    d.push_back(static_cast<uint8_t>(cp >> 8));
  }
  d[0] = static_cast<uint8_t>(d.size());
  return d;
}

UsbHandle RecordedUsb::Open(const std::string& name) {
  std::string key = ToUpperAscii(name);
  if (!Controllers.count(key) && !Hubs.count(key)) return 0;
  // 0 names no handle, and a handle still open is not given twice (once the count wraps).
  while (next_ == 0 || Find(next_) != open_.end()) ++next_;
  UsbHandle h = next_++;
  open_.emplace_back(h, std::move(key));
  return h;
}

std::vector<std::pair<UsbHandle, std::string>>::iterator RecordedUsb::Find(UsbHandle handle) {
  return std::find_if(open_.begin(), open_.end(), [&](const auto& o) { return o.first == handle; });
}

void RecordedUsb::Close(UsbHandle handle) {
  auto it = Find(handle);
  if (it != open_.end()) open_.erase(it);
}

std::string RecordedUsb::ErrorMessage(uint32_t code) const {
  auto it = Messages.find(code);
  return it == Messages.end() ? std::string() : it->second;
}

UsbAnswer RecordedUsb::Request(UsbHandle handle, uint32_t code, const std::vector<uint8_t>& input, uint32_t outputSize) {
  ++Requests;
  auto h = Find(handle);
  if (h == open_.end()) {
    UsbAnswer bad;
    bad.LastError = 6;  // ERROR_INVALID_HANDLE
    return bad;
  }
  auto c = Controllers.find(h->second);
  if (c != Controllers.end()) {
    if (code == kIoctlGetHcdDriverKeyName && c->second.DriverKey)
      return NameAnswer(input, 0, *c->second.DriverKey, outputSize);
    if (code == kIoctlUsbGetRootHubName && c->second.RootHub) return NameAnswer(input, 0, *c->second.RootHub, outputSize);
    return Failed();
  }
  const RecordedUsbHub& hub = Hubs.at(h->second);
  if (code == kIoctlUsbGetNodeInformation) {
    if (hub.InfoFails) return Failed();
    UsbAnswer a;
    a.Ok = true;
    a.Output.assign(std::min<uint32_t>(kNodeInformationSize, outputSize), 0);
    // NodeType 0 (hub), then the hub descriptor: length 9, type 0x29, number of ports.
    const uint8_t head[] = {0, 0, 0, 0, 9, 0x29, hub.Ports};
    for (size_t i = 0; i < sizeof head && i < a.Output.size(); ++i) a.Output[i] = head[i];
    return a;
  }
  return Port(hub, code, input, outputSize);
}

UsbAnswer RecordedUsb::Port(const RecordedUsbHub& hub, uint32_t code, const std::vector<uint8_t>& input,
                            uint32_t outputSize) {
  auto p = hub.Port.find(Le32(input, 0));
  if (p == hub.Port.end()) return Failed();
  const RecordedUsbPort& port = p->second;
  switch (code) {
    case kIoctlUsbGetNodeConnectionInformation: {
      if (port.InfoFails) return Failed();
      UsbAnswer a;
      a.Ok = true;
      a.Output.assign(std::min<uint32_t>(35, outputSize), 0);  // no pipes listed
      auto put = [&](size_t at, uint8_t v) {
        if (at < a.Output.size()) a.Output[at] = v;
      };
      for (size_t i = 0; i < 4; ++i) put(i, input[i]);
      for (size_t i = 0; i < port.DeviceDescriptor.size() && i < 18; ++i) put(4 + i, port.DeviceDescriptor[i]);
      put(24, !port.Hub.empty());
      put(25, port.Address);
      for (size_t i = 0; i < 4; ++i) put(31 + i, static_cast<uint8_t>(port.Status >> (8 * i)));
      return a;
    }
    case kIoctlUsbGetNodeConnectionName:
      if (port.Hub.empty()) return Failed();
      return NameAnswer(input, 4, port.Hub, outputSize);
    case kIoctlUsbGetNodeConnectionDriverKeyName:
      if (!port.DriverKey) return Failed();
      return NameAnswer(input, 4, *port.DriverKey, outputSize);
    case kIoctlUsbGetDescriptorFromNodeConnection: {
      if (input.size() < kDescriptorRequestHeader) return Failed();
      const uint8_t type = input[7], index = input[6];
      const uint16_t length = static_cast<uint16_t>(input[10] | input[11] << 8);
      const std::vector<uint8_t>* d = nullptr;
      if (type == kDescriptorConfiguration && port.Configuration) d = &*port.Configuration;
      if (type == kDescriptorString && !port.StringsFail) {
        auto s = port.Strings.find(index);
        if (s != port.Strings.end()) d = &s->second;
      }
      if (!d) return Failed();
      UsbAnswer a;
      a.Ok = true;
      size_t n = std::min<size_t>({d->size(), length, outputSize > kDescriptorRequestHeader ? outputSize - kDescriptorRequestHeader : 0});
      a.Output.reserve(kDescriptorRequestHeader + n);
      a.Output.assign(input.begin(), input.begin() + kDescriptorRequestHeader);
      a.Output.insert(a.Output.end(), d->begin(), d->begin() + static_cast<long>(n));
      return a;
    }
    default:
      return Failed();
  }
}

// --- machine.ini ------------------------------------------------------------------------------

bool ApplyUsbSection(RecordedUsb& usb, const IniSection& s, const std::string& fileName) {
  const IniValues v(fileName);
  const std::string lower = ToLowerAscii(s.Name);
  auto each = [&](auto handle) {
    for (const IniEntry& e : s.Entries) {
      if (e.Key.empty()) v.Fail(e, "expected key=value in [" + s.Name + "]");
      if (!handle(e)) v.Fail(e, "unknown key '" + e.Key + "' in [" + s.Name + "]");
    }
  };
  if (StartsWith(lower, "usbcontroller:") && s.Name.size() > 14) {
    RecordedUsbController& c = usb.Controllers[ToUpperAscii(s.Name.substr(14))];
    each([&](const IniEntry& e) {
      if (EqualsNoCase(e.Key, "DriverKey")) c.DriverKey = e.Value;
      else if (EqualsNoCase(e.Key, "RootHub")) c.RootHub = e.Value;
      else return false;
      return true;
    });
    return true;
  }
  if (StartsWith(lower, "usbhub:") && s.Name.size() > 7) {
    RecordedUsbHub& h = usb.Hubs[ToUpperAscii(s.Name.substr(7))];
    each([&](const IniEntry& e) {
      if (EqualsNoCase(e.Key, "Ports")) h.Ports = static_cast<uint8_t>(v.Number(e, 255));
      else if (EqualsNoCase(e.Key, "InfoFails")) h.InfoFails = v.Flag(e);
      else return false;
      return true;
    });
    return true;
  }
  if (StartsWith(lower, "usbport:")) {
    const std::string rest = s.Name.substr(8);
    const size_t colon = rest.rfind(':');
    IniEntry number;
    number.Line = s.Line;
    number.Value = colon == std::string::npos ? "" : rest.substr(colon + 1);
    if (colon == std::string::npos || colon == 0) throw LoadError(fileName, s.Line, "expected [usbport:HUB NAME:PORT]");
    RecordedUsbPort& p = usb.Hubs[ToUpperAscii(rest.substr(0, colon))].Port[static_cast<uint32_t>(v.Number(number, 255))];
    each([&](const IniEntry& e) {
      const std::string key = ToLowerAscii(e.Key);
      if (key == "infofails") p.InfoFails = v.Flag(e);
      else if (key == "status") p.Status = static_cast<uint32_t>(v.Number(e, 0xFFFFFFFF));
      else if (key == "address") p.Address = static_cast<uint8_t>(v.Number(e, 255));
      else if (key == "hub") p.Hub = e.Value;
      else if (key == "driverkey") p.DriverKey = e.Value;
      else if (key == "device") p.DeviceDescriptor = v.HexBytes(e);
      else if (key == "configuration") p.Configuration = v.HexBytes(e);
      else if (key == "languages") p.Strings[0] = v.HexBytes(e);
      else if (key == "stringsfail") p.StringsFail = v.Flag(e);
      else if (StartsWith(key, "string.")) {
        IniEntry index = e;
        index.Value = e.Key.substr(7);
        p.Strings[static_cast<uint8_t>(v.Number(index, 255))] = StringDescriptorOf(e.Value);
      } else return false;
      return true;
    });
    return true;
  }
  if (lower == "errormessages") {
    each([&](const IniEntry& e) {
      IniEntry code = e;
      code.Value = e.Key;
      usb.Messages[static_cast<uint32_t>(v.Number(code, 0xFFFFFFFF))] = e.Value;
      return true;
    });
    return true;
  }
  return false;
}

}  // namespace kestrova
