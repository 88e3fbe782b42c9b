#pragma once
// Processes, drivers, handles, windows and services of a recorded machine. The process
// records of machine.ini give both the toolhelp snapshot and the native class 5 buffer,
// which is laid out here byte for byte as the system lays it out (32- or 64-bit), so
// the engine's walk reads recorded machines exactly as it reads real ones.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/platform/processes.h"
#include "engine/platform/recorded/ini.h"
#include "engine/platform/services.h"

namespace kestrova {

struct RecordedProcess {
  uint32_t PID = 0, ParentPID = 0, ThreadCount = 0, HandleCount = 0, Usage = 1, ModuleID = 0;
  uint64_t DefaultHeapID = 0;
  int32_t Priority = 8;
  std::string ImageName;  // the native entry's name ("" for the idle process)
  std::string ExeFile;    // toolhelp's szExeFile
  int64_t CreateTime = 0, UserTime = 0, KernelTime = 0;
  uint64_t VMCounters[11] = {};
  uint64_t IOCounters[6] = {};
  bool InToolhelp = true, InNative = true;
  bool Opens = true;  // OpenProcess with 0x410 succeeds
  std::vector<ProcessModule> Modules;
  std::vector<uint8_t> UserSid;
  std::vector<std::vector<uint8_t>> GroupSids;
  std::vector<std::string> Privileges;
};

struct RecordedDriver {
  std::string FullPathName;
  uint64_t Base = 0;
  uint32_t Size = 0, Flags = 0;
};

struct RecordedHandle {
  uint32_t PID = 0, Value = 0, TypeNumber = 0, Access = 0;
};

struct RecordedWindow {
  uint64_t Handle = 0, Parent = 0;
  WindowFacts Facts;
};

struct RecordedService {
  std::string KeyName;
  ServiceConfig Config;           // DisplayName inside
  std::optional<uint32_t> State;  // nullopt: the status query fails
  bool ConfigReadable = true;
};

// The class 5 buffer of these processes, for a system of `pointerSize` bytes per pointer
// (IO counters only when `ioCounters`), as if it lay at `address`.
std::vector<uint8_t> EncodeNativeProcessList(const std::vector<RecordedProcess>& processes, uint32_t pointerSize,
                                             bool ioCounters, uint64_t address);
std::vector<uint8_t> EncodeNativeModuleList(const std::vector<RecordedDriver>& drivers, uint32_t pointerSize);
std::vector<uint8_t> EncodeNativeHandleList(const std::vector<RecordedHandle>& handles, uint32_t pointerSize);
// "S-1-5-18" as SID bytes; empty when the text is not a SID.
std::vector<uint8_t> SidFromText(const std::string& text);
// REG_MULTI_SZ-like layout of names: each ended by a NUL, one more NUL at the end.
std::string MultiString(const std::vector<std::string>& names);

class RecordedProcesses : public IProcesses, public IServices {
 public:
  // --- the data ---------------------------------------------------------------------------
  uint32_t PointerSize = 4;
  uint64_t BufferAddress = 0x00150000;
  bool ToolhelpPresent = true;
  bool NativePresent = true;
  bool IoCounters = true;  // false on NT 4.0
  std::vector<RecordedProcess> Processes;
  std::vector<RecordedDriver> Drivers;
  std::vector<RecordedHandle> Handles;
  std::vector<RecordedWindow> WindowList;  // the first one without a parent is the desktop
  std::map<std::string, AccountLookup> Accounts;  // SID text -> name and domain
  bool ManagerOpens = true;
  std::vector<RecordedService> ServiceList;  // in the manager's order
  // Raw buffers that replace the encoded ones (class -> bytes), for damaged lists.
  std::map<uint32_t, std::vector<uint8_t>> RawBuffers;

  // --- what the engine did ------------------------------------------------------------------
  std::vector<std::string> EnabledPrivileges;
  std::vector<uint32_t> QuerySizes;  // the size of every native query, in order
  unsigned OpenCalls = 0;

  // --- IProcesses -----------------------------------------------------------------------
  bool EnablePrivilege(const std::string& name) override;
  std::optional<std::vector<ToolhelpProcess>> ProcessSnapshot() override;
  std::vector<ToolhelpModule> ModuleSnapshot(uint32_t pid) override;
  std::vector<ToolhelpThread> ThreadSnapshot() override;
  NativeBuffer QuerySystemInformation(uint32_t infoClass, uint32_t size) override;
  std::optional<ProcessDetails> OpenProcessDetails(uint32_t pid) override;
  AccountLookup LookupAccount(const std::vector<uint8_t>& sid) override;
  std::optional<HandleDescription> DescribeHandle(uint32_t pid, uint64_t handle) override;
  uint64_t DesktopWindow() override;
  std::vector<uint64_t> ChildWindows(uint64_t parent) override;
  WindowFacts DescribeWindow(uint64_t window) override;

  // --- IServices ------------------------------------------------------------------------
  std::optional<std::vector<std::string>> EnumerateDisplayNames() override;
  std::optional<std::string> KeyName(const std::string& displayName) override;
  std::optional<uint32_t> CurrentState(const std::string& serviceName) override;
  std::optional<ServiceConfig> QueryConfig(const std::string& serviceName) override;

 private:
  const RecordedProcess* Find(uint32_t pid) const;
  const RecordedService* FindService(const std::string& keyName) const;
};

// machine.ini sections of this area ([processes], [process:PID], [drivers], [handles],
// [windows], [accounts], [services], [service:NAME]); false for any other section.
bool ApplyProcessesSection(RecordedProcesses& data, const IniSection& section, const std::string& fileName);

}  // namespace kestrova
