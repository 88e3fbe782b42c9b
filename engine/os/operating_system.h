#pragma once
// TOperatingSystem: version numbers and platform, registration data, product identifier,
// install date, DVD region, environment, the well-known folders and the default
// language; owner of TTimeZone, TNTSpecific, TInternet and TLocaleInfo.
#include <memory>
#include <string>
#include <vector>

#include "engine/core/information.h"
#include "engine/os/internet.h"
#include "engine/os/locale_info.h"
#include "engine/os/nt_values.h"
#include "engine/os/time_zone.h"

namespace kestrova {

enum class TOSPlatform : uint8_t { opWin31, opWin9x, opWinNT };

// An MS-DOS date (high word) and time (low word) as a date-time value, no time-zone
// conversion; an invalid date part or time part counts as 0.
double DosDateTimeToDateTime(uint32_t dosDateTime);
// Seconds since 1 January 1970 00:00 as a date-time value, no time-zone conversion.
double UnixSecondsToDateTime(uint32_t seconds);

class TOperatingSystem : public TInformation {
 public:
  // CSIDL of each shell folder of the Folders list, in list order.
  struct ShellFolderRow {
    const char* Name;
    int Csidl;
  };
  static const ShellFolderRow kShellFolders[29];

  explicit TOperatingSystem(const EngineContext& context);
  ~TOperatingSystem() override;
  void Refresh();

  int MajorVersion() const { return majorVersion_; }
  int MinorVersion() const { return minorVersion_; }
  int BuildNumber() const { return buildNumber_; }
  TOSPlatform Platform() const { return platform_; }
  const std::string& Version() const { return version_; }
  const std::string& CSD() const { return csd_; }
  const std::string& ProductID() const { return productId_; }
  const std::string& RegisteredUser() const { return registeredUser_; }
  const std::string& RegisteredOrg() const { return registeredOrg_; }
  TTimeZone& TimeZone() const { return *timeZone_; }
  const std::vector<std::string>& Environment() const { return environment_; }
  const std::vector<std::string>& Folders() const { return folders_; }
  TNTSpecific& NTSpecific() const { return *ntSpecific_; }
  const std::string& DVDRegion() const { return dvdRegion_; }
  TInternet& Internet() const { return *internet_; }
  TLocaleInfo& LocaleInfo() const { return *localeInfo_; }
  const std::string& LanguageID() const { return languageId_; }
  double InstallDate() const { return installDate_; }

 protected:
  void WriteBlock(ReportWriter& out) const override;
  std::vector<TInformation*> OwnedObjects() override {
    return {internet_.get(), localeInfo_.get(), ntSpecific_.get(), timeZone_.get()};
  }

 private:
  void ReadCurrentVersionKey();
  std::unique_ptr<TTimeZone> timeZone_;
  std::unique_ptr<TNTSpecific> ntSpecific_;
  std::unique_ptr<TInternet> internet_;
  std::unique_ptr<TLocaleInfo> localeInfo_;
  int majorVersion_ = 0, minorVersion_ = 0, buildNumber_ = 0;
  TOSPlatform platform_ = TOSPlatform::opWin31;
  std::string version_, csd_, productId_, registeredUser_, registeredOrg_, dvdRegion_, languageId_;
  std::vector<std::string> environment_, folders_;
  double installDate_ = 0;
};

}  // namespace kestrova
