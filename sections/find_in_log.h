#pragma once
// The double-click jump: where a category caption stands as a section heading in the
// log's text. A match preceded by a blank lies inside a report line and is skipped; a
// match at the start of the text or after a line break is the heading.
#include <cstddef>
#include <optional>
#include <string>

namespace kestrova {

struct FindInLogResult {
  std::optional<size_t> Match;  // start of the match to select (length = caption's)
  // When nothing is selected: where the search left the caret (just after the first
  // character of the last match it skipped), if it skipped one.
  std::optional<size_t> Caret;
};

// Letter case is significant. Works on any string type whose positions are the log
// control's character positions (UTF-16 units for the RichEdit pane).
template <typename Str>
FindInLogResult FindInLog(const Str& text, const Str& caption) {
  FindInLogResult result;
  if (caption.empty()) return result;
  size_t from = 0;
  for (;;) {
    size_t at = text.find(caption, from);
    if (at == Str::npos) return result;
    if (at == 0 || text[at - 1] != static_cast<typename Str::value_type>(' ')) {
      result.Match = at;
      result.Caret.reset();
      return result;
    }
    from = at + 1;
    result.Caret = from;
  }
}

}  // namespace kestrova
