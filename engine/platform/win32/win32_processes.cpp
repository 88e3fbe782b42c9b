#include "engine/platform/win32/win32_processes.h"

#include <windows.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "engine/platform/win32/api_family.h"
#include "engine/platform/win32/handles.h"
#include "engine/platform/win32/win32_util.h"

namespace kestrova::win32 {

// Every entry point here is bound by name: toolhelp is missing on NT 4.0, psapi.dll on the
// 9x family and on a bare NT 4.0, the native and token functions on the 9x family.

namespace {

template <typename Fn>
Fn Entry(const char* module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(BoundEntry(module, name)));
}

using SnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
using ProcessWalkFn = BOOL(WINAPI*)(HANDLE, tagPROCESSENTRY32*);
using ModuleWalkFn = BOOL(WINAPI*)(HANDLE, tagMODULEENTRY32*);
using ThreadWalkFn = BOOL(WINAPI*)(HANDLE, tagTHREADENTRY32*);
using NtQuerySystemInformationFn = LONG(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
using NtQueryObjectFn = LONG(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
using NtQueryInformationFn = LONG(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, LPDWORD);
using GetModuleFileNameExFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);
struct ModuleInfo { LPVOID Base; DWORD Size; LPVOID EntryPoint; };  // MODULEINFO
using GetModuleInformationFn = BOOL(WINAPI*)(HANDLE, HMODULE, ModuleInfo*, DWORD);
using OpenProcessTokenFn = BOOL(WINAPI*)(HANDLE, DWORD, PHANDLE);
using GetTokenInformationFn = BOOL(WINAPI*)(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD, PDWORD);
using LookupPrivilegeNameFn = BOOL(WINAPI*)(LPCSTR, PLUID, LPSTR, LPDWORD);
using LookupPrivilegeValueFn = BOOL(WINAPI*)(LPCSTR, LPCSTR, PLUID);
using AdjustTokenPrivilegesFn = BOOL(WINAPI*)(HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD, PTOKEN_PRIVILEGES, PDWORD);
using LookupAccountSidFn = BOOL(WINAPI*)(LPCSTR, PSID, LPSTR, LPDWORD, LPSTR, LPDWORD, PSID_NAME_USE);
using GetLengthSidFn = DWORD(WINAPI*)(PSID);

// TOKEN_* information read whole: asked for its size, then read.
std::vector<uint8_t> TokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind) {
  auto get = Entry<GetTokenInformationFn>("advapi32.dll", "GetTokenInformation");
  if (!get) return {};
  DWORD size = 0;
  get(token, kind, nullptr, 0, &size);
  if (size == 0 || size > (1u << 20)) return {};
  std::vector<uint8_t> buffer(size);
  if (!get(token, kind, buffer.data(), size, &size)) return {};
  return buffer;
}

std::vector<uint8_t> SidBytes(PSID sid) {
  auto length = Entry<GetLengthSidFn>("advapi32.dll", "GetLengthSid");
  if (!sid || !length) return {};
  const DWORD n = length(sid);
  const auto* p = static_cast<const uint8_t*>(sid);
  return std::vector<uint8_t>(p, p + n);
}

// The text of a UNICODE_STRING that NtQueryObject left at the start of its buffer.
std::string UnicodeStringAtStart(const std::vector<uint8_t>& buffer, ULONG returned) {
  if (buffer.size() < sizeof(UNICODE_STRING)) return {};
  UNICODE_STRING s;
  std::memcpy(&s, buffer.data(), sizeof s);
  const auto* begin = reinterpret_cast<const uint8_t*>(s.Buffer);
  const uint8_t* data = buffer.data();
  const size_t limit = std::min<size_t>(buffer.size(), returned ? returned : buffer.size());
  if (!begin || begin < data || begin + s.Length > data + limit) return {};
  return Narrow(reinterpret_cast<const wchar_t*>(begin), s.Length / 2);
}

// The modules of an opened process read straight from its loader list (the process
// environment block's in-load-order list), which is where EnumProcessModules,
// GetModuleFileNameExA and GetModuleInformation take them from: the same modules in the
// same order, with the same path, base, size and entry point. Those functions walk the
// list from its head again for every module asked about, one cross-process read per
// entry, so a process of n modules costs them about n * n reads; this walk reads each
// entry and each path once. False (and `out` untouched) when the list cannot be read
// whole: the caller then asks the process-status functions.
bool LoaderListModules(HANDLE process, std::vector<ProcessModule>& out) {
  auto basic = Entry<NtQueryInformationFn>("ntdll.dll", "NtQueryInformationProcess");
  if (!basic) return false;
  // A 32-bit build under WOW64 sees a loader list of another layout: left to psapi.
  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
  if (sizeof(void*) == 4)
    if (auto isWow64 = Entry<IsWow64ProcessFn>("kernel32.dll", "IsWow64Process")) {
      BOOL wow64 = FALSE;
      if (!isWow64(::GetCurrentProcess(), &wow64) || wow64) return false;
    }
  PROCESS_BASIC_INFORMATION info = {};
  if (basic(process, 0 /* ProcessBasicInformation */, &info, sizeof info, nullptr) < 0 || !info.PebBaseAddress)
    return false;
  auto read = [process](uintptr_t address, void* to, size_t size) {
    SIZE_T got = 0;
    return address != 0 && ::ReadProcessMemory(process, reinterpret_cast<LPCVOID>(address), to, size, &got) && got == size;
  };
  // Offsets of the NT layouts: PEB.Ldr, PEB_LDR_DATA.InLoadOrderModuleList, and in
  // LDR_DATA_TABLE_ENTRY DllBase, EntryPoint, SizeOfImage, FullDllName.
  constexpr bool k64 = sizeof(void*) == 8;
  constexpr size_t kPebLdr = k64 ? 0x18 : 0x0C, kLdrList = k64 ? 0x10 : 0x0C;
  constexpr size_t kBase = k64 ? 0x30 : 0x18, kEntry = k64 ? 0x38 : 0x1C, kSize = k64 ? 0x40 : 0x20;
  constexpr size_t kName = k64 ? 0x48 : 0x24, kNameBuffer = k64 ? 0x50 : 0x28, kEntryBytes = kNameBuffer + sizeof(void*);
  uintptr_t ldr = 0;
  if (!read(reinterpret_cast<uintptr_t>(info.PebBaseAddress) + kPebLdr, &ldr, sizeof ldr) || !ldr) return false;
  const uintptr_t head = ldr + kLdrList;
  uintptr_t link = 0;
  if (!read(head, &link, sizeof link)) return false;
  std::vector<ProcessModule> modules;
  // Bounded: at most the 1024 modules EnumProcessModules is given room for, so a list
  // that never comes back to its head still ends.
  while (link != head && modules.size() < 1024) {
    uint8_t entry[kEntryBytes];
    if (!read(link, entry, sizeof entry)) return false;
    uintptr_t base = 0, entryPoint = 0, nameBuffer = 0;
    ULONG size = 0;
    USHORT nameBytes = 0;
    std::memcpy(&base, entry + kBase, sizeof base);
    std::memcpy(&entryPoint, entry + kEntry, sizeof entryPoint);
    std::memcpy(&size, entry + kSize, sizeof size);
    std::memcpy(&nameBytes, entry + kName, sizeof nameBytes);
    std::memcpy(&nameBuffer, entry + kNameBuffer, sizeof nameBuffer);
    std::wstring wide(nameBytes / sizeof(wchar_t), L'\0');
    if (!wide.empty() && !read(nameBuffer, &wide[0], wide.size() * sizeof(wchar_t))) return false;
    // GetModuleFileNameExA: the path in the ANSI code page, at most 260 characters.
    std::string path;
    if (!wide.empty()) {
      const int length = static_cast<int>(wide.size());
      const int bytes = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
      if (bytes > 0) {
        path.assign(static_cast<size_t>(bytes), '\0');
        ::WideCharToMultiByte(CP_ACP, 0, wide.data(), length, &path[0], bytes, nullptr, nullptr);
      }
    }
    modules.push_back({AnsiToUtf8UntilNul(path.data(), std::min<size_t>(path.size(), 260)), size, entryPoint, base});
    std::memcpy(&link, entry, sizeof link);  // InLoadOrderLinks.Flink
  }
  out = std::move(modules);
  return true;
}

}  // namespace

