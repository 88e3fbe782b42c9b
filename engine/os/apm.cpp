#include "engine/os/apm.h"

#include "engine/core/context.h"
#include "engine/core/format.h"

namespace kestrova {

const char* const kPowerStatusNames[3] = {"Unknown", "Offline", "Online"};
const char* const kBatteryStatusNames[6] = {"Unknown", "High", "Low", "Critical", "Charging", "No Battery"};

TPowerStatus PowerStatusOf(uint8_t acLineStatus) {
  switch (acLineStatus) {
    case 0: return TPowerStatus::psOffline;
    case 1: return TPowerStatus::psOnline;
    default: return TPowerStatus::psUnknown;  // 255: unknown
  }
}

TBatteryStatus BatteryStatusOf(uint8_t batteryFlag) {
  // flag  status
  static const struct { uint8_t Flag; TBatteryStatus Status; } kFlags[] = {
      {0, TBatteryStatus::bsHigh},     {1, TBatteryStatus::bsHigh},     {2, TBatteryStatus::bsLow},
      {4, TBatteryStatus::bsCritical}, {8, TBatteryStatus::bsCharging}, {128, TBatteryStatus::bsNoBattery},
  };
  for (const auto& f : kFlags)
    if (f.Flag == batteryFlag) return f.Status;
  return TBatteryStatus::bsUnknown;
}

TAPM::TAPM(const EngineContext& context) : TInformation(context) {
  SetExceptionModes({TExceptionMode::emExceptionStack});
}

void TAPM::Refresh() {
  acPowerStatus_ = TPowerStatus::psUnknown;
  batteryChargeStatus_ = TBatteryStatus::bsUnknown;
  batteryLifePercent_ = 0;
  batteryLifeTime_ = 0;
  batteryLifeFullTime_ = 0;
  IMemoryPower* mp = Context().Sys.MemoryPower;
  if (!mp) return;
  const auto status = mp->SystemPowerStatus();
  if (!status) return;
  acPowerStatus_ = PowerStatusOf(status->ACLineStatus);
  batteryChargeStatus_ = BatteryStatusOf(status->BatteryFlag);
  batteryLifePercent_ = status->BatteryLifePercent;
  batteryLifeTime_ = status->BatteryLifeTime;
  batteryLifeFullTime_ = status->BatteryFullLifeTime;
}

void TAPM::WriteBlock(ReportWriter& out) const {
  out.OpenClass("APM", "TAPM");
  out.String("ACPowerStatus", kPowerStatusNames[static_cast<size_t>(acPowerStatus_)]);
  out.String("BatteryChargeStatus", kBatteryStatusNames[static_cast<size_t>(batteryChargeStatus_)]);
  if (batteryLifePercent_ <= 100) {
    out.String("BatteryFullTime", FormatDuration(batteryLifeFullTime_, false));
    out.String("BatteryLifeTime", FormatDuration(batteryLifeTime_, false));
  }
  out.CloseClass("APM");
}

}  // namespace kestrova
