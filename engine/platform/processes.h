#pragma once
// What runs on the machine: toolhelp snapshots, the native system-information buffers
// (process, module and handle lists as the system lays them out), the process-status and
// token queries of one process, privileges of this process, handle descriptions and the
// window tree. The walks over the native buffers belong to the engine
// (engine/inventory/native_lists.h); this layer only hands the bytes over.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrova {

// One PROCESSENTRY32.
struct ToolhelpProcess {
  uint32_t PID = 0, Usage = 0, ParentPID = 0, ThreadCount = 0, ModuleID = 0;
  uint64_t DefaultHeapID = 0;
  int32_t PriorityClassBase = 0;
  std::string ExeFile;  // szExeFile: a bare name on NT, a full path on the 9x family
};

// One MODULEENTRY32.
struct ToolhelpModule {
  std::string Name, Path;
  uint32_t Size = 0;
  uint64_t Base = 0;
};

// One THREADENTRY32.
struct ToolhelpThread {
  uint32_t ThreadID = 0, OwnerPID = 0;
  int32_t BasePriority = 0, DeltaPriority = 0;
};

// The answer of NtQuerySystemInformation for one class and one buffer size.
struct NativeBuffer {
  int32_t Status = 0;            // NTSTATUS
  uint32_t ReturnLength = 0;     // what the system said it needs (may be 0)
  std::vector<uint8_t> Bytes;    // the buffer as the call left it (the size asked for)
  uint64_t Address = 0;          // where the buffer lay: pointers inside it are absolute
  uint32_t PointerSize = 4;      // of the system that filled it (4 or 8)
};

constexpr int32_t kStatusSuccess = 0;
constexpr int32_t kStatusInfoLengthMismatch = static_cast<int32_t>(0xC0000004);
constexpr int32_t kStatusBufferOverflow = static_cast<int32_t>(0x80000005);
constexpr int32_t kStatusBufferTooSmall = static_cast<int32_t>(0xC0000023);

// A module as the process-status functions give it (EnumProcessModules,
// GetModuleFileNameExA, GetModuleInformation).
struct ProcessModule {
  std::string Path;
  uint32_t Size = 0;
  uint64_t EntryPoint = 0, Base = 0;
};

// One group or the token user: the SID as bytes and what LookupAccountSid answered.
struct AccountLookup {
  std::string Name, Domain;
  uint32_t Error = 0;  // GetLastError after a lookup that gave no name; 1332 = ERROR_NONE_MAPPED
};

// What could be read of a process opened for query-information and read (0x410).
struct ProcessDetails {
  std::vector<ProcessModule> Modules;    // in the order EnumProcessModules gives (at most 1024)
  std::vector<uint8_t> UserSid;          // empty when the token could not be read
  std::vector<std::vector<uint8_t>> GroupSids;
  std::vector<std::string> Privileges;   // privilege names (LookupPrivilegeName)
};

// One handle, described from this process (the handle duplicated into it).
struct HandleDescription {
  std::string TypeName;    // from the object; empty when it could not be read
  std::string ObjectName;  // empty when not read (see IProcesses::DescribeHandle)
  uint32_t ProcessId = 0;  // a process handle: its identifier
  uint32_t ThreadId = 0, ThreadProcessId = 0;  // a thread handle
};

// One window of the tree.
struct WindowFacts {
  uint64_t Handle = 0;
  std::string ClassName, Text;
  uint32_t ProcessId = 0, ThreadId = 0;
  bool Visible = false;
};

class IProcesses {
 public:
  virtual ~IProcesses() = default;

  // --- this process ----------------------------------------------------------------------
  // Enables one privilege ("SeDebugPrivilege") in this process's token; false when the
  // token or the privilege is missing.
  virtual bool EnablePrivilege(const std::string& name) = 0;

  // --- toolhelp ------------------------------------------------------------------------
  // nullopt when there are no toolhelp functions (NT 4.0) or the snapshot fails.
  virtual std::optional<std::vector<ToolhelpProcess>> ProcessSnapshot() = 0;
  virtual std::vector<ToolhelpModule> ModuleSnapshot(uint32_t pid) = 0;
  virtual std::vector<ToolhelpThread> ThreadSnapshot() = 0;

  // --- native system information (NT) --------------------------------------------------
  // One call of NtQuerySystemInformation with a buffer of `size` bytes. The engine grows
  // the size and asks again; nothing is retried here.
  virtual NativeBuffer QuerySystemInformation(uint32_t infoClass, uint32_t size) = 0;

  // --- one process (NT) ----------------------------------------------------------------
  // nullopt when the process does not open with 0x410.
  virtual std::optional<ProcessDetails> OpenProcessDetails(uint32_t pid) = 0;
  // One call of LookupAccountSid.
  virtual AccountLookup LookupAccount(const std::vector<uint8_t>& sid) = 0;

  // --- handles (NT) ----------------------------------------------------------------------
  // Duplicates the handle into this process and reads its type name. The object name is
  // read only for objects whose name query cannot block: never for File objects (a
  // synchronous pipe makes NtQueryObject wait forever), so those keep an empty name.
  // nullopt when the handle cannot be duplicated.
  virtual std::optional<HandleDescription> DescribeHandle(uint32_t pid, uint64_t handle) = 0;

  // --- windows -------------------------------------------------------------------------
  virtual uint64_t DesktopWindow() = 0;
  // The direct children of a window, first child then its next siblings.
  virtual std::vector<uint64_t> ChildWindows(uint64_t parent) = 0;
  virtual WindowFacts DescribeWindow(uint64_t window) = 0;
};

}  // namespace kestrova
