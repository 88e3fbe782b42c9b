#pragma once
// TProcessList: what runs on the machine. Processes (toolhelp and native passes, modules,
// threads, counters, token user, groups and privileges), kernel drivers, handles, Win32
// services and the window tree; DetectionRange chooses which of them a refresh reads.
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/core/information.h"
#include "engine/core/set.h"
#include "engine/inventory/native_lists.h"
#include "engine/os/shared_routines.h"

namespace kestrova {

enum class TDetectionType : uint8_t { dtProcesses, dtServices, dtDrivers, dtHandles, dtWindows };
using TDetectionRange = EnumSet<TDetectionType, 5>;

struct TModuleInfo {
  std::string Name, ImageName;
  uint32_t Size = 0;
  uint64_t EntryPoint = 0, Base = 0;
};

struct TProcessInfo {
  uint32_t PID = 0;
  std::string Name, ImageName, UserName;
  int32_t Priority = 0;
  uint32_t Usage = 0, ParentPID = 0, HandleCount = 0, ThreadCount = 0;
  uint64_t DefaultHeapID = 0;
  uint32_t ModuleID = 0;
  int64_t CreateTime = 0, PrevUserTime = 0, UserTime = 0, PrevKernelTime = 0, KernelTime = 0;
  std::array<uint64_t, kVMCounterCount> VMCounters{};
  std::array<uint64_t, kIOCounterCount> IOCounters{};
  std::vector<TModuleInfo> Modules;
  std::vector<TThreadInfo> Threads;
  std::vector<std::string> Privileges, Groups;
  TFileVersionRecord VersionInfo;
};

struct TDriverInfo {
  std::string Name;
  uint32_t Index = 0, Size = 0, Flags = 0;
  uint64_t Base = 0;
  TFileVersionRecord VersionInfo;
};

struct THandleInfo {
  uint32_t PID = 0;
  uint16_t Handle = 0;
  uint8_t ObjectType = 0;
  std::string TypeName, ObjectName;
  uint64_t Object = 0;
  uint32_t GrantedAccess = 0;
};

struct TServiceInfo {
  std::string Dependencies, DisplayName, ServiceName, ImageName, ObjectName, LoadOrderGroup;
  uint32_t StartType = 0;
  int32_t Status = -1;
  uint32_t TagId = 0, ErrorControl = 0, ServiceType = 0;
  TFileVersionRecord VersionInfo;
};

struct TWindowInfo {
  WindowFacts Facts;
  uint32_t Depth = 0;  // 0 for the desktop
};

// The class's display names of the service codes; "" outside the table.
const char* ServiceStartTypeName(uint32_t startType);
const char* ServiceStatusName(int32_t status);
const char* ServiceErrorControlName(uint32_t errorControl);
const char* ServiceTypeName(uint32_t typeIndex);
// A service type code (1, 2, 4, 8, 16, 32, 256) as the index of its name; 0 otherwise.
uint32_t ServiceTypeIndex(uint32_t code);
// The handle type names by the object type number ("Unknown type %d" past the table).
std::string HandleTypeName(uint32_t objectType);
// The dependency list (names each ended by a NUL, the list by an empty name) as names
// joined by one blank and trimmed. Bounded by the text: a list without its end stops there.
std::string DependencyNames(const std::string& raw);

class TProcessList : public TInformation {
 public:
  explicit TProcessList(const EngineContext& context);
  ~TProcessList() override;

  void Refresh();

  TDetectionRange DetectionRange() const { return detectionRange_; }
  void SetDetectionRange(TDetectionRange range) { detectionRange_ = range; }

  uint32_t ProcessCount() const { return static_cast<uint32_t>(processes_.size()); }
  uint32_t HandleCount() const { return static_cast<uint32_t>(handles_.size()); }
  uint32_t DriverCount() const { return static_cast<uint32_t>(drivers_.size()); }
  uint32_t ThreadCount() const;
  uint32_t ServiceCount() const { return static_cast<uint32_t>(services_.size()); }
  uint32_t WindowCount() const { return static_cast<uint32_t>(windows_.size()); }

  // Record `index`; a zeroed record outside the list.
  TProcessInfo GetProcess(size_t index) const;
  TDriverInfo GetDriver(size_t index) const;
  TServiceInfo GetService(size_t index) const;
  const std::vector<TProcessInfo>& Processes() const { return processes_; }
  const std::vector<TDriverInfo>& Drivers() const { return drivers_; }
  const std::vector<TServiceInfo>& Services() const { return services_; }
  const std::vector<THandleInfo>& Handles() const { return handles_; }
  const std::vector<TWindowInfo>& Windows() const { return windows_; }

  // What the constructor managed to bind (NT family).
  bool ProcessStatusBound() const { return psapiUsable_; }
  bool NativeBound() const { return nativeUsable_; }
  bool ServicesBound() const { return servicesUsable_; }

  // The native buffers' first sizes (the handle list's is ours; nothing sets it).
  static constexpr uint32_t kProcessBufferSize = 256 * 16568;
  static constexpr uint32_t kModuleBufferSize = 32768;
  static constexpr uint32_t kHandleBufferSize = 65536;

 protected:
  void WriteBlock(ReportWriter& out) const override;

 private:
  // A library bound by the constructor: taken if loaded, else loaded, freed at the end
  // only if loaded here.
  struct Binding {
    std::string Name;
    ModuleHandle Module = 0;
    bool LoadedHere = false;
  };
  bool Bind(Binding& binding, const std::vector<const char*>& entryPoints);
  void Release(Binding& binding);

  void RefreshWindows();
  void ToolhelpPass();
  void NativePass();
  void ProcessStatusStep(TProcessInfo& record);
  std::string AccountText(const std::vector<uint8_t>& sid);
  TFileVersionRecord VersionOf(const std::string& path);
  void RefreshDrivers();
  void RefreshHandles();
  void RefreshServices();

  std::vector<TProcessInfo> processes_;
  std::vector<TDriverInfo> drivers_;
  std::vector<THandleInfo> handles_;
  std::vector<TServiceInfo> services_;
  std::vector<TWindowInfo> windows_;
  TDetectionRange detectionRange_;
  // Answers kept for one refresh: every process of a user carries the same SIDs, most
  // services share one image and both process passes read the same files, and each
  // lookup or version read is a round trip to the system.
  std::map<std::vector<uint8_t>, std::string> accounts_;
  std::map<std::string, TFileVersionRecord> versions_;

  Binding psapi_{"PSAPI.DLL"}, advapi_{"ADVAPI32.DLL"};
  NtdllBinding ntdll_;
  bool psapiUsable_ = false, nativeUsable_ = false, servicesUsable_ = false;
};

}  // namespace kestrova
