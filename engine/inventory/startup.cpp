#include "engine/inventory/startup.h"

#include <algorithm>

#include "engine/core/context.h"
#include "engine/core/text.h"
#include "engine/os/shared_routines.h"

namespace kestrova {

namespace {

using S = TStartupSource;

// Where each registry source lives; the keys as the program opens them.
struct RegistrySource {
  S Source;
  RootKey Root;
  const char* Key;
};
const RegistrySource kRunKeys[] = {
    {S::HKCU_Run, RootKey::CurrentUser, "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
    {S::HKLM_Run, RootKey::LocalMachine, "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
    {S::HKCU_Once, RootKey::CurrentUser, "\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"},
    {S::HKLM_Once, RootKey::LocalMachine, "\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"},
    {S::HKCU_OnceEx, RootKey::CurrentUser, "\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx"},
    {S::HKLM_OnceEx, RootKey::LocalMachine, "\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx"},
    {S::HKLM_Services, RootKey::LocalMachine, "\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServices"},
    {S::HKLM_ServicesOnce, RootKey::LocalMachine, "\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServicesOnce"},
    {S::HKCU_Services, RootKey::CurrentUser, "\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServices"},
    {S::HKCU_ServicesOnce, RootKey::CurrentUser, "\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServicesOnce"},
};

const RegistrySource& RunKeyOf(S source) {
  return *std::find_if(std::begin(kRunKeys), std::end(kRunKeys), [&](const RegistrySource& r) { return r.Source == source; });
}

const char* const kSessionManagerKey = "\\SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const char* const kWinLogonKey = "\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
const char* const kUserWindowsKey = "\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
const char* const kBrowserHelpersKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
const char* const kClassIdKey = "SOFTWARE\\Classes\\CLSID\\";

constexpr int kCsidlStartup = 7;
constexpr int kCsidlCommonStartup = 24;

// The "UserInit" text after ",," keeps at most 255 characters; a shortcut's target is read
// into 260 characters and its arguments into 255, each buffer ending with its NUL.
constexpr size_t kUserInitLimit = 255;
constexpr size_t kShortcutPathLimit = 259;
constexpr size_t kShortcutArgumentsLimit = 254;

// A value read as a string: the text of the string types, up to their first NUL. Data of
// another type has no text here (the entry is still listed).
std::string StringOf(const RegValue& v) {
  if (v.Type != kRegSz && v.Type != kRegExpandSz) return {};
  auto end = std::find(v.Data.begin(), v.Data.end(), uint8_t{0});
  return std::string(v.Data.begin(), end);
}

bool IsBlank(const std::string& s) { return Trim(s).empty(); }

}  // namespace

std::string RunOnceExCommand(const std::string& data) { return ReplaceAll(ReplaceAll(data, "||", ""), "|", " "); }

const char* TStartup::SourceName(TStartupSource source) {
  static const char* const kNames[kStartupSourceCount] = {
      "HKCU_Run", "HKLM_Run", "HKCU_Once", "HKLM_Once", "HKCU_OnceEx", "HKLM_OnceEx", "HKLM_Services",
      "HKLM_ServicesOnce", "HKCU_Services", "HKCU_ServicesOnce", "HKLM_SessionManager", "HKLM_WinLogon",
      "HKCU_Load", "UserStartup", "CommonStartup", "WIN_INI", "SYSTEM_INI", "BHO"};
  size_t i = static_cast<size_t>(source);
  return i < kStartupSourceCount ? kNames[i] : "";
}

const std::array<TStartupSource, kStartupSourceCount> TStartup::kReportOrder = {
    S::UserStartup, S::CommonStartup, S::HKLM_Run, S::HKLM_Once, S::HKLM_OnceEx, S::HKLM_Services,
    S::HKLM_ServicesOnce, S::HKLM_SessionManager, S::HKLM_WinLogon, S::HKCU_Run, S::HKCU_Once,
    S::HKCU_OnceEx, S::HKCU_Services, S::HKCU_ServicesOnce, S::HKCU_Load, S::WIN_INI, S::SYSTEM_INI, S::BHO};

TStartup::TStartup(const EngineContext& context) : TInformation(context) {
  SetExceptionModes({TExceptionMode::emExceptionStack});
}

std::string TStartup::Name(TStartupSource source, int index) const {
  const auto& list = List(source);
  return index >= 0 && static_cast<size_t>(index) < list.size() ? list[static_cast<size_t>(index)].Name : std::string();
}

std::string TStartup::Command(TStartupSource source, int index) const {
  const auto& list = List(source);
  return index >= 0 && static_cast<size_t>(index) < list.size() ? list[static_cast<size_t>(index)].Command
                                                                 : std::string();
}

int TStartup::RunsCount() const {
  size_t n = 0;
  for (const auto& list : lists_) n += list.size();
  return static_cast<int>(n);
}

void TStartup::ReadRunKey(TStartupSource source) {
  const RegistrySource& src = RunKeyOf(source);
  const IRegistry& reg = *Context().Sys.Registry;
  for (const std::string& name : reg.ValueNames(src.Root, src.Key)) {
    auto v = reg.QueryValue(src.Root, src.Key, name);
    List(source).push_back({name, v ? StringOf(*v) : std::string()});
  }
}

void TStartup::ReadRunOnceEx(TStartupSource source) {
  const RegistrySource& src = RunKeyOf(source);
  const IRegistry& reg = *Context().Sys.Registry;
  for (const std::string& sub : reg.SubKeyNames(src.Root, src.Key)) {
    if (EqualsNoCase(sub, "Depend")) continue;
    const std::string key = std::string(src.Key) + "\\" + sub;
    for (const std::string& name : reg.ValueNames(src.Root, key)) {
      auto v = reg.QueryValue(src.Root, key, name);
      List(source).push_back({name, RunOnceExCommand(v ? StringOf(*v) : std::string())});
    }
  }
}

void TStartup::ReadSessionManager() {
  auto v = Context().Sys.Registry->QueryValue(RootKey::LocalMachine, kSessionManagerKey, "BootExecute");
  if (!v) return;
  std::string command;
  if (v->Type == kRegSz || v->Type == kRegExpandSz) {
    command = StringOf(*v);
  } else if (v->Type == kRegDword || v->Type == kRegDwordBigEndian) {
    command = RegistryValueAsText(*v);
  } else {
    // The raw bytes up to the first zero byte: the first string of a multi-string.
    auto end = std::find(v->Data.begin(), v->Data.end(), uint8_t{0});
    std::string bytes(v->Data.begin(), end);
    command = v->Type == kRegMultiSz ? bytes : Cp1252ToUtf8(bytes);
  }
  if (!IsBlank(command)) List(S::HKLM_SessionManager).push_back({"BootExecute", command});
}

void TStartup::ReadWinLogon() {
  const IRegistry& reg = *Context().Sys.Registry;
  if (auto v = reg.QueryValue(RootKey::LocalMachine, kWinLogonKey, "UserInit")) {
    const std::string text = StringOf(*v);
    const size_t at = text.find(",,");
    if (at != std::string::npos) List(S::HKLM_WinLogon).push_back({"UserInit", Truncate(text.substr(at + 2), kUserInitLimit)});
  }
  if (auto v = reg.QueryValue(RootKey::LocalMachine, kWinLogonKey, "Shell"))
    List(S::HKLM_WinLogon).push_back({"Shell", StringOf(*v)});
}

void TStartup::ReadUserLoad() {
  auto v = Context().Sys.Registry->QueryValue(RootKey::CurrentUser, kUserWindowsKey, "Load");
  if (!v) return;
  const std::string text = StringOf(*v);
  if (!IsBlank(text)) List(S::HKCU_Load).push_back({"Load", text});
}

void TStartup::ReadStartupFolder(TStartupSource source, int csidl) {
  const Platform& p = Context().Sys;
  if (!p.Shell || !p.Files) return;
  std::string folder = GetSpecialFolderPath(p, csidl);
  // No such folder on this system (the common one on a 9x without profiles): nothing to
  // list. Searching "\*.lnk" would list the root of the current drive instead.
  if (folder.empty()) return;
  if (folder.back() == '\\') folder.pop_back();
  auto entries = p.Files->ListDirectory(folder);
  if (!entries) return;
  for (const DirectoryEntry& e : *entries) {
    // Normal and archive files: folders, hidden and system files are left out.
    if (e.Attributes & (kAttrDirectory | kAttrHidden | kAttrSystem)) continue;
    if (e.Name.size() < 4 || !EqualsNoCase(e.Name.substr(e.Name.size() - 4), ".lnk")) continue;
    ShortcutTarget target;
    if (p.ShellLinks)
      if (auto t = p.ShellLinks->Resolve(folder + "\\" + e.Name)) target = *t;
    List(source).push_back({e.Name.substr(0, e.Name.size() - 4),
                            Truncate(target.Path, kShortcutPathLimit) + " " +
                                Truncate(target.Arguments, kShortcutArgumentsLimit)});
  }
}

void TStartup::ReadProfile(TStartupSource source, const char* file, const char* section,
                           const std::vector<std::string>& keys) {
  const Platform& p = Context().Sys;
  if (!p.Profiles || !p.System) return;
  const std::string path = p.System->WindowsDirectory() + "\\" + file;
  for (const std::string& key : p.Profiles->SectionKeys(path, section)) {
    if (std::none_of(keys.begin(), keys.end(), [&](const std::string& k) { return EqualsNoCase(k, key); })) continue;
    std::string value = Trim(p.Profiles->ReadString(path, section, key));
    value.erase(std::remove_if(value.begin(), value.end(), [](char c) { return c == ' ' || c == '\r' || c == '\n'; }),
                value.end());
    if (!value.empty()) List(source).push_back({key, value});
  }
}

void TStartup::ReadBrowserHelpers() {
  const IRegistry& reg = *Context().Sys.Registry;
  for (const std::string& id : reg.SubKeyNames(RootKey::LocalMachine, kBrowserHelpersKey)) {
    const std::string classKey = kClassIdKey + id;
    if (!reg.KeyExists(RootKey::LocalMachine, classKey)) continue;
    auto title = reg.QueryValue(RootKey::LocalMachine, classKey, "");
    std::string name = title ? StringOf(*title) : std::string();
    if (name.empty()) name = id;
    const std::string serverKey = classKey + "\\InprocServer32";
    if (!reg.KeyExists(RootKey::LocalMachine, serverKey)) continue;
    auto module = reg.QueryValue(RootKey::LocalMachine, serverKey, "");
    List(S::BHO).push_back({name, module ? StringOf(*module) : std::string()});
  }
}

void TStartup::Refresh() {
  for (auto& list : lists_) list.clear();
  if (!Context().Sys.Registry) return;
  for (S s : {S::HKCU_Run, S::HKLM_Run, S::HKCU_Once, S::HKLM_Once}) ReadRunKey(s);
  for (S s : {S::HKCU_OnceEx, S::HKLM_OnceEx}) ReadRunOnceEx(s);
  for (S s : {S::HKLM_Services, S::HKLM_ServicesOnce, S::HKCU_Services, S::HKCU_ServicesOnce}) ReadRunKey(s);
  ReadSessionManager();
  ReadWinLogon();
  ReadUserLoad();
  ReadStartupFolder(S::CommonStartup, kCsidlCommonStartup);
  ReadStartupFolder(S::UserStartup, kCsidlStartup);
  ReadProfile(S::SYSTEM_INI, "SYSTEM.INI", "boot", {"run", "load", "scrnsave.exe", "shell"});
  ReadProfile(S::WIN_INI, "WIN.INI", "windows", {"run", "load"});
  ReadBrowserHelpers();
}

void TStartup::WriteBlock(ReportWriter& out) const {
  out.OpenClass("Startup", "TStartup");
  for (S s : kReportOrder) {
    out.OpenSection(SourceName(s));
    out.Integer("Count", Count(s));
    for (const TStartupEntry& e : List(s)) out.String(EscapeValue(e.Name), e.Command);
    out.CloseSection();
  }
  out.CloseClass("Startup");
}

}  // namespace kestrova
