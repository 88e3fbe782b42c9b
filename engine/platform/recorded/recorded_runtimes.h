#pragma once
// Automation objects and the ASPI layer of a recorded machine.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/platform/recorded/ini.h"
#include "engine/platform/runtimes.h"

namespace kestrova {

struct RecordedScsiDevice {
  uint8_t Adapter = 0, Target = 0, Type = 0;
  uint8_t ReadyStatus = kAspiComplete;    // TEST UNIT READY's status byte
  uint8_t InquiryStatus = kAspiComplete;  // INQUIRY's
  bool Hangs = false;  // never completes: every wait on it runs out
  std::string Vendor, Product, Revision, VendorSpecific;
};

class RecordedRuntimes : public IAutomation, public IAspi {
 public:
  // --- the data ---------------------------------------------------------------------------
  // Automation objects: programmatic identifier (compared without case) -> property -> text.
  std::map<std::string, std::map<std::string, std::string>> Objects;
  bool AspiPresent = false;        // wnaspi32.dll with GetASPI32SupportInfo
  uint8_t AspiStatus = kAspiComplete;
  uint8_t HostAdapters = 0;
  std::vector<uint8_t> FailingAdapters;  // SC_HA_INQUIRY does not complete for these
  bool EventsFail = false;               // CreateEvent fails
  std::vector<RecordedScsiDevice> ScsiDevices;

  // --- what the engine did ----------------------------------------------------------------
  std::vector<uint32_t> Waits;  // the limit of every wait, in milliseconds
  std::vector<std::string> Commands;  // "exec A:T cdb0 flags"

  std::optional<std::string> ReadProperty(const std::string& progId, const std::string& property) override;

  bool Bind() override { return AspiPresent; }
  uint32_t GetSupportInfo() override { return uint32_t{AspiStatus} << 8 | HostAdapters; }
  uint8_t HostAdapterInquiry(uint8_t adapter) override;
  AspiDeviceType GetDeviceType(uint8_t adapter, uint8_t target) override;
  AspiExecResult ExecScsi(uint8_t adapter, uint8_t target, uint8_t flags, const std::vector<uint8_t>& cdb,
                          uint32_t dataLength, uint8_t senseLength, uint32_t waitMs) override;

 private:
  const RecordedScsiDevice* Find(uint8_t adapter, uint8_t target) const;
};

// [automation], [aspi] and [scsi:A:T] sections; false for any other section.
bool ApplyRuntimesSection(RecordedRuntimes& data, const IniSection& section, const std::string& fileName);

}  // namespace kestrova
