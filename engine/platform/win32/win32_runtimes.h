#pragma once
// Automation objects through ole32/oleaut32, and the ASPI layer "wnaspi32.dll".
#include "engine/platform/runtimes.h"

namespace kestrova::win32 {

class Win32Automation final : public IAutomation {
 public:
  std::optional<std::string> ReadProperty(const std::string& progId, const std::string& property) override;
};

class Win32Aspi final : public IAspi {
 public:
  bool Bind() override;
  uint32_t GetSupportInfo() override;
  uint8_t HostAdapterInquiry(uint8_t adapter) override;
  AspiDeviceType GetDeviceType(uint8_t adapter, uint8_t target) override;
  AspiExecResult ExecScsi(uint8_t adapter, uint8_t target, uint8_t flags, const std::vector<uint8_t>& cdb,
                          uint32_t dataLength, uint8_t senseLength, uint32_t waitMs) override;

 private:
  void* support_ = nullptr;  // GetASPI32SupportInfo
  void* send_ = nullptr;     // SendASPI32Command
};

}  // namespace kestrova::win32
