#pragma once
// TStartup: every program Windows starts by itself, from eighteen sources (Run-family
// keys of the machine and the user, the session manager, the logon settings, the user's
// load value, both Startup folders, WIN.INI, SYSTEM.INI and the browser helper objects).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/information.h"

namespace kestrova {

// The sources, in the order the class holds them.
enum class TStartupSource : uint8_t {
  HKCU_Run, HKLM_Run, HKCU_Once, HKLM_Once, HKCU_OnceEx, HKLM_OnceEx, HKLM_Services,
  HKLM_ServicesOnce, HKCU_Services, HKCU_ServicesOnce, HKLM_SessionManager, HKLM_WinLogon,
  HKCU_Load, UserStartup, CommonStartup, WIN_INI, SYSTEM_INI, BHO, Count_
};
constexpr size_t kStartupSourceCount = static_cast<size_t>(TStartupSource::Count_);

struct TStartupEntry {
  std::string Name;     // value name, shortcut name, INI key or a fixed name
  std::string Command;
};

class TStartup : public TInformation {
 public:
  // The source's name as the report names its section ("HKCU_Run", ...).
  static const char* SourceName(TStartupSource source);
  // The sources in the order of the report's sections.
  static const std::array<TStartupSource, kStartupSourceCount> kReportOrder;

  explicit TStartup(const EngineContext& context);

  // Empties every list and reads every source again.
  void Refresh();

  int Count(TStartupSource source) const { return static_cast<int>(List(source).size()); }
  // Entry `index` of a source; an index outside the list gives an empty text.
  std::string Name(TStartupSource source, int index) const;
  std::string Command(TStartupSource source, int index) const;
  const std::vector<TStartupEntry>& Entries(TStartupSource source) const { return List(source); }
  // The entries of all eighteen sources.
  int RunsCount() const;

 protected:
  void WriteBlock(ReportWriter& out) const override;

 private:
  const std::vector<TStartupEntry>& List(TStartupSource s) const { return lists_[static_cast<size_t>(s)]; }
  std::vector<TStartupEntry>& List(TStartupSource s) { return lists_[static_cast<size_t>(s)]; }
  void ReadRunKey(TStartupSource source);
  void ReadRunOnceEx(TStartupSource source);
  void ReadSessionManager();
  void ReadWinLogon();
  void ReadUserLoad();
  void ReadStartupFolder(TStartupSource source, int csidl);
  void ReadProfile(TStartupSource source, const char* file, const char* section,
                   const std::vector<std::string>& keys);
  void ReadBrowserHelpers();

  std::array<std::vector<TStartupEntry>, kStartupSourceCount> lists_;
};

// A RunOnceEx command as kept: every "||" removed, then every "|" made a blank.
std::string RunOnceExCommand(const std::string& data);

}  // namespace kestrova
