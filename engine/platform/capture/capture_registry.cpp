#include "engine/platform/capture/capture_registry.h"

#include <algorithm>

#include "engine/core/text.h"

namespace kestrova {

struct CapturingRegistry::Node {
  std::string Name;                 // as the system spelled it last
  std::optional<bool> Exists;       // nullopt: never seen either way
  std::map<std::string, std::unique_ptr<Node>> Children;  // by upper-cased name
  // In the order ValueNames gave them, then the order of the queries; nullopt = missing.
  std::vector<std::pair<std::string, std::optional<RegValue>>> Values;

  std::optional<RegValue>* FindValue(const std::string& name) {
    for (auto& v : Values)
      if (EqualsNoCase(v.first, name)) return &v.second;
    return nullptr;
  }
};

namespace {

constexpr RootKey kRoots[] = {RootKey::ClassesRoot, RootKey::CurrentUser, RootKey::LocalMachine,
                              RootKey::Users, RootKey::CurrentConfig, RootKey::DynData};

bool IsValidUtf8(const std::string& s) {
  std::string again;
  for (uint32_t cp : DecodeUtf8(s)) AppendUtf8(again, cp);
  return again == s;
}

// The bytes as "xx,xx,...", after `out` (a type prefix), built in one allocation.
std::string HexBytes(const std::vector<uint8_t>& bytes, std::string out = std::string()) {
  AppendHexList(out, bytes.data(), bytes.size());
  return out;
}

std::string Quote(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 8);
  out += '"';
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\0': out += "\\0"; break;
      default: out += c;
    }
  }
  out += '"';
  return out;
}

}  // namespace

std::string RegDataText(const RegValue& value, bool* lossy) {
  const auto& d = value.Data;
  const bool text = value.Type == kRegSz || value.Type == kRegExpandSz || value.Type == kRegMultiSz;
  if (text) {
    const std::string s(d.begin(), d.end());
    if (lossy && !IsValidUtf8(s)) *lossy = true;
    if (value.Type == kRegSz && !s.empty() && s.back() == '\0') return Quote(s.substr(0, s.size() - 1));
    return HexBytes(Utf8ToUtf16Le(s), Format("hex(%x):", value.Type));
  }
  if (value.Type == kRegDword && d.size() == 4)
    return Format("dword:%08x", uint32_t{d[0]} | uint32_t{d[1]} << 8 | uint32_t{d[2]} << 16 | uint32_t{d[3]} << 24);
  if (value.Type == kRegBinary) return HexBytes(d, "hex:");
  return HexBytes(d, Format("hex(%x):", value.Type));
}

CapturingRegistry::CapturingRegistry(const IRegistry& inner) : inner_(inner) {
  roots_.reserve(sizeof kRoots / sizeof kRoots[0]);
  for (RootKey r : kRoots) {
    roots_.push_back(std::make_unique<Node>());
    roots_.back()->Name = RootKeyName(r);
  }
}

CapturingRegistry::~CapturingRegistry() = default;

CapturingRegistry::Node* CapturingRegistry::Walk(RootKey root, const std::string& path, bool create) const {
  Node* node = roots_[static_cast<size_t>(root)].get();
  for (const std::string& part : Split(StripLeadingBackslash(path), '\\')) {
    if (part.empty()) continue;
    auto& slot = node->Children[ToUpperAscii(part)];
    if (!slot) {
      if (!create) return nullptr;
      slot = std::make_unique<Node>();
      slot->Name = part;
    }
    node = slot.get();
  }
  return node;
}

bool CapturingRegistry::KeyExists(RootKey root, const std::string& path) const {
  const bool exists = inner_.KeyExists(root, path);
  Node* n = Walk(root, path, true);
  if (!n->Exists || exists) n->Exists = exists;  // a key once seen stays
  return exists;
}

std::optional<RegValue> CapturingRegistry::QueryValue(RootKey root, const std::string& path,
                                                      const std::string& name) const {
  auto value = inner_.QueryValue(root, path, name);
  Node* n = Walk(root, path, true);
  if (value) n->Exists = true;
  if (auto* held = n->FindValue(name)) {
    if (value) *held = value;
  } else {
    n->Values.emplace_back(name, value);
  }
  return value;
}

