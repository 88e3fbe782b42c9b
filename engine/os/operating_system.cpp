#include "engine/os/operating_system.h"

#include "engine/core/context.h"
#include "engine/core/date_time.h"
#include "engine/core/text.h"
#include "engine/hardware/machine.h"
#include "engine/os/shared_routines.h"

namespace kestrova {

namespace {

const char* const kNTCurrentVersion = "\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
const char* const k9xCurrentVersion = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char* const kQ246009Key = "\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009";
// The system's folder values live in the Windows key on both families.
const char* const kFolderValuesKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

// Folders list name  registry value (steps of the refresh: the registry folders)
struct FolderValueRow {
  const char* Name;
  const char* Value;
};
constexpr FolderValueRow kFolderValues[] = {
    {"CommonFiles", "CommonFilesDir"}, {"ProgramFiles", "ProgramFilesDir"}, {"Device", "DevicePath"},
    {"OtherDevice", "OtherDevicePath"}, {"Media", "MediaPath"},         {"Config", "ConfigPath"},
    {"Wallpaper", "WallPaperDir"},
};

// A folder call with a 260-character buffer: a longer path does not fit and reads empty.
std::string FitsMaxPath(const std::string& path) { return DecodeUtf8(path).size() >= 260 ? std::string() : path; }

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

}  // namespace

const TOperatingSystem::ShellFolderRow TOperatingSystem::kShellFolders[29] = {
    // name              CSIDL
    {"AppData", 26},          {"CommonDesktopDir", 25}, {"CommonAltStartUp", 30}, {"RecycleBin", 10},
    {"CommonPrograms", 23},   {"CommonStartMenu", 22},  {"CommonStartup", 24},    {"CommonFavorites", 31},
    {"Cookies", 33},          {"Controls", 3},          {"Desktop", 0},           {"DesktopDir", 16},
    {"Favorites", 6},         {"Drives", 17},           {"Fonts", 20},            {"History", 34},
    {"Internet", 1},          {"InternetCache", 32},    {"NetWork", 18},          {"NetHood", 19},
    {"MyDocuments", 5},       {"PrintHood", 27},        {"Printers", 4},          {"Programs", 2},
    {"Recent", 8},            {"SendTo", 9},            {"StartMenu", 11},        {"StartUp", 7},
    {"Templates", 21},
};

double DosDateTimeToDateTime(uint32_t dosDateTime) {
  const uint32_t date = dosDateTime >> 16, time = dosDateTime & 0xFFFF;
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  LocalTime d;
  d.Year = 1980 + static_cast<int>(date >> 9);
  d.Month = static_cast<int>((date >> 5) & 0x0F);
  d.Day = static_cast<int>(date & 0x1F);
  double value = 0;
  if (d.Month >= 1 && d.Month <= 12 && d.Day >= 1 &&
      d.Day <= (d.Month == 2 && IsLeapYear(d.Year) ? 29 : kDays[d.Month - 1]))
    value = EncodeDateTime(d);
  const int hour = static_cast<int>(time >> 11), minute = static_cast<int>((time >> 5) & 0x3F),
            second = static_cast<int>(time & 0x1F) * 2;
  if (hour < 24 && minute < 60 && second < 60) value += ((hour * 60.0 + minute) * 60.0 + second) / 86400.0;
  return value;
}

double UnixSecondsToDateTime(uint32_t seconds) { return 25569.0 + seconds / 86400.0; }

TOperatingSystem::TOperatingSystem(const EngineContext& context)
    : TInformation(context),
      timeZone_(std::make_unique<TTimeZone>(context)),
      ntSpecific_(std::make_unique<TNTSpecific>(context)),
      internet_(std::make_unique<TInternet>(context)),
      localeInfo_(std::make_unique<TLocaleInfo>(context)) {
  SetExceptionModes({TExceptionMode::emExceptionStack});
}

TOperatingSystem::~TOperatingSystem() = default;

void TOperatingSystem::Refresh() {
  const EngineContext& c = Context();
  folders_.clear();
  timeZone_->Refresh();
  if (c.OSInfo.IsNT) ntSpecific_->Refresh();
  internet_->Refresh();
  localeInfo_->Refresh(kLocaleSystemDefault);
  if (!c.Sys.System) return;
  const ISystem& sys = *c.Sys.System;

  const VersionFacts v = sys.Version();
  majorVersion_ = static_cast<int>(v.MajorVersion);
  minorVersion_ = static_cast<int>(v.MinorVersion);
  buildNumber_ = static_cast<int>(v.BuildNumber & 0xFFFF);
  if (v.PlatformId <= 2) platform_ = static_cast<TOSPlatform>(v.PlatformId);
  csd_ = v.CSDVersion;
  version_.clear(), registeredUser_.clear(), registeredOrg_.clear(), productId_.clear();

  if (c.Sys.Registry) ReadCurrentVersionKey();

  folders_.push_back("Windows=" + FitsMaxPath(sys.WindowsDirectory()));
  folders_.push_back("System=" + FitsMaxPath(sys.SystemDirectory()));
  folders_.push_back("Temp=" + FitsMaxPath(sys.TempPath()));
  std::string desktop;
  for (const ShellFolderRow& row : kShellFolders) {
    std::string path = c.Sys.Shell ? GetSpecialFolderPath(c.Sys, row.Csidl) : std::string();
    if (row.Csidl == 0) desktop = path;
    folders_.push_back(std::string(row.Name) + "=" + path);
  }
  folders_.push_back("Profile=" + ParentFolderOf(desktop));

  environment_ = ReadEnvironmentList(c.Sys);
  languageId_ = Format("$%.4x", sys.SystemDefaultLangID());
}

void TOperatingSystem::ReadCurrentVersionKey() {
  const EngineContext& c = Context();
  const IRegistry& reg = *c.Sys.Registry;
  const bool nt = c.OSInfo.IsNT;
  const std::string key = nt ? kNTCurrentVersion : k9xCurrentVersion;
  if (!reg.KeyExists(RootKey::LocalMachine, key)) return;
  auto has = [&](const char* value) { return reg.QueryValue(RootKey::LocalMachine, key, value).has_value(); };
  auto text = [&](const std::string& k, const char* value) {
    return ReadRegistryString(c.Sys, RootKey::LocalMachine, k, value);
  };

  if (has(nt ? "CurrentType" : "Version")) version_ = text(key, nt ? "CurrentType" : "Version");
  if (has("RegisteredOrganization")) registeredOrg_ = text(key, "RegisteredOrganization");
  if (has("RegisteredOwner")) registeredUser_ = text(key, "RegisteredOwner");
  if (has("ProductID")) productId_ = text(key, "ProductID");

  // The 9x install date: an MS-DOS date and time in one 32-bit value.
  if (auto first = reg.QueryValue(RootKey::LocalMachine, key, "FirstInstallDateTime")) {
    installDate_ = first->Data.size() >= 4 ? DosDateTimeToDateTime(static_cast<uint32_t>(RegistryValueAsInteger(*first))) : 0;
  }
  if (has("DVD_Region")) dvdRegion_ = ReadRegistryText(c.Sys, RootKey::LocalMachine, key, "DVD_Region", true);

  for (const FolderValueRow& row : kFolderValues)
    folders_.push_back(std::string(row.Name) + "=" + text(kFolderValuesKey, row.Value));

  if (!nt) return;
  if (csd_ == "Service Pack 6") {
    auto installed = reg.QueryValue(RootKey::LocalMachine, kQ246009Key, "Installed");
    if (installed && installed->Type == kRegDword && installed->Data.size() >= 4 &&
        RegistryValueAsInteger(*installed) == 1)
      csd_ = "Service Pack 6a";
  }
  auto date = reg.QueryValue(RootKey::LocalMachine, kNTCurrentVersion, "InstallDate");
  if (date && date->Type == kRegDword && date->Data.size() >= 4)
    installDate_ = UnixSecondsToDateTime(static_cast<uint32_t>(RegistryValueAsInteger(*date)));
}

void TOperatingSystem::WriteBlock(ReportWriter& out) const {
  static const char* const kPlatformNames[] = {"Windows 3.1x", "Windows 9x", "Windows NT"};
  const LocaleFacts locale = Context().Sys.System ? Context().Sys.System->Locale() : LocaleFacts{};
  out.OpenClass("OperatingSystem", "TOperatingSystem");
  out.String("Platform", kPlatformNames[static_cast<int>(platform_)]);
  out.String("VersionName", version_);
  out.Integer("MajorVersion", majorVersion_);
  out.Integer("MinorVersion", minorVersion_);
  out.Integer("Build", buildNumber_);
  out.String("CSD", csd_);
  out.String("ProductID", productId_);
  out.String("InstallDate", ShortDateTimeText(installDate_, locale));
  out.String("RegisteredUser", registeredUser_);
  out.String("RegisteredOrganisation", registeredOrg_);
  out.String("DVDRegion", dvdRegion_);
  for (const auto* list : {&environment_, &folders_}) {
    out.OpenSection(list == &environment_ ? "Environment" : "Folders");
    for (const std::string& line : *list) {
      auto nv = SplitNameValue(line);
      out.String(EscapeValue(nv.first), nv.second);
    }
    out.CloseSection();
  }
  out.CloseClass("OperatingSystem");
  if (Context().OSInfo.IsNT) ntSpecific_->WriteBlock(out);
  timeZone_->WriteBlock(out);
  internet_->WriteBlock(out);
  localeInfo_->WriteBlock(out);
}

}  // namespace kestrova
