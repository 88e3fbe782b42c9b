#include "engine/core/text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace kestrova {

std::string Format(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, fmt, copy);
  va_end(copy);
  std::string out;
  if (n > 0) {
    out.resize(static_cast<size_t>(n) + 1);
    std::vsnprintf(&out[0], out.size(), fmt, args);
    out.resize(static_cast<size_t>(n));
  }
  va_end(args);
  return out;
}

static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

std::string ToUpperAscii(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

std::string ToLowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

bool EqualsNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

bool StartsWith(const std::string& s, const std::string& p) { return s.compare(0, p.size(), p) == 0; }
bool EndsWith(const std::string& s, const std::string& p) {
  return s.size() >= p.size() && s.compare(s.size() - p.size(), p.size(), p) == 0;
}

std::string ReplaceAll(std::string s, const std::string& from, const std::string& to) {
  if (from.empty()) return s;
  size_t pos = 0;
  while ((pos = s.find(from, pos)) != std::string::npos) {
    s.replace(pos, from.size(), to);
    pos += to.size();
  }
  return s;
}

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    size_t p = s.find(sep, start);
    out.push_back(s.substr(start, p == std::string::npos ? std::string::npos : p - start));
    if (p == std::string::npos) break;
    start = p + 1;
  }
  return out;
}

std::string Truncate(const std::string& s, size_t n) {
  size_t count = 0, i = 0;
  while (i < s.size()) {
    if (count == n) return s.substr(0, i);
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
    i = std::min(s.size(), i + len);
    ++count;
  }
  return s;
}

uint32_t NextUtf8(const std::string& s, size_t& i) {
  const size_t n = s.size();
  const unsigned char c = static_cast<unsigned char>(s[i]);
  uint32_t cp;
  size_t len;
  if (c < 0x80) { ++i; return c; }
  else if ((c >> 5) == 6) { cp = c & 0x1F; len = 2; }
  else if ((c >> 4) == 14) { cp = c & 0x0F; len = 3; }
  else if ((c >> 3) == 30) { cp = c & 0x07; len = 4; }
  else { ++i; return 0xFFFD; }
  if (i + len > n) { ++i; return 0xFFFD; }
  for (size_t k = 1; k < len; ++k) {
    const unsigned char d = static_cast<unsigned char>(s[i + k]);
    if ((d >> 6) != 2) { ++i; return 0xFFFD; }
    cp = (cp << 6) | (d & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are invalid: an overlong '"'
  // must never come out as a real quote.
  static const uint32_t kMinimum[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMinimum[len] || (cp >= 0xD800 && cp < 0xE000) || cp > 0x10FFFF) { ++i; return 0xFFFD; }
  i += len;
  return cp;
}

std::vector<uint32_t> DecodeUtf8(const std::string& s) {
  std::vector<uint32_t> out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) out.push_back(NextUtf8(s, i));
  return out;
}

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x110000) {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    AppendUtf8(out, 0xFFFD);
  }
}

std::vector<uint8_t> Utf8ToUtf16Le(const std::string& utf8) {
  std::vector<uint8_t> out;
  auto unit = [&](uint32_t u) {
    out.push_back(static_cast<uint8_t>(u));
    out.push_back(static_cast<uint8_t>(u >> 8));
  };
  for (uint32_t cp : DecodeUtf8(utf8)) {
    if (cp >= 0x10000) {
      cp -= 0x10000;
      unit(0xD800 + (cp >> 10));
      unit(0xDC00 + (cp & 0x3FF));
    } else {
      unit(cp);
    }
  }
  return out;
}

std::string Utf16LeToUtf8(const uint8_t* data, size_t byteCount) {
  std::string out;
  size_t units = byteCount / 2;
  for (size_t i = 0; i < units; ++i) {
    uint32_t u = data[2 * i] | (data[2 * i + 1] << 8);
    if (u >= 0xD800 && u < 0xDC00 && i + 1 < units) {
      uint32_t v = data[2 * i + 2] | (data[2 * i + 3] << 8);
      if (v >= 0xDC00 && v < 0xE000) {
        AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00));
        ++i;
        continue;
      }
    }
    AppendUtf8(out, (u >= 0xD800 && u < 0xE000) ? 0xFFFD : u);
  }
  return out;
}

// cp1252 0x80-0x9F; 0 = undefined in the code page.
static const uint16_t kCp1252High[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013,
    0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};

std::string Cp1252ToUtf8(const std::string& s) {
  // Most texts are plain ASCII, which is its own UTF-8: copied whole, not character by
  // character.
  size_t ascii = 0;
  while (ascii < s.size() && static_cast<unsigned char>(s[ascii]) < 0x80) ++ascii;
  if (ascii == s.size()) return s;
  std::string out(s, 0, ascii);
  out.reserve(s.size() + (s.size() - ascii) * 2);
  for (size_t i = ascii; i < s.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    uint32_t cp = c;
    if (c >= 0x80 && c < 0xA0) cp = kCp1252High[c - 0x80] ? kCp1252High[c - 0x80] : c;
    AppendUtf8(out, cp);
  }
  return out;
}

std::string Utf8ToCp1252(const std::string& s) {
  std::string out;
  for (uint32_t cp : DecodeUtf8(s)) {
    if (cp < 0x80 || (cp >= 0xA0 && cp < 0x100)) {
      out += static_cast<char>(cp);
      continue;
    }
    char r = '?';
    for (int k = 0; k < 32; ++k)
      if (kCp1252High[k] == cp) r = static_cast<char>(0x80 + k);
    out += r;
  }
  return out;
}


int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void AppendHexList(std::string& out, const uint8_t* bytes, size_t count) {
  static const char kHex[] = "0123456789abcdef";
  out.reserve(out.size() + count * 3);
  for (size_t i = 0; i < count; ++i) {
    if (i) out += ',';
    out += kHex[bytes[i] >> 4];
    out += kHex[bytes[i] & 0x0F];
  }
}

// Items read in place between the commas: no text is built per byte.
bool ParseHexList(const std::string& s, size_t from, std::vector<uint8_t>& out) {
  out.clear();
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  size_t b = from, e = s.size();
  while (b < e && blank(s[b])) ++b;
  while (e > b && blank(s[e - 1])) --e;
  if (b == e) return true;
  out.reserve((e - b + 1) / 3 + 1);
  for (size_t start = b;;) {
    size_t comma = s.find(',', start);
    if (comma == std::string::npos || comma > e) comma = e;
    size_t ib = start, ie = comma;
    while (ib < ie && blank(s[ib])) ++ib;
    while (ie > ib && blank(s[ie - 1])) --ie;
    if (ib == ie || ie - ib > 2) return false;
    int v = 0;
    for (size_t i = ib; i < ie; ++i) {
      int d = HexDigit(s[i]);
      if (d < 0) return false;
      v = v * 16 + d;
    }
    out.push_back(static_cast<uint8_t>(v));
    if (comma == e) break;
    start = comma + 1;
  }
  return true;
}

}  // namespace kestrova
