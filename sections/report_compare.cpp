#include "sections/report_compare.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <utility>

#include "sections/category_list.h"
#include "sections/rtf_text.h"
#include "sections/run.h"

namespace kestrova {

const char* const kHeaderCategory = "En-tête du rapport";

namespace {

// The lines that move with time, in one place. An entry with a category applies only
// under headings starting with it.
struct MovingLine {
  const char* CategoryPrefix;  // null: any category
  const char* LinePrefix;      // null: every line of the category
};
const MovingLine kMovingLines[] = {
    {nullptr, " - Dernier démarrage : "},             // uptime
    {"CPU (processeur)", " - Fréquence : "},           // the clock, measured at each run
    {nullptr, " - Mémoire physique libre : "},
    {nullptr, " - Mémoire virtuelle libre : "},
    {nullptr, " - Fichier d'échange libre : "},
    {nullptr, " - Charge mémoire : "},
    {nullptr, " - Ressources GDI : "},
    {nullptr, " - Ressources Système : "},
    {nullptr, " - Ressources User : "},
    {nullptr, " - Batterie - Durée de vie restante : "},
    {nullptr, " - Batterie - Pourcentage de durée de vie : "},
    {"En-tête du rapport", " - "},                   // the date and time of the run
};
// Parts of a line that move (a drive's free space): blanked before comparing.
const char* const kMovingPartStart = "(libre : ";

bool StartsWith(const std::string& s, const char* prefix) {
  const size_t n = std::char_traits<char>::length(prefix);
  return s.size() >= n && s.compare(0, n, prefix) == 0;
}

bool IsHeading(const std::string& line) { return !line.empty() && line[0] != ' '; }

struct Category {
  std::string Name;
  std::vector<std::string> Lines;
};

// A heading that names one of the categories; the processor's carry " - CPU #n" after it.
bool IsCategoryHeading(const std::string& line) {
  static const CategoryRows rows = MakeCategoryRows();
  for (const CategoryRow& r : rows) {
    if (line.size() < r.Caption.size() || line.compare(0, r.Caption.size(), r.Caption) != 0) continue;
    if (line.size() == r.Caption.size() || line.compare(r.Caption.size(), 3, " - ") == 0) return true;
  }
  return false;
}

// The run's own lines, written at heading level between the categories.
bool IsRunLine(const std::string& line) {
  return line == kStartLine || line == kEndLine || line == kInterruptedLine || line == kNoEngineLine ||
         StartsWith(line, kAutoStartPrefix);
}

// Every category heading and run line opens a category of its own. Any other heading
// under a category is one of its sub-headings ("Moniteur #01" under "Moniteurs") and
// stays a line of it, with a leading blank as its other lines have; elsewhere (a report
// of another version, with headings unknown here) a heading opens a category.
std::vector<Category> SplitCategories(const std::vector<std::string>& lines) {
  std::vector<Category> out;
  out.push_back({kHeaderCategory, {}});
  bool first = true, inCategory = false;
  for (const std::string& l : lines) {
    if (l.empty()) continue;
    if (first && StartsWith(l, kReportTitlePrefix)) {
      out.back().Lines.push_back(l);  // the title and version belong to the header
      first = false;
      continue;
    }
    first = false;
    if (!IsHeading(l)) {
      out.back().Lines.push_back(l);
    } else if (inCategory && !IsCategoryHeading(l) && !IsRunLine(l)) {
      out.back().Lines.push_back(" " + l);
    } else {
      out.push_back({l, {}});
      inCategory = IsCategoryHeading(l);
    }
  }
  return out;
}

enum class Op : uint8_t { Same, Remove, Add };
struct Edit {
  Op Kind;
  size_t A, B;  // indices in a (Same, Remove) and b (Same, Add)
};

// Longest increasing subsequence of pairs sorted by first index, by second index.
std::vector<std::pair<size_t, size_t>> LongestIncreasing(const std::vector<std::pair<size_t, size_t>>& pairs) {
  std::vector<size_t> tails, prev(pairs.size(), SIZE_MAX);
  for (size_t i = 0; i < pairs.size(); ++i) {
    auto it = std::lower_bound(tails.begin(), tails.end(), pairs[i].second,
                               [&](size_t idx, size_t v) { return pairs[idx].second < v; });
    if (it != tails.begin()) prev[i] = *(it - 1);
    if (it == tails.end()) tails.push_back(i);
    else *it = i;
  }
  std::vector<std::pair<size_t, size_t>> out;
  for (size_t i = tails.empty() ? SIZE_MAX : tails.back(); i != SIZE_MAX; i = prev[i]) out.push_back(pairs[i]);
  std::reverse(out.begin(), out.end());
  return out;
}

// Line matching between a and b: common ends, then lines unique to both sides as anchors
// (the longest run of them in order), each gap handled the same way. A budget of work
// proportional to the input bounds the whole: past it a gap is taken as replaced.
std::vector<Edit> Match(const std::vector<uint64_t>& a, const std::vector<uint64_t>& b) {
  struct Gap { size_t A0, A1, B0, B1; };
  std::vector<Gap> work{{0, a.size(), 0, b.size()}};
  std::vector<std::pair<size_t, size_t>> same;  // matched (i, j)
  uint64_t budget = 16 * (static_cast<uint64_t>(a.size()) + b.size()) + 1024;
  while (!work.empty()) {
    Gap g = work.back();
    work.pop_back();
    while (g.A0 < g.A1 && g.B0 < g.B1 && a[g.A0] == b[g.B0]) same.push_back({g.A0++, g.B0++});
    while (g.A0 < g.A1 && g.B0 < g.B1 && a[g.A1 - 1] == b[g.B1 - 1]) same.push_back({--g.A1, --g.B1});
    if (g.A0 == g.A1 || g.B0 == g.B1) continue;
    const uint64_t cost = (g.A1 - g.A0) + (g.B1 - g.B0);
    if (cost > budget) continue;  // taken as replaced
    budget -= cost;
    std::unordered_map<uint64_t, std::pair<uint32_t, size_t>> countA, countB;  // count, last index
    countA.reserve(g.A1 - g.A0);
    countB.reserve(g.B1 - g.B0);
    for (size_t i = g.A0; i < g.A1; ++i) {
      auto& e = countA[a[i]];
      ++e.first;
      e.second = i;
    }
    for (size_t j = g.B0; j < g.B1; ++j) {
      auto& e = countB[b[j]];
      ++e.first;
      e.second = j;
    }
    std::vector<std::pair<size_t, size_t>> anchors;
    for (size_t i = g.A0; i < g.A1; ++i) {
      auto ea = countA.find(a[i]);
      if (ea->second.first != 1) continue;
      auto eb = countB.find(a[i]);
      if (eb != countB.end() && eb->second.first == 1) anchors.push_back({i, eb->second.second});
    }
    anchors = LongestIncreasing(anchors);
    if (anchors.empty()) continue;  // nothing sure to hold on to: replaced
    size_t pa = g.A0, pb = g.B0;
    for (const auto& [i, j] : anchors) {
      if (i > pa || j > pb) work.push_back({pa, i, pb, j});
      same.push_back({i, j});
      pa = i + 1;
      pb = j + 1;
    }
    if (pa < g.A1 || pb < g.B1) work.push_back({pa, g.A1, pb, g.B1});
  }
  std::sort(same.begin(), same.end());
  std::vector<Edit> edits;
  size_t i = 0, j = 0;
  for (const auto& [si, sj] : same) {
    while (i < si) edits.push_back({Op::Remove, i++, 0});
    while (j < sj) edits.push_back({Op::Add, 0, j++});
    edits.push_back({Op::Same, i++, j++});
  }
  while (i < a.size()) edits.push_back({Op::Remove, i++, 0});
  while (j < b.size()) edits.push_back({Op::Add, 0, j++});
  return edits;
}

// What a line's value is about: the text up to its " : " or "=" (a line without one is its
// own label).
std::string Label(const std::string& line) {
  size_t p = line.find(" : ");
  if (p != std::string::npos) return line.substr(0, p);
  p = line.find('=');
  return p != std::string::npos ? line.substr(0, p) : line;
}

// One run of removed and added lines as changes: a removed and an added line about the
// same thing (same label) make one change; a lone pair too; the rest stay removed/added.
void AddRun(const std::vector<std::string>& removed, const std::vector<std::string>& added,
            std::vector<LineChange>& out) {
  if (removed.size() == 1 && added.size() == 1) {
    out.push_back({ChangeKind::Changed, removed[0], added[0]});
    return;
  }
  std::vector<bool> used(added.size(), false);
  std::unordered_map<std::string, std::vector<size_t>> byLabel;
  for (size_t k = added.size(); k-- > 0;) byLabel[Label(added[k])].push_back(k);
  std::vector<LineChange> tail;
  for (const std::string& r : removed) {
    auto it = byLabel.find(Label(r));
    if (it != byLabel.end() && !it->second.empty()) {
      const size_t k = it->second.back();
      it->second.pop_back();
      used[k] = true;
      out.push_back({ChangeKind::Changed, r, added[k]});
    } else {
      out.push_back({ChangeKind::Removed, r, {}});
    }
  }
  for (size_t k = 0; k < added.size(); ++k)
    if (!used[k]) out.push_back({ChangeKind::Added, {}, added[k]});
}

uint64_t HashLine(const std::string& s) {
  uint64_t h = 1469598103934665603ull;  // FNV-1a
  for (unsigned char c : s) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return h;
}

std::vector<LineChange> CompareLines(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  std::vector<uint64_t> ha(a.size()), hb(b.size());
  for (size_t i = 0; i < a.size(); ++i) ha[i] = HashLine(a[i]);
  for (size_t j = 0; j < b.size(); ++j) hb[j] = HashLine(b[j]);
  std::vector<LineChange> out;
  std::vector<std::string> removed, added;
  auto flush = [&]() {
    if (!removed.empty() || !added.empty()) AddRun(removed, added, out);
    removed.clear();
    added.clear();
  };
  for (const Edit& e : Match(ha, hb)) {
    if (e.Kind == Op::Same) {
      if (a[e.A] == b[e.B]) {
        flush();
        continue;
      }
      removed.push_back(a[e.A]);  // equal hashes of different lines: still a change
      added.push_back(b[e.B]);
    } else if (e.Kind == Op::Remove) {
      removed.push_back(a[e.A]);
    } else {
      added.push_back(b[e.B]);
    }
  }
  flush();
  return out;
}

// The lines of a category as compared: moving ones left out unless asked for.
std::vector<std::string> Comparable(const Category& c, bool all) {
  std::vector<std::string> out;
  out.reserve(c.Lines.size());
  for (const std::string& l : c.Lines) {
    if (all) out.push_back(l);
    else if (!MovesWithTime(c.Name, l)) out.push_back(WithoutMovingParts(l));
  }
  return out;
}

}  // namespace

bool MovesWithTime(const std::string& category, const std::string& line) {
  for (const MovingLine& m : kMovingLines) {
    if (m.CategoryPrefix && !StartsWith(category, m.CategoryPrefix)) continue;
    if (StartsWith(line, m.LinePrefix)) return true;
  }
  return false;
}

std::string WithoutMovingParts(const std::string& line) {
  const size_t p = line.find(kMovingPartStart);
  if (p == std::string::npos) return line;
  const size_t start = p + std::char_traits<char>::length(kMovingPartStart);
  const size_t end = line.find(')', start);
  if (end == std::string::npos) return line;
  return line.substr(0, start) + "…" + line.substr(end);
}

std::optional<std::vector<std::string>> ReportLinesFromFile(const std::string& bytes, std::string* error) {
  std::vector<std::string> lines;
  size_t lead = 0;
  while (lead < bytes.size() && (bytes[lead] == ' ' || bytes[lead] == '\r' || bytes[lead] == '\n')) ++lead;
  if (bytes.compare(lead, 5, "{\\rtf") == 0) {
    auto rtf = RtfToLines(bytes);
    if (!rtf) {
      if (error) *error = "not well-formed RTF";
      return std::nullopt;
    }
    lines = std::move(*rtf);
  } else {
    if (bytes.find('\0') != std::string::npos) {
      if (error) *error = "neither a report nor RTF (binary data)";
      return std::nullopt;
    }
    size_t pos = 0;
    while (pos < bytes.size()) {
      size_t end = bytes.find('\n', pos);
      if (end == std::string::npos) end = bytes.size();
      std::string l = bytes.substr(pos, end - pos);
      if (!l.empty() && l.back() == '\r') l.pop_back();
      lines.push_back(std::move(l));
      pos = end + 1;
    }
  }
  // A report opens with its title (after blank lines, if any).
  auto first = std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return !l.empty(); });
  if (first == lines.end() || !StartsWith(*first, kReportTitlePrefix)) {
    if (error) *error = "not a report (it does not open with the report's title)";
    return std::nullopt;
  }
  return lines;
}

