#pragma once
// TAPM: the power supply, from the system's power status.
#include <cstdint>

#include "engine/core/information.h"

namespace kestrova {

enum class TPowerStatus : uint8_t { psUnknown, psOffline, psOnline };
enum class TBatteryStatus : uint8_t { bsUnknown, bsHigh, bsLow, bsCritical, bsCharging, bsNoBattery };

extern const char* const kPowerStatusNames[3];    // "Unknown", "Offline", "Online"
extern const char* const kBatteryStatusNames[6];  // "Unknown", ... "No Battery"

TPowerStatus PowerStatusOf(uint8_t acLineStatus);
// The whole flag byte: combinations such as 9 (high and charging) are unknown.
TBatteryStatus BatteryStatusOf(uint8_t batteryFlag);

class TAPM : public TInformation {
 public:
  explicit TAPM(const EngineContext& context);
  void Refresh();

  TPowerStatus ACPowerStatus() const { return acPowerStatus_; }
  TBatteryStatus BatteryChargeStatus() const { return batteryChargeStatus_; }
  uint8_t BatteryLifePercent() const { return batteryLifePercent_; }
  uint32_t BatteryLifeTime() const { return batteryLifeTime_; }
  uint32_t BatteryLifeFullTime() const { return batteryLifeFullTime_; }

 protected:
  void WriteBlock(ReportWriter& out) const override;

 private:
  TPowerStatus acPowerStatus_ = TPowerStatus::psUnknown;
  TBatteryStatus batteryChargeStatus_ = TBatteryStatus::bsUnknown;
  uint8_t batteryLifePercent_ = 0;
  uint32_t batteryLifeTime_ = 0, batteryLifeFullTime_ = 0;
};

}  // namespace kestrova
