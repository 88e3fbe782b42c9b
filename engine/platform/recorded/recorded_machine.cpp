#include "engine/platform/recorded/recorded_machine.h"

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>

#include <cstdio>
#include <stdexcept>
#include <functional>

#include "engine/core/text.h"
#include "engine/platform/recorded/host_files.h"
#include "engine/platform/recorded/ini.h"
#include "engine/platform/recorded/load_error.h"
#include "engine/platform/recorded/recorded_locale.h"
#include "engine/platform/recorded/recorded_time_zone.h"

namespace kestrova {

// The host's file system, through the C library only: the recorded platform is part of
// the Windows programs too, and must not pull in calls that old Windows lacks.
namespace {
bool HostIsDirectory(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
bool HostIsFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}
uint64_t HostFileSize(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
}
std::vector<std::string> HostList(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      std::string n = e->d_name;
      if (n != "." && n != "..") names.push_back(n);
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}
std::string HostJoin(const std::string& a, const std::string& b) { return a + "/" + b; }
}  // namespace

RecordedMachine::RecordedMachine() {
  LocaleData.DayNames = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  LocaleData.MonthNames = {"January", "February", "March", "April", "May", "June", "July",
                           "August", "September", "October", "November", "December"};
}

Platform RecordedMachine::View() {
  Platform p;
  p.Registry = &Registry;
  p.System = this;
  p.Files = this;
  p.Shell = this;
  p.Libraries = this;
  p.Processor = &Processor;
  p.Firmware = &Firmware;
  p.Display = &Display;
  p.Multimedia = &Multimedia;
  p.MemoryPower = &MemoryPower;
  p.Gate16 = &Gate16;
  p.Network = &Network;
  p.Usb = &Usb;
  p.Drives = &Drives;
  p.Spooler = &Spooler;
  p.ShellLinks = &ShellLinks;
  p.Profiles = &ProfileFiles;
  p.Processes = &Processes;
  p.Services = &Processes;
  p.Automation = &Runtimes;
  p.Aspi = &Runtimes;
  return p;
}

std::string RecordedMachine::EnvironmentBlock() const {
  std::string block;
  for (const auto& line : EnvironmentLines) {
    block += line;
    block += '\0';
  }
  block += '\0';
  return block;
}

std::optional<std::string> RecordedMachine::EnvironmentVariable(const std::string& name) const {
  for (const auto& line : EnvironmentLines) {
    size_t eq = line.find('=', 1);  // hidden "=C:=C:\" lines have their name after the first '='
    if (eq != std::string::npos && EqualsNoCase(line.substr(0, eq), name)) return line.substr(eq + 1);
  }
  return std::nullopt;
}

std::optional<TimeZoneFacts> RecordedMachine::TimeZone() const { return RecordedTimeZone(Registry); }

std::optional<std::string> RecordedMachine::LocaleInfo(uint32_t, uint32_t lcType) const {
  return RecordedLocaleInfo(LocaleData, lcType);
}

// --- files ------------------------------------------------------------------------------

std::string RecordedMachine::HostPath(const std::string& windowsPath) const {
  if (FilesRoot.empty() || windowsPath.size() < 2 || windowsPath[1] != ':') return {};
  char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(windowsPath[0])));
  if (drive < 'a' || drive > 'z') return {};
  std::string current = HostJoin(FilesRoot, std::string(1, drive));
  if (!HostIsDirectory(current)) return {};
  for (const std::string& part : Split(windowsPath.substr(2), '\\')) {
    if (part.empty() || part == ".") continue;
    if (part == "..") return {};  // never leave the recorded tree
    if (!HostIsDirectory(current)) return {};
    std::string found;
    for (const std::string& name : HostList(current)) {
      if (EqualsNoCase(name, part)) {
        found = HostJoin(current, name);
        break;
      }
    }
    if (found.empty()) return {};
    current = found;
  }
  return current;
}

std::optional<uint32_t> RecordedMachine::Attributes(const std::string& path) const {
  std::string host = HostPath(path);
  if (host.empty()) return std::nullopt;
  uint32_t attrs = HostIsDirectory(host) ? kAttrDirectory : kAttrArchive;
  std::string key = ToUpperAscii(path);
  while (key.size() > 3 && key.back() == '\\') key.pop_back();
  auto it = AttributeOverrides.find(key);
  if (it != AttributeOverrides.end()) attrs = (attrs & kAttrDirectory) | it->second;
  return attrs;
}

