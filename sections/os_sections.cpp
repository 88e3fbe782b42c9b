#include "sections/os_sections.h"

#include "engine/core/context.h"
#include "engine/core/format.h"
#include "engine/core/string_order.h"
#include "engine/core/system_info.h"
#include "engine/core/text.h"
#include "engine/os/operating_system.h"
#include "engine/os/osinfo.h"
#include "sections/categories.h"
#include "sections/time_zone_routines.h"

namespace kestrova {

namespace {

TOperatingSystem* OS(SectionContext& ctx) { return ctx.Engine.As<TOperatingSystem>(TSystemInfo::Member::OS); }

void RefreshOS(SectionContext& ctx) {
  if (TOperatingSystem* os = OS(ctx)) os->Refresh();
}

void Item(SectionContext& ctx, const std::string& text) { ctx.Log.AddLogLine(kLevelItem, text, kColourBlack); }

void OSBody(SectionContext& ctx) {
  TOperatingSystem* os = OS(ctx);
  if (!os) return;
  Item(ctx, "OS : " + WindowsEditionName(ctx.Engine.Context().Sys));
  Item(ctx, Format("Version : %d.%d.%d, %s", os->MajorVersion(), os->MinorVersion(), os->BuildNumber(),
                   os->CSD().c_str()));
  Item(ctx, "Id. produit : " + os->ProductID());
  Item(ctx, "Navigateur internet par défaut : " + os->Internet().DefaultBrowser());
  Item(ctx, "Client Email par défaut : " + os->Internet().DefaultMailClient());
  // Every entry, numbered from 0, each by its name part (the protocol, or the index put
  // in front of a server given without one).
  const auto& proxies = os->Internet().ProxyServer();
  for (size_t i = 0; i < proxies.size(); ++i)
    Item(ctx, Format("Serveur Proxy #%d : %s", static_cast<int>(i), SplitNameValue(proxies[i]).first.c_str()));
  if (!Trim(os->DVDRegion()).empty()) Item(ctx, Format("DVD - Région : %s", os->DVDRegion().c_str()));
}

void LocaleBody(SectionContext& ctx) {
  const Platform& p = ctx.Engine.Context().Sys;
  Item(ctx, Format("%s = %s", "Décallage horaire GMT", GmtOffsetText(p).c_str()));
  // Each line asks for the record anew, as the utility builds it at every call.
  Item(ctx, Format("%s = %s", "KeyName", CurrentTimeZoneRecord(p).KeyName.c_str()));
  Item(ctx, Format("%s = %s", "DisplayName", CurrentTimeZoneRecord(p).DisplayName.c_str()));
  Item(ctx, Format("%s = %d", "Bias", CurrentTimeZoneRecord(p).Bias));
  Item(ctx, Format("%s = %s", "StandardName", CurrentTimeZoneRecord(p).StandardName.c_str()));
  Item(ctx, Format("%s = %d", "StandardBias", CurrentTimeZoneRecord(p).StandardBias));
  Item(ctx, Format("%s = %s", "DaylightName", CurrentTimeZoneRecord(p).DaylightName.c_str()));
  Item(ctx, Format("%s = %d", "DaylightBias", CurrentTimeZoneRecord(p).DaylightBias));
  static const std::string kYes = "Yes", kNo = "Non";
  Item(ctx, Format("%s = %s", "UseDaylightTime", ChooseText(CurrentTimeZoneRecord(p).UseDaylightTime, kYes, kNo).c_str()));
}

// Every entry of the sorted copy, unchanged.
void WriteSorted(SectionContext& ctx, const std::vector<std::string>& lines) {
  if (lines.empty()) return;
  std::vector<std::string> sorted = lines;
  SortLikeStringList(sorted);
  for (const std::string& line : sorted) Item(ctx, line);
}

void EnvironmentBody(SectionContext& ctx) {
  if (TOperatingSystem* os = OS(ctx)) WriteSorted(ctx, os->Environment());
}

void FoldersBody(SectionContext& ctx) {
  if (TOperatingSystem* os = OS(ctx)) WriteSorted(ctx, os->Folders());
}

}  // namespace

const SectionWriter kOSWriter = {kCatOS, RefreshOS, OSBody};
const SectionWriter kLocaleWriter = {kCatLocale, nullptr, LocaleBody};
const SectionWriter kEnvironmentWriter = {kCatEnvironment, RefreshOS, EnvironmentBody};
const SectionWriter kWindowsFoldersWriter = {kCatWindowsFolders, RefreshOS, FoldersBody};

}  // namespace kestrova
