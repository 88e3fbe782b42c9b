#include "sections/category_list.h"

#include "engine/core/text.h"
#include "sections/categories.h"

namespace kestrova {

const char* const kAutoStartPrefix = "AutoStart : ";

namespace {
// Lower case for ASCII and the Latin-1 capitals (À to Þ, without ×), enough for captions.
std::vector<uint32_t> Folded(const std::string& s) {
  std::vector<uint32_t> cps = DecodeUtf8(s);
  for (uint32_t& c : cps) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) c += 0x20;
  }
  return cps;
}
}  // namespace

CategoryRows MakeCategoryRows() {
  CategoryRows rows;
  for (const std::string& caption : CategoryListOrder()) rows.push_back({caption, true, false});
  return rows;
}

void TickAll(CategoryRows& rows) {
  for (auto& r : rows) r.Ticked = true;
}
void UntickAll(CategoryRows& rows) {
  for (auto& r : rows) r.Ticked = false;
}
void InvertTicks(CategoryRows& rows) {
  for (auto& r : rows) r.Ticked = !r.Ticked;
}
void TickHighlightedOnly(CategoryRows& rows) {
  for (auto& r : rows) r.Ticked = r.Highlighted;
}

std::optional<size_t> FindCategoryRow(const CategoryRows& rows, const std::string& caption) {
  const auto wanted = Folded(caption);
  for (size_t i = 0; i < rows.size(); ++i)
    if (Folded(rows[i].Caption) == wanted) return i;
  return std::nullopt;
}

bool IsCategoryTicked(const CategoryRows& rows, const std::string& caption) {
  auto i = FindCategoryRow(rows, caption);
  return i && rows[*i].Ticked;
}

std::optional<std::string> AutoStartCaption(const CategoryRows& rows) {
  for (const auto& r : rows)
    if (r.Highlighted) return r.Caption;
  return std::nullopt;
}

}  // namespace kestrova