std::optional<std::vector<DirectoryEntry>> RecordedMachine::ListDirectory(const std::string& path) const {
  std::string host = HostPath(path);
  if (host.empty() || !HostIsDirectory(host)) return std::nullopt;
  std::vector<DirectoryEntry> out;
  std::string base = path;
  if (!base.empty() && base.back() != '\\') base += '\\';
  for (const std::string& name : HostList(host)) {
    DirectoryEntry e;
    e.Name = name;
    e.Attributes = Attributes(base + e.Name).value_or(kAttrArchive);
    if (!(e.Attributes & kAttrDirectory)) {
      auto size = SizeOverrides.find(ToUpperAscii(base + e.Name));
      e.Size = size != SizeOverrides.end() ? size->second : HostFileSize(HostJoin(host, name));
    }
    out.push_back(e);
  }
  std::sort(out.begin(), out.end(), [](const DirectoryEntry& a, const DirectoryEntry& b) {
    return ToUpperAscii(a.Name) < ToUpperAscii(b.Name);
  });
  return out;
}

std::optional<VersionResource> RecordedMachine::ReadVersionResource(const std::string& path) const {
  auto it = VersionResources.find(ToUpperAscii(path));
  if (it == VersionResources.end()) return std::nullopt;
  return it->second;
}

std::optional<std::string> RecordedMachine::SpecialFolderPath(int csidl) const {
  auto it = ShellFolders.find(csidl);
  if (it == ShellFolders.end()) return std::nullopt;
  return it->second;
}

// --- libraries -----------------------------------------------------------------------------

ModuleHandle RecordedMachine::GetLoadedModule(const std::string& name) {
  auto it = Libraries.find(ToUpperAscii(name));
  if (it == Libraries.end()) return 0;
  bool loaded = it->second.AlreadyLoaded ||
                std::find(loadedHere_.begin(), loadedHere_.end(), it->first) != loadedHere_.end();
  if (!loaded) return 0;
  ModuleHandle h = 0x10000000 + static_cast<ModuleHandle>(std::distance(Libraries.begin(), it)) * 0x10000;
  handles_[h] = it->first;
  return h;
}

ModuleHandle RecordedMachine::Load(const std::string& name) {
  auto it = Libraries.find(ToUpperAscii(name));
  if (it == Libraries.end()) return 0;
  if (!it->second.AlreadyLoaded) loadedHere_.push_back(it->first);
  ModuleHandle h = 0x10000000 + static_cast<ModuleHandle>(std::distance(Libraries.begin(), it)) * 0x10000;
  handles_[h] = it->first;
  return h;
}

bool RecordedMachine::HasEntryPoint(ModuleHandle module, const std::string& name) {
  auto h = handles_.find(module);
  if (h == handles_.end()) return false;
  const auto& exports = Libraries[h->second].Exports;
  return std::find(exports.begin(), exports.end(), name) != exports.end();
}

bool RecordedMachine::Free(ModuleHandle module) {
  auto h = handles_.find(module);
  if (h == handles_.end()) return false;
  if (Libraries[h->second].FreeFails) return false;
  auto it = std::find(loadedHere_.begin(), loadedHere_.end(), h->second);
  if (it != loadedHere_.end()) loadedHere_.erase(it);
  return true;
}

std::vector<std::string> RecordedMachine::LoadedLibraries() const { return loadedHere_; }

// --- machine.ini ---------------------------------------------------------------------------

