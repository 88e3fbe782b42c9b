#include "engine/inventory/process_list.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "engine/core/context.h"
#include "engine/core/format.h"
#include "engine/core/text.h"
#include "engine/os/file_search.h"

namespace kestrova {

namespace {

constexpr size_t kTextLimit = 255;     // short-string fields of the records
constexpr size_t kModuleLimit = 1024;  // modules of one process
constexpr uint32_t kErrorNoneMapped = 1332;
// Bounds of the window walk: a tree that points back into itself must still end.
constexpr size_t kWindowLimit = 65536;
constexpr uint32_t kWindowDepthLimit = 64;

std::string Short(const std::string& s) { return Truncate(s, kTextLimit); }

// code  name
const char* const kStartTypes[] = {"Boot", "System", "Automatic", "Manual", "Disabled"};
// state  name (index = state - 1)
const char* const kStates[] = {"Stopped", "Start/Pending", "Stop/Pending", "Running",
                               "Continue/Pending", "Pause/Pending", "Paused"};
const char* const kErrorControls[] = {"Ignore", "Normal"};
const char* const kServiceTypes[] = {"Kernel Driver", "File System Driver", "Adapter", "Recognizer Driver",
                                     "Own Process", "Shared Process", "Desktop Interactive Driver"};
// type code -> index of its name
constexpr uint32_t kServiceTypeCodes[] = {1, 2, 4, 8, 16, 32, 256};

const char* const kHandleTypes[28] = {
    "Unknown", "Type", "Directory", "Symbolic Link", "Token", "Process", "Thread", "Job",
    "Event", "Event Pair", "Mutant", "Callback", "Semaphore", "Timer", "Profile",
    "Window Station", "Desktop", "Section", "Key", "Port", "Waitable Port", "Adapter",
    "Controller", "Device", "Driver", "IoCompletion", "File", "WmiGuid"};

// The VM counters' report names; all but the page-fault count are sizes in bytes.
const char* const kVMCounterNames[kVMCounterCount] = {
    "PeakVirtualSize", "VirtualSize", "PageFaultCount", "PeakWorkingSetSize", "WorkingSetSize",
    "QuotaPeakPagedPoolUsage", "QuotaPagedPoolUsage", "QuotaPeakNonPagedPoolUsage",
    "QuotaNonPagedPoolUsage", "PagefileUsage", "PeakPagefileUsage"};
const char* const kIOCounterNames[kIOCounterCount] = {
    "ReadOperationCount", "WriteOperationCount", "OtherOperationCount",
    "ReadTransferCount", "WriteTransferCount", "OtherTransferCount"};

}  // namespace

const char* ServiceStartTypeName(uint32_t v) { return v < 5 ? kStartTypes[v] : ""; }
const char* ServiceStatusName(int32_t v) { return v >= 1 && v <= 7 ? kStates[v - 1] : ""; }
const char* ServiceErrorControlName(uint32_t v) { return v < 2 ? kErrorControls[v] : ""; }
const char* ServiceTypeName(uint32_t v) { return v < 7 ? kServiceTypes[v] : ""; }

uint32_t ServiceTypeIndex(uint32_t code) {
  for (uint32_t i = 0; i < 7; ++i)
    if (kServiceTypeCodes[i] == code) return i;
  return 0;
}

std::string HandleTypeName(uint32_t objectType) {
  return objectType < 28 ? kHandleTypes[objectType] : Format("Unknown type %u", objectType);
}

std::string DependencyNames(const std::string& raw) {
  std::string joined;
  size_t start = 0;
  while (start < raw.size()) {
    size_t end = raw.find('\0', start);
    if (end == std::string::npos) end = raw.size();
    if (end == start) break;  // the empty name that ends the list
    if (!joined.empty()) joined += ' ';
    joined.append(raw, start, end - start);
    start = end + 1;
  }
  return Trim(joined);
}

// --- construction ---------------------------------------------------------------------------

TProcessList::TProcessList(const EngineContext& context)
    : TInformation(context), ntdll_(*context.Sys.Libraries) {
  SetExceptionModes({TExceptionMode::emExceptionStack});
  detectionRange_ = {TDetectionType::dtProcesses, TDetectionType::dtServices, TDetectionType::dtDrivers,
                     TDetectionType::dtHandles, TDetectionType::dtWindows};
  if (!context.OSInfo.IsNT) return;
  const Platform& p = context.Sys;
  if (p.Processes) {
    p.Processes->EnablePrivilege("SeDebugPrivilege");
    p.Processes->EnablePrivilege("SeSecurityPrivilege");
  }
  psapiUsable_ = Bind(psapi_, {"EnumProcessModules", "GetModuleFileNameExA", "GetModuleInformation"});
  ntdll_.Load(p.System->Version().PlatformId);
  nativeUsable_ = ntdll_.Module() != 0 && ntdll_.Has("NtQuerySystemInformation");
  servicesUsable_ = Bind(advapi_, {"OpenSCManagerA", "EnumServicesStatusA", "GetServiceKeyNameA",
                                   "OpenServiceA", "QueryServiceStatus", "QueryServiceConfigA",
                                   "CloseServiceHandle"});
}

TProcessList::~TProcessList() {
  Release(psapi_);
  Release(advapi_);
}

TFileVersionRecord TProcessList::VersionOf(const std::string& path) {
  if (path.empty()) return {};
  auto found = versions_.find(path);
  if (found == versions_.end()) {
    TFileVersionRecord record;
    ReadFileVersion(Context().Sys, path, record);
    found = versions_.emplace(path, record).first;
  }
  return found->second;
}

bool TProcessList::Bind(Binding& b, const std::vector<const char*>& entryPoints) {
  ILibraries& libraries = *Context().Sys.Libraries;
  b.Module = libraries.GetLoadedModule(b.Name);
  if (!b.Module) {
    b.Module = libraries.Load(b.Name);
    b.LoadedHere = b.Module != 0;
  }
  if (!b.Module) return false;
  for (const char* name : entryPoints)
    if (!libraries.HasEntryPoint(b.Module, name)) return false;
  return true;
}

void TProcessList::Release(Binding& b) {
  // Freed only if bound here; a destructor reports nothing (as NtdllBinding).
  if (b.Module && b.LoadedHere) Context().Sys.Libraries->Free(b.Module);
  b.Module = 0;
  b.LoadedHere = false;
}

// --- records ----------------------------------------------------------------------------

uint32_t TProcessList::ThreadCount() const {
  uint32_t n = 0;
  for (const auto& p : processes_) n += p.ThreadCount;
  return n;
}

TProcessInfo TProcessList::GetProcess(size_t i) const { return i < processes_.size() ? processes_[i] : TProcessInfo{}; }
TDriverInfo TProcessList::GetDriver(size_t i) const { return i < drivers_.size() ? drivers_[i] : TDriverInfo{}; }
TServiceInfo TProcessList::GetService(size_t i) const { return i < services_.size() ? services_[i] : TServiceInfo{}; }

// --- refresh ------------------------------------------------------------------------------

void TProcessList::Refresh() {
  const TOSInfo& os = Context().OSInfo;
  accounts_.clear();
  versions_.clear();
  windows_.clear();
  if (detectionRange_.Contains(TDetectionType::dtWindows)) RefreshWindows();
  processes_.clear();
  if (detectionRange_.Contains(TDetectionType::dtProcesses) && os.OSKind != TOSVersionKind::ovWinNT4)
    ToolhelpPass();
  if (!os.IsNT) return;  // the 9x family: drivers, handles and services keep what they held
  if (detectionRange_.Contains(TDetectionType::dtProcesses)) NativePass();
  if (detectionRange_.Contains(TDetectionType::dtDrivers)) RefreshDrivers(); else drivers_.clear();
  if (detectionRange_.Contains(TDetectionType::dtHandles)) RefreshHandles(); else handles_.clear();
  if (detectionRange_.Contains(TDetectionType::dtServices)) RefreshServices(); else services_.clear();
}

void TProcessList::RefreshWindows() {
  IProcesses* p = Context().Sys.Processes;
  if (!p) return;
  // Depth-first: each window, then its children, then its next sibling.
  struct Walk {
    IProcesses& P;
    std::vector<TWindowInfo>& Out;
    void Visit(uint64_t window, uint32_t depth) {
      if (Out.size() >= kWindowLimit) return;
      Out.push_back({P.DescribeWindow(window), depth});
      if (depth >= kWindowDepthLimit) return;
      for (uint64_t child : P.ChildWindows(window)) {
        if (Out.size() >= kWindowLimit) return;
        Visit(child, depth + 1);
      }
    }
  } walk{*p, windows_};
  walk.Visit(p->DesktopWindow(), 0);
}

void TProcessList::ProcessStatusStep(TProcessInfo& r) {
  const Platform& p = Context().Sys;
  if (!psapiUsable_ || !p.Processes) return;
  auto details = p.Processes->OpenProcessDetails(r.PID);
  if (!details) return;  // cannot be opened: the snapshot's fields stay
  for (const ProcessModule& m : details->Modules) {
    if (r.Modules.size() >= kModuleLimit) break;
    r.Modules.push_back({Short(FileNamePart(m.Path)), Short(m.Path), m.Size, m.EntryPoint, m.Base});
  }
  if (!details->Modules.empty()) r.ImageName = Short(details->Modules.front().Path);
  if (!details->UserSid.empty()) r.UserName = Short(AccountText(details->UserSid));
  for (const auto& sid : details->GroupSids) r.Groups.push_back(Short(AccountText(sid)));
  for (const auto& privilege : details->Privileges) r.Privileges.push_back(Short(privilege));
}

std::string TProcessList::AccountText(const std::vector<uint8_t>& sid) {
  auto known = accounts_.find(sid);
  if (known != accounts_.end()) return known->second;
  std::string& text = accounts_[sid];
  IProcesses& p = *Context().Sys.Processes;
  AccountLookup answer;
  for (int attempt = 0; attempt < 10; ++attempt) {
    answer = p.LookupAccount(sid);
    if (!answer.Name.empty() || answer.Error == kErrorNoneMapped) break;
  }
  if (answer.Name.empty()) text = SidToText(sid);
  else text = answer.Domain.empty() ? answer.Name : answer.Domain + "/" + answer.Name;
  return text;
}

void TProcessList::ToolhelpPass() {
  const Platform& p = Context().Sys;
  const TOSInfo& os = Context().OSInfo;
  if (!p.Processes) return;
  auto snapshot = p.Processes->ProcessSnapshot();
  if (!snapshot) return;
  std::vector<ToolhelpThread> threads;
  bool threadsTaken = false;
  for (const ToolhelpProcess& e : *snapshot) {
    TProcessInfo r;
    r.PID = e.PID;
    r.ParentPID = e.ParentPID;
    r.Priority = e.PriorityClassBase;
    r.Usage = e.Usage;
    r.DefaultHeapID = e.DefaultHeapID;
    r.ModuleID = e.ModuleID;
    r.ThreadCount = e.ThreadCount;
    if (os.IsNT) ProcessStatusStep(r);
    if (!IsExistingFile(*p.Files, r.ImageName)) {
      // The executable searched in its own folder, then the Windows and system folders.
      // Where it is nowhere, the path known so far stays, else the snapshot's own name.
      const std::string found =
          FileSearch(*p.Files, FileNamePart(e.ExeFile), FolderPart(e.ExeFile) + ";" + WinSysDirsPath(p));
      if (!found.empty()) r.ImageName = Short(found);
      else if (r.ImageName.empty()) r.ImageName = Short(e.ExeFile);
    }
    r.Name = Short(FileNamePart(r.ImageName));
    if (r.Name.empty() && r.PID == 0) r.Name = "[System Idle Process]";
    if (r.PID != 0 && r.Modules.size() < 2)
      for (const ToolhelpModule& m : p.Processes->ModuleSnapshot(r.PID))
        r.Modules.push_back({Short(m.Name), Short(m.Path), m.Size, 0, m.Base});
    if (!os.IsNT && r.Threads.empty()) {
      if (!threadsTaken) {
        threads = p.Processes->ThreadSnapshot();
        threadsTaken = true;
      }
      for (const ToolhelpThread& t : threads) {
        if (t.OwnerPID != r.PID) continue;
        TThreadInfo info;
        info.OwnerPID = t.OwnerPID;
        info.ThreadID = t.ThreadID;
        info.BasePriority = t.BasePriority;
        info.Priority = t.BasePriority + t.DeltaPriority;
        r.Threads.push_back(info);
      }
    }
    r.VersionInfo = VersionOf(r.ImageName);
    processes_.push_back(std::move(r));
  }
}

void TProcessList::NativePass() {
  const Platform& p = Context().Sys;
  if (!nativeUsable_ || !p.Processes) return;
  auto buffer = QueryNativeList(*p.Processes, kSystemProcessInformation, kProcessBufferSize);
  if (!buffer) return;
  const bool hasIo = Context().OSInfo.OSKind != TOSVersionKind::ovWinNT4;
  std::map<uint32_t, size_t> byPid;
  for (size_t i = 0; i < processes_.size(); ++i) byPid.emplace(processes_[i].PID, i);
  for (NativeProcessEntry& e : WalkNativeProcessList(*buffer, hasIo)) {
    auto found = byPid.find(e.PID);
    if (found == byPid.end()) {
      found = byPid.emplace(e.PID, processes_.size()).first;
      processes_.emplace_back();
      processes_.back().PID = e.PID;
    }
    TProcessInfo& r = processes_[found->second];
    if (r.Modules.empty() && e.PID != 0 && e.PID != 8) ProcessStatusStep(r);
    const std::string image = Trim(e.ImageName);
    r.Name = Short(!image.empty() ? image : !r.Modules.empty() ? r.Modules.front().ImageName : std::string());
    if (r.Name.empty() && r.PID == 0) r.Name = "[System Idle Process]";
    r.Priority = e.BasePriority;
    r.ParentPID = e.ParentPID;
    r.ThreadCount = e.ThreadCount;
    r.HandleCount = e.HandleCount;
    r.CreateTime = e.CreateTime;
    r.PrevUserTime = r.UserTime;
    r.PrevKernelTime = r.KernelTime;
    r.UserTime = e.UserTime;
    r.KernelTime = e.KernelTime;
    std::copy(std::begin(e.VMCounters), std::end(e.VMCounters), r.VMCounters.begin());
    std::copy(std::begin(e.IOCounters), std::end(e.IOCounters), r.IOCounters.begin());
    if (r.Threads.empty()) r.Threads = std::move(e.Threads);
    r.VersionInfo = VersionOf(r.ImageName);
  }
}

void TProcessList::RefreshDrivers() {
  drivers_.clear();
  const Platform& p = Context().Sys;
  if (!nativeUsable_ || !p.Processes) return;
  auto buffer = QueryNativeList(*p.Processes, kSystemModuleInformation, kModuleBufferSize);
  if (!buffer) return;
  for (const NativeModuleEntry& m : WalkNativeModuleList(buffer->Bytes, buffer->PointerSize)) {
    TDriverInfo d;
    d.Name = Short(m.FullPathName);
    d.Base = m.ImageBase;
    d.Size = m.ImageSize;
    d.Index = m.LoadOrderIndex;
    d.Flags = m.Flags;
    d.VersionInfo = VersionOf(d.Name);
    drivers_.push_back(std::move(d));
  }
}

void TProcessList::RefreshHandles() {
  handles_.clear();
  const Platform& p = Context().Sys;
  if (!nativeUsable_ || !p.Processes) return;
  auto buffer = QueryNativeList(*p.Processes, kSystemHandleInformation, kHandleBufferSize);
  if (!buffer) return;
  for (const NativeHandleEntry& e : WalkNativeHandleList(buffer->Bytes, buffer->PointerSize)) {
    THandleInfo h;
    h.PID = e.PID;
    h.Handle = e.Handle;
    h.ObjectType = e.ObjectType;
    h.TypeName = HandleTypeName(e.ObjectType);
    h.Object = e.Object;
    h.GrantedAccess = e.GrantedAccess;
    if (auto d = p.Processes->DescribeHandle(e.PID, e.Handle)) {
      if (!d->TypeName.empty()) h.TypeName = Short(d->TypeName);
      h.ObjectName = Short(d->ObjectName);
      if (h.TypeName == "Process") h.ObjectName = Format("PID: %u", d->ProcessId);
      if (h.TypeName == "Thread") h.ObjectName = Format("TID: %u (PID: %u)", d->ThreadId, d->ThreadProcessId);
    }
    handles_.push_back(std::move(h));
  }
}

void TProcessList::RefreshServices() {
  services_.clear();
  const Platform& p = Context().Sys;
  if (!servicesUsable_ || !p.Services) return;
  auto names = p.Services->EnumerateDisplayNames();
  if (!names) return;
  for (const std::string& displayName : *names) {
    TServiceInfo s;
    s.DisplayName = Short(displayName);
    s.ServiceName = Short(p.Services->KeyName(displayName).value_or(""));
    auto state = p.Services->CurrentState(s.ServiceName);
    s.Status = state ? static_cast<int32_t>(*state) : -1;
    if (auto config = p.Services->QueryConfig(s.ServiceName)) {
      s.ImageName = Short(ReplaceAll(config->BinaryPathName, "\"", ""));
      s.ObjectName = Short(config->ServiceStartName);
      s.LoadOrderGroup = Short(config->LoadOrderGroup);
      s.ServiceType = ServiceTypeIndex(config->ServiceType);
      s.StartType = config->StartType;
      s.TagId = config->TagId;
      s.ErrorControl = config->ErrorControl;
      s.Dependencies = Short(DependencyNames(config->Dependencies));
      s.VersionInfo = VersionOf(s.ImageName);
    }
    services_.push_back(std::move(s));
  }
}

// --- report -------------------------------------------------------------------------------

void TProcessList::WriteBlock(ReportWriter& out) const {
  const bool nt = Context().OSInfo.IsNT;
  auto seconds = [](int64_t fileTime) { return std::llround(static_cast<double>(fileTime) / 10000000.0); };
  out.OpenClass("ProcessList", "TProcessList");
  for (const TProcessInfo& r : processes_) {
    out.OpenSection(r.Name);
    out.Hex("PID", r.PID);
    out.Hex("ParentPID", r.ParentPID);
    out.String("Name", r.Name);
    out.String("ImageName", r.ImageName);
    out.Integer("Priority", r.Priority);
    out.Integer("ThreadCount", r.ThreadCount);
    if (nt) {
      out.String("CreateTime", FormatDuration(seconds(r.CreateTime), false));
      out.String("KernelTime", FormatDuration(seconds(r.KernelTime), false));
      out.String("UserTime", FormatDuration(seconds(r.UserTime), false));
      out.OpenSection("VersionInfo");
      out.String("Product", r.VersionInfo.ProductName);
      out.String("Description", r.VersionInfo.FileDescription);
      out.String("Version", r.VersionInfo.FileVersion);
      out.String("Copyright", r.VersionInfo.LegalCopyright);
      out.CloseSection();
      out.OpenSection("VMCounters");
      for (size_t i = 0; i < kVMCounterCount; ++i)
        out.Integer(kVMCounterNames[i], static_cast<int64_t>(r.VMCounters[i]), i == 2 ? "" : "B");
      out.CloseSection();
      out.OpenSection("IOCounters");
      for (size_t i = 0; i < kIOCounterCount; ++i) out.Integer(kIOCounterNames[i], static_cast<int64_t>(r.IOCounters[i]));
      out.CloseSection();
    } else {
      out.Integer("Usage", r.Usage);
    }
    out.CloseSection();
  }
  out.CloseClass("ProcessList");
}

}  // namespace kestrova
