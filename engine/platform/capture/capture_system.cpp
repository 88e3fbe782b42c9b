#include "engine/platform/capture/capture_system.h"

#include "engine/core/text.h"
#include "engine/platform/recorded/recorded_locale.h"
#include "engine/platform/recorded/recorded_time_zone.h"

namespace kestrova {

namespace {
// The first answer is the one a recording keeps (a clock read twice moves on).
template <typename T, typename V>
const V& Keep(std::optional<T>& slot, const V& value) {
  if (!slot) slot = value;
  return value;
}

RegValue DwordValue(int32_t v) {
  const uint32_t u = static_cast<uint32_t>(v);
  return {kRegDword, {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8), static_cast<uint8_t>(u >> 16),
                      static_cast<uint8_t>(u >> 24)}};
}
RegValue TextValue(const std::string& s) {
  RegValue v{kRegSz, std::vector<uint8_t>(s.begin(), s.end())};
  v.Data.push_back(0);
  return v;
}
RegValue SystemTimeValue(const SystemTimeFields& t) {
  const uint16_t f[8] = {t.Year, t.Month, t.DayOfWeek, t.Day, t.Hour, t.Minute, t.Second, t.Milliseconds};
  RegValue v{kRegBinary, {}};
  for (uint16_t x : f) {
    v.Data.push_back(static_cast<uint8_t>(x));
    v.Data.push_back(static_cast<uint8_t>(x >> 8));
  }
  return v;
}
std::string Hex64(uint64_t v) { return Format("0x%llX", static_cast<unsigned long long>(v)); }
}  // namespace

VersionFacts CapturingSystem::Version() const { return Keep(version_, inner_.Version()); }
SystemFacts CapturingSystem::SystemInfo() const { return Keep(system_, inner_.SystemInfo()); }
std::optional<std::string> CapturingSystem::ComputerName() const { return Keep(computer_, inner_.ComputerName()); }
std::optional<std::string> CapturingSystem::UserName() const { return Keep(user_, inner_.UserName()); }
std::string CapturingSystem::WindowsDirectory() const { return Keep(windows_, inner_.WindowsDirectory()); }
std::string CapturingSystem::SystemDirectory() const { return Keep(systemDir_, inner_.SystemDirectory()); }
std::string CapturingSystem::TempPath() const { return Keep(temp_, inner_.TempPath()); }
uint32_t CapturingSystem::TickCount() const { return Keep(tick_, inner_.TickCount()); }
LocalTime CapturingSystem::Now() const { return Keep(now_, inner_.Now()); }
uint16_t CapturingSystem::SystemDefaultLangID() const { return Keep(lang_, inner_.SystemDefaultLangID()); }
LocaleFacts CapturingSystem::Locale() const { return Keep(locale_, inner_.Locale()); }
std::string CapturingSystem::EnvironmentBlock() const { return Keep(environment_, inner_.EnvironmentBlock()); }
int CapturingSystem::ServerR2Metric() const { return Keep(serverR2_, inner_.ServerR2Metric()); }
uint32_t CapturingSystem::KernelVersionHigh() const { return Keep(kernelHigh_, inner_.KernelVersionHigh()); }
std::array<uint8_t, 256> CapturingSystem::KeyboardState() const { return Keep(keyboard_, inner_.KeyboardState()); }
RasEnumResult CapturingSystem::EnumRasConnections() const { return Keep(ras_, inner_.EnumRasConnections()); }
std::optional<TimeZoneFacts> CapturingSystem::TimeZone() const { return Keep(timeZone_, inner_.TimeZone()); }

std::optional<std::string> CapturingSystem::EnvironmentVariable(const std::string& name) const {
  auto v = inner_.EnvironmentVariable(name);
  variables_.emplace(ToUpperAscii(name), v);
  return v;
}

std::optional<std::string> CapturingSystem::LocaleInfo(uint32_t locale, uint32_t lcType) const {
  auto v = inner_.LocaleInfo(locale, lcType);
  auto [it, added] = localeInfo_.emplace(lcType, v);
  if (!added && it->second != v)
    conflicts_.push_back(Format("[locale] LCTYPE 0x%04X answers differently for locale 0x%04X; the first answer is kept",
                                lcType, locale));
  return v;
}

