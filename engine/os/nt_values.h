#pragma once
// TNTSpecific: product type, installed suites, service pack numbers and the hotfixes of
// an NT system.
#include <string>
#include <vector>

#include "engine/core/information.h"
#include "engine/core/set.h"
#include "engine/os/osinfo.h"

namespace kestrova {

enum class TNtProductType : uint8_t { ptUnknown, ptWorkStation, ptServer, ptAdvancedServer, ptDataCenter, ptWeb };

enum class TNTSuite : uint8_t {
  suSmallBusiness, suEnterprise, suBackOffice, suCommunications, suTerminal, suSmallBusinessRestricted,
  suEmbeddedNT, suDataCenter, suSingleUserTS, suPersonal, suBlade, suEmbeddedRestricted
};
using TNTSuites = EnumSet<TNTSuite, 12>;  // 16 bits: bit n = member n = wSuiteMask bit n

// The product-type name for a kind of system ("Unknown" where no row applies).
std::string ProductTypeName(TOSVersionKind kind, TNtProductType type, TNTSuites suites);

class TOperatingSystem;

class TNTSpecific : public TInformation {
 public:
  explicit TNTSpecific(const EngineContext& context);
  void Refresh();

  TNtProductType ProductType() const { return productType_; }
  TNTSuites InstalledSuites() const { return installedSuites_; }
  uint16_t ServicePackMajorVersion() const { return servicePackMajor_; }
  uint16_t ServicePackMinorVersion() const { return servicePackMinor_; }
  const std::vector<std::string>& HotFixes() const { return hotFixes_; }  // "Q246009=description"
  std::string ProductTypeName(TNtProductType type) const;

 protected:
  void WriteBlock(ReportWriter& out) const override;

 private:
  friend class TOperatingSystem;  // writes this block after its own
  TNtProductType productType_ = TNtProductType::ptUnknown;
  TNTSuites installedSuites_;
  uint16_t servicePackMajor_ = 0, servicePackMinor_ = 0;
  std::vector<std::string> hotFixes_;
};

// A Name=Value line split at its first "=" (no "=": the whole line is the name).
std::pair<std::string, std::string> SplitNameValue(const std::string& line);

}  // namespace kestrova
