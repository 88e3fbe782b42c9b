#include "engine/platform/version_block.h"

#include <vector>

#include "engine/core/text.h"

namespace kestrova {

namespace {

// The names the version API is usually asked for, in their usual spelling.
constexpr const char* kWellKnownNames[] = {
    "Comments",         "CompanyName",  "FileDescription", "FileVersion",
    "InternalName",     "LegalCopyright", "LegalTrademarks", "OriginalFilename",
    "PrivateBuild",     "ProductName",  "ProductVersion",  "SpecialBuild",
};

constexpr size_t kFixedInfoSize = 52;  // VS_FIXEDFILEINFO
constexpr size_t kTableKeyLength = 8;  // "040904B0"

size_t Align4(size_t offset) { return (offset + 3) & ~static_cast<size_t>(3); }

struct Node {
  size_t End = 0;          // one past the node, never past its parent
  uint16_t ValueLength = 0;
  uint16_t Type = 0;       // 32-bit resources: 1 text, 0 binary
  std::string Key;
  size_t ValueStart = 0;   // after the key and its padding, at most End
  size_t ChildrenStart = 0;
};

class BlockReader {
 public:
  BlockReader(const uint8_t* data, size_t size, AnsiTextDecoder decode)
      : data_(data), size_(size), decode_(decode ? decode : &Cp1252ToUtf8),
        // In a 16-bit resource the key starts right after the two lengths; in a 32-bit
        // one the low byte of wType (0 or 1) is there.
        wide_(!(size > 4 && data[4] >= 0x20)) {}

  size_t HeaderSize() const { return wide_ ? 6 : 4; }

  // The node at `at`, which must lie in [at, limit); nullopt when the header does not fit,
  // wLength cannot even hold the header (a zero length included) or the key has no end.
  std::optional<Node> ReadNode(size_t at, size_t limit) const {
    if (limit > size_ || at > limit || limit - at < HeaderSize()) return std::nullopt;
    const size_t length = Word(at);
    if (length < HeaderSize()) return std::nullopt;
    Node n;
    n.End = length < limit - at ? at + length : limit;
    n.ValueLength = Word(at + 2);
    n.Type = wide_ ? Word(at + 4) : 0;
    // The key must end inside the node: a key cut short is a node cut short.
    size_t keyStart = at + HeaderSize();
    size_t keyEnd = keyStart;
    if (wide_) {
      while (keyEnd + 2 <= n.End && Word(keyEnd) != 0) keyEnd += 2;
      if (keyEnd + 2 > n.End) return std::nullopt;
      n.Key = Utf16LeToUtf8(data_ + keyStart, keyEnd - keyStart);
      keyEnd += 2;
    } else {
      while (keyEnd < n.End && data_[keyEnd] != 0) ++keyEnd;
      if (keyEnd >= n.End) return std::nullopt;
      n.Key = decode_(std::string(reinterpret_cast<const char*>(data_ + keyStart), keyEnd - keyStart));
      keyEnd += 1;
    }
    n.ValueStart = Clamp(Align4(keyEnd), n.End);
    n.ChildrenStart = Clamp(Align4(n.ValueStart + ValueBytes(n)), n.End);
    return n;
  }

  // The children of `parent`, in block order.
  std::vector<Node> Children(const Node& parent) const {
    std::vector<Node> children;
    size_t at = parent.ChildrenStart;
    while (at < parent.End) {
      std::optional<Node> child = ReadNode(at, parent.End);
      if (!child) break;
      at = Align4(child->End);  // End >= at + header: the walk always moves on
      children.push_back(std::move(*child));
    }
    return children;
  }

  // The bytes of a binary value that are really there.
  size_t BinaryLength(const Node& n) const { return Clamp(n.ValueStart + n.ValueLength, n.End) - n.ValueStart; }

