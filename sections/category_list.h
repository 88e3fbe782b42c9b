#pragma once
// The rows of the category list as the run and the tick commands see them: a caption, a
// tick and a highlight (the list's own selection), independent of each other. The window
// mirrors its list control into these rows; the console companion ticks them from its
// arguments.
#include <optional>
#include <string>
#include <vector>

namespace kestrova {

struct CategoryRow {
  std::string Caption;
  bool Ticked = false;
  bool Highlighted = false;
};
using CategoryRows = std::vector<CategoryRow>;

// The 28 rows in list order, all ticked, none highlighted (the state after start-up).
CategoryRows MakeCategoryRows();

// "Tout sélectionner", "Tout déselectionner", "Inverser sélection", "Sélectionner élements
// surlignés". None of them changes a highlight.
void TickAll(CategoryRows& rows);
void UntickAll(CategoryRows& rows);
void InvertTicks(CategoryRows& rows);
void TickHighlightedOnly(CategoryRows& rows);

// The first row whose caption equals `caption`, letter case ignored (accented Latin-1
// letters included); false when there is none or it is not ticked.
bool IsCategoryTicked(const CategoryRows& rows, const std::string& caption);
// Index of the row holding that caption, same comparison.
std::optional<size_t> FindCategoryRow(const CategoryRows& rows, const std::string& caption);

// The caption the long press announces ("AutoStart : " + caption): the first highlighted
// row from the top. Nothing highlighted (or no rows) means no auto-start at all.
std::optional<std::string> AutoStartCaption(const CategoryRows& rows);
extern const char* const kAutoStartPrefix;

}  // namespace kestrova
