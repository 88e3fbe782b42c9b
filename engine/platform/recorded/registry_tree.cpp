#include "engine/platform/recorded/registry_tree.h"

#include <algorithm>

#include "engine/core/text.h"
#include "engine/platform/recorded/load_error.h"

namespace kestrova {

struct RegistryTree::Node {
  std::string Name;
  std::map<std::string, std::unique_ptr<Node>> Children;  // by upper-cased name
  std::vector<std::pair<std::string, RegValue>> Values;   // in the order they were set

  std::pair<std::string, RegValue>* FindValue(const std::string& name) {
    for (auto& v : Values)
      if (EqualsNoCase(v.first, name)) return &v;
    return nullptr;
  }
};

namespace {
constexpr size_t kRootCount = 6;

std::vector<std::string> PathParts(const std::string& path) {
  std::vector<std::string> parts;
  for (const std::string& p : Split(path, '\\'))
    if (!p.empty()) parts.push_back(p);
  return parts;
}
}  // namespace

RegistryTree::RegistryTree() {
  roots_.reserve(kRootCount);
  for (size_t i = 0; i < kRootCount; ++i) roots_.push_back(std::make_unique<Node>());
}
RegistryTree::~RegistryTree() = default;
RegistryTree::RegistryTree(RegistryTree&&) noexcept = default;
RegistryTree& RegistryTree::operator=(RegistryTree&&) noexcept = default;

namespace {
// Calls fn(part) for each non-empty part of a backslash-separated path, upper-cased into
// one reused buffer (no allocation per part once the buffer holds the longest name); stops
// when fn returns false.
template <typename Fn>
void ForEachUpperPart(const std::string& path, Fn fn) {
  std::string key;
  for (size_t at = 0; at <= path.size();) {
    size_t end = path.find('\\', at);
    if (end == std::string::npos) end = path.size();
    if (end > at) {
      key.assign(path, at, end - at);
      for (char& c : key)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      if (!fn(key, at, end)) return;
    }
    at = end + 1;
  }
}
}  // namespace

RegistryTree::Node* RegistryTree::Find(RootKey root, const std::string& path) const {
  Node* node = roots_[static_cast<size_t>(root)].get();
  ForEachUpperPart(path, [&](const std::string& key, size_t, size_t) {
    auto it = node->Children.find(key);
    node = it == node->Children.end() ? nullptr : it->second.get();
    return node != nullptr;
  });
  return node;
}

RegistryTree::Node* RegistryTree::Make(RootKey root, const std::string& path) {
  Node* node = roots_[static_cast<size_t>(root)].get();
  ForEachUpperPart(path, [&](const std::string& key, size_t from, size_t to) {
    auto& child = node->Children[key];
    if (!child) {
      child = std::make_unique<Node>();
      child->Name = path.substr(from, to - from);
    }
    node = child.get();
    return true;
  });
  return node;
}

void RegistryTree::CreateKey(RootKey root, const std::string& path) { Make(root, path); }

void RegistryTree::DeleteKey(RootKey root, const std::string& path) {
  auto parts = PathParts(path);
  if (parts.empty()) return;
  std::string last = parts.back();
  parts.pop_back();
  std::string parent;
  for (const auto& p : parts) parent += p + "\\";
  if (Node* n = Find(root, parent)) n->Children.erase(ToUpperAscii(last));
}

void RegistryTree::SetValue(RootKey root, const std::string& path, const std::string& name, RegValue value) {
  Node* node = Make(root, path);
  if (auto* v = node->FindValue(name))
    v->second = std::move(value);
  else
    node->Values.emplace_back(name, std::move(value));
}

void RegistryTree::DeleteValue(RootKey root, const std::string& path, const std::string& name) {
  if (Node* node = Find(root, path))
    node->Values.erase(std::remove_if(node->Values.begin(), node->Values.end(),
                                      [&](const auto& v) { return EqualsNoCase(v.first, name); }),
                       node->Values.end());
}

void RegistryTree::SetString(RootKey root, const std::string& path, const std::string& name,
                             const std::string& text, uint32_t type) {
  RegValue v;
  v.Type = type;
  v.Data.assign(text.begin(), text.end());
  v.Data.push_back(0);
  SetValue(root, path, name, std::move(v));
}

void RegistryTree::SetDword(RootKey root, const std::string& path, const std::string& name, uint32_t value) {
  RegValue v;
  v.Type = kRegDword;
  for (int i = 0; i < 4; ++i) v.Data.push_back(static_cast<uint8_t>(value >> (8 * i)));
  SetValue(root, path, name, std::move(v));
}

void RegistryTree::SetMultiString(RootKey root, const std::string& path, const std::string& name,
                                  const std::vector<std::string>& items) {
  RegValue v;
  v.Type = kRegMultiSz;
  for (const auto& s : items) {
    v.Data.insert(v.Data.end(), s.begin(), s.end());
    v.Data.push_back(0);
  }
  v.Data.push_back(0);
  SetValue(root, path, name, std::move(v));
}

bool RegistryTree::KeyExists(RootKey root, const std::string& path) const { return Find(root, path) != nullptr; }

std::optional<RegValue> RegistryTree::QueryValue(RootKey root, const std::string& path,
                                                 const std::string& name) const {
  Node* node = Find(root, path);
  if (!node) return std::nullopt;
  auto* v = node->FindValue(name);
  if (!v) return std::nullopt;
  return v->second;
}

std::vector<std::string> RegistryTree::SubKeyNames(RootKey root, const std::string& path) const {
  std::vector<std::string> names;
  if (Node* node = Find(root, path))
    for (const auto& c : node->Children) names.push_back(c.second->Name);
  return names;
}

std::vector<std::string> RegistryTree::ValueNames(RootKey root, const std::string& path) const {
  std::vector<std::string> names;
  if (Node* node = Find(root, path))
    for (const auto& v : node->Values) names.push_back(v.first);
  return names;
}

// --- .reg files ---------------------------------------------------------------------------

namespace {

struct RegLine {
  std::string Text;
  int Line;
};

// Logical lines: continuation lines (a line ending in a backslash) joined.
std::vector<RegLine> LogicalLines(const std::string& text) {
  std::vector<RegLine> out;
  out.reserve(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
  int lineNo = 0;
  size_t pos = 0;
  bool continuing = false;
  while (pos < text.size()) {
    size_t eol = text.find('\n', pos);
    std::string raw = text.substr(pos, eol == std::string::npos ? std::string::npos : eol - pos);
    pos = eol == std::string::npos ? text.size() : eol + 1;
    ++lineNo;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    if (continuing)
      out.back().Text += Trim(raw);
    else
      out.push_back({std::move(raw), lineNo});
    // Looked at in place: a long hex value continued over many lines must not be copied
    // again for each of them.
    std::string& s = out.back().Text;
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    size_t b = 0, e = s.size();
    while (b < e && blank(s[b])) ++b;
    while (e > b && blank(s[e - 1])) --e;
    continuing = e > b && s[e - 1] == '\\' && s[b] != '[' && s[b] != ';';
    if (continuing) {
      // trimmed, then the backslash dropped
      s.erase(e - 1);
      s.erase(0, b);
    }
  }
  return out;
}

// A quoted string starting at s[i] == '"'; on return i is past the closing quote.
bool ParseQuoted(const std::string& s, size_t& i, std::string& out) {
  if (i >= s.size() || s[i] != '"') return false;
  ++i;
  out.clear();
  while (i < s.size()) {
    char c = s[i++];
    if (c == '"') return true;
    if (c == '\\' && i < s.size()) {
      char n = s[i++];
      if (n == 'n') out += '\n';
      else if (n == 'r') out += '\r';
      else if (n == 't') out += '\t';
      else if (n == '0') out += '\0';
      else out += n;  // \\ and \" (and anything else) stand for themselves
    } else {
      out += c;
    }
  }
  return false;
}

// Trim, in place (no copy of the line).
void TrimInPlace(std::string& s) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  size_t e = s.size();
  while (e > 0 && blank(s[e - 1])) --e;
  s.erase(e);
  size_t b = 0;
  while (b < s.size() && blank(s[b])) ++b;
  s.erase(0, b);
}

// Whether s starts with the lower-case ASCII `prefix`, case ignored.
bool StartsNoCase(const std::string& s, const char* prefix) {
  size_t i = 0;
  for (; prefix[i]; ++i) {
    if (i >= s.size()) return false;
    char c = s[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

bool IsStringType(uint32_t t) { return t == kRegSz || t == kRegExpandSz || t == kRegMultiSz; }

}  // namespace

void LoadRegFile(RegistryTree& tree, const std::string& bytes, const std::string& fileName) {
  std::string text;
  if (bytes.size() >= 2 && static_cast<uint8_t>(bytes[0]) == 0xFF && static_cast<uint8_t>(bytes[1]) == 0xFE)
    text = Utf16LeToUtf8(reinterpret_cast<const uint8_t*>(bytes.data()) + 2, bytes.size() - 2);
  else if (StartsWith(bytes, "\xEF\xBB\xBF"))
    text = bytes.substr(3);
  else
    text = bytes;

  bool headerSeen = false, unicodeFile = false;
  bool haveKey = false, deletedKey = false;
  RootKey root = RootKey::LocalMachine;
  std::string keyPath;

  std::vector<RegLine> lines = LogicalLines(text);
  for (RegLine& rl : lines) {
    std::string& line = rl.Text;
    TrimInPlace(line);
    if (line.empty() || line[0] == ';') continue;
    if (line.find('\0') != std::string::npos) throw LoadError(fileName, rl.Line, "NUL character in line");
    if (!headerSeen) {
      if (line == "REGEDIT4") unicodeFile = false;
      else if (line == "Windows Registry Editor Version 5.00") unicodeFile = true;
      else throw LoadError(fileName, rl.Line, "not a registry file (expected REGEDIT4 or Windows Registry Editor Version 5.00)");
      headerSeen = true;
      continue;
    }
    if (line[0] == '[') {
      if (line.back() != ']') throw LoadError(fileName, rl.Line, "key line without closing ']'");
      std::string path = line.substr(1, line.size() - 2);
      bool remove = !path.empty() && path[0] == '-';
      if (remove) path = path.substr(1);
      size_t slash = path.find('\\');
      std::string rootName = path.substr(0, slash);
      auto r = RootKeyFromName(rootName);
      if (!r) throw LoadError(fileName, rl.Line, "unknown root key: " + rootName);
      root = *r;
      keyPath = slash == std::string::npos ? std::string() : path.substr(slash + 1);
      haveKey = true;
      deletedKey = remove;
      if (remove) tree.DeleteKey(root, keyPath);
      else tree.CreateKey(root, keyPath);
      continue;
    }
    // A value line: @=... or "name"=...
    size_t i = 0;
    std::string name;
    if (line[0] == '@') {
      i = 1;
    } else if (!ParseQuoted(line, i, name)) {
      throw LoadError(fileName, rl.Line, "expected a key, @= or \"name\"=");
    }
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size() || line[i] != '=') throw LoadError(fileName, rl.Line, "expected '=' after the value name");
    ++i;
    if (!haveKey) throw LoadError(fileName, rl.Line, "value before any key");
    if (deletedKey) continue;  // values under a deleted key are ignored, as regedit does
    line.erase(0, i);  // the line is not needed past here: its data trimmed in place
    TrimInPlace(line);
    const std::string& data = line;
    RegValue value;
    if (data == "-") {
      tree.DeleteValue(root, keyPath, name);
      continue;
    }
    if (!data.empty() && data[0] == '"') {
      size_t j = 0;
      std::string s;
      if (!ParseQuoted(data, j, s) || !Trim(data.substr(j)).empty())
        throw LoadError(fileName, rl.Line, "malformed string value");
      value.Type = kRegSz;
      value.Data.assign(s.begin(), s.end());
      value.Data.push_back(0);
    } else if (StartsNoCase(data, "dword:")) {
      std::string h = Trim(data.substr(6));
      if (h.empty() || h.size() > 8) throw LoadError(fileName, rl.Line, "malformed dword value");
      uint32_t v = 0;
      for (char c : h) {
        int d = HexDigit(c);
        if (d < 0) throw LoadError(fileName, rl.Line, "malformed dword value");
        v = v * 16 + static_cast<uint32_t>(d);
      }
      value.Type = kRegDword;
      for (int k = 0; k < 4; ++k) value.Data.push_back(static_cast<uint8_t>(v >> (8 * k)));
    } else if (StartsNoCase(data, "hex")) {
      size_t colon = data.find(':');
      if (colon == std::string::npos) throw LoadError(fileName, rl.Line, "malformed hex value");
      std::string head = ToLowerAscii(Trim(data.substr(0, colon)));
      uint32_t type = kRegBinary;
      if (head != "hex") {
        if (head.size() < 6 || head.compare(0, 4, "hex(") != 0 || head.back() != ')')
          throw LoadError(fileName, rl.Line, "malformed hex type");
        std::string t = head.substr(4, head.size() - 5);
        if (t.empty() || t.size() > 8) throw LoadError(fileName, rl.Line, "malformed hex type");
        type = 0;
        for (char c : t) {
          int d = HexDigit(c);
          if (d < 0) throw LoadError(fileName, rl.Line, "malformed hex type");
          type = type * 16 + static_cast<uint32_t>(d);
        }
      }
      std::vector<uint8_t> bytesOut;
      if (!ParseHexList(data, colon + 1, bytesOut)) throw LoadError(fileName, rl.Line, "malformed hex bytes");
      value.Type = type;
      if (IsStringType(type)) {
        // Stored text: UTF-16LE in version 5 files, the ANSI code page in REGEDIT4 ones.
        std::string s = unicodeFile ? Utf16LeToUtf8(bytesOut.data(), bytesOut.size())
                                    : Cp1252ToUtf8(std::string(bytesOut.begin(), bytesOut.end()));
        value.Data.assign(s.begin(), s.end());
      } else {
        value.Data = std::move(bytesOut);
      }
    } else {
      throw LoadError(fileName, rl.Line, "unknown value data: " + data.substr(0, 40));
    }
    tree.SetValue(root, keyPath, name, std::move(value));
  }
  if (!headerSeen) throw LoadError(fileName, 1, "empty registry file");
}

}  // namespace kestrova
