#include "engine/platform/capture/capture_files.h"

#include <vector>

#include "engine/core/text.h"

namespace kestrova {

struct CapturingFiles::Node {
  std::string Name;
  std::optional<uint32_t> Attributes;  // nullopt: only known as a folder on the way
  uint64_t Size = 0;
  bool Listed = false;
  bool ListFails = false;  // an existing folder that would not list
  std::map<std::string, std::unique_ptr<Node>> Children;  // upper-cased name
};

CapturingFiles::CapturingFiles(const IFiles& inner) : inner_(inner), root_(std::make_unique<Node>()) {}
CapturingFiles::~CapturingFiles() = default;

CapturingFiles::Node* CapturingFiles::Walk(const std::string& path) const {
  if (path.size() < 2 || path[1] != ':' || !std::isalpha(static_cast<unsigned char>(path[0]))) return nullptr;
  const std::string drive(1, static_cast<char>(std::tolower(static_cast<unsigned char>(path[0]))));
  auto& top = root_->Children[drive];
  if (!top) {
    top = std::make_unique<Node>();
    top->Name = drive;
  }
  Node* n = top.get();
  for (const std::string& part : Split(path.substr(2), '\\')) {
    if (part.empty() || part == ".") continue;
    if (part == ".." || part.find('/') != std::string::npos) return nullptr;
    auto& slot = n->Children[ToUpperAscii(part)];
    if (!slot) {
      slot = std::make_unique<Node>();
      slot->Name = part;
    }
    n = slot.get();
  }
  return n;
}

std::optional<uint32_t> CapturingFiles::Attributes(const std::string& path) const {
  auto a = inner_.Attributes(path);
  if (a) {
    if (Node* n = Walk(path)) n->Attributes = *a;
    else notes_.push_back("files: " + path + " exists but a recording cannot name it");
  }
  return a;
}

std::optional<std::vector<DirectoryEntry>> CapturingFiles::ListDirectory(const std::string& path) const {
  auto list = inner_.ListDirectory(path);
  Node* n = Walk(path);
  if (!n) {
    if (list) notes_.push_back("files: " + path + " lists but a recording cannot name it");
    return list;
  }
  if (!list) {
    if (n->Attributes && (*n->Attributes & kAttrDirectory)) n->ListFails = true;
    return list;
  }
  n->Listed = true;
  if (!n->Attributes) n->Attributes = kAttrDirectory;
  for (const DirectoryEntry& e : *list) {
    if (e.Name.empty() || e.Name == "." || e.Name == ".." || e.Name.find_first_of("\\/") != std::string::npos) continue;
    auto& slot = n->Children[ToUpperAscii(e.Name)];
    if (!slot) slot = std::make_unique<Node>();
    slot->Name = e.Name;
    slot->Attributes = e.Attributes;
    slot->Size = e.Size;
  }
  return list;
}

std::optional<VersionResource> CapturingFiles::ReadVersionResource(const std::string& path) const {
  auto r = inner_.ReadVersionResource(path);
  if (r) versions_.emplace(ToUpperAscii(path), std::make_pair(path, *r));
  return r;
}

namespace {
std::string Letters(uint32_t a) {
  std::string s;
  if (a & kAttrReadOnly) s += 'R';
  if (a & kAttrHidden) s += 'H';
  if (a & kAttrSystem) s += 'S';
  if (a & kAttrArchive) s += 'A';
  return s;
}

std::string Quad(uint32_t ms, uint32_t ls) {
  return Format("%u.%u.%u.%u", ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF);
}
}  // namespace

void CapturingFiles::Write(CaptureOutput& out) const {
  // Depth first over the tree the answers built (finite: no links are followed).
  struct Frame { const Node* N; std::string Windows, Relative; };
  std::vector<Frame> stack;
  for (auto it = root_->Children.rbegin(); it != root_->Children.rend(); ++it)
    stack.push_back({it->second.get(), ToUpperAscii(it->second->Name) + ":", "files/" + it->second->Name});
  while (!stack.empty()) {
    Frame f = std::move(stack.back());
    stack.pop_back();
    const Node& n = *f.N;
    const bool isDrive = f.Windows.size() == 2;
    const bool directory = isDrive || !n.Children.empty() || (n.Attributes && (*n.Attributes & kAttrDirectory));
    if (!n.Attributes && !isDrive) {
      // Only a step on the way to something that exists (or to nothing): a folder when
      // something below it exists.
      bool below = false;
      for (const auto& c : n.Children) below = below || c.second->Attributes || !c.second->Children.empty();
      if (!below) continue;
    }
    const std::string windows = isDrive ? f.Windows + "\\" : f.Windows;
    if (directory) out.SetDirectory(f.Relative);
    else out.SetFile(f.Relative, std::string());
    if (n.Attributes && !isDrive) {
      const uint32_t a = *n.Attributes;
      const uint32_t kept = a & (kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive);
      const uint32_t recordedDefault = directory ? 0u : uint32_t{kAttrArchive};
      if (kept != recordedDefault) out.Add("attributes", f.Windows, Letters(a));
      const uint32_t other = a & ~(kept | kAttrDirectory | kAttrNormal);
      if (other) out.Note(Format("[attributes] %s: attribute bits 0x%X are not kept", f.Windows.c_str(), other));
      if (f.Windows.find('=') != std::string::npos || f.Windows.find(';') == 0)
        out.Note("[attributes] " + f.Windows + ": a name a profile key cannot hold");
    }
    if (!directory && n.Size) out.Add("sizes", f.Windows, std::to_string(n.Size));
    if (n.ListFails) out.Note("files: " + windows + " would not list; the replay lists what is known of it");
    for (auto it = n.Children.rbegin(); it != n.Children.rend(); ++it)
      stack.push_back({it->second.get(), f.Windows + "\\" + it->second->Name, f.Relative + "/" + it->second->Name});
  }

  static const char* const kStrings[] = {"FileVersion", "ProductName", "CompanyName", "FileDescription",
                                         "Comments", "LegalCopyright", "InternalName", "ProductVersion",
                                         "SpecialBuild", "OriginalFilename", "PrivateBuild", "LegalTrademarks"};
  for (const auto& [key, entry] : versions_) {
    const std::string section = "version:" + entry.first;
    const VersionResource& r = entry.second;
    out.AddSection(section);
    if (r.HasFixedInfo) {
      out.Add(section, "FileVersionNumber", Quad(r.FileVersionMS, r.FileVersionLS));
      out.Add(section, "ProductVersionNumber", Quad(r.ProductVersionMS, r.ProductVersionLS));
    }
    std::string table;
    if (!r.Translations.empty()) {
      table = Format("%04X%04X", r.Translations[0] & 0xFFFF, r.Translations[0] >> 16);
    } else if (!r.StringTables.empty()) {
      table = r.StringTables.begin()->first;
    }
    if (r.Translations.size() > 1 || r.StringTables.size() > 1)
      out.Note("[" + section + "] more than one translation or string table: the first is kept");
    if (!table.empty()) out.Add(section, "Translation", table);
    auto strings = r.StringTables.find(table);
    if (strings == r.StringTables.end()) {
      for (auto it = r.StringTables.begin(); it != r.StringTables.end(); ++it)
        if (EqualsNoCase(it->first, table)) strings = it;
    }
    if (strings == r.StringTables.end()) continue;
    for (const auto& [name, text] : strings->second) {
      const char* known = nullptr;
      for (const char* k : kStrings)
        if (name == k) known = k;
      if (known) out.Add(section, known, text);
      else out.Note("[" + section + "] " + name + ": a string the recorded format does not name; left out");
    }
  }
  for (const std::string& n : notes_) out.Note(n);
}

}  // namespace kestrova
