#include "engine/platform/win32/win32_util.h"

#include "engine/core/text.h"

namespace kestrova::win32 {

std::wstring Widen(const std::string& utf8) {
  std::wstring out;
  out.reserve(utf8.size());
  for (uint32_t cp : DecodeUtf8(utf8)) {
    if (cp >= 0x10000 && cp < 0x110000) {
      cp -= 0x10000;
      out += static_cast<wchar_t>(0xD800 + (cp >> 10));
      out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
    } else if (cp >= 0x110000 || (cp >= 0xD800 && cp < 0xE000)) {
      out += static_cast<wchar_t>(0xFFFD);
    } else {
      out += static_cast<wchar_t>(cp);
    }
  }
  return out;
}

std::string Narrow(const wchar_t* text, size_t count) {
  if (!text || count == 0) return {};
  // x86 and x64 are little-endian: the units are already UTF-16LE bytes.
  return Utf16LeToUtf8(reinterpret_cast<const uint8_t*>(text), count * sizeof(wchar_t));
}

std::string NarrowUntilNul(const wchar_t* text, size_t max) {
  if (!text) return {};
  size_t n = 0;
  while (n < max && text[n] != L'\0') ++n;
  return Narrow(text, n);
}

}  // namespace kestrova::win32
