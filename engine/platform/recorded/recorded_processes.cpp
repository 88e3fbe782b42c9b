#include "engine/platform/recorded/recorded_processes.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

#include "engine/core/text.h"
#include "engine/platform/recorded/load_error.h"

namespace kestrova {

// --- the system's layouts ---------------------------------------------------------------------

namespace {

void Put(std::vector<uint8_t>& b, size_t offset, uint64_t value, size_t width) {
  if (b.size() < offset + width) b.resize(offset + width, 0);
  for (size_t i = 0; i < width; ++i) b[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

size_t Align8(size_t n) { return (n + 7) & ~size_t{7}; }

}  // namespace

std::vector<uint8_t> EncodeNativeProcessList(const std::vector<RecordedProcess>& processes, uint32_t pointerSize,
                                             bool ioCounters, uint64_t address) {
  const bool wide = pointerSize == 8;
  const size_t p = wide ? 8 : 4;
  // SYSTEM_PROCESS_INFORMATION: 32-bit and 64-bit offsets.
  const size_t imageLength = 56, imageBuffer = wide ? 64 : 60, basePriority = wide ? 72 : 64,
               pid = wide ? 80 : 68, parent = wide ? 88 : 72, handles = wide ? 96 : 76;
  const size_t vm32[11] = {88, 92, 96, 100, 104, 108, 112, 116, 120, 124, 128};
  const size_t vm64[11] = {112, 120, 128, 136, 144, 152, 160, 168, 176, 184, 192};
  const size_t io = wide ? 208 : 136;
  const size_t fixed = ioCounters ? (wide ? 256 : 184) : (wide ? 208 : 136);
  const size_t threadSize = wide ? 80 : 64;
  std::vector<uint8_t> b;
  size_t offset = 0;
  for (size_t n = 0; n < processes.size(); ++n) {
    const RecordedProcess& r = processes[n];
    const std::vector<uint8_t> name = Utf8ToUtf16Le(r.ImageName);
    const size_t threadsAt = offset + fixed;
    const size_t nameAt = threadsAt + r.ThreadCount * threadSize;
    const size_t size = Align8(nameAt - offset + (name.empty() ? 0 : name.size() + 2));
    b.resize(offset + size, 0);
    const bool last = n + 1 == processes.size();
    Put(b, offset, last ? 0 : size, 4);
    Put(b, offset + 4, r.ThreadCount, 4);
    Put(b, offset + 32, static_cast<uint64_t>(r.CreateTime), 8);
    Put(b, offset + 40, static_cast<uint64_t>(r.UserTime), 8);
    Put(b, offset + 48, static_cast<uint64_t>(r.KernelTime), 8);
    if (!name.empty()) {
      Put(b, offset + imageLength, name.size(), 2);
      Put(b, offset + imageLength + 2, name.size() + 2, 2);
      Put(b, offset + imageBuffer, address + nameAt, p);
      std::copy(name.begin(), name.end(), b.begin() + static_cast<std::ptrdiff_t>(nameAt));
    }
    Put(b, offset + basePriority, static_cast<uint32_t>(r.Priority), 4);
    Put(b, offset + pid, r.PID, p);
    Put(b, offset + parent, r.ParentPID, p);
    Put(b, offset + handles, r.HandleCount, 4);
    for (size_t i = 0; i < 11; ++i) Put(b, offset + (wide ? vm64[i] : vm32[i]), r.VMCounters[i], i == 2 ? 4 : p);
    if (ioCounters)
      for (size_t i = 0; i < 6; ++i) Put(b, offset + io + 8 * i, r.IOCounters[i], 8);
    for (uint32_t t = 0; t < r.ThreadCount; ++t) {
      // SYSTEM_THREAD_INFORMATION: times, wait time, start address, client id, priorities,
      // context switches, state (5 = waiting) and wait reason.
      const size_t o = threadsAt + t * threadSize;
      const size_t start = wide ? 32 : 28;
      Put(b, o + start, 0x7C810000 + 0x100 * t, p);
      Put(b, o + start + p, r.PID, p);
      Put(b, o + start + 2 * p, r.PID + 4 * (t + 1), p);
      Put(b, o + start + 3 * p, static_cast<uint32_t>(r.Priority), 4);
      Put(b, o + start + 3 * p + 4, static_cast<uint32_t>(r.Priority), 4);
      Put(b, o + start + 3 * p + 12, 5, 4);
    }
    offset += size;
  }
  return b;
}

std::vector<uint8_t> EncodeNativeModuleList(const std::vector<RecordedDriver>& drivers, uint32_t pointerSize) {
  const size_t p = pointerSize == 8 ? 8 : 4;
  const size_t entrySize = 3 * p + 16 + 256;
  std::vector<uint8_t> b(p + drivers.size() * entrySize, 0);
  Put(b, 0, drivers.size(), 4);
  for (size_t i = 0; i < drivers.size(); ++i) {
    const size_t o = p + i * entrySize;
    const RecordedDriver& d = drivers[i];
    Put(b, o + 2 * p, d.Base, p);
    Put(b, o + 3 * p, d.Size, 4);
    Put(b, o + 3 * p + 4, d.Flags, 4);
    Put(b, o + 3 * p + 8, i, 2);   // load order
    Put(b, o + 3 * p + 10, i, 2);  // initialisation order
    Put(b, o + 3 * p + 12, 1, 2);  // load count
    const std::string path = Utf8ToCp1252(d.FullPathName).substr(0, 255);
    Put(b, o + 3 * p + 14, path.rfind('\\') == std::string::npos ? 0 : path.rfind('\\') + 1, 2);
    std::copy(path.begin(), path.end(), b.begin() + static_cast<std::ptrdiff_t>(o + 3 * p + 16));
  }
  return b;
}

std::vector<uint8_t> EncodeNativeHandleList(const std::vector<RecordedHandle>& handles, uint32_t pointerSize) {
  const size_t p = pointerSize == 8 ? 8 : 4;
  const size_t entrySize = p == 8 ? 24 : 16;
  std::vector<uint8_t> b(p + handles.size() * entrySize, 0);
  Put(b, 0, handles.size(), 4);
  for (size_t i = 0; i < handles.size(); ++i) {
    const size_t o = p + i * entrySize;
    Put(b, o, handles[i].PID, 2);
    b[o + 4] = static_cast<uint8_t>(handles[i].TypeNumber);
    Put(b, o + 6, handles[i].Value, 2);
    Put(b, o + 8, 0x81000000u + 0x40 * i, p);
    Put(b, o + 8 + p, handles[i].Access, 4);
  }
  return b;
}

std::vector<uint8_t> SidFromText(const std::string& text) {
  const std::vector<std::string> parts = Split(text, '-');
  if (parts.size() < 3 || parts.size() > 3 + 15 || !EqualsNoCase(parts[0], "S") || parts[1] != "1") return {};
  auto number = [](const std::string& s, uint64_t max) -> std::optional<uint64_t> {
    if (s.empty() || s.size() > 12 || s.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    uint64_t v = std::stoull(s);
    if (v > max) return std::nullopt;
    return v;
  };
  auto authority = number(parts[2], 0xFFFFFFFFu);
  if (!authority) return {};
  std::vector<uint8_t> sid = {1, static_cast<uint8_t>(parts.size() - 3), 0, 0};
  for (int shift = 24; shift >= 0; shift -= 8) sid.push_back(static_cast<uint8_t>(*authority >> shift));
  for (size_t i = 3; i < parts.size(); ++i) {
    auto sub = number(parts[i], 0xFFFFFFFFu);
    if (!sub) return {};
    for (int k = 0; k < 4; ++k) sid.push_back(static_cast<uint8_t>(*sub >> (8 * k)));
  }
  return sid;
}

std::string MultiString(const std::vector<std::string>& names) {
  std::string out;
  for (const auto& n : names) {
    out += n;
    out += '\0';
  }
  out += '\0';
  return out;
}

// --- IProcesses ---------------------------------------------------------------------------------

const RecordedProcess* RecordedProcesses::Find(uint32_t pid) const {
  for (const auto& p : Processes)
    if (p.PID == pid) return &p;
  return nullptr;
}

bool RecordedProcesses::EnablePrivilege(const std::string& name) {
  EnabledPrivileges.push_back(name);
  return true;
}

std::optional<std::vector<ToolhelpProcess>> RecordedProcesses::ProcessSnapshot() {
  if (!ToolhelpPresent) return std::nullopt;
  std::vector<ToolhelpProcess> out;
  for (const auto& r : Processes) {
    if (!r.InToolhelp) continue;
    ToolhelpProcess e;
    e.PID = r.PID;
    e.Usage = r.Usage;
    e.ParentPID = r.ParentPID;
    e.ThreadCount = r.ThreadCount;
    e.ModuleID = r.ModuleID;
    e.DefaultHeapID = r.DefaultHeapID;
    e.PriorityClassBase = r.Priority;
    e.ExeFile = r.ExeFile;
    out.push_back(e);
  }
  return out;
}

std::vector<ToolhelpModule> RecordedProcesses::ModuleSnapshot(uint32_t pid) {
  std::vector<ToolhelpModule> out;
  const RecordedProcess* r = Find(pid);
  if (!r || !r->Opens) return out;  // toolhelp cannot look into it either
  for (const auto& m : r->Modules) {
    const size_t slash = m.Path.rfind('\\');
    out.push_back({slash == std::string::npos ? m.Path : m.Path.substr(slash + 1), m.Path, m.Size, m.Base});
  }
  return out;
}

std::vector<ToolhelpThread> RecordedProcesses::ThreadSnapshot() {
  std::vector<ToolhelpThread> out;
  for (const auto& r : Processes)
    for (uint32_t t = 0; t < r.ThreadCount; ++t) out.push_back({r.PID + 4 * (t + 1), r.PID, r.Priority, 0});
  return out;
}

NativeBuffer RecordedProcesses::QuerySystemInformation(uint32_t infoClass, uint32_t size) {
  QuerySizes.push_back(size);
  NativeBuffer answer;
  answer.PointerSize = PointerSize;
  answer.Address = BufferAddress;
  if (!NativePresent) {
    answer.Status = static_cast<int32_t>(0xC0000002);  // STATUS_NOT_IMPLEMENTED
    return answer;
  }
  std::vector<uint8_t> bytes;
  auto raw = RawBuffers.find(infoClass);
  if (raw != RawBuffers.end()) bytes = raw->second;
  else if (infoClass == 5) bytes = EncodeNativeProcessList(Processes, PointerSize, IoCounters, BufferAddress);
  else if (infoClass == 11) bytes = EncodeNativeModuleList(Drivers, PointerSize);
  else if (infoClass == 16) bytes = EncodeNativeHandleList(Handles, PointerSize);
  else {
    answer.Status = static_cast<int32_t>(0xC0000003);  // STATUS_INVALID_INFO_CLASS
    return answer;
  }
  answer.ReturnLength = static_cast<uint32_t>(bytes.size());
  if (bytes.size() > size) {
    answer.Status = kStatusInfoLengthMismatch;
    return answer;
  }
  answer.Bytes = std::move(bytes);
  return answer;
}

std::optional<ProcessDetails> RecordedProcesses::OpenProcessDetails(uint32_t pid) {
  ++OpenCalls;
  const RecordedProcess* r = Find(pid);
  if (!r || !r->Opens) return std::nullopt;
  ProcessDetails d;
  d.Modules = r->Modules;
  d.UserSid = r->UserSid;
  d.GroupSids = r->GroupSids;
  d.Privileges = r->Privileges;
  return d;
}

AccountLookup RecordedProcesses::LookupAccount(const std::vector<uint8_t>& sid) {
  // The SID text as the lookup key: the recorded accounts are written that way.
  std::string key = "S-1";
  if (sid.size() >= 8 && sid[0] == 1 && sid.size() >= 8u + 4u * sid[1]) {
    uint64_t authority = 0;
    for (size_t i = 2; i < 8; ++i) authority = (authority << 8) | sid[i];
    key += Format("-%llu", static_cast<unsigned long long>(authority));
    for (size_t i = 0; i < sid[1]; ++i) {
      const size_t o = 8 + 4 * i;
      key += Format("-%u", static_cast<unsigned>(sid[o] | sid[o + 1] << 8 | sid[o + 2] << 16 | uint32_t{sid[o + 3]} << 24));
    }
  }
  auto it = Accounts.find(key);
  if (it == Accounts.end()) return {"", "", 1332};  // ERROR_NONE_MAPPED
  return it->second;
}

std::optional<HandleDescription> RecordedProcesses::DescribeHandle(uint32_t, uint64_t) {
  return std::nullopt;  // recorded handles cannot be duplicated: their records keep the table's names
}

uint64_t RecordedProcesses::DesktopWindow() {
  for (const auto& w : WindowList)
    if (w.Parent == 0) return w.Handle;
  return 0;
}

std::vector<uint64_t> RecordedProcesses::ChildWindows(uint64_t parent) {
  std::vector<uint64_t> out;
  if (parent == 0) return out;
  for (const auto& w : WindowList)
    if (w.Parent == parent) out.push_back(w.Handle);
  return out;
}

WindowFacts RecordedProcesses::DescribeWindow(uint64_t window) {
  for (const auto& w : WindowList)
    if (w.Handle == window) return w.Facts;
  WindowFacts none;
  none.Handle = window;
  return none;
}

// --- IServices --------------------------------------------------------------------------------

const RecordedService* RecordedProcesses::FindService(const std::string& keyName) const {
  for (const auto& s : ServiceList)
    if (EqualsNoCase(s.KeyName, keyName)) return &s;
  return nullptr;
}

std::optional<std::vector<std::string>> RecordedProcesses::EnumerateDisplayNames() {
  if (!ManagerOpens) return std::nullopt;
  std::vector<std::string> names;
  for (const auto& s : ServiceList)
    if (s.Config.ServiceType & 0x30) names.push_back(s.Config.DisplayName);
  return names;
}

std::optional<std::string> RecordedProcesses::KeyName(const std::string& displayName) {
  for (const auto& s : ServiceList)
    if (EqualsNoCase(s.Config.DisplayName, displayName)) return s.KeyName;
  return std::nullopt;
}

std::optional<uint32_t> RecordedProcesses::CurrentState(const std::string& serviceName) {
  const RecordedService* s = FindService(serviceName);
  if (!s) return std::nullopt;
  return s->State;
}

std::optional<ServiceConfig> RecordedProcesses::QueryConfig(const std::string& serviceName) {
  const RecordedService* s = FindService(serviceName);
  if (!s || !s->ConfigReadable) return std::nullopt;
  return s->Config;
}

// --- machine.ini ------------------------------------------------------------------------------

namespace {

class Reader {
 public:
  Reader(const std::string& file, const IniSection& section) : file_(file), section_(section) {}
  [[noreturn]] void Fail(const IniEntry& e, const std::string& what) const { throw LoadError(file_, e.Line, what); }
  [[noreturn]] void Unknown(const IniEntry& e) const {
    Fail(e, "unknown key '" + e.Key + "' in [" + section_.Name + "]");
  }

  // Read in place (no copy of the text): a recording holds thousands of these.
  uint64_t Number(const IniEntry& e, const std::string& text, uint64_t max = ~uint64_t{0}) const {
    size_t b = 0, end = text.size();
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (b < end && blank(text[b])) ++b;
    while (end > b && blank(text[end - 1])) --end;
    auto shown = [&] { return text.substr(b, end - b); };
    const bool hex = end - b > 2 && text[b] == '0' && (text[b + 1] == 'x' || text[b + 1] == 'X');
    const size_t first = hex ? b + 2 : b;
    // Twenty decimal digits: a captured 64-bit counter may be as large as 2^64 - 1.
    if (first == end || end - first > (hex ? 16u : 20u)) Fail(e, "not a number: " + shown());
    const uint64_t base = hex ? 16 : 10;
    uint64_t n = 0;
    bool overflow = false;
    for (size_t i = first; i < end; ++i) {
      const char c = text[i];
      uint64_t d;
      if (c >= '0' && c <= '9') d = static_cast<uint64_t>(c - '0');
      else if (hex && c >= 'a' && c <= 'f') d = static_cast<uint64_t>(c - 'a' + 10);
      else if (hex && c >= 'A' && c <= 'F') d = static_cast<uint64_t>(c - 'A' + 10);
      else Fail(e, "not a number: " + shown());
      if (n > (~uint64_t{0} - d) / base) overflow = true;
      n = n * base + d;
    }
    if (overflow || n > max) Fail(e, "number out of range: " + shown());
    return n;
  }
  uint64_t Number(const IniEntry& e, uint64_t max = ~uint64_t{0}) const { return Number(e, e.Value, max); }
  // Process times are signed 64-bit counts, and a captured one may be negative.
  int64_t Signed(const IniEntry& e) const {
    const std::string v = Trim(e.Value);
    if (v.empty() || v[0] != '-') return static_cast<int64_t>(Number(e, v, 0x7FFFFFFFFFFFFFFF));
    const uint64_t n = Number(e, v.substr(1), uint64_t{1} << 63);
    return n == uint64_t{1} << 63 ? INT64_MIN : -static_cast<int64_t>(n);
  }
  uint32_t U32(const IniEntry& e) const { return static_cast<uint32_t>(Number(e, 0xFFFFFFFFu)); }
  bool Bool(const IniEntry& e) const { return Number(e, 1) != 0; }
  // The fields in a buffer the reader keeps: valid until its next call.
  std::vector<std::string>& Fields(const IniEntry& e, size_t min, size_t max) const {
    const std::string& v = e.Value;
    const size_t count = static_cast<size_t>(std::count(v.begin(), v.end(), ',')) + 1;
    if (count < min || count > max)
      Fail(e, "expected " + std::to_string(min) + " to " + std::to_string(max) + " comma-separated fields");
    // Each field trimmed straight out of the value into a kept text: no allocation for a
    // field that fits in the one it replaces.
    std::vector<std::string>& f = fields_;
    f.resize(count);
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    size_t i = 0;
    for (size_t start = 0;; ++i) {
      size_t comma = v.find(',', start);
      size_t b = start, end = comma == std::string::npos ? v.size() : comma;
      while (b < end && blank(v[b])) ++b;
      while (end > b && blank(v[end - 1])) --end;
      f[i].assign(v, b, end - b);
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
    return f;
  }
  std::vector<uint8_t> Sid(const IniEntry& e, const std::string& text) const {
    auto sid = SidFromText(text);
    if (sid.empty()) Fail(e, "not a SID (S-1-5-...): " + text);
    return sid;
  }
  void Check(const IniEntry& e) const {
    if (e.Key.empty()) Fail(e, "expected key=value in [" + section_.Name + "]");
  }

 private:
  std::string file_;
  const IniSection& section_;
  mutable std::vector<std::string> fields_;
};

void ApplyProcess(RecordedProcesses& data, const Reader& r, const IniSection& s, uint32_t pid) {
  RecordedProcess p;
  p.PID = pid;
  bool exeGiven = false;
  for (const IniEntry& e : s.Entries) {
    r.Check(e);
    const std::string k = ToLowerAscii(e.Key);
    if (k == "name") p.ImageName = e.Value;
    else if (k == "exefile") { p.ExeFile = e.Value; exeGiven = true; }
    else if (k == "parent") p.ParentPID = r.U32(e);
    else if (k == "priority") p.Priority = static_cast<int32_t>(r.Number(e, 31));
    else if (k == "threads") p.ThreadCount = static_cast<uint32_t>(r.Number(e, 4096));
    else if (k == "handles") p.HandleCount = r.U32(e);
    else if (k == "usage") p.Usage = r.U32(e);
    else if (k == "moduleid") p.ModuleID = r.U32(e);
    else if (k == "defaultheapid") p.DefaultHeapID = r.Number(e);
    else if (k == "createtime") p.CreateTime = r.Signed(e);
    else if (k == "usertime") p.UserTime = r.Signed(e);
    else if (k == "kerneltime") p.KernelTime = r.Signed(e);
    else if (k == "vmcounters") {
      auto& f = r.Fields(e, 11, 11);
      for (size_t i = 0; i < 11; ++i) p.VMCounters[i] = r.Number(e, f[i]);
    } else if (k == "iocounters") {
      auto& f = r.Fields(e, 6, 6);
      for (size_t i = 0; i < 6; ++i) p.IOCounters[i] = r.Number(e, f[i]);
    } else if (k == "toolhelp") p.InToolhelp = r.Bool(e);
    else if (k == "native") p.InNative = r.Bool(e);
    else if (k == "opens") p.Opens = r.Bool(e);
    else if (k == "module") {
      auto& f = r.Fields(e, 4, 4);
      p.Modules.push_back({f[0], static_cast<uint32_t>(r.Number(e, f[1], 0xFFFFFFFFu)), r.Number(e, f[2]), r.Number(e, f[3])});
    } else if (k == "user") p.UserSid = r.Sid(e, e.Value);
    else if (k == "groups") {
      for (const auto& g : r.Fields(e, 1, 64)) p.GroupSids.push_back(r.Sid(e, g));
    } else if (k == "privileges") {
      for (const auto& v : r.Fields(e, 1, 64)) p.Privileges.push_back(v);
    } else r.Unknown(e);
  }
  if (!exeGiven) p.ExeFile = p.ImageName;
  data.Processes.push_back(std::move(p));
}

void ApplyService(RecordedProcesses& data, const Reader& r, const IniSection& s, const std::string& keyName) {
  RecordedService svc;
  svc.KeyName = keyName;
  svc.Config.ServiceType = 0x10;
  svc.Config.StartType = 3;
  svc.Config.ErrorControl = 1;
  std::vector<std::string> dependencies;
  for (const IniEntry& e : s.Entries) {
    r.Check(e);
    const std::string k = ToLowerAscii(e.Key);
    if (k == "displayname") svc.Config.DisplayName = e.Value;
    else if (k == "type") svc.Config.ServiceType = r.U32(e);
    else if (k == "start") svc.Config.StartType = r.U32(e);
    else if (k == "errorcontrol") svc.Config.ErrorControl = r.U32(e);
    else if (k == "tag") svc.Config.TagId = r.U32(e);
    else if (k == "binarypath") svc.Config.BinaryPathName = e.Value;
    else if (k == "group") svc.Config.LoadOrderGroup = e.Value;
    else if (k == "startname") svc.Config.ServiceStartName = e.Value;
    else if (k == "dependencies") {
      for (const auto& d : Split(e.Value, ','))
        if (!Trim(d).empty()) dependencies.push_back(Trim(d));
    } else if (k == "state") svc.State = r.U32(e);
    else if (k == "configreadable") svc.ConfigReadable = r.Bool(e);
    else r.Unknown(e);
  }
  if (svc.Config.DisplayName.empty()) svc.Config.DisplayName = keyName;
  svc.Config.Dependencies = MultiString(dependencies);
  data.ServiceList.push_back(std::move(svc));
}

}  // namespace

bool ApplyProcessesSection(RecordedProcesses& data, const IniSection& s, const std::string& fileName) {
  const std::string lower = ToLowerAscii(s.Name);
  const Reader r(fileName, s);
  if (lower == "processes") {
    for (const IniEntry& e : s.Entries) {
      r.Check(e);
      const std::string k = ToLowerAscii(e.Key);
      if (k == "pointersize") {
        data.PointerSize = r.U32(e);
        if (data.PointerSize != 4 && data.PointerSize != 8) r.Fail(e, "PointerSize is 4 or 8");
      } else if (k == "bufferaddress") data.BufferAddress = r.Number(e);
      else if (k == "toolhelp") data.ToolhelpPresent = r.Bool(e);
      else if (k == "native") data.NativePresent = r.Bool(e);
      else if (k == "iocounters") data.IoCounters = r.Bool(e);
      else r.Unknown(e);
    }
  } else if (StartsWith(lower, "process:")) {
    const IniEntry at{"", s.Name, s.Name, s.Line};
    ApplyProcess(data, r, s, static_cast<uint32_t>(r.Number(at, s.Name.substr(8), 0xFFFFFFFFu)));
  } else if (lower == "drivers") {
    for (const IniEntry& e : s.Entries) {
      r.Check(e);
      if (!EqualsNoCase(e.Key, "Driver")) r.Unknown(e);
      auto& f = r.Fields(e, 3, 4);
      data.Drivers.push_back({f[0], r.Number(e, f[1]), static_cast<uint32_t>(r.Number(e, f[2], 0xFFFFFFFFu)),
                              f.size() > 3 ? static_cast<uint32_t>(r.Number(e, f[3], 0xFFFFFFFFu)) : 0u});
    }
  } else if (lower == "handles") {
    for (const IniEntry& e : s.Entries) {
      r.Check(e);
      if (!EqualsNoCase(e.Key, "Handle")) r.Unknown(e);
      auto& f = r.Fields(e, 4, 4);
      data.Handles.push_back({static_cast<uint32_t>(r.Number(e, f[0], 0xFFFF)), static_cast<uint32_t>(r.Number(e, f[1], 0xFFFF)),
                              static_cast<uint32_t>(r.Number(e, f[2], 0xFF)), static_cast<uint32_t>(r.Number(e, f[3], 0xFFFFFFFFu))});
    }
  } else if (lower == "windows") {
    for (const IniEntry& e : s.Entries) {
      r.Check(e);
      if (!EqualsNoCase(e.Key, "Window")) r.Unknown(e);
      // The text is the rest of the line after the fifth comma: it may hold commas itself.
      IniEntry head = e;
      std::string text;
      size_t comma = std::string::npos;
      for (int n = 0, at = 0; n < 5; ++n) {
        comma = e.Value.find(',', static_cast<size_t>(at));
        if (comma == std::string::npos) break;
        at = static_cast<int>(comma) + 1;
      }
      if (comma != std::string::npos) {
        head.Value = e.Value.substr(0, comma);
        text = Trim(e.Value.substr(comma + 1));
      }
      auto& f = r.Fields(head, 5, 5);
      if (comma != std::string::npos) f.push_back(text);
      RecordedWindow w;
      w.Handle = r.Number(e, f[0]);
      w.Parent = r.Number(e, f[1]);
      w.Facts.Handle = w.Handle;
      w.Facts.ProcessId = static_cast<uint32_t>(r.Number(e, f[2], 0xFFFFFFFFu));
      w.Facts.Visible = r.Number(e, f[3], 1) != 0;
      w.Facts.ClassName = f[4];
      w.Facts.Text = f.size() > 5 ? f[5] : "";
      data.WindowList.push_back(w);
    }
  } else if (lower == "accounts") {
    for (const IniEntry& e : s.Entries) {
      r.Check(e);
      r.Sid(e, e.Key);
      const size_t slash = e.Value.find('\\');
      AccountLookup a;
      a.Domain = slash == std::string::npos ? "" : e.Value.substr(0, slash);
      a.Name = slash == std::string::npos ? e.Value : e.Value.substr(slash + 1);
      data.Accounts[ToUpperAscii(e.Key)] = a;
    }
  } else if (lower == "services") {
    for (const IniEntry& e : s.Entries) {
      r.Check(e);
      if (EqualsNoCase(e.Key, "ManagerOpens")) data.ManagerOpens = r.Bool(e);
      else r.Unknown(e);
    }
  } else if (StartsWith(lower, "service:") && s.Name.size() > 8) {
    ApplyService(data, r, s, s.Name.substr(8));
  } else {
    return false;
  }
  return true;
}

}  // namespace kestrova
