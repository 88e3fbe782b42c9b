// Processes, services, drivers and the runtime sections over the real platform: the
// prefix's own processes and services, "Version IE" from its registry, and the five
// runtime sections whole. Times of "Processus" and "Services" are printed.
#include <windows.h>

#include <algorithm>
#include <chrono>
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

TEST(ProcessesOnWinXP, ThePrefixServicesWithTheirDependencies) {
  Live live;
  double seconds = 0;
  const auto lines = live.Section(kServicesWriter, &seconds);
  std::cout << "[ measure ] Services: " << seconds * 1000 << " ms, " << lines.size() - 2 << " services\n";
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[1], "Services");
  size_t withDependencies = 0;
  for (const TServiceInfo& s : live.List().Services()) {
    EXPECT_FALSE(s.ServiceName.empty()) << s.DisplayName;
    EXPECT_GE(s.Status, 1) << s.DisplayName;
    const std::string line = s.Dependencies.empty() ? s.DisplayName : s.DisplayName + " (" + s.Dependencies + ")";
    EXPECT_TRUE(Contains(lines, " - " + line)) << line;
    if (!s.Dependencies.empty()) ++withDependencies;
  }
  EXPECT_EQ(lines.size() - 2, live.List().ServiceCount());
  EXPECT_GE(withDependencies, 1u);
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
    if (h.TypeName == "File") EXPECT_EQ(h.ObjectName, "");
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
  EXPECT_EQ(all[10].rfind(" - Version IE : " + version, 0), 0u) << all[10];
  EXPECT_EQ(all[4], " - Version : 4.09.00.0904");
  EXPECT_EQ(all[1], "ASPI");
  EXPECT_EQ(all[13], "Moteurs Bases de données");
  // ADO answers through automation here; DAO is not registered.
  EXPECT_NE(all[14], " - ADO : ");
  EXPECT_EQ(all[15], " - DAO : ");
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
