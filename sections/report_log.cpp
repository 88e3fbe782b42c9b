#include "sections/report_log.h"

#include "engine/core/format.h"

namespace kestrova {

std::optional<std::string> LogLineText(int level, const std::string& text) {
  switch (level) {
    case kLevelTitle:
    case kLevelHeading: return text;
    case kLevelItem: return " - " + text;
    case kLevelDetail: return "   . " + text;
    default: return std::nullopt;
  }
}

int LogLevelPointSize(int level) { return level == kLevelTitle ? 10 : 8; }
bool LogLevelBold(int level) { return level == kLevelTitle || level == kLevelHeading; }

void WriteBlankLine(IReportLog& log) { log.AddLogLine(kLevelHeading, "", kColourBlack); }
void WriteErrorLine(IReportLog& log, const std::string& text) { log.AddLogLine(kLevelHeading, text, kColourRed); }

const char* const kReportTitlePrefix = "Kestrova - Récupérateur infos système - Version ";

void WriteReportHeader(IReportLog& log, const std::string& version, const LocalTime& now,
                       const LocaleFacts& locale) {
  log.AddLogLine(kLevelTitle, kReportTitlePrefix + version, kColourBlue);
  log.AddLogLine(kLevelItem, FormatReportDate(now, locale), kColourBlack);
}

void MemoryLog::AddLogLine(int level, const std::string& text, uint32_t colour) {
  if (auto line = LogLineText(level, text)) Lines.push_back({level, *line, colour});
}

std::vector<std::string> MemoryLog::Texts() const {
  std::vector<std::string> out;
  for (const auto& l : Lines) out.push_back(l.Text);
  return out;
}

}  // namespace kestrova
