#include "sections/process_sections.h"

#include <algorithm>
#include <cctype>

#include "engine/core/system_info.h"
#include "engine/inventory/process_list.h"
#include "sections/categories.h"

namespace kestrova {

namespace {

int CharClass(unsigned char c) {
  if (c >= 0x80 || std::isalpha(c)) return 2;
  if (std::isdigit(c)) return 1;
  return 0;
}

bool LessNoCase(const std::string& a, const std::string& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    const int cx = CharClass(x), cy = CharClass(y);
    if (cx != cy) return cx < cy;
    const int ux = std::toupper(x), uy = std::toupper(y);
    if (ux != uy) return ux < uy;
  }
  return a.size() < b.size();
}

TProcessList* ProcessList(SectionContext& ctx) {
  return ctx.Engine.As<TProcessList>(TSystemInfo::Member::ProcessList);
}

void RefreshFor(SectionContext& ctx, TDetectionType kind) {
  if (TProcessList* list = ProcessList(ctx)) {
    list->SetDetectionRange({kind});
    list->Refresh();
  }
}

void PrintSorted(SectionContext& ctx, std::vector<std::string> texts) {
  for (const std::string& text : SortedNoCase(std::move(texts))) ctx.Log.AddLogLine(kLevelItem, text, kColourBlack);
}

void ProcessesBody(SectionContext& ctx) {
  TProcessList* list = ProcessList(ctx);
  if (!list) return;
  std::vector<std::string> names;
  for (const TProcessInfo& p : list->Processes()) names.push_back(p.Name);
  PrintSorted(ctx, names);
}

void DriversBody(SectionContext& ctx) {
  TProcessList* list = ProcessList(ctx);
  if (!list) return;
  std::vector<std::string> names;
  for (const TDriverInfo& d : list->Drivers()) names.push_back(d.Name);
  PrintSorted(ctx, names);
}

void ServicesBody(SectionContext& ctx) {
  TProcessList* list = ProcessList(ctx);
  if (!list) return;
  std::vector<std::string> names;
  for (const TServiceInfo& s : list->Services())
    names.push_back(s.Dependencies.empty() ? s.DisplayName : s.DisplayName + " (" + s.Dependencies + ")");
  PrintSorted(ctx, names);
}

}  // namespace

std::vector<std::string> SortedNoCase(std::vector<std::string> texts) {
  std::stable_sort(texts.begin(), texts.end(), LessNoCase);
  return texts;
}

const SectionWriter kProcessesWriter = {kCatProcesses, [](SectionContext& c) { RefreshFor(c, TDetectionType::dtProcesses); }, ProcessesBody};
const SectionWriter kDriversWriter = {kCatDrivers, [](SectionContext& c) { RefreshFor(c, TDetectionType::dtDrivers); }, DriversBody};
const SectionWriter kServicesWriter = {kCatServices, [](SectionContext& c) { RefreshFor(c, TDetectionType::dtServices); }, ServicesBody};

}  // namespace kestrova
