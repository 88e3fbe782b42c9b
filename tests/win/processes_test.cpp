// Processes, services, drivers and the runtime sections over the real platform: the
// prefix's own processes and services, "Version IE" from its registry, and the five
// runtime sections whole. Times of "Processus" and "Services" are printed.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "engine/core/context.h"
#include "engine/core/system_info.h"
#include "engine/inventory/process_list.h"
#include "engine/os/engines.h"
#include "engine/os/shared_routines.h"
#include "sections/engines_sections.h"
#include "sections/process_sections.h"
#include "sections/report_log.h"
#include "tests/win/wine_env.h"

namespace kestrova::wintest {
namespace {

class TickAll : public IRunHost {
 public:
  bool IsCategoryTicked(const std::string&) const override { return true; }
  void SetStatusText(const std::string&) override {}
  void UpdateActionStates() override {}
  void SetBusyCursor(bool) override {}
};

struct Live {
  Live() : context(MakeEngineContext(Win32())), engine(context) {}
  std::vector<std::string> Section(const SectionWriter& writer, double* seconds = nullptr) {
    MemoryLog log;
    TickAll host;
    RunFlags flags;
    SectionContext ctx{engine, log, host, flags};
    const auto start = std::chrono::steady_clock::now();
    RunSection(writer, ctx);
    if (seconds) *seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(log.UpdateDepth(), 0);
    return log.Texts();
  }
  TProcessList& List() { return *engine.As<TProcessList>(TSystemInfo::Member::ProcessList); }
  EngineContext context;
  TSystemInfo engine;
};

std::string ExeName() {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s = path;
  return s.substr(s.find_last_of("\\/") + 1);
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(ProcessesOnWinXP, ThePrefixProcessesWithThisOneAmongThem) {
  Live live;
  double seconds = 0;
  const auto lines = live.Section(kProcessesWriter, &seconds);
  std::cout << "[ measure ] Processus: " << seconds * 1000 << " ms, " << lines.size() - 2 << " processes\n";
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[1], "Processus");
  EXPECT_TRUE(Contains(lines, " - " + ExeName())) << ExeName();
  EXPECT_TRUE(Contains(lines, " - services.exe"));
  // Sorted as the section prints them, and one line per process.
  std::vector<std::string> names(lines.begin() + 2, lines.end());
  for (auto& n : names) n = n.substr(3);
  EXPECT_EQ(names, SortedNoCase(names));
  EXPECT_EQ(names.size(), live.List().ProcessCount());
  // This process: opened, its image path, its modules and its owner.
  const DWORD self = ::GetCurrentProcessId();
  const TProcessInfo* me = nullptr;
  for (const auto& p : live.List().Processes())
    if (p.PID == self) me = &p;
  ASSERT_NE(me, nullptr);
  EXPECT_EQ(me->Name, ExeName());
  EXPECT_NE(me->ImageName.find(ExeName()), std::string::npos) << me->ImageName;
  EXPECT_GE(me->Modules.size(), 2u);
  EXPECT_FALSE(me->UserName.empty());
  EXPECT_GE(me->ThreadCount, 1u);
  EXPECT_GT(me->VMCounters[4], 0u);  // working set
}

// A service of the test's own with one service and one group to depend on, and one
// without; both deleted again.
class TestServices {
 public:
  TestServices() {
    manager_ = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!manager_) return;
    Create("KestrovaDependent", "Kestrova service dépendant", "RpcSs\0+TDI\0\0");
    Create("KestrovaAlone", "Kestrova service seul", nullptr);
  }
  ~TestServices() {
    for (SC_HANDLE s : services_) {
      ::DeleteService(s);
      ::CloseServiceHandle(s);
    }
    if (manager_) ::CloseServiceHandle(manager_);
  }
  bool Ready() const { return services_.size() == 2; }

 private:
  void Create(const char* name, const char* display, const char* dependencies) {
    const std::wstring wide = Widen(display);
    char ansi[128] = {};
    ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, ansi, sizeof ansi, nullptr, nullptr);
    SC_HANDLE s = ::CreateServiceA(manager_, name, ansi, SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                   SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, "C:\\windows\\system32\\notepad.exe",
                                   nullptr, nullptr, dependencies, nullptr, nullptr);
    if (s) services_.push_back(s);
  }
  static std::wstring Widen(const char* utf8) {
    wchar_t out[128] = {};
    ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, out, 128);
    return out;
  }
  SC_HANDLE manager_ = nullptr;
  std::vector<SC_HANDLE> services_;
};

// lpDependencies of QueryServiceConfigA, names joined by blanks.
std::string RawDependencies(const char* name) {
  SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  SC_HANDLE service = manager ? ::OpenServiceA(manager, name, SERVICE_QUERY_CONFIG) : nullptr;
  std::string out;
  DWORD needed = 0;
  if (service) ::QueryServiceConfigA(service, nullptr, 0, &needed);
  std::vector<uint8_t> buffer(needed + 1);
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
  if (service && needed && ::QueryServiceConfigA(service, config, needed, &needed) && config->lpDependencies)
    for (const char* p = config->lpDependencies; *p; p += std::strlen(p) + 1) out += std::string(out.empty() ? "" : " ") + p;
  if (service) ::CloseServiceHandle(service);
  if (manager) ::CloseServiceHandle(manager);
  return out;
}

