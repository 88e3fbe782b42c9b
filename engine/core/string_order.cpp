#include "engine/core/string_order.h"

#include <algorithm>
#include <cstdint>

#include "engine/core/text.h"

namespace kestrova {

namespace {

// The base letter of a Latin-1 or Latin Extended-A letter, upper case; 0 for others.
uint32_t BaseLetter(uint32_t c) {
  if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
  if (c >= 'A' && c <= 'Z') return c;
  // U+00C0 to U+00FF: the letters of Latin-1, capital then small.
  static const char kLatin1[] = "AAAAAAACEEEEIIIIDNOOOOO*OUUUUYTSaaaaaaaceeeeiiiidnooooo/ouuuuyty";
  if (c >= 0xC0 && c <= 0xFF) {
    char b = kLatin1[c - 0xC0];
    if (b == '*' || b == '/') return 0;  // multiplication and division signs
    return static_cast<uint32_t>(b >= 'a' ? b - 'a' + 'A' : b);
  }
  if (c == 0x152 || c == 0x153) return 'O';  // the OE ligature sorts as O
  if (c == 0x160 || c == 0x161) return 'S';
  if (c == 0x178) return 'Y';
  if (c == 0x17D || c == 0x17E) return 'Z';
  return 0;
}

// Primary weight: class in the high bits (0 symbols, 1 digits, 2 letters), then the
// symbol's code point, the digit or the base letter.
uint32_t PrimaryWeight(uint32_t c) {
  if (uint32_t letter = BaseLetter(c)) return (2u << 24) | letter;
  if (c >= '0' && c <= '9') return (1u << 24) | c;
  if (c > 0x17F) return (3u << 24) | c;  // other scripts after Latin letters
  return c;
}

bool IgnoredAtFirst(uint32_t c) { return c == '-' || c == '\''; }

int Sign(int64_t v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

}  // namespace

int CompareTextLikeLocale(const std::string& a, const std::string& b) {
  const auto ca = DecodeUtf8(a), cb = DecodeUtf8(b);
  // First pass: primary weights, hyphens and apostrophes left out.
  size_t i = 0, j = 0;
  for (;;) {
    while (i < ca.size() && IgnoredAtFirst(ca[i])) ++i;
    while (j < cb.size() && IgnoredAtFirst(cb[j])) ++j;
    if (i == ca.size() || j == cb.size()) break;
    const uint32_t wa = PrimaryWeight(ca[i]), wb = PrimaryWeight(cb[j]);
    if (wa != wb) return wa < wb ? -1 : 1;
    ++i, ++j;
  }
  const bool aLeft = i < ca.size(), bLeft = j < cb.size();
  if (aLeft != bLeft) return aLeft ? 1 : -1;
  // Equal at first sight: accents (the folded code point), then case, then everything.
  auto folded = [](uint32_t c) {
    return (c >= 'A' && c <= 'Z') ? c + 32 : (c >= 0xC0 && c <= 0xDE && c != 0xD7) ? c + 32 : c;
  };
  const size_t n = std::min(ca.size(), cb.size());
  for (size_t k = 0; k < n; ++k)
    if (folded(ca[k]) != folded(cb[k])) return folded(ca[k]) < folded(cb[k]) ? -1 : 1;
  for (size_t k = 0; k < n; ++k)
    if (ca[k] != cb[k]) return ca[k] > cb[k] ? -1 : 1;  // small letters first
  return Sign(static_cast<int64_t>(ca.size()) - static_cast<int64_t>(cb.size()));
}

void SortLikeStringList(std::vector<std::string>& lines) {
  std::stable_sort(lines.begin(), lines.end(),
                   [](const std::string& a, const std::string& b) { return CompareTextLikeLocale(a, b) < 0; });
}

}  // namespace kestrova
