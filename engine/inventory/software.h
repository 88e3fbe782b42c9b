#pragma once
// TSoftware: the installed applications, from the uninstall information of the registry
// and from the per-user product records of the system installer.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/core/information.h"
#include "engine/platform/system.h"

namespace kestrova {

struct TSoftwareRecord {
  std::string Name;       // DisplayName
  std::string Version;    // DisplayVersion
  std::string Company;    // Publisher
  std::string Uninstall;  // UninstallString
  std::string Source;     // InstallSource
  double Date = 0;        // InstallDate, in days; 0 when absent or not a date
};

class TSoftware : public TInformation {
 public:
  static const char* const kUninstallKey;  // SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall
  static const char* const kUserDataKey;   // SOFTWARE\Microsoft\Windows\CurrentVersion\Installer\UserData

  explicit TSoftware(const EngineContext& context);

  uint32_t Count() const { return static_cast<uint32_t>(records_.size()); }
  void Refresh();
  // Copies record `index`; an index outside the list gives an empty record.
  void GetRecord(uint32_t index, TSoftwareRecord& record) const;

 protected:
  void WriteBlock(ReportWriter& out) const override;

 private:
  std::optional<TSoftwareRecord> ReadRecord(const std::string& key) const;
  std::vector<TSoftwareRecord> records_;
};

// "InstallDate" as written by installers: YYYYMMDD, else M/D/YYYY; 0 when neither is a
// date.
double ParseInstallDate(const std::string& text);


}  // namespace kestrova
