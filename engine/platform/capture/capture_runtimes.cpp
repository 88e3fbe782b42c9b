#include "engine/platform/capture/capture_runtimes.h"

#include "engine/core/text.h"

namespace kestrova {

// --- automation ------------------------------------------------------------------------------

std::optional<std::string> CapturingAutomation::ReadProperty(const std::string& progId, const std::string& property) {
  auto answer = inner_.ReadProperty(progId, property);
  const std::string key = progId + "." + property;
  if (!answers_.count(key)) asked_.emplace_back(progId, property);
  answers_[key] = answer;
  return answer;
}

void CapturingAutomation::Write(CaptureOutput& out) const {
  for (const auto& a : asked_) {
    const std::string key = a.first + "." + a.second;
    const auto& answer = answers_.at(key);
    if (!answer) continue;  // no object: nothing is written, and none is obtained again
    if (a.second.find('.') != std::string::npos || key.find('=') != std::string::npos) {
      out.Note("automation " + key + ": the name cannot be split again; left out");
      continue;
    }
    out.Add("automation", key, *answer);
  }
}

// --- ASPI ------------------------------------------------------------------------------------

bool CapturingAspi::Bind() {
  const bool ok = inner_.Bind();
  bound_ = ok;
  return ok;
}

uint32_t CapturingAspi::GetSupportInfo() {
  const uint32_t info = inner_.GetSupportInfo();
  support_ = info;
  return info;
}

uint8_t CapturingAspi::HostAdapterInquiry(uint8_t adapter) {
  const uint8_t status = inner_.HostAdapterInquiry(adapter);
  adapters_[adapter] = status;
  return status;
}

AspiDeviceType CapturingAspi::GetDeviceType(uint8_t adapter, uint8_t target) {
  const AspiDeviceType answer = inner_.GetDeviceType(adapter, target);
  if (answer.Status == kAspiComplete) devices_[{adapter, target}].Type = answer.Type;
  return answer;
}

AspiExecResult CapturingAspi::ExecScsi(uint8_t adapter, uint8_t target, uint8_t flags, const std::vector<uint8_t>& cdb,
                                       uint32_t dataLength, uint8_t senseLength, uint32_t waitMs) {
  AspiExecResult r = inner_.ExecScsi(adapter, target, flags, cdb, dataLength, senseLength, waitMs);
  if (!r.EventCreated) {
    eventsFail_ = true;
    return r;
  }
  Device& d = devices_[{adapter, target}];
  if (r.TimedOut) d.Hangs = true;
  const bool inquiry = !cdb.empty() && cdb[0] == 0x12;
  if (inquiry) {
    d.InquiryStatus = r.Status;
    if (r.Status == kAspiComplete) d.Inquiry = r.Data;
  } else {
    d.ReadyStatus = r.Status;
  }
  return r;
}

void CapturingAspi::Write(CaptureOutput& out) const {
  if (!bound_) return;
  out.Add("aspi", "Library", *bound_ ? "1" : "0");
  if (!*bound_) return;
  const uint8_t hostAdapters = support_ ? static_cast<uint8_t>(*support_ & 0xFF) : 0;
  if (support_) {
    out.Add("aspi", "Status", std::to_string((*support_ >> 8) & 0xFF));
    out.Add("aspi", "HostAdapters", std::to_string(hostAdapters));
  }
  std::string failing;
  for (const auto& a : adapters_) {
    if (a.second == kAspiComplete || a.first >= hostAdapters) continue;
    failing += (failing.empty() ? "" : ",") + std::to_string(a.first);
  }
  if (!failing.empty()) out.Add("aspi", "FailingAdapters", failing);
  if (eventsFail_) out.Add("aspi", "EventsFail", "1");

  for (const auto& entry : devices_) {
    const Device& d = entry.second;
    if (!d.Type) continue;  // the device-type query did not find one: no device
    const std::string section = Format("scsi:%u:%u", entry.first.first, entry.first.second);
    if (*d.Type > 0x1F) out.Note(section + ": a peripheral type above 31 is cut");
    out.Add(section, "Type", std::to_string(*d.Type & 0x1F));
    if (d.Hangs) out.Add(section, "Hangs", "1");
    if (d.ReadyStatus && !d.Hangs) out.Add(section, "ReadyStatus", std::to_string(*d.ReadyStatus));
    if (d.InquiryStatus && !d.Hangs) out.Add(section, "InquiryStatus", std::to_string(*d.InquiryStatus));
    if (!d.Inquiry.empty()) {
      // The inquiry texts at their places in the standard inquiry data, up to a NUL.
      auto text = [&](size_t offset, size_t length) {
        std::string bytes;
        for (size_t i = offset; i < offset + length && i < d.Inquiry.size() && d.Inquiry[i] != 0; ++i)
          bytes += static_cast<char>(d.Inquiry[i]);
        return Cp1252ToUtf8(bytes);
      };
      if ((d.Inquiry[0] & 0x1F) != (*d.Type & 0x1F)) out.Note(section + ": the inquiry's peripheral type differs from the device type");
      out.Add(section, "Vendor", text(8, 8));
      out.Add(section, "Product", text(16, 16));
      out.Add(section, "Revision", text(32, 4));
      out.Add(section, "VendorSpecific", text(36, 20));
    }
  }
}

}  // namespace kestrova
