#include "sections/rtf_text.h"

#include <cstdint>

#include "engine/core/text.h"

namespace kestrova {

namespace {

bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Groups whose text is not part of the document's body.
bool IsHiddenDestination(const std::string& word) {
  // As strings: a comparison looks at the lengths before any character.
  static const std::string kHidden[] = {"fonttbl", "colortbl", "stylesheet", "info", "pict", "header",
                                        "footer", "headerl", "headerr", "footerl", "footerr", "object",
                                        "listtable", "listoverridetable", "revtbl", "rsidtbl", "generator",
                                        "themedata", "latentstyles", "datastore", "xmlnstbl", "fldinst"};
  for (const std::string& h : kHidden)
    if (word == h) return true;
  return false;
}

struct GroupState {
  bool Hidden = false;
  int SkipAfterUnicode = 1;  // \ucN
};

}  // namespace

std::optional<std::vector<std::string>> RtfToLines(const std::string& rtf) {
  size_t start = 0;
  while (start < rtf.size() && (rtf[start] == ' ' || rtf[start] == '\r' || rtf[start] == '\n' || rtf[start] == '\t'))
    ++start;
  if (rtf.compare(start, 5, "{\\rtf") != 0) return std::nullopt;

  std::vector<std::string> lines;
  std::string line;          // UTF-8
  std::string pendingBytes;  // cp1252 bytes from \'xx and plain text, decoded together
  std::vector<GroupState> stack;
  stack.reserve(16);
  int skip = 0;  // fallback characters still to skip after a \uN
  bool closedOuter = false;

  auto flushBytes = [&]() {
    if (!pendingBytes.empty()) {
      line += Cp1252ToUtf8(pendingBytes);
      pendingBytes.clear();
    }
  };
  auto endLine = [&]() {
    flushBytes();
    lines.push_back(line);
    line.clear();
  };
  auto visible = [&]() { return !stack.empty() && !stack.back().Hidden; };
  auto addByte = [&](char c) {
    if (skip > 0) {
      --skip;
      return;
    }
    if (visible()) pendingBytes += c;
  };

  const size_t n = rtf.size();
  size_t i = start;
  while (i < n) {
    const char c = rtf[i];
    if (closedOuter) {  // only blanks may follow the document
      if (c != ' ' && c != '\r' && c != '\n' && c != '\t' && c != '\0') return std::nullopt;
      ++i;
      continue;
    }
    if (c == '{') {
      if (static_cast<int>(stack.size()) >= kRtfMaxDepth) return std::nullopt;
      stack.push_back(stack.empty() ? GroupState{} : stack.back());
      skip = 0;
      ++i;
    } else if (c == '}') {
      if (stack.empty()) return std::nullopt;
      stack.pop_back();
      skip = 0;
      if (stack.empty()) closedOuter = true;
      ++i;
    } else if (c == '\\') {
      if (stack.empty()) return std::nullopt;
      if (i + 1 >= n) return std::nullopt;
      const char d = rtf[i + 1];
      if (IsAlpha(d)) {
        size_t j = i + 1;
        while (j < n && IsAlpha(rtf[j]) && j - (i + 1) < 32) ++j;
        const std::string word = rtf.substr(i + 1, j - (i + 1));
        bool hasParam = false, negative = false;
        long param = 0;
        if (j < n && rtf[j] == '-' && j + 1 < n && IsDigit(rtf[j + 1])) {
          negative = true;
          ++j;
        }
        size_t digits = 0;
        while (j < n && IsDigit(rtf[j])) {
          if (digits < 10) param = param * 10 + (rtf[j] - '0');
          ++digits;
          ++j;
          hasParam = true;
        }
        if (negative) param = -param;
        if (j < n && rtf[j] == ' ') ++j;  // the delimiter belongs to the word
        i = j;
        if (word == "par" || word == "line" || word == "sect" || word == "page") {
          if (visible()) endLine();
        } else if (word == "tab") {
          addByte('\t');
        } else if (word == "uc" && hasParam) {
          stack.back().SkipAfterUnicode = static_cast<int>(param < 0 ? 0 : (param > 8 ? 8 : param));
        } else if (word == "u" && hasParam) {
          if (skip > 0) {
            --skip;
          } else if (visible()) {
            flushBytes();
            long v = param < 0 ? param + 65536 : param;
            if (v >= 0 && v <= 0xFFFF) {
              // A surrogate half has no UTF-8 form alone: the replacement character.
              AppendUtf8(line, (v >= 0xD800 && v <= 0xDFFF) ? 0xFFFDu : static_cast<uint32_t>(v));
            }
          }
          skip = stack.back().SkipAfterUnicode;
        } else if (IsHiddenDestination(word)) {
          stack.back().Hidden = true;
        }
      } else if (d == '\'') {
        const int hi = i + 2 < n ? HexValue(rtf[i + 2]) : -1;
        const int lo = i + 3 < n ? HexValue(rtf[i + 3]) : -1;
        if (hi < 0 || lo < 0) return std::nullopt;
        addByte(static_cast<char>(hi * 16 + lo));
        i += 4;
      } else if (d == '*') {
        stack.back().Hidden = true;  // an ignorable destination: nothing of it is shown
        i += 2;
      } else if (d == '\\' || d == '{' || d == '}') {
        addByte(d);
        i += 2;
      } else if (d == '~') {
        addByte(static_cast<char>(0xA0));
        i += 2;
      } else if (d == '\r' || d == '\n') {
        if (visible()) endLine();
        i += 2;
      } else {
        i += 2;  // another control symbol (\-, \_, \|, ...): nothing to show
      }
    } else if (c == '\r' || c == '\n') {
      ++i;  // line ends in the source mean nothing
    } else {
      if (stack.empty()) return std::nullopt;
      addByte(c);
      ++i;
    }
  }
  if (!closedOuter) return std::nullopt;
  flushBytes();
  if (!line.empty()) lines.push_back(line);
  return lines;
}

}  // namespace kestrova
