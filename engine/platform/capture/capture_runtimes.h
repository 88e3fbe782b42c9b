#pragma once
// Automation objects and the ASPI layer, captured: every call is passed on unchanged and
// its answer kept; Write lays them out as [automation], [aspi] and [scsi:A:T].
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/platform/capture/capture_output.h"
#include "engine/platform/runtimes.h"

namespace kestrova {

class CapturingAutomation final : public IAutomation {
 public:
  explicit CapturingAutomation(IAutomation& inner) : inner_(inner) {}
  std::optional<std::string> ReadProperty(const std::string& progId, const std::string& property) override;
  void Write(CaptureOutput& out) const;

 private:
  IAutomation& inner_;
  std::vector<std::pair<std::string, std::string>> asked_;  // (progId, property), in order
  std::map<std::string, std::optional<std::string>> answers_;  // "progId.property"
};

class CapturingAspi final : public IAspi {
 public:
  explicit CapturingAspi(IAspi& inner) : inner_(inner) {}
  bool Bind() override;
  uint32_t GetSupportInfo() override;
  uint8_t HostAdapterInquiry(uint8_t adapter) override;
  AspiDeviceType GetDeviceType(uint8_t adapter, uint8_t target) override;
  AspiExecResult ExecScsi(uint8_t adapter, uint8_t target, uint8_t flags, const std::vector<uint8_t>& cdb,
                          uint32_t dataLength, uint8_t senseLength, uint32_t waitMs) override;
  void Write(CaptureOutput& out) const;

 private:
  struct Device {
    std::optional<uint8_t> Type;
    std::optional<uint8_t> ReadyStatus, InquiryStatus;
    bool Hangs = false;
    std::vector<uint8_t> Inquiry;
  };
  IAspi& inner_;
  std::optional<bool> bound_;
  std::optional<uint32_t> support_;
  std::map<uint8_t, uint8_t> adapters_;  // SC_HA_INQUIRY status per adapter
  std::map<std::pair<uint8_t, uint8_t>, Device> devices_;
  bool eventsFail_ = false;
};

}  // namespace kestrova