namespace {

struct CsidlName { const char* Name; int Value; };
// name                           CSIDL
constexpr CsidlName kCsidls[] = {
    {"CSIDL_DESKTOP", 0x00}, {"CSIDL_INTERNET", 0x01}, {"CSIDL_PROGRAMS", 0x02},
    {"CSIDL_CONTROLS", 0x03}, {"CSIDL_PRINTERS", 0x04}, {"CSIDL_PERSONAL", 0x05},
    {"CSIDL_FAVORITES", 0x06}, {"CSIDL_STARTUP", 0x07}, {"CSIDL_RECENT", 0x08},
    {"CSIDL_SENDTO", 0x09}, {"CSIDL_BITBUCKET", 0x0A}, {"CSIDL_STARTMENU", 0x0B},
    {"CSIDL_MYMUSIC", 0x0D}, {"CSIDL_MYVIDEO", 0x0E}, {"CSIDL_DESKTOPDIRECTORY", 0x10},
    {"CSIDL_DRIVES", 0x11}, {"CSIDL_NETWORK", 0x12}, {"CSIDL_NETHOOD", 0x13},
    {"CSIDL_FONTS", 0x14}, {"CSIDL_TEMPLATES", 0x15}, {"CSIDL_COMMON_STARTMENU", 0x16},
    {"CSIDL_COMMON_PROGRAMS", 0x17}, {"CSIDL_COMMON_STARTUP", 0x18},
    {"CSIDL_COMMON_DESKTOPDIRECTORY", 0x19}, {"CSIDL_APPDATA", 0x1A}, {"CSIDL_PRINTHOOD", 0x1B},
    {"CSIDL_LOCAL_APPDATA", 0x1C}, {"CSIDL_ALTSTARTUP", 0x1D}, {"CSIDL_COMMON_ALTSTARTUP", 0x1E},
    {"CSIDL_COMMON_FAVORITES", 0x1F}, {"CSIDL_INTERNET_CACHE", 0x20}, {"CSIDL_COOKIES", 0x21},
    {"CSIDL_HISTORY", 0x22}, {"CSIDL_COMMON_APPDATA", 0x23}, {"CSIDL_WINDOWS", 0x24},
    {"CSIDL_SYSTEM", 0x25}, {"CSIDL_PROGRAM_FILES", 0x26}, {"CSIDL_MYPICTURES", 0x27},
    {"CSIDL_PROFILE", 0x28}, {"CSIDL_PROGRAM_FILES_COMMON", 0x2B},
    {"CSIDL_COMMON_TEMPLATES", 0x2D}, {"CSIDL_COMMON_DOCUMENTS", 0x2E},
    {"CSIDL_COMMON_ADMINTOOLS", 0x2F}, {"CSIDL_ADMINTOOLS", 0x30}, {"CSIDL_COMMON_MUSIC", 0x35},
    {"CSIDL_COMMON_PICTURES", 0x36}, {"CSIDL_COMMON_VIDEO", 0x37},
};

class IniReader {
 public:
  IniReader(const std::string& file) : file_(file) {}
  [[noreturn]] void Fail(const IniEntry& e, const std::string& what) const { throw LoadError(file_, e.Line, what); }

  uint64_t Number(const IniEntry& e, uint64_t max) const {
    const std::string& v = e.Value;
    bool hex = v.size() > 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X');
    std::string digits = hex ? v.substr(2) : v;
    if (digits.empty() || digits.size() > 16) Fail(e, "not a number: " + v);
    uint64_t n = 0;
    for (char c : digits) {
      int d = (c >= '0' && c <= '9') ? c - '0'
              : hex && (c >= 'a' && c <= 'f') ? c - 'a' + 10
              : hex && (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
      if (d < 0) Fail(e, "not a number: " + v);
      uint64_t next = n * (hex ? 16 : 10) + static_cast<uint64_t>(d);
      if (next / (hex ? 16 : 10) != n) Fail(e, "number too large: " + v);
      n = next;
    }
    if (n > max) Fail(e, "number out of range: " + v);
    return n;
  }
  uint32_t U32(const IniEntry& e) const { return static_cast<uint32_t>(Number(e, 0xFFFFFFFFu)); }
  uint16_t U16(const IniEntry& e) const { return static_cast<uint16_t>(Number(e, 0xFFFF)); }
  uint8_t U8(const IniEntry& e) const { return static_cast<uint8_t>(Number(e, 0xFF)); }
  bool Bool(const IniEntry& e) const { return Number(e, 1) != 0; }
  int Int(const IniEntry& e) const { return static_cast<int>(Number(e, 0x7FFFFFFF)); }

  static int DaysInMonth(int y, int mo) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return mo == 2 && leap ? 29 : kDays[mo - 1];
  }

