#include "engine/platform/capture/capture_processes.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "engine/core/text.h"
#include "engine/inventory/native_lists.h"
#include "engine/platform/recorded/recorded_processes.h"

namespace kestrova {

namespace {

uint64_t Le(const std::vector<uint8_t>& b, size_t at, size_t width) {
  uint64_t v = 0;
  for (size_t i = 0; i < width && at + i < b.size(); ++i) v |= uint64_t{b[at + i]} << (8 * i);
  return v;
}

bool Listable(const std::string& field) { return field.find(',') == std::string::npos && Trim(field) == field; }

// The SID as a recording writes it, when that text reads back as the same bytes.
std::optional<std::string> SidText(const std::vector<uint8_t>& sid) {
  const std::string text = SidToText(sid);
  if (text.empty() || SidFromText(text) != sid) return std::nullopt;
  return text;
}

std::string Numbers(const uint64_t* values, size_t count) {
  std::string out;
  out.reserve(count * 21);
  char digits[24];
  for (size_t i = 0; i < count; ++i) {
    if (i) out += ',';
    const int n = std::snprintf(digits, sizeof digits, "%llu", static_cast<unsigned long long>(values[i]));
    out.append(digits, static_cast<size_t>(n));
  }
  return out;
}

}  // namespace

// --- the calls ---------------------------------------------------------------------------------

bool CapturingProcesses::EnablePrivilege(const std::string& name) { return inner_.EnablePrivilege(name); }

std::optional<std::vector<ToolhelpProcess>> CapturingProcesses::ProcessSnapshot() {
  auto answer = inner_.ProcessSnapshot();
  snapshotAsked_ = true;
  snapshot_ = answer;
  return answer;
}

std::vector<ToolhelpModule> CapturingProcesses::ModuleSnapshot(uint32_t pid) {
  auto answer = inner_.ModuleSnapshot(pid);
  modules_[pid] = answer;
  return answer;
}

std::vector<ToolhelpThread> CapturingProcesses::ThreadSnapshot() {
  auto answer = inner_.ThreadSnapshot();
  threads_ = answer;
  return answer;
}

NativeBuffer CapturingProcesses::QuerySystemInformation(uint32_t infoClass, uint32_t size) {
  NativeBuffer answer = inner_.QuerySystemInformation(infoClass, size);
  native_[infoClass] = answer;
  return answer;
}

std::optional<ProcessDetails> CapturingProcesses::OpenProcessDetails(uint32_t pid) {
  auto answer = inner_.OpenProcessDetails(pid);
  details_[pid] = answer;
  return answer;
}

AccountLookup CapturingProcesses::LookupAccount(const std::vector<uint8_t>& sid) {
  AccountLookup answer = inner_.LookupAccount(sid);
  if (auto text = SidText(sid)) accounts_[*text] = answer;
  return answer;
}

std::optional<HandleDescription> CapturingProcesses::DescribeHandle(uint32_t pid, uint64_t handle) {
  auto answer = inner_.DescribeHandle(pid, handle);
  if (answer) handleDescribed_ = true;
  return answer;
}

uint64_t CapturingProcesses::DesktopWindow() {
  const uint64_t w = inner_.DesktopWindow();
  desktop_ = w;
  return w;
}

std::vector<uint64_t> CapturingProcesses::ChildWindows(uint64_t parent) {
  auto answer = inner_.ChildWindows(parent);
  children_[parent] = answer;
  return answer;
}

WindowFacts CapturingProcesses::DescribeWindow(uint64_t window) {
  WindowFacts facts = inner_.DescribeWindow(window);
  windows_[window] = facts;
  return facts;
}

// --- the layout of the class 5 entries --------------------------------------------------------

bool CapturingProcesses::HasIoCounters(const NativeBuffer& buffer) {
  const uint32_t p = buffer.PointerSize == 8 ? 8 : 4;
  const size_t imageBuffer = p == 8 ? 64 : 60;
  const std::vector<uint8_t>& b = buffer.Bytes;
  size_t offset = 0;
  // Bounded: every step moves forward, and at most 4096 entries are looked at.
  for (int n = 0; n < 4096 && offset + imageBuffer + p <= b.size(); ++n) {
    const uint64_t threads = Le(b, offset + 4, 4);
    const uint64_t name = Le(b, offset + imageBuffer, p);
    if (name != 0 && name >= buffer.Address + offset) {
      const uint64_t at = name - buffer.Address - offset;
      const uint64_t thread = NativeThreadSize(p);
      if (at == NativeProcessEntrySize(p, false) + threads * thread) return false;
      return true;
    }
    const uint64_t next = Le(b, offset, 4);
    if (next == 0) break;
    offset += static_cast<size_t>(next);
  }
  return true;
}

// --- writing ---------------------------------------------------------------------------------------

void CapturingProcesses::Write(CaptureOutput& out) const {
  WriteProcesses(out);
  WriteWindows(out);
}

void CapturingProcesses::WriteProcesses(CaptureOutput& out) const {
  auto nativeOf = [&](uint32_t cls) -> const NativeBuffer* {
    auto it = native_.find(cls);
    return it != native_.end() && it->second.Status == kStatusSuccess ? &it->second : nullptr;
  };
  const NativeBuffer* list = nativeOf(kSystemProcessInformation);
  const bool nativeAsked = native_.count(kSystemProcessInformation) != 0;
  const bool io = list ? HasIoCounters(*list) : true;

  if (snapshotAsked_ || nativeAsked) {
    out.Add("processes", "PointerSize", std::to_string(list ? list->PointerSize : 4));
    if (list) out.Add("processes", "BufferAddress", Format("0x%llX", static_cast<unsigned long long>(list->Address)));
    out.Add("processes", "Toolhelp", snapshotAsked_ && !snapshot_ ? "0" : "1");
    out.Add("processes", "Native", nativeAsked && !list ? "0" : "1");
    out.Add("processes", "IoCounters", io ? "1" : "0");
  }

  // The processes of both lists, toolhelp's order first, then those only the native list has.
  std::vector<NativeProcessEntry> entries;
  if (list) entries = WalkNativeProcessList(*list, io);
  std::vector<uint32_t> order;
  if (snapshot_)
    for (const ToolhelpProcess& t : *snapshot_) order.push_back(t.PID);
  for (const NativeProcessEntry& e : entries)
    if (std::find(order.begin(), order.end(), e.PID) == order.end()) order.push_back(e.PID);
  {
    // The two lists must agree on the order of the processes they share.
    std::vector<uint32_t> shared;
    for (const NativeProcessEntry& e : entries)
      if (snapshot_ && std::any_of(snapshot_->begin(), snapshot_->end(), [&](const ToolhelpProcess& t) { return t.PID == e.PID; }))
        shared.push_back(e.PID);
    std::vector<uint32_t> inOrder;
    for (uint32_t pid : order)
      if (std::find(shared.begin(), shared.end(), pid) != shared.end()) inOrder.push_back(pid);
    if (inOrder != shared) out.Note("toolhelp and the native list give the processes in different orders");
  }

  bool threadsDiffer = false;
  for (uint32_t pid : order) {
    const std::string section = Format("process:%u", pid);
    const ToolhelpProcess* t = nullptr;
    if (snapshot_)
      for (const ToolhelpProcess& x : *snapshot_)
        if (x.PID == pid) t = &x;
    const NativeProcessEntry* n = nullptr;
    for (const NativeProcessEntry& x : entries)
      if (x.PID == pid) n = &x;
    out.AddSection(section);
    if (n && !n->ImageName.empty()) out.Add(section, "Name", n->ImageName);
    if (t) out.Add(section, "ExeFile", t->ExeFile);
    out.Add(section, "Parent", std::to_string(n ? n->ParentPID : t->ParentPID));
    const int32_t priority = n ? n->BasePriority : t->PriorityClassBase;
    if (priority < 0 || priority > 31) out.Note(section + ": a priority out of 0..31 is cut");
    out.Add(section, "Priority", std::to_string(std::min(std::max(priority, 0), 31)));
    const uint32_t threadCount = n ? n->ThreadCount : t->ThreadCount;
    if (threadCount > 4096) out.Note(section + ": more than 4096 threads are cut");
    out.Add(section, "Threads", std::to_string(std::min<uint32_t>(threadCount, 4096)));
    if (t) {
      out.Add(section, "Usage", std::to_string(t->Usage));
      out.Add(section, "ModuleID", std::to_string(t->ModuleID));
      out.Add(section, "DefaultHeapID", std::to_string(t->DefaultHeapID));
    }
    if (n) {
      out.Add(section, "Handles", std::to_string(n->HandleCount));
      out.Add(section, "CreateTime", std::to_string(n->CreateTime));
      out.Add(section, "UserTime", std::to_string(n->UserTime));
      out.Add(section, "KernelTime", std::to_string(n->KernelTime));
      out.Add(section, "VMCounters", Numbers(n->VMCounters, kVMCounterCount));
      if (io) out.Add(section, "IOCounters", Numbers(n->IOCounters, kIOCounterCount));
      for (size_t i = 0; i < n->Threads.size(); ++i) {
        const TThreadInfo& th = n->Threads[i];
        if (th.ThreadID != pid + 4 * (i + 1) || th.BasePriority != priority || th.StartAddress != 0x7C810000 + 0x100 * i ||
            th.KernelTime || th.UserTime || th.CreateTime || th.ContextSwitches || th.WaitTime || th.State != 5 ||
            th.WaitReason)
          threadsDiffer = true;
      }
    }
    if (!t) out.Add(section, "Toolhelp", "0");
    if (!n && list) out.Add(section, "Native", "0");

    // Modules, the user, groups and privileges: from the details when the process was
    // opened, else from toolhelp's module list.
    auto d = details_.find(pid);
    std::vector<ProcessModule> modules;
    if (d != details_.end() && !d->second) {
      out.Add(section, "Opens", "0");
      auto th = modules_.find(pid);
      if (th != modules_.end() && !th->second.empty())
        out.Note(section + ": toolhelp listed modules of a process that did not open; left out");
    } else if (d != details_.end()) {
      modules = d->second->Modules;
    } else if (auto th = modules_.find(pid); th != modules_.end()) {
      for (const ToolhelpModule& m : th->second) modules.push_back({m.Path, m.Size, 0, m.Base});
    }
    for (const ProcessModule& m : modules) {
      if (!Listable(m.Path)) {
        out.Note(section + ": module path '" + m.Path + "' cannot be a comma field; left out");
        continue;
      }
      out.Add(section, "Module", Format("%s,%u,0x%llX,0x%llX", m.Path.c_str(), m.Size,
                                        static_cast<unsigned long long>(m.EntryPoint),
                                        static_cast<unsigned long long>(m.Base)));
    }
    if (d != details_.end() && d->second) {
      const ProcessDetails& det = *d->second;
      if (!det.UserSid.empty()) {
        if (auto text = SidText(det.UserSid)) out.Add(section, "User", *text);
        else out.Note(section + ": a user SID a recording cannot write; left out");
      }
      std::string groups, privileges;
      size_t groupCount = 0, privilegeCount = 0;  // a record lists 64 of each at most
      for (const auto& g : det.GroupSids) {
        if (groupCount == 64) {
          out.Note(section + ": more than 64 groups are cut");
          break;
        }
        if (auto text = SidText(g)) groups += (groupCount++ ? "," : "") + *text;
        else out.Note(section + ": a group SID a recording cannot write; left out");
      }
      for (const auto& p : det.Privileges) {
        if (!Listable(p) || p.empty()) continue;
        if (privilegeCount == 64) {
          out.Note(section + ": more than 64 privileges are cut");
          break;
        }
        privileges += (privilegeCount++ ? "," : "") + p;
      }
      if (!groups.empty()) out.Add(section, "Groups", groups);
      if (!privileges.empty()) out.Add(section, "Privileges", privileges);
    }
  }
  if (threadsDiffer)
    out.Note("thread records: a recording makes them from each process's count; their own identifiers, "
             "start addresses, times and states are not kept");
  if (threads_) {
    for (const ToolhelpThread& th : *threads_) {
      const bool known = std::find(order.begin(), order.end(), th.OwnerPID) != order.end();
      if (!known) {
        out.Note("toolhelp threads of a process no list names; left out");
        break;
      }
    }
  }

  for (const auto& a : accounts_) {
    if (a.second.Name.empty()) continue;  // no name: a recording answers ERROR_NONE_MAPPED
    if (a.second.Domain.empty() && a.second.Name.find('\\') != std::string::npos)
      out.Note("account " + a.first + ": a name with a backslash reads back with a domain");
    out.Add("accounts", a.first, a.second.Domain.empty() ? a.second.Name : a.second.Domain + "\\" + a.second.Name);
  }

  if (const NativeBuffer* drivers = nativeOf(kSystemModuleInformation)) {
    const auto list11 = WalkNativeModuleList(drivers->Bytes, drivers->PointerSize);
    for (size_t i = 0; i < list11.size(); ++i) {
      const NativeModuleEntry& m = list11[i];
      if (!Listable(m.FullPathName)) {
        out.Note("driver '" + m.FullPathName + "' cannot be a comma field; left out");
        continue;
      }
      if (m.LoadOrderIndex != i) out.Note("driver " + m.FullPathName + ": its load order index is made from its place");
      out.Add("drivers", "Driver", Format("%s,0x%llX,%u,0x%X", m.FullPathName.c_str(),
                                          static_cast<unsigned long long>(m.ImageBase), m.ImageSize, m.Flags));
    }
    if (list11.empty()) out.AddSection("drivers");
  }
  if (const NativeBuffer* handles = nativeOf(kSystemHandleInformation)) {
    const auto list16 = WalkNativeHandleList(handles->Bytes, handles->PointerSize);
    bool objectsDiffer = false;
    for (size_t i = 0; i < list16.size(); ++i) {
      const NativeHandleEntry& h = list16[i];
      if (h.PID > 0xFFFF) {
        out.Note(Format("handle of process %u: identifiers above 65535 cannot be written", h.PID));
        continue;
      }
      if (h.Object != 0x81000000u + 0x40 * i || h.Attributes) objectsDiffer = true;
      out.Add("handles", "Handle", Format("%u,%u,%u,0x%X", h.PID, h.Handle, h.ObjectType, h.GrantedAccess));
    }
    if (objectsDiffer) out.Note("handles: a recording makes the object addresses up and keeps no attributes");
    if (list16.empty()) out.AddSection("handles");
  }
  if (handleDescribed_)
    out.Note("handles: the type and object names read through duplicated handles are not kept; "
             "a recording names them from the type numbers");
}

void CapturingProcesses::WriteWindows(CaptureOutput& out) const {
  if (!desktop_ || *desktop_ == 0) return;
  // Depth-first from the desktop, each window once, bounded by what was asked.
  std::set<uint64_t> written;
  struct Item { uint64_t Window, Parent; };
  std::vector<Item> stack{{*desktop_, 0}};
  while (!stack.empty()) {
    const Item item = stack.back();
    stack.pop_back();
    if (!written.insert(item.Window).second) continue;
    auto f = windows_.find(item.Window);
    WindowFacts facts = f != windows_.end() ? f->second : WindowFacts{};
    if (!Listable(facts.ClassName)) {
      out.Note(Format("window 0x%llX: a class name with a comma; left out", static_cast<unsigned long long>(item.Window)));
      continue;
    }
    if (Trim(facts.Text) != facts.Text) out.Note(Format("window 0x%llX: blanks at the ends of its text are not kept",
                                                        static_cast<unsigned long long>(item.Window)));
    std::string line = Format("0x%llX,0x%llX,%u,%d,", static_cast<unsigned long long>(item.Window),
                              static_cast<unsigned long long>(item.Parent), facts.ProcessId, facts.Visible ? 1 : 0) +
                       facts.ClassName;
    if (!facts.Text.empty()) line += "," + facts.Text;
    out.Add("windows", "Window", line);
    auto c = children_.find(item.Window);
    if (c == children_.end()) continue;
    for (auto it = c->second.rbegin(); it != c->second.rend(); ++it) stack.push_back({*it, item.Window});
  }
}

}  // namespace kestrova