bool Win32Processes::EnablePrivilege(const std::string& name) {
  auto open = Entry<OpenProcessTokenFn>("advapi32.dll", "OpenProcessToken");
  auto lookup = Entry<LookupPrivilegeValueFn>("advapi32.dll", "LookupPrivilegeValueA");
  auto adjust = Entry<AdjustTokenPrivilegesFn>("advapi32.dll", "AdjustTokenPrivileges");
  if (!open || !lookup || !adjust) return false;
  UniqueKernelHandle token;
  if (!open(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.Put())) return false;
  TOKEN_PRIVILEGES tp = {};
  tp.PrivilegeCount = 1;
  tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!lookup(nullptr, name.c_str(), &tp.Privileges[0].Luid)) return false;
  return adjust(token.Get(), FALSE, &tp, sizeof tp, nullptr, nullptr) && ::GetLastError() == ERROR_SUCCESS;
}

std::optional<std::vector<ToolhelpProcess>> Win32Processes::ProcessSnapshot() {
  auto snapshot = Entry<SnapshotFn>("kernel32.dll", "CreateToolhelp32Snapshot");
  auto first = Entry<ProcessWalkFn>("kernel32.dll", "Process32First");
  auto next = Entry<ProcessWalkFn>("kernel32.dll", "Process32Next");
  if (!snapshot || !first || !next) return std::nullopt;
  UniqueFileHandle snap(snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snap) return std::nullopt;
  std::vector<ToolhelpProcess> out;
  tagPROCESSENTRY32 e = {};
  e.dwSize = sizeof e;
  for (BOOL ok = first(snap.Get(), &e); ok && out.size() < 65536; ok = next(snap.Get(), &e)) {
    ToolhelpProcess p;
    p.PID = e.th32ProcessID;
    p.Usage = e.cntUsage;
    p.ParentPID = e.th32ParentProcessID;
    p.ThreadCount = e.cntThreads;
    p.ModuleID = e.th32ModuleID;
    p.DefaultHeapID = static_cast<uint64_t>(e.th32DefaultHeapID);
    p.PriorityClassBase = e.pcPriClassBase;
    p.ExeFile = AnsiToUtf8UntilNul(e.szExeFile, sizeof e.szExeFile);
    out.push_back(p);
    e.dwSize = sizeof e;
  }
  return out;
}