  LocalTime Time(const IniEntry& e) const {
    int y, mo, d, h, mi, s;
    char tail;
    if (std::sscanf(e.Value.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &tail) != 6 ||
        mo < 1 || mo > 12 || d < 1 || d > DaysInMonth(y, mo) || h > 23 || mi > 59 || s > 59 || y < 1601)
      Fail(e, "expected YYYY-MM-DD hh:mm:ss: " + e.Value);
    LocalTime t;
    t.Year = y; t.Month = mo; t.Day = d; t.Hour = h; t.Minute = mi; t.Second = s;
    // Day of the week (0 = Sunday), Sakamoto's method.
    static const int k[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    int yy = mo < 3 ? y - 1 : y;
    t.DayOfWeek = (yy + yy / 4 - yy / 100 + yy / 400 + k[mo - 1] + d) % 7;
    return t;
  }

  std::vector<std::string> List(const IniEntry& e, size_t count) const {
    std::vector<std::string> items;
    for (const auto& s : Split(e.Value, ',')) items.push_back(Trim(s));
    if (items.size() != count) Fail(e, "expected " + std::to_string(count) + " comma-separated names");
    return items;
  }

 private:
  std::string file_;
};

using KeyHandler = std::function<void(RecordedMachine&, const IniReader&, const IniEntry&)>;
using KeyTable = std::vector<std::pair<const char*, KeyHandler>>;

const KeyTable& VersionKeys() {
  static const KeyTable t = {
      {"MajorVersion", [](RecordedMachine& m, const IniReader& r, const IniEntry& e) { m.VersionData.MajorVersion = r.U32(e); }},
      {"MinorVersion", [](RecordedMachine& m, const IniReader& r, const IniEntry& e) { m.VersionData.MinorVersion = r.U32(e); }},
      {"BuildNumber", [](RecordedMachine& m, const IniReader& r, const IniEntry& e) { m.VersionData.BuildNumber = r.U32(e); }},
      {"PlatformId", [](RecordedMachine& m, const IniReader& r, const IniEntry& e) { m.VersionData.PlatformId = r.U32(e); }},
      {"CSDVersion", [](RecordedMachine& m, const IniReader&, const IniEntry& e) { m.VersionData.CSDVersion = e.Value; }},
      {"ServicePackMajor", [](RecordedMachine& m, const IniReader& r, const IniEntry& e) { m.VersionData.ServicePackMajor = r.U16(e); m.VersionData.HasExtended = true; }},
      {"ServicePackMinor", [](RecordedMachine& m, const IniReader& r, const IniEntry& e) { m.VersionData.ServicePackMinor = r.U16(e); m.VersionData.HasExtended = true; }},
      {"SuiteMask", [](RecordedMachine& m, const IniReader& r, const IniEntry& e) { m.VersionData.SuiteMask = r.U16(e); m.VersionData.HasExtended = true; }},
      {"ProductType", [](RecordedMachine& m, const IniReader& r, const IniEntry& e) { m.VersionData.ProductType = r.U8(e); m.VersionData.HasExtended = true; }},
  };
  return t;
}

const KeyTable& SystemKeys() {
  static const KeyTable t = {
      {"ComputerName", [](RecordedMachine& m, const IniReader&, const IniEntry& e) { m.ComputerNameData = e.Value; }},
      {"UserName", [](RecordedMachine& m, const IniReader&, const IniEntry& e) { m.UserNameData = e.Value; }},
      {"ProcessorCount", [](RecordedMachine& m, const IniReader& r, const IniEntry& e) { m.SystemData.ProcessorCount = r.U32(e); }},
      {"ProcessorArchitecture", [](RecordedMachine& m, const IniReader& r, const IniEntry& e) { m.SystemData.ProcessorArchitecture = r.U16(e); }},
      {"PageSize", [](RecordedMachine& m, const IniReader& r, const IniEntry& e) { m.SystemData.PageSize = r.U32(e); }},
      {"AllocationGranularity", [](RecordedMachine& m, const IniReader& r, const IniEntry& e) { m.SystemData.AllocationGranularity = r.U32(e); }},
      {"MinimumApplicationAddress", [](RecordedMachine& m, const IniReader& r, const IniEntry& e) { m.SystemData.MinimumApplicationAddress = r.Number(e, ~uint64_t{0}); }},
      {"MaximumApplicationAddress", [](RecordedMachine& m, const IniReader& r, const IniEntry& e) { m.SystemData.MaximumApplicationAddress = r.Number(e, ~uint64_t{0}); }},
      {"WindowsDirectory", [](RecordedMachine& m, const IniReader&, const IniEntry& e) { m.WindowsDirectoryData = e.Value; }},
      {"SystemDirectory", [](RecordedMachine& m, const IniReader&, const IniEntry& e) { m.SystemDirectoryData = e.Value; }},
      {"TempPath", [](RecordedMachine& m, const IniReader&, const IniEntry& e) { m.TempPathData = e.Value; }},
      {"TickCount", [](RecordedMachine& m, const IniReader& r, const IniEntry& e) { m.TickCountData = r.U32(e); }},
      {"LocalTime", [](RecordedMachine& m, const IniReader& r, const IniEntry& e) { m.LocalTimeData = r.Time(e); }},
      {"SystemDefaultLangID", [](RecordedMachine& m, const IniReader& r, const IniEntry& e) { m.LangIdData = r.U16(e); }},
      {"ServerR2", [](RecordedMachine& m, const IniReader& r, const IniEntry& e) { m.ServerR2Data = r.Int(e); }},
      {"KernelVersionHigh", [](RecordedMachine& m, const IniReader& r, const IniEntry& e) { m.KernelVersionHighData = r.U32(e); }},
  };
  return t;
}

const KeyTable& LocaleKeys() {
  static const KeyTable t = {
      {"DecimalSeparator", [](RecordedMachine& m, const IniReader&, const IniEntry& e) { m.LocaleData.DecimalSeparator = e.Value; }},
      {"DateSeparator", [](RecordedMachine& m, const IniReader&, const IniEntry& e) { m.LocaleData.DateSeparator = e.Value; }},
      {"TimeSeparator", [](RecordedMachine& m, const IniReader&, const IniEntry& e) { m.LocaleData.TimeSeparator = e.Value; }},
      {"DayNames", [](RecordedMachine& m, const IniReader& r, const IniEntry& e) {
         auto v = r.List(e, 7);
         std::copy(v.begin(), v.end(), m.LocaleData.DayNames.begin());
       }},
      {"MonthNames", [](RecordedMachine& m, const IniReader& r, const IniEntry& e) {
         auto v = r.List(e, 12);
         std::copy(v.begin(), v.end(), m.LocaleData.MonthNames.begin());
       }},
  };
  return t;
}

const KeyTable& ProcessorKeys() {
  static const KeyTable t = {
      {"Frequency", [](RecordedMachine& m, const IniReader& r, const IniEntry& e) { m.Processor.FrequencyMHz = r.U32(e); }},
      {"Cpuid", [](RecordedMachine& m, const IniReader& r, const IniEntry& e) { m.Processor.CpuidPresent = r.Bool(e); }},
      {"AffinityControl", [](RecordedMachine& m, const IniReader& r, const IniEntry& e) { m.Processor.AffinityControl = r.Bool(e); }},
      {"WorkerExitCode", [](RecordedMachine& m, const IniReader& r, const IniEntry& e) { m.Processor.WorkerExitCode = r.U32(e); }},
      {"FDIVBug", [](RecordedMachine& m, const IniReader& r, const IniEntry& e) { m.Processor.FdivFlaw = r.Bool(e); }},
  };
  return t;
}

const KeyTable& RasKeys() {
  static const KeyTable t = {
      {"Library", [](RecordedMachine& m, const IniReader& r, const IniEntry& e) { m.RasData.LibraryPresent = r.Bool(e); }},
      {"EntryPoint", [](RecordedMachine& m, const IniReader& r, const IniEntry& e) { m.RasData.EntryPointPresent = r.Bool(e); }},
      {"ReturnCode", [](RecordedMachine& m, const IniReader& r, const IniEntry& e) { m.RasData.ReturnCode = r.U32(e); }},
      {"Connections", [](RecordedMachine& m, const IniReader& r, const IniEntry& e) { m.RasData.ConnectionCount = r.U32(e); }},
  };
  return t;
}

void ApplyKeys(RecordedMachine& m, const IniReader& r, const IniSection& s, const KeyTable& table,
               const std::function<bool(const IniEntry&)>& extra = nullptr) {
  for (const IniEntry& e : s.Entries) {
    if (e.Key.empty()) r.Fail(e, "expected key=value in [" + s.Name + "]");
    auto it = std::find_if(table.begin(), table.end(), [&](const auto& row) { return EqualsNoCase(row.first, e.Key); });
    if (it != table.end()) {
      it->second(m, r, e);
    } else if (!extra || !extra(e)) {
      r.Fail(e, "unknown key '" + e.Key + "' in [" + s.Name + "]");
    }
  }
}

void ApplyKeyboard(RecordedMachine& m, const IniReader& r, const IniSection& s) {
  struct Lock { const char* Name; uint8_t VirtualKey; };
  static const Lock kLocks[] = {{"CapsLock", 0x14}, {"NumLock", 0x90}, {"ScrollLock", 0x91}};
  for (const IniEntry& e : s.Entries) {
    bool done = false;
    for (const Lock& l : kLocks) {
      if (EqualsNoCase(e.Key, l.Name)) {
        if (r.Bool(e)) m.KeyboardData[l.VirtualKey] |= 0x01; else m.KeyboardData[l.VirtualKey] &= 0xFE;
        done = true;
      } else if (EqualsNoCase(e.Key, std::string(l.Name) + "Down")) {
        if (r.Bool(e)) m.KeyboardData[l.VirtualKey] |= 0x80; else m.KeyboardData[l.VirtualKey] &= 0x7F;
        done = true;
      }
    }
    if (!done) r.Fail(e, "unknown key '" + e.Key + "' in [keyboard]");
  }
}

uint32_t AttributeLetters(const IniReader& r, const IniEntry& e) {
  uint32_t a = 0;
  for (char c : e.Value) {
    switch (std::toupper(static_cast<unsigned char>(c))) {
      case 'R': a |= kAttrReadOnly; break;
      case 'H': a |= kAttrHidden; break;
      case 'S': a |= kAttrSystem; break;
      case 'A': a |= kAttrArchive; break;
      default: r.Fail(e, "attribute letters are R, H, S and A: " + e.Value);
    }
  }
  return a;
}

void ApplyVersionResource(RecordedMachine& m, const IniReader& r, const IniSection& s, const std::string& path) {
  VersionResource res;
  std::string translation = "040904E4";
  std::map<std::string, std::string> strings;
  auto parseQuad = [&](const IniEntry& e, uint32_t& ms, uint32_t& ls) {
    unsigned a, b, c, d;
    char tail;
    if (std::sscanf(e.Value.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &tail) != 4 || a > 0xFFFF ||
        b > 0xFFFF || c > 0xFFFF || d > 0xFFFF)
      r.Fail(e, "expected four numbers a.b.c.d: " + e.Value);
    ms = (a << 16) | b;
    ls = (c << 16) | d;
    res.HasFixedInfo = true;
  };
  for (const IniEntry& e : s.Entries) {
    if (e.Key.empty()) r.Fail(e, "expected key=value in [" + s.Name + "]");
    if (EqualsNoCase(e.Key, "FileVersionNumber")) {
      parseQuad(e, res.FileVersionMS, res.FileVersionLS);
    } else if (EqualsNoCase(e.Key, "ProductVersionNumber")) {
      parseQuad(e, res.ProductVersionMS, res.ProductVersionLS);
    } else if (EqualsNoCase(e.Key, "Translation")) {
      translation = ToUpperAscii(e.Value);
      if (translation.size() != 8 || translation.find_first_not_of("0123456789ABCDEF") != std::string::npos)
        r.Fail(e, "Translation is eight hex digits, language then code page: " + e.Value);
    } else {
      static const char* const kNames[] = {"FileVersion", "ProductName", "CompanyName", "FileDescription",
                                           "Comments", "LegalCopyright", "InternalName", "ProductVersion",
                                           "SpecialBuild", "OriginalFilename", "PrivateBuild", "LegalTrademarks"};
      const char* known = nullptr;
      for (const char* n : kNames)
        if (EqualsNoCase(e.Key, n)) known = n;
      if (!known) r.Fail(e, "unknown key '" + e.Key + "' in [" + s.Name + "]");
      strings[known] = e.Value;
    }
  }
  uint32_t lang = static_cast<uint32_t>(std::stoul(translation.substr(0, 4), nullptr, 16));
  uint32_t cp = static_cast<uint32_t>(std::stoul(translation.substr(4, 4), nullptr, 16));
  res.Translations.push_back(lang | (cp << 16));
  res.StringTables[translation] = strings;
  m.VersionResources[ToUpperAscii(path)] = res;
}

void ApplyLibrary(RecordedMachine& m, const IniReader& r, const IniSection& s, const std::string& name) {
  RecordedLibrary lib;
  for (const IniEntry& e : s.Entries) {
    if (EqualsNoCase(e.Key, "Loaded")) lib.AlreadyLoaded = r.Bool(e);
    else if (EqualsNoCase(e.Key, "FreeFails")) lib.FreeFails = r.Bool(e);
    else if (EqualsNoCase(e.Key, "Exports")) {
      for (const auto& x : Split(e.Value, ','))
        if (!Trim(x).empty()) lib.Exports.push_back(Trim(x));
    } else r.Fail(e, "unknown key '" + e.Key + "' in [" + s.Name + "]");
  }
  m.Libraries[ToUpperAscii(name)] = lib;
}

}  // namespace

const char* CsidlName(int csidl) {
  for (const auto& c : kCsidls)
    if (c.Value == csidl) return c.Name;
  return nullptr;
}

std::optional<int> CsidlFromName(const std::string& name) {
  for (const auto& c : kCsidls)
    if (EqualsNoCase(name, c.Name)) return c.Value;
  return std::nullopt;
}

void ApplyMachineIni(RecordedMachine& m, const std::string& text, const std::string& fileName) {
  IniDocument doc = ParseIni(text, fileName);
  IniReader r(fileName);
  for (const IniSection& s : doc.Sections) {
    std::string lower = ToLowerAscii(s.Name);
    if (lower == "version") {
      ApplyKeys(m, r, s, VersionKeys());
    } else if (lower == "system") {
      ApplyKeys(m, r, s, SystemKeys());
    } else if (lower == "locale") {
      ApplyKeys(m, r, s, LocaleKeys(), [&](const IniEntry& e) {
        if (!StartsWith(ToUpperAscii(e.Key), "LOCALE_")) return false;
        m.LocaleData.Values[ToUpperAscii(e.Key)] = e.Value;
        return true;
      });
    } else if (lower == "keyboard") {
      ApplyKeyboard(m, r, s);
    } else if (lower == "environment") {
      for (const IniEntry& e : s.Entries) m.EnvironmentLines.push_back(e.Text());
    } else if (lower == "attributes") {
      for (const IniEntry& e : s.Entries) {
        if (e.Key.empty()) r.Fail(e, "expected C:\\path=letters in [attributes]");
        m.AttributeOverrides[ToUpperAscii(e.Key)] = AttributeLetters(r, e);
      }
    } else if (lower == "sizes") {
      for (const IniEntry& e : s.Entries) {
        if (e.Key.empty()) r.Fail(e, "expected C:\\path=bytes in [sizes]");
        m.SizeOverrides[ToUpperAscii(e.Key)] = r.Number(e, ~uint64_t{0});
      }
    } else if (lower == "shellfolders") {
      for (const IniEntry& e : s.Entries) {
        auto csidl = CsidlFromName(e.Key);
        if (!csidl) r.Fail(e, "unknown folder '" + e.Key + "' in [shellfolders] (CSIDL_... names)");
        m.ShellFolders[*csidl] = e.Value;
      }
    } else if (lower == "processor") {
      ApplyKeys(m, r, s, ProcessorKeys());
    } else if (lower == "ras") {
      ApplyKeys(m, r, s, RasKeys());
    } else if (ApplyDisplaySection(m.Display, s, fileName) || ApplyMultimediaSection(m.Multimedia, s, fileName) ||
               ApplyStatusSection(m.MemoryPower, m.Gate16, s, fileName) ||
               ApplyFirmwareSection(m.Firmware, s, fileName)) {
      // display, multimedia, memory, power and the 16-bit gate: handled beside their twins
    } else if (StartsWith(lower, "version:") && s.Name.size() > 8) {
      ApplyVersionResource(m, r, s, s.Name.substr(8));
    } else if (StartsWith(lower, "library:") && s.Name.size() > 8) {
      ApplyLibrary(m, r, s, s.Name.substr(8));
    } else if (ApplyNetworkSection(m.Network, s, fileName) || ApplyUsbSection(m.Usb, s, fileName)) {
      // network and USB areas
    } else if (lower == "drives") {
      ApplyDrivesSection(m.Drives, s, fileName);
    } else if (StartsWith(lower, "drive:")) {
      ApplyDriveSection(m.Drives, s, s.Name.substr(6), fileName);
    } else if (lower == "spooler") {
      ApplySpoolerSection(m.Spooler, s, fileName);
    } else if (StartsWith(lower, "printer:") && s.Name.size() > 8) {
      ApplyPrinterSection(m.Spooler, s, s.Name.substr(8), fileName);
    } else if (StartsWith(lower, "shortcut:") && s.Name.size() > 9) {
      ApplyShortcutSection(m.ShellLinks, s, s.Name.substr(9), fileName);
    } else if (ApplyProcessesSection(m.Processes, s, fileName) || ApplyRuntimesSection(m.Runtimes, s, fileName)) {
      // processes, services, drivers and runtimes: recorded_processes.cpp, recorded_runtimes.cpp
    } else {
      throw LoadError(fileName, s.Line, "unknown section [" + s.Name + "]");
    }
  }
}

std::optional<std::string> ReadHostFile(const std::string& p) {
  if (!HostIsFile(p)) return std::nullopt;
  std::FILE* f = std::fopen(p.c_str(), "rb");
  if (!f) throw std::runtime_error("cannot read " + p);
  std::string data;
  char buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) data.append(buffer, got);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) throw std::runtime_error("cannot read " + p);
  return data;
}