TEST(ProcessesOnWinXP, ThePrefixServicesWithTheirDependencies) {
  TestServices own;
  ASSERT_TRUE(own.Ready());
  Live live;
  double seconds = 0;
  const auto lines = live.Section(kServicesWriter, &seconds);
  std::cout << "[ measure ] Services: " << seconds * 1000 << " ms, " << lines.size() - 2 << " services\n";
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[1], "Services");
  // What the manager itself answers for the dependent service, read here with the raw
  // calls (Wine keeps the dependencies in the registry but may not hand them back).
  const std::string raw = RawDependencies("KestrovaDependent");
  std::cout << "[ info ] the manager's dependency list of KestrovaDependent: \"" << raw << "\"\n";
  const std::string expected = raw.empty() ? "" : " (RpcSs +TDI)";
  EXPECT_TRUE(Contains(lines, " - Kestrova service dépendant" + expected)) << ::testing::PrintToString(lines);
  EXPECT_EQ(ReadRegistryText(Win32(), RootKey::LocalMachine, "SYSTEM\\CurrentControlSet\\Services\\KestrovaDependent",
                             "DependOnService", false), "RpcSs\r\n");
  EXPECT_TRUE(Contains(lines, " - Kestrova service seul"));
  for (const TServiceInfo& s : live.List().Services()) {
    EXPECT_FALSE(s.ServiceName.empty()) << s.DisplayName;
    EXPECT_GE(s.Status, 1) << s.DisplayName;
    const std::string line = s.Dependencies.empty() ? s.DisplayName : s.DisplayName + " (" + s.Dependencies + ")";
    EXPECT_TRUE(Contains(lines, " - " + line)) << line;
  }
  EXPECT_EQ(lines.size() - 2, live.List().ServiceCount());
}

TEST(ProcessesOnWinXP, DriversAndHandlesComeBack) {
  Live live;
  const auto lines = live.Section(kDriversWriter);
  EXPECT_EQ(lines[1], "Drivers");
  EXPECT_EQ(lines.size() - 2, live.List().DriverCount());
  // Every handle of the prefix described; names of File objects are never asked for, so
  // nothing here can wait on a pipe.
  live.List().SetDetectionRange({TDetectionType::dtHandles, TDetectionType::dtWindows});
  live.List().Refresh();
  for (const THandleInfo& h : live.List().Handles())
    if (h.TypeName == "File") {
      EXPECT_EQ(h.ObjectName, "");
    }
  EXPECT_GE(live.List().WindowCount(), 1u);
}

TEST(ProcessesOnWinXP, RuntimeSectionsWholeWithTheIeVersionOfThePrefix) {
  Live live;
  std::vector<std::string> all;
  for (const SectionWriter* w : {&kAspiWriter, &kDirectXWriter, &kOpenGLWriter, &kInternetWriter, &kDatabasesWriter}) {
    const auto lines = live.Section(*w);
    all.insert(all.end(), lines.begin(), lines.end());
  }
  ASSERT_EQ(all.size(), 5u * 2 + 1 + 1 + 1 + 2 + 4);
  const std::string version = ReadRegistryString(Win32(), RootKey::LocalMachine,
                                                 "SOFTWARE\\Microsoft\\Internet Explorer", "Version");
  ASSERT_FALSE(version.empty());
  EXPECT_EQ(all[11].rfind(" - Version IE : " + version, 0), 0u) << all[11];
  EXPECT_EQ(all[1], "ASPI");
  EXPECT_EQ(all[5], " - Version : 4.09.00.0904");
  EXPECT_EQ(all[14], "Moteurs Bases de données");
  EXPECT_EQ(all[16], " - DAO : ");  // not registered here
  // The ADO connection object is registered: it is obtained, whatever its Version says.
  const auto ado = Win32().Automation->ReadProperty("adodb.connection", "Version");
  EXPECT_TRUE(ado.has_value());
  std::cout << "[ info ] adodb.connection Version: " << (ado ? "\"" + *ado + "\"" : "no object") << "\n";
  EXPECT_FALSE(Win32().Automation->ReadProperty("DAO.DBEngine.36", "Version").has_value());
}

TEST(ProcessesOnWin98, ToolhelpOnlyAndNoDriversOrServices) {
  Live live;
  ASSERT_FALSE(live.context.OSInfo.IsNT);
  const auto processes = live.Section(kProcessesWriter);
  EXPECT_TRUE(Contains(processes, " - " + ExeName()));
  EXPECT_EQ(live.Section(kDriversWriter), (std::vector<std::string>{"", "Drivers"}));
  EXPECT_EQ(live.Section(kServicesWriter), (std::vector<std::string>{"", "Services"}));
  std::vector<std::string> all;
  for (const SectionWriter* w : {&kAspiWriter, &kDirectXWriter, &kOpenGLWriter, &kInternetWriter, &kDatabasesWriter}) {
    const auto lines = live.Section(*w);
    all.insert(all.end(), lines.begin(), lines.end());
  }
  EXPECT_EQ(all.size(), 5u * 2 + 1 + 1 + 1 + 2 + 4);
}

}  // namespace
}  // namespace kestrova::wintest