std::vector<ToolhelpModule> Win32Processes::ModuleSnapshot(uint32_t pid) {
  std::vector<ToolhelpModule> out;
  auto snapshot = Entry<SnapshotFn>("kernel32.dll", "CreateToolhelp32Snapshot");
  auto first = Entry<ModuleWalkFn>("kernel32.dll", "Module32First");
  auto next = Entry<ModuleWalkFn>("kernel32.dll", "Module32Next");
  if (!snapshot || !first || !next) return out;
  UniqueFileHandle snap(snapshot(TH32CS_SNAPMODULE, pid));
  if (!snap) return out;
  tagMODULEENTRY32 e = {};
  e.dwSize = sizeof e;
  for (BOOL ok = first(snap.Get(), &e); ok && out.size() < 4096; ok = next(snap.Get(), &e)) {
    out.push_back({AnsiToUtf8UntilNul(e.szModule, sizeof e.szModule), AnsiToUtf8UntilNul(e.szExePath, sizeof e.szExePath),
                   e.modBaseSize, reinterpret_cast<uintptr_t>(e.modBaseAddr)});
    e.dwSize = sizeof e;
  }
  return out;
}

std::vector<ToolhelpThread> Win32Processes::ThreadSnapshot() {
  std::vector<ToolhelpThread> out;
  auto snapshot = Entry<SnapshotFn>("kernel32.dll", "CreateToolhelp32Snapshot");
  auto first = Entry<ThreadWalkFn>("kernel32.dll", "Thread32First");
  auto next = Entry<ThreadWalkFn>("kernel32.dll", "Thread32Next");
  if (!snapshot || !first || !next) return out;
  UniqueFileHandle snap(snapshot(TH32CS_SNAPTHREAD, 0));
  if (!snap) return out;
  tagTHREADENTRY32 e = {};
  e.dwSize = sizeof e;
  for (BOOL ok = first(snap.Get(), &e); ok && out.size() < 262144; ok = next(snap.Get(), &e)) {
    out.push_back({e.th32ThreadID, e.th32OwnerProcessID, e.tpBasePri, e.tpDeltaPri});
    e.dwSize = sizeof e;
  }
  return out;
}