std::optional<std::string> ReadHostFile(const std::string& p, const std::nothrow_t&) {
  try {
    return ReadHostFile(p);
  } catch (const std::runtime_error&) {
    return std::nullopt;
  }
}

std::unique_ptr<RecordedMachine> LoadRecordedMachine(const std::string& folder) {
  const std::string& dir = folder;
  if (!HostIsDirectory(dir)) throw std::runtime_error("not a recorded machine folder: " + folder);
  auto m = std::make_unique<RecordedMachine>();
  if (auto ini = ReadHostFile(HostJoin(dir, "machine.ini"))) ApplyMachineIni(*m, *ini, HostJoin(dir, "machine.ini"));
  if (auto reg = ReadHostFile(HostJoin(dir, "registry.reg"))) LoadRegFile(m->Registry, *reg, HostJoin(dir, "registry.reg"));
  if (auto cpuid = ReadHostFile(HostJoin(dir, "cpuid.txt"))) m->Cpuid = ParseCpuidText(*cpuid, HostJoin(dir, "cpuid.txt"));
  // Memory images first: the SMBIOS entry point is placed over them.
  for (const std::string& name : HostList(dir)) {
    if (!StartsWith(ToLowerAscii(name), "memory-") || !EndsWith(ToLowerAscii(name), ".bin")) continue;
    std::string p = HostJoin(dir, name);
    std::string hex = name.substr(7, name.size() - 11);
    if (hex.size() != 8 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
      throw LoadError(p, 0, "memory image names are memory-XXXXXXXX.bin (hex address)");
    auto bytes = ReadHostFile(p);
    m->PhysicalMemory.AddRegion(std::stoull(hex, nullptr, 16), std::vector<uint8_t>(bytes->begin(), bytes->end()));
  }
  if (auto smbios = ReadHostFile(HostJoin(dir, "smbios.bin")))
    AddSmbiosDump(m->PhysicalMemory, std::vector<uint8_t>(smbios->begin(), smbios->end()), HostJoin(dir, "smbios.bin"));
  if (HostIsDirectory(HostJoin(dir, "files"))) m->FilesRoot = HostJoin(dir, "files");
  return m;
}

}  // namespace kestrova
