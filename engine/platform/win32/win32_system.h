#pragma once
// ISystem over the running Windows.
#include "engine/platform/system.h"

namespace kestrova::win32 {

class Win32System final : public ISystem {
 public:
  VersionFacts Version() const override;
  SystemFacts SystemInfo() const override;
  std::optional<std::string> ComputerName() const override;
  std::optional<std::string> UserName() const override;
  std::string WindowsDirectory() const override;
  std::string SystemDirectory() const override;
  std::string TempPath() const override;
  uint32_t TickCount() const override;
  LocalTime Now() const override;
  uint16_t SystemDefaultLangID() const override;
  LocaleFacts Locale() const override;
  std::string EnvironmentBlock() const override;
  std::optional<std::string> EnvironmentVariable(const std::string& name) const override;
  int ServerR2Metric() const override;
  uint32_t KernelVersionHigh() const override;
  std::array<uint8_t, 256> KeyboardState() const override;
  RasEnumResult EnumRasConnections() const override;
  // win32_time_zone.cpp
  std::optional<TimeZoneFacts> TimeZone() const override;
  std::optional<std::string> LocaleInfo(uint32_t locale, uint32_t lcType) const override;
};

}  // namespace kestrova::win32
