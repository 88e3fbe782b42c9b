#include "engine/core/report_writer.h"

#include <utility>

#include "engine/core/text.h"
#include "engine/os/osinfo.h"

namespace kestrova {

const char* const kComponentName = "Corvel System Information Component";
const char* const kComponentVersion = "8.7.5";
const char* const kComponentCopyright =
    "Corvel System Information Component 8.7.5 - Copyright (c) 1997-2005 Corvel";

namespace {
// U+FFFE and U+FFFF are no characters of an XML document, not even as references.
uint32_t XmlCharacter(uint32_t cp) { return cp == 0xFFFE || cp == 0xFFFF ? 0xFFFD : cp; }

// "&#N;" for a character past ASCII.
void AppendReference(std::string& out, uint32_t cp) {
  char digits[10];
  size_t n = 0;
  cp = XmlCharacter(cp);
  do {
    digits[n++] = static_cast<char>('0' + cp % 10);
    cp /= 10;
  } while (cp != 0);
  out += "&#";
  while (n > 0) out += digits[--n];
  out += ';';
}
}  // namespace

// One pass over the bytes: the five markup characters as entities, line breaks dropped,
// other control characters as '_', and every character past ASCII as a reference (an
// invalid UTF-8 sequence as U+FFFD, one byte at a time).
namespace {
// EscapeValue's text appended to `out` (the report's lines are built in one buffer each).
void AppendEscaped(std::string& out, const std::string& text) {
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      AppendReference(out, NextUtf8(text, i));
      continue;
    }
    ++i;
    switch (c) {
      case '&': out += "&amp;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      case '>': out += "&gt;"; break;
      case '<': out += "&lt;"; break;
      case '\r':
      case '\n': break;
      default: out += c < 32 ? '_' : static_cast<char>(c); break;
    }
  }
}
}  // namespace

std::string EscapeValue(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  AppendEscaped(out, text);
  return out;
}

std::string ReportDocumentText(const ReportLines& lines) {
  std::string out;
  for (const std::string& line : lines) {
    bool ascii = true;
    for (char c : line)
      if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) >= 128) ascii = false;
    if (ascii) {
      out += line;
    } else {
      // A name or value that reached a line unescaped: its characters as references, so
      // the text stays ASCII (which every declared encoding reads the same) and no
      // control character breaks the document.
      for (size_t i = 0; i < line.size();) {
        const uint32_t cp = NextUtf8(line, i);
        if (cp < 32)
          out += '_';
        else if (cp < 128)
          out += static_cast<char>(cp);
        else
          AppendReference(out, cp);
      }
    }
    out += '\n';
  }
  return out;
}

const char* ReportEncodingName(uint16_t langId) {
  switch (langId) {
    case 1028: return "Big5";
    case 1029: return "windows-1250";
    case 1037: return "hebrew";
    case 1041: return "Shift_JIS";
    case 1042: return "korean";
    case 1049: return "KOI8-R";
    case 2052: return "GB2312";
    default: return "iso-8859-1";
  }
}

void ReportWriter::OpenEnvelope(const TOSInfo& os, uint16_t langId) {
  lines_.push_back(Format("<?xml version=\"1.0\" encoding=\"%s\" standalone=\"yes\"?>",
                          ReportEncodingName(langId)));
  lines_.push_back(Format(
      "<classes componentname=\"%s\" version=\"%s\" copyright=\"%s\" os=\"%s (%d.%d.%d)\" machine=\"%s\">",
      EscapeValue(kComponentName).c_str(), kComponentVersion,
      EscapeValue(kComponentCopyright).c_str(), EscapeValue(os.OSName).c_str(),
      static_cast<int>(os.OSMajorVersion), static_cast<int>(os.OSMinorVersion),
      static_cast<int>(os.OSBuildNumber), EscapeValue(os.MachineName).c_str()));
}

void ReportWriter::CloseEnvelope() { lines_.push_back("</classes>"); }

void ReportWriter::OpenClass(const std::string& element, const std::string& className) {
  std::string line;
  line.reserve(element.size() + className.size() + 16);
  line += '<';
  line += element;
  line += " classname=\"";
  line += className;
  line += "\">";
  lines_.push_back(std::move(line));
}

void ReportWriter::CloseClass(const std::string& element) { lines_.push_back("</" + element + ">"); }

void ReportWriter::OpenSection(const std::string& name) {
  std::string line;
  line.reserve(name.size() + 18);
  line += "<section name=\"";
  AppendEscaped(line, name);
  line += "\">";
  lines_.push_back(std::move(line));
}

void ReportWriter::CloseSection() { lines_.push_back("</section>"); }

namespace {
// Built in one buffer: the report holds thousands of these lines.
std::string DataLine(const std::string& name, const char* type, const std::string& unit, const std::string& value,
                     bool escape) {
  std::string line;
  line.reserve(name.size() + unit.size() + value.size() + 48);
  line += "<data name=\"";
  line += name;
  line += "\" type=\"";
  line += type;
  line += '"';
  if (!unit.empty()) {
    line += " unit=\"";
    line += unit;
    line += '"';
  }
  line += '>';
  if (escape)
    AppendEscaped(line, value);
  else
    line += value;
  line += "</data>";
  return line;
}
}  // namespace

void ReportWriter::Data(const std::string& name, const char* type, const std::string& unit,
                        const std::string& value) {
  lines_.push_back(DataLine(name, type, unit, value, false));
}

void ReportWriter::String(const std::string& name, const std::string& value) {
  lines_.push_back(DataLine(name, "string", "", value, true));
}

void ReportWriter::Integer(const std::string& name, int64_t value, const std::string& unit) {
  Data(name, "integer", unit, Format("%lld", static_cast<long long>(value)));
}

void ReportWriter::Hex(const std::string& name, uint64_t value) {
  Data(name, "integer", "", Format("%llx", static_cast<unsigned long long>(value)));
}

void ReportWriter::Boolean(const std::string& name, bool value) {
  Data(name, "boolean", "", value ? "1" : "0");
}

void ReportWriter::Float(const std::string& name, double value, const char* format,
                         const std::string& unit) {
  Data(name, "float", unit, Format(format, value));  // C locale: always a full stop
}

void ReportWriter::StringList(const std::string& listName, const std::string& itemName,
                              const std::vector<std::string>& items) {
  if (!listName.empty())
    Data(listName, "integer", "", Format("%zu", items.size()));
  std::string escapedItem = EscapeValue(itemName);
  for (size_t i = 0; i < items.size(); ++i)
    lines_.push_back(DataLine(Format("%s[%zu]", escapedItem.c_str(), i), "string", "", items[i], true));
}

}  // namespace kestrova