  // A text value up to its NUL. wValueLength counts characters in 32-bit resources (some
  // linkers write bytes: the node's end bounds that case), bytes in 16-bit ones.
  std::string Text(const Node& n) const {
    if (wide_) {
      size_t end = Clamp(n.ValueStart + 2 * static_cast<size_t>(n.ValueLength), n.End);
      size_t p = n.ValueStart;
      while (p + 2 <= end && Word(p) != 0) p += 2;
      return Utf16LeToUtf8(data_ + n.ValueStart, p - n.ValueStart);
    }
    size_t end = Clamp(n.ValueStart + n.ValueLength, n.End);
    size_t p = n.ValueStart;
    while (p < end && data_[p] != 0) ++p;
    return decode_(std::string(reinterpret_cast<const char*>(data_ + n.ValueStart), p - n.ValueStart));
  }

  uint32_t Dword(size_t at) const {
    return static_cast<uint32_t>(Word(at)) | (static_cast<uint32_t>(Word(at + 2)) << 16);
  }

 private:
  static size_t Clamp(size_t offset, size_t end) { return offset < end ? offset : end; }

  size_t ValueBytes(const Node& n) const {
    return wide_ && n.Type == 1 ? 2 * static_cast<size_t>(n.ValueLength) : n.ValueLength;
  }

  uint16_t Word(size_t at) const {
    return static_cast<uint16_t>(data_[at] | (data_[at + 1] << 8));
  }

  const uint8_t* data_;
  size_t size_;
  AnsiTextDecoder decode_;
  bool wide_;
};

bool IsHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::string TableKey(const std::string& key) {
  if (key.size() != kTableKeyLength) return key;
  for (char c : key)
    if (!IsHex(c)) return key;
  return ToUpperAscii(key);
}

std::string StringName(const std::string& name) {
  for (const char* known : kWellKnownNames)
    if (EqualsNoCase(name, known)) return known;
  return name;
}

void ReadFixedInfo(const BlockReader& r, const Node& root, VersionResource& res) {
  if (root.ValueLength < kFixedInfoSize || r.BinaryLength(root) < kFixedInfoSize) return;
  res.HasFixedInfo = true;
  res.FileVersionMS = r.Dword(root.ValueStart + 8);
  res.FileVersionLS = r.Dword(root.ValueStart + 12);
  res.ProductVersionMS = r.Dword(root.ValueStart + 16);
  res.ProductVersionLS = r.Dword(root.ValueStart + 20);
}

void ReadStringTables(const BlockReader& r, const Node& stringFileInfo, VersionResource& res) {
  for (const Node& table : r.Children(stringFileInfo)) {
    std::string key = TableKey(table.Key);
    if (res.StringTables.count(key)) continue;
    std::map<std::string, std::string>& strings = res.StringTables[key];
    for (const Node& s : r.Children(table)) strings.emplace(StringName(s.Key), r.Text(s));
  }
}

void ReadTranslations(const BlockReader& r, const Node& varFileInfo, VersionResource& res) {
  for (const Node& var : r.Children(varFileInfo)) {
    if (!EqualsNoCase(var.Key, "Translation") || !res.Translations.empty()) continue;
    size_t length = r.BinaryLength(var);
    for (size_t i = 0; i + 4 <= length; i += 4) res.Translations.push_back(r.Dword(var.ValueStart + i));
  }
}

}  // namespace

std::optional<VersionResource> ParseVersionBlock(const uint8_t* data, size_t size, AnsiTextDecoder decodeAnsi) {
  if (!data) return std::nullopt;
  BlockReader reader(data, size, decodeAnsi);
  std::optional<Node> root = reader.ReadNode(0, size);
  if (!root) return std::nullopt;
  VersionResource res;
  ReadFixedInfo(reader, *root, res);
  for (const Node& child : reader.Children(*root)) {
    if (EqualsNoCase(child.Key, "StringFileInfo"))
      ReadStringTables(reader, child, res);
    else if (EqualsNoCase(child.Key, "VarFileInfo"))
      ReadTranslations(reader, child, res);
  }
  return res;
}

}  // namespace kestrova
