#pragma once
// The engine's tagged report text: an XML-like document, one value per line. Every
// information class writes its block through ReportWriter; nothing else formats tags.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kestrova {

struct TOSInfo;

using ReportLines = std::vector<std::string>;

// Escapes a value: & " ' > < become entities, CR and LF vanish, other characters below
// 32 become "_", characters of code 128 and above become "&#N;" with their code point.
std::string EscapeValue(const std::string& text);

// The document as one text, a line feed after each line. Always ASCII: a character of
// code 128 or more that reached a line unescaped becomes its reference, a control
// character "_".
std::string ReportDocumentText(const ReportLines& lines);

// The encoding declared in the first envelope line, from the system default language.
const char* ReportEncodingName(uint16_t langId);

extern const char* const kComponentName;       // "Corvel System Information Component"
extern const char* const kComponentVersion;    // "8.7.5"
extern const char* const kComponentCopyright;

class ReportWriter {
 public:
  explicit ReportWriter(ReportLines& lines) : lines_(lines) {}

  // The two envelope lines and the closing one.
  void OpenEnvelope(const TOSInfo& os, uint16_t systemDefaultLangId);
  void CloseEnvelope();

  // <Element classname="TClass"> ... </Element>
  void OpenClass(const std::string& element, const std::string& className);
  void CloseClass(const std::string& element);

  // <section name="..."> (the name is escaped) ... </section>
  void OpenSection(const std::string& name);
  void CloseSection();

  // Data lines. Names are written as given: callers escape names built from data.
  void String(const std::string& name, const std::string& value);
  void Integer(const std::string& name, int64_t value, const std::string& unit = "");
  void Hex(const std::string& name, uint64_t value);  // integer type, "%x"
  void Boolean(const std::string& name, bool value);
  void Float(const std::string& name, double value, const char* format = "%1.1f",
             const std::string& unit = "");
  // The list name and count line (when listName is not empty), then one string line per
  // item, named itemName[i] (the item name is escaped).
  void StringList(const std::string& listName, const std::string& itemName,
                  const std::vector<std::string>& items);

  void Raw(std::string line) { lines_.push_back(std::move(line)); }

 private:
  void Data(const std::string& name, const char* type, const std::string& unit,
            const std::string& value);
  ReportLines& lines_;
};

}  // namespace kestrova
