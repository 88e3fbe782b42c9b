#pragma once
// Small text helpers shared by the whole engine. Texts are UTF-8 std::strings.
#include <cstdarg>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrova {

// printf into a std::string (C locale: callers apply the user's separators themselves).
std::string Format(const char* fmt, ...)
#if defined(__MINGW32__)
    __attribute__((format(gnu_printf, 1, 2)))  // mingw's own printf follows the C99 rules
#elif defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

std::string Trim(const std::string& s);  // blanks (space, tab, CR, LF) on both sides
std::string ToUpperAscii(std::string s);
std::string ToLowerAscii(std::string s);
bool EqualsNoCase(const std::string& a, const std::string& b);
bool StartsWith(const std::string& s, const std::string& prefix);
bool EndsWith(const std::string& s, const std::string& suffix);
std::string ReplaceAll(std::string s, const std::string& from, const std::string& to);
std::vector<std::string> Split(const std::string& s, char sep);
// Cuts to at most n characters (code points), never inside a UTF-8 sequence.
std::string Truncate(const std::string& s, size_t n);

// Hex digits and the "xx,xx,..." byte lists of registry files.
int HexDigit(char c);  // 0..15, or -1 for a character that is no hex digit
// Appends the bytes as two lower-case digits each, separated by commas.
void AppendHexList(std::string& out, const uint8_t* bytes, size_t count);
// Reads s[from..] as a byte list: items of one or two hex digits between commas, blanks
// (space, tab, CR, LF) around items allowed, nothing at all for no bytes. False (and
// `out` not to be used) for anything else: an empty item, three digits, a stray character.
bool ParseHexList(const std::string& s, size_t from, std::vector<uint8_t>& out);

// Unicode conversions. Invalid sequences become U+FFFD; decoding never reads past the input.
std::vector<uint32_t> DecodeUtf8(const std::string& s);
// The code point at s[i] (i < s.size()), i moved past it; an invalid or cut sequence
// gives U+FFFD and moves i by one byte, as DecodeUtf8 does.
uint32_t NextUtf8(const std::string& s, size_t& i);
void AppendUtf8(std::string& out, uint32_t codePoint);
std::string Utf16LeToUtf8(const uint8_t* data, size_t byteCount);
// Code points from U+10000 as surrogate pairs; no terminating NUL added.
std::vector<uint8_t> Utf8ToUtf16Le(const std::string& utf8);
std::string Cp1252ToUtf8(const std::string& s);
std::string Utf8ToCp1252(const std::string& s);  // '?' for what cp1252 cannot hold

}  // namespace kestrova
