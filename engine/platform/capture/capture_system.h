#pragma once
// The system-facts tee: version, names, folders, clock, locale, keyboard, environment,
// RAS and time zone, kept as the first answer of each call ([version], [system],
// [locale], [keyboard], [environment], [ras]; the time zone goes into the registry, where
// a recording keeps it).
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/platform/capture/capture_output.h"
#include "engine/platform/capture/capture_registry.h"
#include "engine/platform/system.h"

namespace kestrova {

class CapturingSystem final : public ISystem {
 public:
  // `registry` receives the time zone's values (may be null: the time zone is then noted).
  CapturingSystem(const ISystem& inner, CapturingRegistry* registry) : inner_(inner), registry_(registry) {}

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
  std::optional<TimeZoneFacts> TimeZone() const override;
  std::optional<std::string> LocaleInfo(uint32_t locale, uint32_t lcType) const override;

  // Puts the time zone into the registry capture; call before the registry writes.
  void WriteRegistryFacts(CaptureOutput& out) const;
  void Write(CaptureOutput& out) const;

 private:
  const ISystem& inner_;
  CapturingRegistry* registry_;
  mutable std::optional<VersionFacts> version_;
  mutable std::optional<SystemFacts> system_;
  mutable std::optional<std::optional<std::string>> computer_, user_;
  mutable std::optional<std::string> windows_, systemDir_, temp_;
  mutable std::optional<uint32_t> tick_;
  mutable std::optional<LocalTime> now_;
  mutable std::optional<uint16_t> lang_;
  mutable std::optional<LocaleFacts> locale_;
  mutable std::optional<std::string> environment_;
  mutable std::map<std::string, std::optional<std::string>> variables_;  // upper-cased name
  mutable std::optional<int> serverR2_;
  mutable std::optional<uint32_t> kernelHigh_;
  mutable std::optional<std::array<uint8_t, 256>> keyboard_;
  mutable std::optional<RasEnumResult> ras_;
  mutable std::optional<std::optional<TimeZoneFacts>> timeZone_;
  mutable std::map<uint32_t, std::optional<std::string>> localeInfo_;  // by LCTYPE
  mutable std::vector<std::string> conflicts_;
};

}  // namespace kestrova
