#pragma once
// Runtimes that answer through their own entry points: automation objects (the DAO and
// ADO versions) and the ASPI layer "wnaspi32.dll".
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrova {

class IAutomation {
 public:
  virtual ~IAutomation() = default;
  // Obtains an automation object for a programmatic identifier (the running one through
  // GetActiveObject, else a new one, in process or local server) and reads its property
  // `property` by name through IDispatch, as text. nullopt when no object is obtained;
  // an empty text when the object has no readable property of that name.
  virtual std::optional<std::string> ReadProperty(const std::string& progId, const std::string& property) = 0;
};

// The ASPI request blocks' status bytes.
constexpr uint8_t kAspiPending = 0x00;  // SS_PENDING
constexpr uint8_t kAspiComplete = 0x01;  // SS_COMP
constexpr uint8_t kAspiAborted = 0x02;   // SS_ABORTED

struct AspiDeviceType {
  uint8_t Status = 0;  // what SendASPI32Command returned
  uint8_t Type = 0;    // SRB_DeviceType
};

// One SC_EXEC_SCSI_CMD posted by event.
struct AspiExecResult {
  bool EventCreated = true;  // false: no event, nothing was sent
  bool TimedOut = false;     // the wait gave up (the request was aborted, or left pending)
  uint8_t Status = 0;        // the request block's status byte after the wait
  std::vector<uint8_t> Data; // the data buffer (data-in commands), its full length
};

class IAspi {
 public:
  virtual ~IAspi() = default;
  // Takes a loaded "wnaspi32.dll" or loads it (it then stays loaded) and resolves
  // GetASPI32SupportInfo and SendASPI32Command; true when the module and
  // GetASPI32SupportInfo are there.
  virtual bool Bind() = 0;
  virtual uint32_t GetSupportInfo() = 0;
  // SC_HA_INQUIRY: the return of SendASPI32Command.
  virtual uint8_t HostAdapterInquiry(uint8_t adapter) = 0;
  // SC_GET_DEV_TYPE.
  virtual AspiDeviceType GetDeviceType(uint8_t adapter, uint8_t target) = 0;
  // SC_EXEC_SCSI_CMD with `flags` (0x40 post by event, 0x48 data in as well), the CDB,
  // a data buffer of `dataLength` bytes and `senseLength`; a pending request is waited
  // for at most `waitMs` milliseconds.
  virtual AspiExecResult ExecScsi(uint8_t adapter, uint8_t target, uint8_t flags,
                                  const std::vector<uint8_t>& cdb, uint32_t dataLength,
                                  uint8_t senseLength, uint32_t waitMs) = 0;
};

}  // namespace kestrova