NativeBuffer Win32Processes::QuerySystemInformation(uint32_t infoClass, uint32_t size) {
  NativeBuffer answer;
  answer.PointerSize = sizeof(void*);
  auto query = Entry<NtQuerySystemInformationFn>("ntdll.dll", "NtQuerySystemInformation");
  if (!query) {
    answer.Status = static_cast<int32_t>(0xC0000002);  // STATUS_NOT_IMPLEMENTED
    return answer;
  }
  answer.Bytes.assign(size, 0);
  ULONG needed = 0;
  answer.Status = query(infoClass, answer.Bytes.data(), size, &needed);
  answer.ReturnLength = needed;
  // The vector keeps its storage when moved: the pointers inside stay valid against Address.
  answer.Address = reinterpret_cast<uintptr_t>(answer.Bytes.data());
  return answer;
}

std::optional<ProcessDetails> Win32Processes::OpenProcessDetails(uint32_t pid) {
  UniqueKernelHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
  if (!process) return std::nullopt;
  ProcessDetails d;
  auto enumerate = Entry<EnumProcessModulesFn>("psapi.dll", "EnumProcessModules");
  auto fileName = Entry<GetModuleFileNameExFn>("psapi.dll", "GetModuleFileNameExA");
  auto information = Entry<GetModuleInformationFn>("psapi.dll", "GetModuleInformation");
  if (!LoaderListModules(process.Get(), d.Modules) && enumerate && fileName && information) {
    std::vector<HMODULE> modules(1024);
    DWORD needed = 0;
    if (enumerate(process.Get(), modules.data(), static_cast<DWORD>(modules.size() * sizeof(HMODULE)), &needed)) {
      const size_t count = std::min<size_t>(needed / sizeof(HMODULE), modules.size());
      for (size_t i = 0; i < count; ++i) {
        char path[261] = {};
        fileName(process.Get(), modules[i], path, 260);
        ModuleInfo info = {};
        information(process.Get(), modules[i], &info, sizeof info);
        d.Modules.push_back({AnsiToUtf8UntilNul(path, 260), info.Size, reinterpret_cast<uintptr_t>(info.EntryPoint),
                             reinterpret_cast<uintptr_t>(info.Base)});
      }
    }
  }
  auto openToken = Entry<OpenProcessTokenFn>("advapi32.dll", "OpenProcessToken");
  UniqueKernelHandle token;
  if (openToken && openToken(process.Get(), TOKEN_QUERY, token.Put())) {
    const auto user = TokenInformation(token.Get(), TokenUser);
    if (user.size() >= sizeof(TOKEN_USER))
      d.UserSid = SidBytes(reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid);
    const auto groups = TokenInformation(token.Get(), TokenGroups);
    if (groups.size() >= sizeof(TOKEN_GROUPS)) {
      const auto* g = reinterpret_cast<const TOKEN_GROUPS*>(groups.data());
      const size_t room = (groups.size() - offsetof(TOKEN_GROUPS, Groups)) / sizeof(SID_AND_ATTRIBUTES);
      for (DWORD i = 0; i < g->GroupCount && i < room; ++i) d.GroupSids.push_back(SidBytes(g->Groups[i].Sid));
    }
    const auto privileges = TokenInformation(token.Get(), TokenPrivileges);
    auto name = Entry<LookupPrivilegeNameFn>("advapi32.dll", "LookupPrivilegeNameA");
    if (name && privileges.size() >= sizeof(TOKEN_PRIVILEGES)) {
      const auto* p = reinterpret_cast<const TOKEN_PRIVILEGES*>(privileges.data());
      const size_t room = (privileges.size() - offsetof(TOKEN_PRIVILEGES, Privileges)) / sizeof(LUID_AND_ATTRIBUTES);
      for (DWORD i = 0; i < p->PrivilegeCount && i < room; ++i) {
        char text[256] = {};
        DWORD length = sizeof text - 1;
        LUID luid = p->Privileges[i].Luid;
        if (name(nullptr, &luid, text, &length)) d.Privileges.push_back(AnsiToUtf8UntilNul(text, sizeof text));
      }
    }
  }
  return d;
}

AccountLookup Win32Processes::LookupAccount(const std::vector<uint8_t>& sid) {
  AccountLookup a;
  auto lookup = Entry<LookupAccountSidFn>("advapi32.dll", "LookupAccountSidA");
  if (!lookup || sid.empty()) {
    a.Error = ERROR_CALL_NOT_IMPLEMENTED;
    return a;
  }
  std::vector<uint8_t> copy = sid;
  char name[256] = {}, domain[256] = {};
  DWORD nameLength = sizeof name - 1, domainLength = sizeof domain - 1;
  SID_NAME_USE use;
  if (lookup(nullptr, copy.data(), name, &nameLength, domain, &domainLength, &use)) {
    a.Name = AnsiToUtf8UntilNul(name, sizeof name);
    a.Domain = AnsiToUtf8UntilNul(domain, sizeof domain);
  }
  if (a.Name.empty()) a.Error = ::GetLastError();
  return a;
}

