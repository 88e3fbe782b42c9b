#include "engine/platform/recorded/recorded_runtimes.h"

#include <algorithm>
#include <cstdio>

#include "engine/core/text.h"
#include "engine/platform/recorded/load_error.h"

namespace kestrova {

std::optional<std::string> RecordedRuntimes::ReadProperty(const std::string& progId, const std::string& property) {
  for (const auto& object : Objects) {
    if (!EqualsNoCase(object.first, progId)) continue;
    for (const auto& p : object.second)
      if (EqualsNoCase(p.first, property)) return p.second;
    return std::string();
  }
  return std::nullopt;
}

const RecordedScsiDevice* RecordedRuntimes::Find(uint8_t adapter, uint8_t target) const {
  for (const auto& d : ScsiDevices)
    if (d.Adapter == adapter && d.Target == target) return &d;
  return nullptr;
}

uint8_t RecordedRuntimes::HostAdapterInquiry(uint8_t adapter) {
  if (adapter >= HostAdapters) return 0x81;  // SS_INVALID_HA
  if (std::find(FailingAdapters.begin(), FailingAdapters.end(), adapter) != FailingAdapters.end()) return 0x04;
  return kAspiComplete;
}

AspiDeviceType RecordedRuntimes::GetDeviceType(uint8_t adapter, uint8_t target) {
  const RecordedScsiDevice* d = Find(adapter, target);
  if (!d) return {0x82, 0};  // SS_NO_DEVICE
  return {kAspiComplete, d->Type};
}

AspiExecResult RecordedRuntimes::ExecScsi(uint8_t adapter, uint8_t target, uint8_t flags, const std::vector<uint8_t>& cdb,
                                          uint32_t dataLength, uint8_t, uint32_t waitMs) {
  AspiExecResult r;
  if (EventsFail) {
    r.EventCreated = false;
    return r;
  }
  Commands.push_back(Format("exec %u:%u %02x %02x", adapter, target, cdb.empty() ? 0u : cdb[0], flags));
  Waits.push_back(waitMs);
  r.Data.assign(dataLength, 0);
  const RecordedScsiDevice* d = Find(adapter, target);
  if (!d) {
    r.Status = 0x82;
    return r;
  }
  if (d->Hangs) {
    r.TimedOut = true;
    r.Status = kAspiAborted;  // given up on and aborted
    return r;
  }
  const bool inquiry = !cdb.empty() && cdb[0] == 0x12;
  r.Status = inquiry ? d->InquiryStatus : d->ReadyStatus;
  if (inquiry && r.Status == kAspiComplete) {
    auto put = [&](size_t offset, size_t length, const std::string& text) {
      const std::string bytes = Utf8ToCp1252(text);
      for (size_t i = 0; i < length && i < bytes.size() && offset + i < r.Data.size(); ++i)
        r.Data[offset + i] = static_cast<uint8_t>(bytes[i]);
    };
    if (!r.Data.empty()) r.Data[0] = d->Type;
    put(8, 8, d->Vendor);
    put(16, 16, d->Product);
    put(32, 4, d->Revision);
    put(36, 20, d->VendorSpecific);
  }
  return r;
}

namespace {

uint64_t Num(const std::string& file, const IniEntry& e, const std::string& text, uint64_t max) {
  const std::string v = Trim(text);
  const bool hex = v.size() > 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X');
  const std::string digits = hex ? v.substr(2) : v;
  if (digits.empty() || digits.size() > (hex ? 16u : 19u) ||
      digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") != std::string::npos)
    throw LoadError(file, e.Line, "not a number: " + v);
  const uint64_t n = std::stoull(digits, nullptr, hex ? 16 : 10);
  if (n > max) throw LoadError(file, e.Line, "number out of range: " + v);
  return n;
}

}  // namespace

bool ApplyRuntimesSection(RecordedRuntimes& data, const IniSection& s, const std::string& file) {
  const std::string lower = ToLowerAscii(s.Name);
  auto unknown = [&](const IniEntry& e) {
    throw LoadError(file, e.Line, "unknown key '" + e.Key + "' in [" + s.Name + "]");
  };
  if (lower == "automation") {
    // ProgId.Property=text, e.g. adodb.connection.Version=2.81
    for (const IniEntry& e : s.Entries) {
      const size_t dot = e.Key.rfind('.');
      if (e.Key.empty() || dot == std::string::npos || dot == 0 || dot + 1 == e.Key.size())
        throw LoadError(file, e.Line, "expected ProgId.Property=text in [automation]");
      data.Objects[e.Key.substr(0, dot)][e.Key.substr(dot + 1)] = e.Value;
    }
  } else if (lower == "aspi") {
    for (const IniEntry& e : s.Entries) {
      const std::string k = ToLowerAscii(e.Key);
      if (k == "library") data.AspiPresent = Num(file, e, e.Value, 1) != 0;
      else if (k == "status") data.AspiStatus = static_cast<uint8_t>(Num(file, e, e.Value, 0xFF));
      else if (k == "hostadapters") data.HostAdapters = static_cast<uint8_t>(Num(file, e, e.Value, 0xFF));
      else if (k == "failingadapters") {
        for (const auto& a : Split(e.Value, ','))
          if (!Trim(a).empty()) data.FailingAdapters.push_back(static_cast<uint8_t>(Num(file, e, a, 0xFF)));
      } else if (k == "eventsfail") data.EventsFail = Num(file, e, e.Value, 1) != 0;
      else unknown(e);
    }
  } else if (StartsWith(lower, "scsi:")) {
    unsigned a = 0, t = 0;
    char tail = 0;
    if (std::sscanf(s.Name.c_str() + 5, "%u:%u%c", &a, &t, &tail) != 2 || a > 255 || t > 15)
      throw LoadError(file, s.Line, "SCSI devices are [scsi:ADAPTER:TARGET], target 0 to 15");
    RecordedScsiDevice d;
    d.Adapter = static_cast<uint8_t>(a);
    d.Target = static_cast<uint8_t>(t);
    for (const IniEntry& e : s.Entries) {
      const std::string k = ToLowerAscii(e.Key);
      if (k == "type") d.Type = static_cast<uint8_t>(Num(file, e, e.Value, 0x1F));
      else if (k == "readystatus") d.ReadyStatus = static_cast<uint8_t>(Num(file, e, e.Value, 0xFF));
      else if (k == "inquirystatus") d.InquiryStatus = static_cast<uint8_t>(Num(file, e, e.Value, 0xFF));
      else if (k == "hangs") d.Hangs = Num(file, e, e.Value, 1) != 0;
      else if (k == "vendor") d.Vendor = e.Value;
      else if (k == "product") d.Product = e.Value;
      else if (k == "revision") d.Revision = e.Value;
      else if (k == "vendorspecific") d.VendorSpecific = e.Value;
      else unknown(e);
    }
    data.ScsiDevices.push_back(d);
  } else {
    return false;
  }
  return true;
}

}  // namespace kestrova
