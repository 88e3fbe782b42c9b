#include "sections/software_sections.h"

#include <algorithm>
#include <set>

#include "engine/core/system_info.h"
#include "engine/core/text.h"
#include "engine/inventory/software.h"
#include "engine/inventory/startup.h"
#include "sections/categories.h"

namespace kestrova {

namespace {

// Letter case folded, for ASCII and the Latin-1 letters.
uint32_t FoldCase(uint32_t c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
  return c;
}

// The Latin-1 letters without their accent (after FoldCase); others unchanged.
uint32_t BaseLetter(uint32_t c) {
  //                             à    á    â    ã    ä    å    æ    ç    è    é    ê    ë    ì    í    î    ï
  static const char kBase[32] = {'a', 'a', 'a', 'a', 'a', 'a', 'a', 'c', 'e', 'e', 'e', 'e', 'i', 'i', 'i', 'i',
  //                             ð    ñ    ò    ó    ô    õ    ö    ÷    ø    ù    ú    û    ü    ý    þ    ÿ
                                 'd', 'n', 'o', 'o', 'o', 'o', 'o', 0,   'o', 'u', 'u', 'u', 'u', 'y', 0,   'y'};
  if (c >= 0xE0 && c <= 0xFF && kBase[c - 0xE0]) return static_cast<uint32_t>(kBase[c - 0xE0]);
  return c;
}

struct SortKey {
  std::vector<uint32_t> Primary;    // case and accents folded
  std::vector<uint32_t> Secondary;  // case folded
};

SortKey KeyOf(const std::string& name) {
  SortKey k;
  for (uint32_t c : DecodeUtf8(name)) {
    const uint32_t folded = FoldCase(c);
    k.Secondary.push_back(folded);
    k.Primary.push_back(BaseLetter(folded));
  }
  return k;
}

TSoftware* Software(SectionContext& ctx) { return ctx.Engine.As<TSoftware>(TSystemInfo::Member::Software); }
TStartup* Startup(SectionContext& ctx) { return ctx.Engine.As<TStartup>(TSystemInfo::Member::Startup); }

void PrepareInstalled(SectionContext& ctx) {
  if (TSoftware* s = Software(ctx)) s->Refresh();
}

void InstalledBody(SectionContext& ctx) {
  TSoftware* s = Software(ctx);
  if (!s) return;
  std::vector<std::string> names;
  for (uint32_t i = 0; i < s->Count(); ++i) {
    TSoftwareRecord r;
    s->GetRecord(i, r);
    names.push_back(r.Name);
  }
  for (const std::string& name : SortedDistinctNames(std::move(names)))
    ctx.Log.AddLogLine(kLevelItem, name, kColourBlack);
}

void PrepareAutoStart(SectionContext& ctx) {
  if (TStartup* s = Startup(ctx)) s->Refresh();
}

void AutoStartBody(SectionContext& ctx) {
  TStartup* s = Startup(ctx);
  if (!s) return;
  using S = TStartupSource;
  // The browser helper objects are collected but not printed.
  static const struct { S Source; const char* Suffix; } kRows[] = {
      {S::HKLM_Run, " (HKLM)"},
      {S::HKCU_Run, " (HKCU)"},
      {S::HKLM_Once, " (HKLMOnce)"},
      {S::HKCU_Once, " (HKCUOnce)"},
      {S::HKLM_OnceEx, " (HKLMOnceEx)"},
      {S::HKCU_OnceEx, " (HKCUOnceEx)"},
      {S::HKLM_Services, " (HKLMServices)"},
      {S::HKLM_ServicesOnce, " (HKLMServicesOnce)"},
      {S::HKCU_Services, " (HKCUServices)"},
      {S::HKCU_ServicesOnce, " (HKCUServicesOnce)"},
      {S::HKLM_SessionManager, " (HKLMSessionManager)"},
      {S::HKLM_WinLogon, " (HKLMWinLogon)"},
      {S::HKCU_Load, " (HKCULoad)"},
      {S::UserStartup, " (User)"},
      {S::CommonStartup, " (Common)"},
      {S::WIN_INI, " (WinINI)"},
      {S::SYSTEM_INI, " (SystemINI)"},
  };
  for (const auto& row : kRows)
    for (int i = 0; i < s->Count(row.Source); ++i)
      ctx.Log.AddLogLine(kLevelItem, s->Name(row.Source, i) + row.Suffix, kColourBlack);
}

}  // namespace

std::vector<std::string> SortedDistinctNames(std::vector<std::string> names) {
  std::vector<std::pair<SortKey, std::string>> keyed;
  keyed.reserve(names.size());
  for (std::string& n : names) keyed.emplace_back(KeyOf(n), std::move(n));
  std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
    if (a.first.Primary != b.first.Primary) return a.first.Primary < b.first.Primary;
    return a.first.Secondary < b.first.Secondary;
  });
  std::vector<std::string> out;
  std::set<std::vector<uint32_t>> written;  // case-folded names already written
  for (auto& k : keyed)
    if (written.insert(k.first.Secondary).second) out.push_back(std::move(k.second));
  return out;
}

const SectionWriter kInstalledAppsWriter = {kCatInstalledApps, PrepareInstalled, InstalledBody};
const SectionWriter kAutoStartWriter = {kCatAutoStart, PrepareAutoStart, AutoStartBody};

}  // namespace kestrova
