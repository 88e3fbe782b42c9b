#include "engine/platform/capture/private_capture.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/core/text.h"

namespace kestrova {

namespace {

using Entry = PrivacyFilter::Entry;

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool WordByte(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

// Replaces every occurrence of `value` (ASCII case ignored, `step` bytes per character:
// 1 for ANSI text, 2 for UTF-16LE) standing as a whole word by `standIn`, which has the
// same length. Bounded by the buffer: a match is only looked for where it fits.
size_t ReplaceText(std::string& bytes, const std::string& value, const std::string& standIn, size_t step) {
  const size_t len = value.size() * step;
  if (value.empty() || len > bytes.size()) return 0;
  auto at = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
  // Candidates are where the first character stands, in either case (found by the
  // library's byte search, the rest compared only there).
  const char lower = Fold(value[0]);
  const char upper = (lower >= 'a' && lower <= 'z') ? static_cast<char>(lower - 'a' + 'A') : lower;
  size_t nextLower = bytes.find(lower), nextUpper = bytes.find(upper);
  size_t count = 0;
  for (size_t i = 0;; ++i) {
    if (nextLower < i) nextLower = bytes.find(lower, i);  // npos is never below i
    if (nextUpper < i) nextUpper = bytes.find(upper, i);
    i = std::min(nextLower, nextUpper);
    if (i == std::string::npos || i + len > bytes.size()) break;
    bool same = true;
    for (size_t k = 0; k < value.size() && same; ++k) {
      same = Fold(bytes[i + k * step]) == Fold(value[k]);
      if (step == 2) same = same && bytes[i + k * 2 + 1] == 0;
    }
    if (!same) continue;
    if (i >= step && WordByte(at(i - step)) && (step == 1 || at(i - 1) == 0)) continue;
    if (i + len < bytes.size() && WordByte(at(i + len)) && (step == 1 || (i + len + 1 < bytes.size() && at(i + len + 1) == 0)))
      continue;
    for (size_t k = 0; k < standIn.size(); ++k) bytes[i + k * step] = standIn[k];
    ++count;
    i += len - 1;
  }
  return count;
}

// A stand-in of exactly `length` characters ending in the number: "XXXX12".
std::string SameLength(unsigned number, size_t length) {
  std::string digits = std::to_string(number);
  if (digits.size() >= length) return digits.substr(digits.size() - length);
  return std::string(length - digits.size(), 'X') + digits;
}

bool AllHex(const std::string& s, size_t count) {
  if (s.size() != count) return false;
  for (char c : s)
    if (HexDigit(c) < 0) return false;
  return true;
}

const uint8_t kEdidHeader[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};

bool IsEdid(const std::string& b) {
  if (b.size() < 128) return false;
  for (size_t i = 0; i < 8; ++i)
    if (static_cast<uint8_t>(b[i]) != kEdidHeader[i]) return false;
  return true;
}

uint8_t BlockSum(const std::string& b, size_t block) {
  uint8_t sum = 0;
  for (size_t i = 0; i < 128; ++i) sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(b[block * 128 + i]));
  return sum;
}

// Where the quoted value name of a .reg line ends (just past its closing quote), or 0.
size_t QuotedEnd(const std::string& line) {
  if (line.empty() || line[0] != '"') return 0;
  for (size_t i = 1; i < line.size(); ++i) {
    if (line[i] == '\\') ++i;
    else if (line[i] == '"') return i + 1;
  }
  return 0;
}

// One line of registry.reg as the capture writes it: "[key]", or name=data with data a
// quoted text, dword:, hex: or hex(N): on one line. Appended to `out`.
void RegistryLine(const std::string& line, const PrivacyFilter& text, std::string& out) {
  if (line.empty() || line[0] == '[') {
    text.AppendApplied(line, out);
    return;
  }
  size_t nameEnd = line[0] == '@' ? 1 : QuotedEnd(line);
  if (nameEnd == 0 || nameEnd >= line.size() || line[nameEnd] != '=') {
    text.AppendApplied(line, out);
    return;
  }
  text.AppendApplied(std::string_view(line).substr(0, nameEnd), out);
  out += '=';
  const size_t dataAt = nameEnd + 1;
  const size_t dataSize = line.size() - dataAt;
  if (dataSize > 0 && line[dataAt] == '"') {
    text.AppendApplied(std::string_view(line).substr(dataAt), out);
    return;
  }
  if (line.compare(dataAt, 4, "hex:") != 0 && line.compare(dataAt, 4, "hex(") != 0) {
    out.append(line, dataAt, std::string::npos);
    return;
  }
  const size_t colon = line.find(':', dataAt);
  if (colon == std::string::npos) {
    out.append(line, dataAt, std::string::npos);
    return;
  }
  std::vector<uint8_t> parsed;
  if (!ParseHexList(line, colon + 1, parsed)) {
    out.append(line, dataAt, std::string::npos);
    return;
  }
  const std::string type = line.substr(dataAt, colon + 1 - dataAt);
  std::string bytes(parsed.begin(), parsed.end());
  if (type == "hex(1):" || type == "hex(2):" || type == "hex(7):") {
    // Texts: decoded, filtered as text (a stand-in may be longer), encoded again.
    const std::string utf8 = Utf16LeToUtf8(parsed.data(), parsed.size());
    const std::vector<uint8_t> again = Utf8ToUtf16Le(text.Apply(utf8));
    bytes.assign(again.begin(), again.end());
  } else {
    ReplaceInBinary(bytes, text);
  }
  out += type;
  AppendHexList(out, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::string RegistryFile(const std::string& file, const PrivacyFilter& text) {
  std::string out, line;
  out.reserve(file.size() + file.size() / 8);
  size_t start = 0;
  while (start < file.size()) {
    size_t end = file.find('\n', start);
    if (end == std::string::npos) end = file.size();
    line.assign(file, start, end - start);  // one buffer for every line
    const bool cr = !line.empty() && line.back() == '\r';
    if (cr) line.pop_back();
    RegistryLine(line, text, out);
    if (cr) out += '\r';
    if (end < file.size()) out += '\n';
    start = end + 1;
  }
  return out;
}

}  // namespace

std::string PersonalStandIn(PersonalKind kind, unsigned number, const std::string& value) {
  const std::string n = std::to_string(number);
  switch (kind) {
    case PersonalKind::ComputerName: return "ORDINATEUR-" + n;
    case PersonalKind::UserName: return "UTILISATEUR-" + n;
    case PersonalKind::Owner: return "PROPRIETAIRE-" + n;
    case PersonalKind::Organisation: return "ORGANISATION-" + n;
    case PersonalKind::ProductID: return "PRODUIT-" + n;
    case PersonalKind::IPAddress:
      return number <= 254 ? "192.0.2." + n : "198.51.100." + std::to_string((number - 255) % 254 + 1);
    case PersonalKind::MACAddress: {
      // Six bytes in the value's own writing: its separators and the case of its letters.
      size_t digits = 0;
      bool upper = false;
      for (char c : value) {
        if (HexDigit(c) >= 0) ++digits;
        upper = upper || (c >= 'A' && c <= 'F');
      }
      if (digits != 12) return "ADRESSE-" + n;
      const std::string hex = Format(upper ? "0200%08X" : "0200%08x", number);
      std::string out;
      size_t d = 0;
      for (char c : value) out += HexDigit(c) >= 0 ? hex[d++] : c;
      return out;
    }
    case PersonalKind::SerialNumber:
    case PersonalKind::Count_: break;
  }
  return "SERIE-" + n;
}

size_t ReplaceInBinary(std::string& bytes, const PrivacyFilter& personal) {
  // The values in place (no copy of the filter's lists per file).
  const std::vector<std::string>& values = personal.Values();
  const std::vector<unsigned>& numbers = personal.Numbers();
  const bool edid = IsEdid(bytes);
  std::vector<bool> validBlock;
  if (edid) {
    for (size_t b = 0; b < bytes.size() / 128; ++b) validBlock.push_back(BlockSum(bytes, b) == 0);
    // The serial number as a number, bytes 12 to 15.
    const uint32_t serial = uint32_t{static_cast<uint8_t>(bytes[12])} | uint32_t{static_cast<uint8_t>(bytes[13])} << 8 |
                            uint32_t{static_cast<uint8_t>(bytes[14])} << 16 | uint32_t{static_cast<uint8_t>(bytes[15])} << 24;
    for (size_t v = 0; v < values.size(); ++v) {
      if (serial == 0 || values[v] != std::to_string(serial)) continue;
      // A number of six digits, so a report filtered again still sees a serial number.
      const uint32_t standIn = 900000 + numbers[v];
      for (int i = 0; i < 4; ++i) bytes[12 + i] = static_cast<char>((standIn >> (8 * i)) & 0xFF);
    }
  }
  size_t count = 0;
  for (size_t v = 0; v < values.size(); ++v) {
    const std::string& value = values[v];
    const std::string standIn = SameLength(numbers[v], value.size());
    count += ReplaceText(bytes, value, standIn, 1);
    count += ReplaceText(bytes, value, standIn, 2);
    if (AllHex(value, 32)) {
      std::string raw, blank(16, '\0');
      for (size_t i = 0; i < 32; i += 2) raw += static_cast<char>(HexDigit(value[i]) << 4 | HexDigit(value[i + 1]));
      blank[15] = static_cast<char>(numbers[v] & 0xFF);
      for (size_t at = bytes.find(raw); at != std::string::npos; at = bytes.find(raw, at + 16)) {
        bytes.replace(at, 16, blank);
        ++count;
      }
    }
  }
  // A block whose checksum was right stays right.
  for (size_t b = 0; b < validBlock.size(); ++b) {
    if (!validBlock[b]) continue;
    const uint8_t sum = BlockSum(bytes, b);
    bytes[b * 128 + 127] = static_cast<char>(static_cast<uint8_t>(bytes[b * 128 + 127]) - sum);
  }
  return count;
}

void MakeCapturePrivate(CaptureOutput& out, const PrivacyFilter& personal) {
  std::vector<Entry> entries = personal.Entries();
  for (Entry& e : entries) e.Replacement = PersonalStandIn(e.Kind, e.Number, e.Value);
  const PrivacyFilter standIns = PrivacyFilter::FromEntries(entries);
  unsigned volume = 0;
  out.Rewrite([&](const std::string& text) {
                // The folder's own files keep their names (an image's name is its address,
                // which a value's digits could match); only the machine's files are renamed.
                if (text.compare(0, 6, "files/") != 0 && text.find('/') == std::string::npos &&
                    (text == "registry.reg" || text == "cpuid.txt" || text == "smbios.bin" ||
                     text.compare(0, 7, "memory-") == 0))
                  return text;
                return standIns.Apply(text);
              },
              [&](const std::string& section, const std::string& line) {
                // Volume serial numbers are numbers here: each drive's becomes its own.
                if (section.compare(0, 6, "drive:") == 0 && line.compare(0, 7, "Serial=") == 0)
                  return Format("Serial=0x%08X", ++volume);
                return standIns.Apply(line);
              },
              [&](const std::string& path, std::string& bytes) {
                if (path == "registry.reg") bytes = RegistryFile(bytes, standIns);
                else if (path == "smbios.bin" || path.compare(0, 7, "memory-") == 0) ReplaceInBinary(bytes, standIns);
                else if (path != "cpuid.txt") bytes = standIns.Apply(bytes);
              });
  out.Note("private capture: personal values replaced by stand-ins; cpuid.txt kept as read (the processor's "
           "\"serial\" text is made of its signature and feature words, the same on every processor of the model)");
}

}  // namespace kestrova
