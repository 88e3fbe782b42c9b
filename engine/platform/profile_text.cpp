#include "engine/platform/profile_text.h"

#include "engine/core/text.h"

namespace kestrova {

namespace {

bool IsProfileBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(const uint8_t* p, size_t n) {
  size_t i = 0;
  while (i < n) {
    const uint8_t c = p[i];
    size_t extra = 0;
    uint32_t min = 0, cp = 0;
    if (c < 0x80) { ++i; continue; }
    if ((c & 0xE0) == 0xC0) { extra = 1; min = 0x80; cp = c & 0x1F; }
    else if ((c & 0xF0) == 0xE0) { extra = 2; min = 0x800; cp = c & 0x0F; }
    else if ((c & 0xF8) == 0xF0) { extra = 3; min = 0x10000; cp = c & 0x07; }
    else return false;
    if (n - i <= extra) return false;
    for (size_t k = 1; k <= extra; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (p[i + k] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) return false;
    i += extra + 1;
  }
  return true;
}

std::string TrimProfile(const std::string& s, size_t begin, size_t end) {
  while (begin < end && IsProfileBlank(s[begin])) ++begin;
  while (end > begin && IsProfileBlank(s[end - 1])) --end;
  return s.substr(begin, end - begin);
}

}  // namespace

std::string ProfileBytesToText(const uint8_t* data, size_t size) {
  if (!data || size == 0) return {};
  if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) return Utf16LeToUtf8(data + 2, (size - 2) & ~size_t{1});
  if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) { data += 3; size -= 3; }
  std::string bytes(reinterpret_cast<const char*>(data), size);
  return IsValidUtf8(data, size) ? bytes : Cp1252ToUtf8(bytes);
}

ProfileDocument ParseProfileBytes(const uint8_t* data, size_t size) {
  ProfileDocument doc;
  const std::string text = ProfileBytesToText(data, size);
  size_t pos = 0;
  while (pos < text.size()) {  // every turn moves past one line break or the end
    size_t eol = text.find('\n', pos);
    if (eol == std::string::npos) eol = text.size();
    const std::string line = TrimProfile(text, pos, eol);
    pos = eol + 1;
    if (line.empty()) continue;
    if (line[0] == '[') {
      const size_t close = line.rfind(']');
      if (close != std::string::npos && close > 0) {
        doc.Sections.push_back({line.substr(1, close - 1), {}});
        continue;
      }
      // no closing bracket: an ordinary line
    }
    if (doc.Sections.empty()) doc.Sections.push_back({"", {}});
    ProfileKey key;
    const size_t eq = line.find('=');
    if (eq == std::string::npos) {
      key.Name = line;
    } else {
      key.Name = TrimProfile(line, 0, eq);
      key.Value = TrimProfile(line, eq + 1, line.size());
    }
    doc.Sections.back().Keys.push_back(std::move(key));
  }
  return doc;
}

const ProfileSection* ProfileDocument::Find(const std::string& section) const {
  for (const ProfileSection& s : Sections)
    if (EqualsNoCase(s.Name, section)) return &s;
  return nullptr;
}

std::vector<std::string> ProfileDocument::SectionKeys(const std::string& section) const {
  std::vector<std::string> names;
  if (const ProfileSection* s = Find(section))
    for (const ProfileKey& k : s->Keys)
      if (k.Value && !k.Name.empty() && k.Name[0] != ';') names.push_back(k.Name);
  return names;
}

std::string ProfileDocument::Value(const std::string& section, const std::string& key) const {
  const ProfileSection* s = Find(section);
  if (!s) return {};
  for (const ProfileKey& k : s->Keys) {
    if (!EqualsNoCase(k.Name, key)) continue;
    if (!k.Value) return {};
    const std::string& v = *k.Value;
    if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) return v.substr(1, v.size() - 2);
    return v;
  }
  return {};
}

}  // namespace kestrova
