#pragma once
// Two reports compared category by category (the categories' headings; a section's own
// sub-headings, "Moniteur #01", are lines of its category):
// the lines removed, added and changed ("avant"/"après"), nothing for a category that did
// not change. Linear in time and memory: lines are matched through their hashes, with
// lines unique to both sides as anchors and a bounded amount of work.
#include <optional>
#include <string>
#include <vector>

#include "sections/report_log.h"

namespace kestrova {

// The lines of a saved report (text, CR LF or LF, or RTF from either program). nullopt
// with `error` set when the bytes are neither a report nor well-formed RTF.
std::optional<std::vector<std::string>> ReportLinesFromFile(const std::string& bytes, std::string* error);

// True for a line whose value moves with time (clock, uptime, free memory...): such lines
// are compared only when asked to. `category` is the heading the line stands under.
bool MovesWithTime(const std::string& category, const std::string& line);
// The line with its moving parts (a drive's free space) blanked out.
std::string WithoutMovingParts(const std::string& line);

extern const char* const kHeaderCategory;  // the lines before the first heading

enum class ChangeKind { Removed, Added, Changed };
struct LineChange {
  ChangeKind Kind;
  std::string Before, After;  // Removed: Before; Added: After; Changed: both
};
struct CategoryChanges {
  std::string Category;
  std::vector<LineChange> Changes;
};

// The changed categories, in the new report's order (categories only in the old report
// follow, in its order).
std::vector<CategoryChanges> CompareReports(const std::vector<std::string>& before,
                                            const std::vector<std::string>& after, bool all);

// The comparison as log lines: the heading of each changed category, then its lines
// ("  retiré :", "  ajouté :", "  avant :"/"  après :" before the line as the report
// holds it); removed lines red, added green.
constexpr uint32_t kColourGreen = 0x008000;
std::vector<LogLine> ComparisonLines(const std::vector<CategoryChanges>& changes);

}  // namespace kestrova
