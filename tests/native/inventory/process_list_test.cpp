// TProcessList and the "Processus", "Drivers" and "Services" sections on the recorded
// machines, and its edge cases on small built machines.
#include <gtest/gtest.h>

#include <map>

#include "engine/core/context.h"
#include "engine/core/system_info.h"
#include "engine/inventory/process_list.h"
#include "engine/platform/recorded/recorded_machine.h"
#include "sections/process_sections.h"
#include "../app/fake_host.h"

namespace kestrova {
namespace {

std::string MachineDir(const char* name) { return std::string(KESTROVA_FIXTURES) + "/machines/" + name; }

struct ListRun {
  explicit ListRun(const char* name) : machine(LoadRecordedMachine(MachineDir(name))) {
    context = MakeEngineContext(machine->View());
    engine = std::make_unique<TSystemInfo>(context);
  }
  std::vector<std::string> Section(const SectionWriter& writer) {
    MemoryLog log;
    kestrova::testing::FakeHost host;
    host.TickOnly({writer.Caption});
    RunFlags flags;
    SectionContext ctx{*engine, log, host, flags};
    RunSection(writer, ctx);
    EXPECT_EQ(log.UpdateDepth(), 0);
    return log.Texts();
  }
  TProcessList& List() { return *engine->As<TProcessList>(TSystemInfo::Member::ProcessList); }
  const TProcessInfo* Process(uint32_t pid) {
    for (const auto& p : List().Processes())
      if (p.PID == pid) return &p;
    return nullptr;
  }
  std::unique_ptr<RecordedMachine> machine;
  EngineContext context;
  std::unique_ptr<TSystemInfo> engine;
};

TEST(ProcessSections, WindowsXp) {
  ListRun run("xp-sp2-p4ht");
  EXPECT_EQ(run.Section(kProcessesWriter),
            (std::vector<std::string>{"", "Processus", " - [System Idle Process]", " - csrss.exe", " - explorer.exe",
                                      " - lsass.exe", " - services.exe", " - smss.exe", " - spoolsv.exe",
                                      " - svchost.exe", " - svchost.exe", " - System", " - winlogon.exe"}));
  EXPECT_EQ(run.Section(kDriversWriter),
            (std::vector<std::string>{"", "Drivers", " - \\SystemRoot\\System32\\DRIVERS\\ACPI.sys",
                                      " - \\SystemRoot\\System32\\DRIVERS\\atapi.sys",
                                      " - \\SystemRoot\\System32\\DRIVERS\\i8042prt.sys",
                                      " - \\SystemRoot\\System32\\Drivers\\Ntfs.sys",
                                      " - \\SystemRoot\\System32\\DRIVERS\\nv4_mini.sys",
                                      " - \\SystemRoot\\System32\\DRIVERS\\RTL8023xp.sys",
                                      " - \\SystemRoot\\system32\\KDCOM.DLL", " - \\WINDOWS\\system32\\hal.dll",
                                      " - \\WINDOWS\\system32\\ntkrnlpa.exe"}));
  EXPECT_EQ(run.Section(kServicesWriter),
            (std::vector<std::string>{"", "Services", " - Appel de procédure distante (RPC)",
                                      " - Avertissement (LanmanWorkstation)", " - Client DHCP (Tcpip Afd NetBT)",
                                      " - Journal des événements", " - Mises à jour automatiques",
                                      " - Planificateur de sauvegarde", " - Spouleur d'impression (RPCSS)",
                                      " - Station de travail (MRxSmb +TDI)"}));
  // The range stays as the last writer left it.
  EXPECT_EQ(run.List().DetectionRange(), TDetectionRange{TDetectionType::dtServices});
}

TEST(ProcessSections, Windows98HasProcessesOnlyFromToolhelp) {
  ListRun run("win98se-p3");
  EXPECT_EQ(run.Section(kProcessesWriter),
            (std::vector<std::string>{"", "Processus", " - EXPLORER.EXE", " - KERNEL32.DLL", " - mmtask.tsk",
                                      " - MPREXE.EXE", " - MSGSRV32.EXE", " - SETUP.EXE", " - SYSTRAY.EXE"}));
  EXPECT_EQ(run.Section(kDriversWriter), (std::vector<std::string>{"", "Drivers"}));
  EXPECT_EQ(run.Section(kServicesWriter), (std::vector<std::string>{"", "Services"}));
  EXPECT_TRUE(run.machine->Processes.EnabledPrivileges.empty());  // nothing of the NT family is bound
}

TEST(ProcessList, Windows98KeepsSnapshotFieldsAndFindsThreadsAndPaths) {
  ListRun run("win98se-p3");
  run.List().Refresh();
  const TProcessInfo* explorer = run.Process(0xFFF2E6F1);
  ASSERT_NE(explorer, nullptr);
  EXPECT_EQ(explorer->ImageName, "C:\\WINDOWS\\EXPLORER.EXE");
  EXPECT_EQ(explorer->ParentPID, 0xFFF39E09u);
  EXPECT_EQ(explorer->ModuleID, 0x331u);
  EXPECT_EQ(explorer->DefaultHeapID, 0x00C20000u);
  EXPECT_EQ(explorer->Threads.size(), 9u);
  EXPECT_EQ(explorer->Modules.size(), 2u);  // from the module snapshot
  EXPECT_EQ(explorer->Modules[1].Name, "KERNEL32.DLL");
  // A file found nowhere keeps the snapshot's own path.
  const TProcessInfo* setup = run.Process(0xFFF1D00D);
  ASSERT_NE(setup, nullptr);
  EXPECT_EQ(setup->ImageName, "A:\\SETUP.EXE");
  EXPECT_EQ(run.List().ThreadCount(), 6u + 1 + 2 + 1 + 9 + 1 + 1);
}

TEST(ProcessList, XpMergesBothPassesAndReadsTheToken) {
  ListRun run("xp-sp2-p4ht");
  TProcessList& list = run.List();
  list.SetDetectionRange({TDetectionType::dtProcesses});
  list.Refresh();
  EXPECT_EQ(list.ProcessCount(), 11u);  // each process once, though both passes saw it

  const TProcessInfo* smss = run.Process(548);
  ASSERT_NE(smss, nullptr);
  EXPECT_EQ(smss->Name, "smss.exe");
  // The first module's path names no file, so the executable is looked up in the folders.
  EXPECT_EQ(smss->ImageName, "C:\\WINDOWS\\system32\\smss.exe");
  EXPECT_EQ(smss->UserName, "AUTORITE NT/SYSTEM");
  EXPECT_EQ(smss->Groups, (std::vector<std::string>{"BUILTIN/Administrateurs", "Tout le monde"}));
  EXPECT_EQ(smss->Privileges, (std::vector<std::string>{"SeTcbPrivilege", "SeDebugPrivilege"}));
  EXPECT_EQ(smss->KernelTime, 312500);  // the native pass's times and counters
  EXPECT_EQ(smss->VMCounters[4], 389120u);
  EXPECT_EQ(smss->IOCounters[5], 11210u);
  EXPECT_EQ(smss->HandleCount, 19u);
  ASSERT_EQ(smss->Modules.size(), 2u);
  EXPECT_EQ(smss->Modules[1].EntryPoint, 0x7C913156u);

  // csrss.exe cannot be opened: snapshot and native fields only.
  const TProcessInfo* csrss = run.Process(612);
  ASSERT_NE(csrss, nullptr);
  EXPECT_EQ(csrss->Name, "csrss.exe");
  EXPECT_EQ(csrss->ParentPID, 548u);
  EXPECT_EQ(csrss->ThreadCount, 11u);
  EXPECT_EQ(csrss->Threads.size(), 11u);
  EXPECT_EQ(csrss->ImageName, "C:\\WINDOWS\\system32\\csrss.exe");  // found in the system folder
  EXPECT_TRUE(csrss->Modules.empty());
  EXPECT_TRUE(csrss->UserName.empty());
  EXPECT_TRUE(csrss->Groups.empty());
  EXPECT_TRUE(csrss->Privileges.empty());

  const TProcessInfo* explorer = run.Process(1640);
  ASSERT_NE(explorer, nullptr);
  EXPECT_EQ(explorer->UserName, "BUREAU-01/Jean");
  EXPECT_EQ(explorer->VersionInfo.FileDescription, "Explorateur Windows");
  EXPECT_EQ(run.Process(0)->Name, "[System Idle Process]");
  EXPECT_TRUE(list.Services().empty());
  EXPECT_TRUE(list.Drivers().empty());
}

TEST(ProcessList, ConstructorBindsTheNtLibrariesAndFreesWhatItLoaded) {
  auto machine = LoadRecordedMachine(MachineDir("xp-sp2-p4ht"));
  const EngineContext context = MakeEngineContext(machine->View());
  {
    TProcessList list(context);
    EXPECT_EQ(machine->Processes.EnabledPrivileges,
              (std::vector<std::string>{"SeDebugPrivilege", "SeSecurityPrivilege"}));
    EXPECT_TRUE(list.ProcessStatusBound());
    EXPECT_TRUE(list.NativeBound());
    EXPECT_TRUE(list.ServicesBound());
    EXPECT_EQ(machine->LoadedLibraries(), std::vector<std::string>{"PSAPI.DLL"});  // ADVAPI32 was loaded already
    EXPECT_EQ(list.DetectionRange().Bits(), 0x1F);
  }
  EXPECT_TRUE(machine->LoadedLibraries().empty());
}

TEST(ProcessList, WithoutPsapiNoProcessIsOpened) {
  auto machine = LoadRecordedMachine(MachineDir("xp-sp2-p4ht"));
  machine->Libraries.erase("PSAPI.DLL");
  const EngineContext context = MakeEngineContext(machine->View());
  TProcessList list(context);
  list.SetDetectionRange({TDetectionType::dtProcesses});
  list.Refresh();
  EXPECT_EQ(machine->Processes.OpenCalls, 0u);
  EXPECT_EQ(list.ProcessCount(), 11u);
}

TEST(ProcessList, AggregateNarrowsTheRangeToProcesses) {
  ListRun run("xp-sp2-p4ht");
  EXPECT_EQ(run.List().DetectionRange(), TDetectionRange{TDetectionType::dtProcesses});
}

TEST(DetectionRange, OneBitPerKind) {
  const std::pair<TDetectionType, uint8_t> bits[] = {
      {TDetectionType::dtProcesses, 0x01}, {TDetectionType::dtServices, 0x02}, {TDetectionType::dtDrivers, 0x04},
      {TDetectionType::dtHandles, 0x08}, {TDetectionType::dtWindows, 0x10}};
  for (const auto& b : bits) EXPECT_EQ(TDetectionRange{b.first}.Bits(), b.second);
}

TEST(ProcessList, EachKindIsReadOnlyWhenItsRangeSaysSo) {
  ListRun run("xp-sp2-p4ht");
  TProcessList& list = run.List();
  list.SetDetectionRange({TDetectionType::dtHandles, TDetectionType::dtWindows});
  list.Refresh();
  EXPECT_EQ(list.ProcessCount(), 0u);
  EXPECT_EQ(list.ServiceCount(), 0u);
  EXPECT_EQ(list.DriverCount(), 0u);
  ASSERT_EQ(list.HandleCount(), 4u);
  EXPECT_EQ(list.Handles()[0].TypeName, "Process");
  EXPECT_EQ(list.Handles()[3].TypeName, "File");
  // The window tree depth-first: the desktop, the tray and its button, then Progman.
  ASSERT_EQ(list.WindowCount(), 4u);
  const char* const order[] = {"#32769", "Shell_TrayWnd", "Button", "Progman"};
  const uint32_t depth[] = {0, 1, 2, 1};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(list.Windows()[i].Facts.ClassName, order[i]);
    EXPECT_EQ(list.Windows()[i].Depth, depth[i]);
  }
}

TEST(ProcessList, ServicesKeepWhatCouldBeRead) {
  ListRun run("xp-sp2-p4ht");
  TProcessList& list = run.List();
  list.SetDetectionRange({TDetectionType::dtServices});
  list.Refresh();
  ASSERT_EQ(list.ServiceCount(), 8u);  // the kernel driver i8042prt is not a Win32 service
  auto find = [&](const std::string& key) {
    for (const auto& s : list.Services())
      if (s.ServiceName == key) return s;
    return TServiceInfo{};
  };
  const TServiceInfo rpc = find("RpcSs");
  EXPECT_EQ(rpc.Dependencies, "");
  EXPECT_EQ(rpc.Status, 4);
  EXPECT_EQ(rpc.ServiceType, 5u);  // 0x20: "Shared Process"
  const TServiceInfo backup = find("Nero BackItUp Scheduler");
  EXPECT_EQ(backup.ImageName, "C:\\Program Files\\Fichiers communs\\Ahead\\Lib\\NBService.exe");
  EXPECT_EQ(backup.ServiceType, 0u);  // 0x110 is none of the seven codes
  const TServiceInfo updates = find("wuauserv");
  EXPECT_EQ(updates.Status, -1);
  EXPECT_EQ(updates.ImageName, "");
  EXPECT_EQ(updates.ObjectName, "");
  const TServiceInfo dhcp = find("Dhcp");
  EXPECT_EQ(dhcp.LoadOrderGroup, "TDI");
  EXPECT_EQ(dhcp.StartType, 2u);
  EXPECT_EQ(dhcp.ErrorControl, 1u);
  EXPECT_EQ(list.GetService(99).DisplayName, "");
  EXPECT_EQ(list.GetProcess(99).PID, 0u);
  EXPECT_EQ(list.GetDriver(99).Name, "");
}

TEST(ProcessList, EachFileVersionIsReadOncePerRefresh) {
  ListRun run("xp-sp2-p4ht");
  struct CountingFiles : IFiles {
    const IFiles& Inner;
    mutable std::map<std::string, int> Reads;
    explicit CountingFiles(const IFiles& inner) : Inner(inner) {}
    std::optional<uint32_t> Attributes(const std::string& path) const override { return Inner.Attributes(path); }
    std::optional<std::vector<DirectoryEntry>> ListDirectory(const std::string& path) const override {
      return Inner.ListDirectory(path);
    }
    std::optional<VersionResource> ReadVersionResource(const std::string& path) const override {
      ++Reads[path];
      return Inner.ReadVersionResource(path);
    }
  } files(*run.machine);
  Platform view = run.machine->View();
  view.Files = &files;
  const EngineContext context = MakeEngineContext(view);
  TProcessList list(context);
  list.SetDetectionRange({TDetectionType::dtProcesses, TDetectionType::dtServices});
  list.Refresh();
  ASSERT_FALSE(files.Reads.empty());
  // Both process passes and every service of one image read the same files: once each.
  for (const auto& [path, count] : files.Reads) EXPECT_EQ(count, 1) << path;
  const auto first = files.Reads;
  list.Refresh();  // kept for one refresh only
  for (const auto& [path, count] : files.Reads) EXPECT_EQ(count, 2) << path;
  EXPECT_EQ(files.Reads.size(), first.size());
}

TEST(ProcessList, ServiceManagerThatDoesNotOpenListsNothing) {
  ListRun run("xp-sp2-p4ht");
  run.machine->Processes.ManagerOpens = false;
  EXPECT_EQ(run.Section(kServicesWriter), (std::vector<std::string>{"", "Services"}));
}

TEST(ProcessList, AnAccountThatCannotBeLookedUpIsItsSidAfterTenTries) {
  RecordedMachine machine;
  machine.VersionData = {5, 1, 2600, 2, "Service Pack 2"};
  machine.Libraries["PSAPI.DLL"] = {true, {"EnumProcessModules", "GetModuleFileNameExA", "GetModuleInformation"}, false};
  machine.Libraries["NTDLL.DLL"] = {true, {"NtQuerySystemInformation", "NtQueryObject"}, false};
  struct CountingLookups : RecordedProcesses {
    int Lookups = 0;
    AccountLookup LookupAccount(const std::vector<uint8_t>& sid) override {
      ++Lookups;
      auto a = RecordedProcesses::LookupAccount(sid);
      if (a.Name.empty()) a.Error = 1789;  // ERROR_TRUSTED_RELATIONSHIP_FAILURE: worth asking again
      return a;
    }
  } processes;
  RecordedProcess p;
  p.PID = 300;
  p.ImageName = p.ExeFile = "a.exe";
  p.UserSid = SidFromText("S-1-5-21-1-2-3-500");
  processes.Processes = {p};
  Platform view = machine.View();
  view.Processes = &processes;
  const EngineContext context = MakeEngineContext(view);
  TProcessList list(context);
  list.SetDetectionRange({TDetectionType::dtProcesses});
  list.Refresh();
  ASSERT_EQ(list.ProcessCount(), 1u);
  EXPECT_EQ(list.GetProcess(0).UserName, "S-1-5-21-1-2-3-500");
  // Ten tries, once: the native pass meets the same SID again (the process never shows a
  // module) and takes the answer of the toolhelp pass.
  EXPECT_EQ(processes.Lookups, 10);
  list.Refresh();  // answers are kept for one refresh only: the next one asks again
  EXPECT_EQ(list.GetProcess(0).UserName, "S-1-5-21-1-2-3-500");
  EXPECT_EQ(processes.Lookups, 20);
}

TEST(ProcessList, NamesLongerThan255CharactersAreCut) {
  ListRun run("xp-sp2-p4ht");
  RecordedProcess p;
  p.PID = 2000;
  p.ImageName = std::string(250, 'a') + "éééééééééé.exe";
  p.Opens = false;
  run.machine->Processes.Processes.push_back(p);
  run.List().Refresh();
  const TProcessInfo* long_ = run.Process(2000);
  ASSERT_NE(long_, nullptr);
  EXPECT_EQ(long_->Name, std::string(250, 'a') + "ééééé");
}

// --- name tables ------------------------------------------------------------------------------

TEST(ServiceNames, EveryRowOfTheTables) {
  const char* const start[] = {"Boot", "System", "Automatic", "Manual", "Disabled"};
  for (uint32_t i = 0; i < 5; ++i) EXPECT_STREQ(ServiceStartTypeName(i), start[i]);
  EXPECT_STREQ(ServiceStartTypeName(5), "");
  const char* const states[] = {"Stopped", "Start/Pending", "Stop/Pending", "Running", "Continue/Pending",
                                "Pause/Pending", "Paused"};
  for (int32_t i = 1; i <= 7; ++i) EXPECT_STREQ(ServiceStatusName(i), states[i - 1]);
  EXPECT_STREQ(ServiceStatusName(-1), "");
  EXPECT_STREQ(ServiceStatusName(0), "");
  EXPECT_STREQ(ServiceStatusName(8), "");
  EXPECT_STREQ(ServiceErrorControlName(0), "Ignore");
  EXPECT_STREQ(ServiceErrorControlName(1), "Normal");
  EXPECT_STREQ(ServiceErrorControlName(2), "");
  const char* const types[] = {"Kernel Driver", "File System Driver", "Adapter", "Recognizer Driver", "Own Process",
                               "Shared Process", "Desktop Interactive Driver"};
  const uint32_t codes[] = {1, 2, 4, 8, 16, 32, 256};
  for (uint32_t i = 0; i < 7; ++i) {
    EXPECT_STREQ(ServiceTypeName(i), types[i]);
    EXPECT_EQ(ServiceTypeIndex(codes[i]), i) << codes[i];
  }
  for (uint32_t other : {0u, 3u, 0x30u, 0x110u, 0x120u}) EXPECT_EQ(ServiceTypeIndex(other), 0u) << other;
}

TEST(HandleNames, EveryRowOfTheTable) {
  const char* const names[] = {
      "Unknown", "Type", "Directory", "Symbolic Link", "Token", "Process", "Thread", "Job",
      "Event", "Event Pair", "Mutant", "Callback", "Semaphore", "Timer", "Profile",
      "Window Station", "Desktop", "Section", "Key", "Port", "Waitable Port", "Adapter",
      "Controller", "Device", "Driver", "IoCompletion", "File", "WmiGuid"};
  for (uint32_t i = 0; i < 28; ++i) EXPECT_EQ(HandleTypeName(i), names[i]) << i;
  EXPECT_EQ(HandleTypeName(28), "Unknown type 28");
}

TEST(Dependencies, NamesJoinedByOneBlank) {
  using std::string;
  const std::pair<string, string> cases[] = {
      {string("RpcSs\0\0", 7), "RpcSs"},
      {string("Tcpip\0+TDI\0\0", 12), "Tcpip +TDI"},
      {string("\0", 1), ""},
      {string(""), ""},
      {string("A\0\0B\0\0", 6), "A"},            // the empty name ends the list
      {string("Afd\0NetBT", 9), "Afd NetBT"},    // no end marker: the text's end
      {string(" Afd \0\0", 7), "Afd"},           // trimmed
  };
  for (const auto& c : cases) EXPECT_EQ(DependencyNames(c.first), c.second);
}

TEST(SortedNoCase, SymbolsBeforeDigitsBeforeLettersWithoutCase) {
  EXPECT_EQ(SortedNoCase({"svchost.exe", "System", "[System Idle Process]", "2x.exe", "smss.exe", "System"}),
            (std::vector<std::string>{"[System Idle Process]", "2x.exe", "smss.exe", "svchost.exe", "System", "System"}));
}

TEST(ProcessReport, BlockOfOneProcessOnXp) {
  ListRun run("xp-sp2-p4ht");
  run.machine->Processes.Processes.resize(3);  // idle, System, smss
  run.List().Refresh();
  ReportLines lines;
  run.List().WriteReport(lines, false);
  // Per process: 7 lines of identity, 3 times, VersionInfo (6), VMCounters (13), IOCounters (8), the end.
  constexpr size_t kPerProcess = 38;
  ASSERT_EQ(lines.size(), 3 * kPerProcess + 2);
  const std::vector<std::string> smss(lines.begin() + 1 + 2 * kPerProcess, lines.begin() + 1 + 3 * kPerProcess);
  EXPECT_EQ(smss[0], "<section name=\"smss.exe\">");
  EXPECT_EQ(smss[1], "<data name=\"PID\" type=\"integer\">224</data>");
  EXPECT_EQ(smss[2], "<data name=\"ParentPID\" type=\"integer\">4</data>");
  EXPECT_EQ(smss[4], "<data name=\"ImageName\" type=\"string\">C:\\WINDOWS\\system32\\smss.exe</data>");
  EXPECT_EQ(smss[5], "<data name=\"Priority\" type=\"integer\">11</data>");
  EXPECT_EQ(smss[6], "<data name=\"ThreadCount\" type=\"integer\">3</data>");
  EXPECT_EQ(smss[8], "<data name=\"KernelTime\" type=\"string\">0 Seconds.</data>");
  EXPECT_EQ(smss[16], "<section name=\"VMCounters\">");
  EXPECT_EQ(smss[19], "<data name=\"PageFaultCount\" type=\"integer\">199</data>");
  EXPECT_EQ(smss[21], "<data name=\"WorkingSetSize\" type=\"integer\" unit=\"B\">389120</data>");
  EXPECT_EQ(smss[29], "<section name=\"IOCounters\">");
  EXPECT_EQ(smss[35], "<data name=\"OtherTransferCount\" type=\"integer\">11210</data>");
  EXPECT_EQ(smss[37], "</section>");
  // 1093750000 hundreds of nanoseconds: 109.4 seconds, rounded.
  EXPECT_EQ(lines[1 + kPerProcess + 8], "<data name=\"KernelTime\" type=\"string\">1 Minute, 49 Seconds.</data>");
}

}  // namespace
}  // namespace kestrova
