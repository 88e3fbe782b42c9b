#include "sections/report_rtf.h"

#include <algorithm>

#include "engine/core/text.h"

namespace kestrova {

std::string RtfEscape(const std::string& utf8) {
  std::string out;
  for (uint32_t c : DecodeUtf8(utf8)) {
    if (c == '\\' || c == '{' || c == '}') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\line ";
    } else if (c == '\r') {
      // dropped: a CR LF pair is one line break
    } else if (c == '\t') {
      out += "\\tab ";
    } else if (c < 0x20) {
      // other control characters have no place in a report line
    } else if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      std::string cp1252 = Utf8ToCp1252([&] { std::string s; AppendUtf8(s, c); return s; }());
      if (cp1252.size() == 1 && cp1252[0] != '?') {
        out += Format("\\'%02x", static_cast<unsigned char>(cp1252[0]));
      } else if (c <= 0xFFFF) {
        out += Format("\\u%d?", static_cast<int>(static_cast<int16_t>(static_cast<uint16_t>(c))));
      } else {  // outside the BMP: a surrogate pair
        uint32_t v = c - 0x10000;
        uint16_t hi = static_cast<uint16_t>(0xD800 + (v >> 10)), lo = static_cast<uint16_t>(0xDC00 + (v & 0x3FF));
        out += Format("\\u%d?\\u%d?", static_cast<int16_t>(hi), static_cast<int16_t>(lo));
      }
    }
  }
  return out;
}

std::string RenderRtf(const std::vector<LogLine>& lines) {
  // Colour table: entry 0 is "auto"; the lines' colours follow in order of appearance.
  std::vector<uint32_t> colours;
  for (const auto& l : lines)
    if (std::find(colours.begin(), colours.end(), l.Colour) == colours.end()) colours.push_back(l.Colour);

  std::string out = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}\n{\\colortbl ;";
  for (uint32_t c : colours)  // COLORREF is 0x00BBGGRR
    out += Format("\\red%u\\green%u\\blue%u;", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
  out += "}\n";
  for (const auto& l : lines) {
    size_t index = std::find(colours.begin(), colours.end(), l.Colour) - colours.begin() + 1;
    out += Format("\\pard\\plain\\f0\\fs%d\\cf%u", LogLevelPointSize(l.Level) * 2, static_cast<unsigned>(index));
    out += LogLevelBold(l.Level) ? "\\b " : " ";
    out += RtfEscape(l.Text);
    out += "\\par\n";
  }
  out += "}\n";
  return out;
}

}  // namespace kestrova
