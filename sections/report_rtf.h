#pragma once
// The log as an RTF document, for the console companion: one paragraph per line with the
// line's size, weight and colour, in the pane's Arial face. (The window saves through its
// RichEdit control instead.)
#include <string>
#include <vector>

#include "sections/report_log.h"

namespace kestrova {

std::string RenderRtf(const std::vector<LogLine>& lines);

// A UTF-8 text as RTF body text: \, { and } escaped, code points 128-255 as \'xx (the
// document is cp1252), others as \uN? (N signed 16-bit), line breaks as \line.
std::string RtfEscape(const std::string& utf8);

}  // namespace kestrova
