#pragma once
// TTimeZone: the current time zone as GetTimeZoneInformation gives it, with the display
// name of the matching zone of the registry's "Time Zones" list and the two transition
// moments of the current year.
#include <optional>
#include <string>
#include <vector>

#include "engine/core/information.h"
#include "engine/platform/system.h"

namespace kestrova {

// A zone's "TZI" value: Bias, StandardBias, DaylightBias, StandardDate, DaylightDate.
struct TziRecord {
  int32_t Bias = 0, StandardBias = 0, DaylightBias = 0;
  SystemTimeFields StandardDate, DaylightDate;
};
constexpr size_t kTziSize = 44;
// Only a value of exactly 44 bytes is a TZI record.
std::optional<TziRecord> DecodeTzi(const std::vector<uint8_t>& data);

// The moment a SYSTEMTIME rule gives in `year`, as a date-time value: wMonth 0 gives 0; a
// non-zero wYear is an absolute moment; otherwise wDay 1 to 4 is the n-th wDayOfWeek of
// wMonth and 5 the last one (any other wDay gives day 0), plus the time of day. nullopt
// when the date or the time is invalid.
std::optional<double> TransitionMoment(const SystemTimeFields& rule, int year);

// The "Time Zones" key of the registry for a family.
const char* TimeZonesKey(bool nt);

class TOperatingSystem;

class TTimeZone : public TInformation {
 public:
  explicit TTimeZone(const EngineContext& context);
  void Refresh();

  const std::string& DisplayName() const { return displayName_; }
  const std::string& StandardName() const { return standardName_; }
  const std::string& DaylightName() const { return daylightName_; }
  double DaylightStart() const { return daylightStart_; }
  double StandardStart() const { return standardStart_; }
  int32_t Bias() const { return bias_; }
  int32_t DaylightBias() const { return daylightBias_; }  // Bias included
  int32_t StandardBias() const { return standardBias_; }  // Bias included

 protected:
  void WriteBlock(ReportWriter& out) const override;

 private:
  friend class TOperatingSystem;  // writes this block after its own
  std::string displayName_, standardName_, daylightName_;
  double daylightStart_ = 0, standardStart_ = 0;
  int32_t bias_ = 0, daylightBias_ = 0, standardBias_ = 0;
};

}  // namespace kestrova
