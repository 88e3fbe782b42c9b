#include "engine/platform/recorded/ini.h"

#include <cstring>

#include "engine/core/text.h"
#include "engine/platform/recorded/load_error.h"

namespace kestrova {

const IniSection* IniDocument::Find(const std::string& name) const {
  for (const auto& s : Sections)
    if (EqualsNoCase(s.Name, name)) return &s;
  return nullptr;
}

namespace {
bool IsIniBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// [b, e) narrowed past the blanks at both ends, as Trim does.
void TrimRange(const std::string& s, size_t& b, size_t& e) {
  while (b < e && IsIniBlank(s[b])) ++b;
  while (e > b && IsIniBlank(s[e - 1])) --e;
}
// The lines from `pos` up to the next section header: room for a section's entries at
// once (a capture's process sections hold hundreds), not grown line by line.
size_t LinesBeforeHeader(const std::string& s, size_t pos) {
  size_t lines = 0;
  while (pos < s.size()) {
    size_t b = pos;
    while (b < s.size() && (s[b] == ' ' || s[b] == '\t')) ++b;
    if (b < s.size() && s[b] == '[') break;
    ++lines;
    const size_t eol = s.find('\n', pos);
    if (eol == std::string::npos) break;
    pos = eol + 1;
  }
  return lines;
}
}  // namespace

// Works on offsets into the input: one string per field kept, none per line read.
IniDocument ParseIni(const std::string& input, const std::string& fileName) {
  IniDocument doc;
  const size_t n = input.size();
  size_t pos = StartsWith(input, "\xEF\xBB\xBF") ? 3 : 0;
  int lineNo = 0;
  while (pos <= n) {
    const size_t lineStart = pos;
    const size_t eol = input.find('\n', pos);
    size_t rawEnd = eol == std::string::npos ? n : eol;
    pos = eol == std::string::npos ? n + 1 : eol + 1;
    ++lineNo;
    if (rawEnd > lineStart && input[rawEnd - 1] == '\r') --rawEnd;
    if (std::memchr(input.data() + lineStart, '\0', rawEnd - lineStart))
      throw LoadError(fileName, lineNo, "NUL character in line");
    size_t b = lineStart, e = rawEnd;
    TrimRange(input, b, e);
    if (b == e || input[b] == ';' || input[b] == '#') continue;
    if (input[b] == '[') {
      size_t nb = b + 1, ne = e - 1;
      if (input[e - 1] != ']' || ne < nb) nb = ne = b;  // "[" alone names nothing either
      TrimRange(input, nb, ne);
      if (nb == ne)
        throw LoadError(fileName, lineNo, "malformed section header: " + input.substr(b, e - b));
      doc.Sections.push_back({input.substr(nb, ne - nb), lineNo, {}});
      doc.Sections.back().Entries.reserve(LinesBeforeHeader(input, pos));
      continue;
    }
    if (doc.Sections.empty())
      throw LoadError(fileName, lineNo, "line outside of any section: " + input.substr(b, e - b));
    IniEntry entry;
    entry.Line = lineNo;
    bool spelled = false;  // Key=Value is the line exactly
    const void* eqAt = std::memchr(input.data() + b, '=', e - b);
    if (eqAt) {
      const size_t eq = static_cast<size_t>(static_cast<const char*>(eqAt) - input.data());
      if (eq > b) {
        size_t kb = b, ke = eq, vb = eq + 1, ve = e;
        TrimRange(input, kb, ke);
        TrimRange(input, vb, ve);
        if (ve - vb >= 2 && input[vb] == '"' && input[ve - 1] == '"') ++vb, --ve;
        entry.Key.assign(input, kb, ke - kb);
        entry.Value.assign(input, vb, ve - vb);
        spelled = ke == eq && vb == eq + 1 && ve == e;
      }
    }
    if (!spelled) entry.Raw.assign(input, lineStart, rawEnd - lineStart);
    doc.Sections.back().Entries.push_back(std::move(entry));
  }
  return doc;
}

}  // namespace kestrova
