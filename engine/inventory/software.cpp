#include "engine/inventory/software.h"

#include <algorithm>

#include "engine/core/context.h"
#include "engine/core/date_time.h"
#include "engine/core/text.h"
#include "engine/os/shared_routines.h"

namespace kestrova {

const char* const TSoftware::kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char* const TSoftware::kUserDataKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData";

namespace {

// Text fields of the record hold at most 255 characters.
constexpr size_t kFieldLimit = 255;

// A decimal number as the run-time library reads one: leading blanks, an optional sign,
// digits and nothing else.
std::optional<int> DecimalOf(const std::string& s) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  if (i == s.size()) return std::nullopt;
  long long n = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return std::nullopt;
    n = n * 10 + (s[i] - '0');
    if (n > 0x7FFFFFFF) return std::nullopt;
  }
  return static_cast<int>(negative ? -n : n);
}

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// A calendar date as a day count, or nothing when it is not a date of years 1 to 9999.
std::optional<double> BuildDate(std::optional<int> year, std::optional<int> month, std::optional<int> day) {
  if (!year || !month || !day) return std::nullopt;
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (*year < 1 || *year > 9999 || *month < 1 || *month > 12 || *day < 1) return std::nullopt;
  const int last = kDays[*month - 1] + (*month == 2 && IsLeapYear(*year) ? 1 : 0);
  if (*day > last) return std::nullopt;
  LocalTime t;
  t.Year = *year, t.Month = *month, t.Day = *day;
  return EncodeDateTime(t);
}

std::string Copy(const std::string& s, size_t from, size_t count) {
  return from < s.size() ? s.substr(from, count) : std::string();
}

}  // namespace

double ParseInstallDate(const std::string& text) {
  if (auto d = BuildDate(DecimalOf(Copy(text, 0, 4)), DecimalOf(Copy(text, 4, 2)), DecimalOf(Copy(text, 6, 2))))
    return *d;
  const size_t first = text.find('/');
  if (first == std::string::npos) return 0;
  const size_t second = text.find('/', first + 1);
  const std::string month = text.substr(0, first);
  const std::string day = second == std::string::npos ? text.substr(first + 1) : text.substr(first + 1, second - first - 1);
  const std::string year = second == std::string::npos ? std::string() : text.substr(second + 1);
  return BuildDate(DecimalOf(year), DecimalOf(month), DecimalOf(day)).value_or(0);
}

TSoftware::TSoftware(const EngineContext& context) : TInformation(context) {
  SetExceptionModes({TExceptionMode::emExceptionStack});
}

std::optional<TSoftwareRecord> TSoftware::ReadRecord(const std::string& key) const {
  const Platform& p = Context().Sys;
  auto name = p.Registry->QueryValue(RootKey::LocalMachine, key, "DisplayName");
  if (!name) return std::nullopt;
  auto text = [&](const char* value) {
    return Truncate(ReadRegistryString(p, RootKey::LocalMachine, key, value), kFieldLimit);
  };
  TSoftwareRecord r;
  // Only string data is text: a DisplayName of another type gives an empty name.
  if (name->Type == kRegSz || name->Type == kRegExpandSz) {
    auto end = std::find(name->Data.begin(), name->Data.end(), uint8_t{0});
    r.Name = Truncate(std::string(name->Data.begin(), end), kFieldLimit);
  }
  r.Version = text("DisplayVersion");
  r.Company = text("Publisher");
  r.Uninstall = text("UninstallString");
  r.Source = text("InstallSource");
  r.Date = ParseInstallDate(text("InstallDate"));
  return r;
}

void TSoftware::Refresh() {
  records_.clear();
  const Platform& p = Context().Sys;
  if (!p.Registry) return;
  const IRegistry& reg = *p.Registry;

  for (const std::string& sub : reg.SubKeyNames(RootKey::LocalMachine, kUninstallKey))
    if (auto r = ReadRecord(std::string(kUninstallKey) + "\\" + sub)) records_.push_back(std::move(*r));

  for (const std::string& user : reg.SubKeyNames(RootKey::LocalMachine, kUserDataKey)) {
    const std::string products = Format("%s\\%s\\Products", kUserDataKey, user.c_str());
    for (const std::string& product : reg.SubKeyNames(RootKey::LocalMachine, products)) {
      auto r = ReadRecord(Format("%s\\%s\\Products\\%s\\InstallProperties", kUserDataKey, user.c_str(), product.c_str()));
      if (!r) continue;
      auto same = std::find_if(records_.begin(), records_.end(),
                               [&](const TSoftwareRecord& x) { return EqualsNoCase(x.Name, r->Name); });
      if (same != records_.end()) *same = std::move(*r);
      else records_.push_back(std::move(*r));
    }
  }
}

void TSoftware::GetRecord(uint32_t index, TSoftwareRecord& record) const {
  record = index < records_.size() ? records_[index] : TSoftwareRecord{};
}

void TSoftware::WriteBlock(ReportWriter& out) const {
  out.OpenClass("Software", "TSoftware");
  const LocaleFacts locale = Context().Sys.System ? Context().Sys.System->Locale() : LocaleFacts{};
  for (const TSoftwareRecord& r : records_) {  // values and the section name are escaped
    out.OpenSection(r.Name);
    out.String("Version", r.Version);
    out.String("Company", r.Company);
    out.String("Source", r.Source);
    out.String("Uninstall", r.Uninstall);
    if (r.Date > 0) out.String("Date", ShortDateText(r.Date, locale));
    out.CloseSection();
  }
  out.CloseClass("Software");
}

}  // namespace kestrova
