#pragma once
// The text of an RTF document, one entry per paragraph or line break: what a saved report
// holds, whether this program wrote it or a RichEdit control did. Bounded: nesting is
// capped, every step consumes input, and a document that is not well-formed RTF (no
// "{\rtf" opening, unbalanced braces, nesting too deep) gives nullopt.
#include <optional>
#include <string>
#include <vector>

namespace kestrova {

constexpr int kRtfMaxDepth = 256;

// The lines as UTF-8 (\'xx read as cp1252, \uN honoured with its \ucN fallback skipped).
std::optional<std::vector<std::string>> RtfToLines(const std::string& rtf);

}  // namespace kestrova