std::optional<HandleDescription> Win32Processes::DescribeHandle(uint32_t pid, uint64_t handle) {
  auto queryObject = Entry<NtQueryObjectFn>("ntdll.dll", "NtQueryObject");
  if (!queryObject) return std::nullopt;
  UniqueKernelHandle owner(::OpenProcess(PROCESS_DUP_HANDLE, FALSE, pid));
  if (!owner) return std::nullopt;
  UniqueKernelHandle copy;
  if (!::DuplicateHandle(owner.Get(), reinterpret_cast<HANDLE>(static_cast<uintptr_t>(handle)), ::GetCurrentProcess(),
                         copy.Put(), 0, FALSE, DUPLICATE_SAME_ACCESS))
    return std::nullopt;
  HandleDescription d;
  std::vector<uint8_t> buffer(4096);
  ULONG returned = 0;
  if (queryObject(copy.Get(), 2 /* ObjectTypeInformation */, buffer.data(), static_cast<ULONG>(buffer.size()), &returned) >= 0)
    d.TypeName = UnicodeStringAtStart(buffer, returned);
  // The name of a File object is never asked for: on a synchronous pipe the query waits
  // for the pipe and never comes back. Every other type answers at once.
  if (!d.TypeName.empty() && d.TypeName != "File") {
    std::fill(buffer.begin(), buffer.end(), 0);
    if (queryObject(copy.Get(), 1 /* ObjectNameInformation */, buffer.data(), static_cast<ULONG>(buffer.size()), &returned) >= 0)
      d.ObjectName = UnicodeStringAtStart(buffer, returned);
  }
  auto information = [](const char* name) { return Entry<NtQueryInformationFn>("ntdll.dll", name); };
  if (d.TypeName == "Process") {
    PROCESS_BASIC_INFORMATION basic = {};
    if (auto q = information("NtQueryInformationProcess"))
      if (q(copy.Get(), 0, &basic, sizeof basic, nullptr) >= 0) d.ProcessId = static_cast<uint32_t>(basic.UniqueProcessId);
  } else if (d.TypeName == "Thread") {
    struct { LONG ExitStatus; PVOID Teb; HANDLE Process, Thread; KAFFINITY Affinity; LONG Priority, BasePriority; } basic = {};
    if (auto q = information("NtQueryInformationThread"))
      if (q(copy.Get(), 0, &basic, sizeof basic, nullptr) >= 0) {
        d.ThreadProcessId = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(basic.Process));
        d.ThreadId = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(basic.Thread));
      }
  }
  return d;
}

uint64_t Win32Processes::DesktopWindow() { return reinterpret_cast<uintptr_t>(::GetDesktopWindow()); }

std::vector<uint64_t> Win32Processes::ChildWindows(uint64_t parent) {
  std::vector<uint64_t> out;
  HWND child = ::GetWindow(reinterpret_cast<HWND>(static_cast<uintptr_t>(parent)), GW_CHILD);
  while (child && out.size() < 65536) {
    out.push_back(reinterpret_cast<uintptr_t>(child));
    child = ::GetWindow(child, GW_HWNDNEXT);
  }
  return out;
}

WindowFacts Win32Processes::DescribeWindow(uint64_t window) {
  WindowFacts f;
  f.Handle = window;
  HWND h = reinterpret_cast<HWND>(static_cast<uintptr_t>(window));
  char text[256] = {};
  if (::GetClassNameA(h, text, sizeof text)) f.ClassName = AnsiToUtf8UntilNul(text, sizeof text);
  // Another process's window text is read without sending it a message, so a hung
  // program cannot hold the walk up.
  text[0] = 0;
  if (::GetWindowTextA(h, text, sizeof text)) f.Text = AnsiToUtf8UntilNul(text, sizeof text);
  DWORD pid = 0;
  f.ThreadId = ::GetWindowThreadProcessId(h, &pid);
  f.ProcessId = pid;
  f.Visible = ::IsWindowVisible(h) != FALSE;
  return f;
}

}  // namespace kestrova::win32