std::vector<CategoryChanges> CompareReports(const std::vector<std::string>& before,
                                            const std::vector<std::string>& after, bool all) {
  const std::vector<Category> a = SplitCategories(before), b = SplitCategories(after);
  // Categories are paired by heading; a heading seen twice pairs by its occurrence.
  auto keyed = [](const std::vector<Category>& cats) {
    std::vector<std::string> keys;
    std::unordered_map<std::string, int> seen;
    for (const auto& c : cats) keys.push_back(c.Name + '\n' + std::to_string(seen[c.Name]++));
    return keys;
  };
  const std::vector<std::string> ka = keyed(a), kb = keyed(b);
  std::unordered_map<std::string, size_t> indexA;
  for (size_t i = 0; i < ka.size(); ++i) indexA[ka[i]] = i;
  std::vector<bool> pairedA(a.size(), false);
  std::vector<CategoryChanges> out;
  static const Category kNone;
  for (size_t j = 0; j < b.size(); ++j) {
    auto it = indexA.find(kb[j]);
    const Category& old = it == indexA.end() ? kNone : a[it->second];
    if (it != indexA.end()) pairedA[it->second] = true;
    CategoryChanges c{b[j].Name, CompareLines(Comparable(old, all), Comparable(b[j], all))};
    if (it == indexA.end()) c.Changes.insert(c.Changes.begin(), {ChangeKind::Added, {}, " " + b[j].Name});
    if (!c.Changes.empty()) out.push_back(std::move(c));
  }
  for (size_t i = 0; i < a.size(); ++i) {
    if (pairedA[i]) continue;
    CategoryChanges c{a[i].Name, CompareLines(Comparable(a[i], all), {})};
    c.Changes.insert(c.Changes.begin(), {ChangeKind::Removed, " " + a[i].Name, {}});
    out.push_back(std::move(c));
  }
  return out;
}

std::vector<LogLine> ComparisonLines(const std::vector<CategoryChanges>& changes) {
  std::vector<LogLine> out;
  for (const CategoryChanges& c : changes) {
    if (!out.empty()) out.push_back({kLevelHeading, "", kColourBlack});
    out.push_back({kLevelHeading, c.Category, kColourBlack});
    for (const LineChange& l : c.Changes) {
      switch (l.Kind) {
        case ChangeKind::Removed: out.push_back({kLevelItem, "  retiré :" + l.Before, kColourRed}); break;
        case ChangeKind::Added: out.push_back({kLevelItem, "  ajouté :" + l.After, kColourGreen}); break;
        case ChangeKind::Changed:
          out.push_back({kLevelItem, "  avant :" + l.Before, kColourRed});
          out.push_back({kLevelItem, "  après :" + l.After, kColourGreen});
          break;
      }
    }
  }
  return out;
}

}  // namespace kestrova