void CapturingSystem::WriteRegistryFacts(CaptureOutput& out) const {
  if (!timeZone_) return;
  const char* key = kTimeZoneInformationKey;
  if (!*timeZone_) {
    if (registry_ && registry_->KnownToExist(RootKey::LocalMachine, key).value_or(false))
      out.Note("time zone: GetTimeZoneInformation failed although its registry key exists; the replay answers from the key");
    return;
  }
  if (!registry_) {
    out.Note("time zone: no registry capture to hold it");
    return;
  }
  const TimeZoneFacts& z = **timeZone_;
  const std::pair<const char*, RegValue> values[] = {
      {"Bias", DwordValue(z.Bias)},
      {"StandardName", TextValue(z.StandardName)},
      {"StandardStart", SystemTimeValue(z.StandardDate)},
      {"StandardBias", DwordValue(z.StandardBias)},
      {"DaylightName", TextValue(z.DaylightName)},
      {"DaylightStart", SystemTimeValue(z.DaylightDate)},
      {"DaylightBias", DwordValue(z.DaylightBias)},
  };
  for (const auto& [name, value] : values)
    registry_->AddFact(RootKey::LocalMachine, key, name, value);
  // The replay reads the zone from those values: say so where the engine's own registry
  // reads hold something that decodes otherwise.
  struct Held : IRegistry {
    const CapturingRegistry& R;
    explicit Held(const CapturingRegistry& r) : R(r) {}
    bool KeyExists(RootKey, const std::string&) const override { return true; }
    std::optional<RegValue> QueryValue(RootKey root, const std::string& p, const std::string& n) const override {
      return R.HeldValue(root, p, n);
    }
    std::vector<std::string> SubKeyNames(RootKey, const std::string&) const override { return {}; }
    std::vector<std::string> ValueNames(RootKey, const std::string&) const override { return {}; }
  } held(*registry_);
  auto replay = RecordedTimeZone(held);
  if (!replay || replay->Bias != z.Bias || replay->StandardName != z.StandardName ||
      !(replay->StandardDate == z.StandardDate) || replay->StandardBias != z.StandardBias ||
      replay->DaylightName != z.DaylightName || !(replay->DaylightDate == z.DaylightDate) ||
      replay->DaylightBias != z.DaylightBias)
    out.Note("time zone: the registry values the engine read differ from what GetTimeZoneInformation answered; "
             "the replay answers from the registry");
}