std::vector<std::string> CapturingRegistry::SubKeyNames(RootKey root, const std::string& path) const {
  auto names = inner_.SubKeyNames(root, path);
  Node* n = Walk(root, path, true);
  if (!names.empty()) n->Exists = true;
  for (const std::string& name : names) {
    if (name.empty() || name.find('\\') != std::string::npos) continue;
    auto& slot = n->Children[ToUpperAscii(name)];
    if (!slot) slot = std::make_unique<Node>();
    slot->Name = name;  // the system's own spelling
    slot->Exists = true;
  }
  return names;
}

std::vector<std::string> CapturingRegistry::ValueNames(RootKey root, const std::string& path) const {
  auto names = inner_.ValueNames(root, path);
  Node* n = Walk(root, path, true);
  if (!names.empty()) n->Exists = true;
  std::vector<std::pair<std::string, std::optional<RegValue>>> ordered;
  for (const std::string& name : names) {
    auto* held = n->FindValue(name);
    std::optional<RegValue> v = held && *held ? *held : inner_.QueryValue(root, path, name);
    ordered.emplace_back(name, v);
  }
  for (auto& v : n->Values) {
    bool listed = std::any_of(names.begin(), names.end(), [&](const std::string& x) { return EqualsNoCase(x, v.first); });
    if (!listed) ordered.push_back(std::move(v));
  }
  n->Values = std::move(ordered);
  return names;
}

bool CapturingRegistry::AddFact(RootKey root, const std::string& path, const std::string& name,
                                const RegValue& value) {
  Node* n = Walk(root, path, true);
  n->Exists = true;
  auto* held = n->FindValue(name);
  if (held && *held) return (*held)->Data == value.Data;
  if (held) *held = value;
  else n->Values.emplace_back(name, value);
  return true;
}

std::optional<bool> CapturingRegistry::KnownToExist(RootKey root, const std::string& path) const {
  Node* n = Walk(root, path, false);
  return n ? n->Exists : std::nullopt;
}

std::optional<RegValue> CapturingRegistry::HeldValue(RootKey root, const std::string& path,
                                                     const std::string& name) const {
  Node* n = Walk(root, path, false);
  if (!n) return std::nullopt;
  auto* held = n->FindValue(name);
  return held ? *held : std::nullopt;
}

std::string CapturingRegistry::RegFile(CaptureOutput* notes) const {
  std::string out = "Windows Registry Editor Version 5.00\r\n";
  // Depth first, subkeys in name order as the recorded registry lists them. Bounded by
  // the tree built from the answers: no cycle can form.
  struct Frame { const Node* N; std::string Path; };
  for (size_t r = 0; r < roots_.size(); ++r) {
    std::vector<Frame> stack{{roots_[r].get(), roots_[r]->Name}};
    while (!stack.empty()) {
      Frame f = std::move(stack.back());
      stack.pop_back();
      bool anyValue = false;
      for (const auto& v : f.N->Values) anyValue = anyValue || v.second.has_value();
      if ((f.N->Exists && *f.N->Exists) || anyValue) {
        out.append("\r\n[").append(f.Path).append("]\r\n");
        for (const auto& [name, value] : f.N->Values) {
          if (!value) continue;
          bool lossy = false;
          if (name.empty()) out += '@';
          else out += Quote(name);
          out += '=';
          out += RegDataText(*value, &lossy);
          out += "\r\n";
          if (lossy && notes) notes->Note("[" + f.Path + "] \"" + name + "\": text that is not UTF-8; kept as U+FFFD");
        }
      }
      // Pushed in reverse so the first name comes out first.
      for (auto it = f.N->Children.rbegin(); it != f.N->Children.rend(); ++it)
        stack.push_back({it->second.get(), f.Path + "\\" + it->second->Name});
    }
  }
  return out;
}

void CapturingRegistry::Write(CaptureOutput& out) const { out.SetFile("registry.reg", RegFile(&out)); }

}  // namespace kestrova
