#pragma once
// A profile (INI) file as Windows reads one: [sections], key=value lines, blanks around a
// value dropped, a value in double quotes keeping its blanks, ';' comment lines.
#include <string>
#include <vector>

#include "engine/core/text.h"

namespace kestrova {

struct IniEntry {
  std::string Key;    // empty for a line without '='
  std::string Value;
  // The line as written (no line break), kept only where Key=Value does not spell it
  // exactly (blanks around '=', quotes, no '='): most lines cost no copy of their own.
  std::string Raw;
  int Line = 0;
  // The line as written, blanks at its ends dropped.
  std::string Text() const { return Raw.empty() && !Key.empty() ? Key + "=" + Value : Trim(Raw); }
};

struct IniSection {
  std::string Name;
  int Line = 0;
  std::vector<IniEntry> Entries;
};

struct IniDocument {
  std::vector<IniSection> Sections;
  const IniSection* Find(const std::string& name) const;  // case-insensitive
};

// Throws LoadError (file and line) on a malformed section header or a line outside any
// section.
IniDocument ParseIni(const std::string& text, const std::string& fileName);

}  // namespace kestrova
