#include "engine/platform/recorded/ini.h"

#include "engine/core/text.h"
#include "engine/platform/recorded/load_error.h"

namespace kestrova {

const IniSection* IniDocument::Find(const std::string& name) const {
  for (const auto& s : Sections)
    if (EqualsNoCase(s.Name, name)) return &s;
  return nullptr;
}

IniDocument ParseIni(const std::string& input, const std::string& fileName) {
  IniDocument doc;
  std::string text = StartsWith(input, "\xEF\xBB\xBF") ? input.substr(3) : input;
  int lineNo = 0;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t eol = text.find('\n', pos);
    std::string raw = text.substr(pos, eol == std::string::npos ? std::string::npos : eol - pos);
    pos = eol == std::string::npos ? text.size() + 1 : eol + 1;
    ++lineNo;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    if (raw.find('\0') != std::string::npos) throw LoadError(fileName, lineNo, "NUL character in line");
    std::string line = Trim(raw);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      const std::string name = line.back() == ']' ? Trim(line.substr(1, line.size() - 2)) : std::string();
      if (name.empty()) throw LoadError(fileName, lineNo, "malformed section header: " + line);
      doc.Sections.push_back({name, lineNo, {}});
      continue;
    }
    if (doc.Sections.empty()) throw LoadError(fileName, lineNo, "line outside of any section: " + line);
    IniEntry e;
    e.Raw = raw;
    e.Line = lineNo;
    size_t eq = line.find('=');
    if (eq != std::string::npos && eq > 0) {
      e.Key = Trim(line.substr(0, eq));
      e.Value = Trim(line.substr(eq + 1));
      if (e.Value.size() >= 2 && e.Value.front() == '"' && e.Value.back() == '"')
        e.Value = e.Value.substr(1, e.Value.size() - 2);
    }
    doc.Sections.back().Entries.push_back(std::move(e));
  }
  return doc;
}

}  // namespace kestrova