void CapturingSystem::Write(CaptureOutput& out) const {
  if (version_) {
    const VersionFacts& v = *version_;
    out.Add("version", "MajorVersion", std::to_string(v.MajorVersion));
    out.Add("version", "MinorVersion", std::to_string(v.MinorVersion));
    out.Add("version", "BuildNumber", Format("0x%08X", v.BuildNumber));
    out.Add("version", "PlatformId", std::to_string(v.PlatformId));
    out.Add("version", "CSDVersion", v.CSDVersion);
    if (v.HasExtended) {
      out.Add("version", "ServicePackMajor", std::to_string(v.ServicePackMajor));
      out.Add("version", "ServicePackMinor", std::to_string(v.ServicePackMinor));
      out.Add("version", "SuiteMask", Format("0x%04X", v.SuiteMask));
      out.Add("version", "ProductType", std::to_string(v.ProductType));
    }
  }
  if (computer_ && *computer_) out.Add("system", "ComputerName", **computer_);
  if (user_ && *user_) out.Add("system", "UserName", **user_);
  if (system_) {
    const SystemFacts& s = *system_;
    out.Add("system", "ProcessorCount", std::to_string(s.ProcessorCount));
    out.Add("system", "ProcessorArchitecture", std::to_string(s.ProcessorArchitecture));
    out.Add("system", "PageSize", std::to_string(s.PageSize));
    out.Add("system", "AllocationGranularity", std::to_string(s.AllocationGranularity));
    out.Add("system", "MinimumApplicationAddress", Hex64(s.MinimumApplicationAddress));
    out.Add("system", "MaximumApplicationAddress", Hex64(s.MaximumApplicationAddress));
  }
  if (windows_) out.Add("system", "WindowsDirectory", *windows_);
  if (systemDir_) out.Add("system", "SystemDirectory", *systemDir_);
  if (temp_) out.Add("system", "TempPath", *temp_);
  if (tick_) out.Add("system", "TickCount", std::to_string(*tick_));
  if (now_) {
    const LocalTime& t = *now_;
    if (t.Year >= 1601 && t.Year <= 9999)
      out.Add("system", "LocalTime", Format("%04d-%02d-%02d %02d:%02d:%02d", t.Year, t.Month, t.Day, t.Hour, t.Minute, t.Second));
    else
      out.Note(Format("[system] LocalTime: the clock answered the year %d, which a recording cannot hold", t.Year));
    if (t.Milliseconds) out.Note("[system] LocalTime: the milliseconds are not kept");
  }
  if (lang_) out.Add("system", "SystemDefaultLangID", Format("0x%04X", *lang_));
  if (serverR2_) {
    if (*serverR2_ >= 0) out.Add("system", "ServerR2", std::to_string(*serverR2_));
    else out.Note("[system] ServerR2: a negative metric cannot be recorded");
  }
  if (kernelHigh_) out.Add("system", "KernelVersionHigh", Format("0x%08X", *kernelHigh_));

  // [locale]: the record, then every GetLocaleInfo answer by its LCTYPE name.
  std::map<std::string, std::string> values;
  if (locale_) {
    const LocaleFacts& l = *locale_;
    out.Add("locale", "DecimalSeparator", l.DecimalSeparator);
    out.Add("locale", "DateSeparator", l.DateSeparator);
    out.Add("locale", "TimeSeparator", l.TimeSeparator);
    auto joined = [&](const auto& names, const char* key) {
      std::string s;
      for (const std::string& n : names) {
        if (n.find(',') != std::string::npos || Trim(n) != n)
          out.Note(std::string("[locale] ") + key + ": a name with a comma or blanks at its ends; it reads back cut");
        s += (s.empty() ? "" : ",") + n;
      }
      out.Add("locale", key, s);
    };
    joined(l.DayNames, "DayNames");
    joined(l.MonthNames, "MonthNames");
    for (const auto& [k, v] : l.Values) {
      if (StartsWith(ToUpperAscii(k), "LOCALE_")) values[ToUpperAscii(k)] = v;
      else out.Note("[locale] " + k + ": not a LOCALE_* name; left out");
    }
  }
  for (const auto& [type, v] : localeInfo_) {
    const char* name = LocaleTypeName(type);
    if (!name) {
      if (v) out.Note(Format("[locale] LCTYPE 0x%04X has no name in the recorded format; left out", type));
      continue;
    }
    if (v) {
      values[name] = *v;
    } else if (type == 0x000E || type == 0x001D || type == 0x001E) {
      out.Note(std::string("[locale] ") + name + ": the call failed, but the replay answers the separator");
    }
  }
  for (const auto& [k, v] : values) out.Add("locale", k, v);

  if (keyboard_) {
    const auto& k = *keyboard_;
    struct Lock { const char* Name; uint8_t Key; };
    for (const Lock& l : {Lock{"CapsLock", 0x14}, Lock{"NumLock", 0x90}, Lock{"ScrollLock", 0x91}}) {
      out.Add("keyboard", l.Name, (k[l.Key] & 0x01) ? "1" : "0");
      out.Add("keyboard", std::string(l.Name) + "Down", (k[l.Key] & 0x80) ? "1" : "0");
    }
  }

  if (environment_) {
    out.AddSection("environment");
    // NUL-separated strings up to the empty one; bounded by the block's size.
    size_t pos = 0;
    const std::string& b = *environment_;
    while (pos < b.size()) {
      size_t end = b.find('\0', pos);
      if (end == std::string::npos) end = b.size();
      if (end == pos) break;
      const std::string line = b.substr(pos, end - pos);
      if (Trim(line) != line || line[0] == ';' || line[0] == '[')
        out.Note("[environment] a string that a profile line cannot hold as it is: " + line);
      out.AddLine("environment", line);
      pos = end + 1;
    }
  } else if (!variables_.empty()) {
    out.AddSection("environment");
    for (const auto& [name, v] : variables_)
      if (v) out.AddLine("environment", name + "=" + *v);
  }

  if (ras_) {
    out.Add("ras", "Library", ras_->LibraryPresent ? "1" : "0");
    out.Add("ras", "EntryPoint", ras_->EntryPointPresent ? "1" : "0");
    out.Add("ras", "ReturnCode", std::to_string(ras_->ReturnCode));
    out.Add("ras", "Connections", std::to_string(ras_->ConnectionCount));
  }
  for (const std::string& c : conflicts_) out.Note(c);
}

}  // namespace kestrova
