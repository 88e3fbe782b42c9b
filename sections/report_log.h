#pragma once
// The report log as the section writers see it: lines appended at one of four levels.
// The window binds it to its RichEdit pane, kestrova-report to a text or RTF sink.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/platform/system.h"

namespace kestrova {

enum LogLevel : int { kLevelTitle = 0, kLevelHeading = 1, kLevelItem = 2, kLevelDetail = 3 };

constexpr uint32_t kColourBlack = 0x000000;
constexpr uint32_t kColourRed = 0x0000FF;
constexpr uint32_t kColourBlue = 0xFF0000;
constexpr uint32_t kColourMagenta = 0xFF00FF;

// The text a level appends (" - " before an item, "   . " before a detail), or nothing
// for a level outside 0 to 3.
std::optional<std::string> LogLineText(int level, const std::string& text);
int LogLevelPointSize(int level);  // 10 for the title, 8 otherwise
bool LogLevelBold(int level);      // title and heading

class IReportLog {
 public:
  virtual ~IReportLog() = default;
  virtual void AddLogLine(int level, const std::string& text, uint32_t colour) = 0;
  virtual void BeginUpdate() = 0;
  virtual void EndUpdate() = 0;
};

void WriteBlankLine(IReportLog& log);                            // level 1, empty, black
void WriteErrorLine(IReportLog& log, const std::string& text);   // level 1, red

// The two header lines of every report: the blue title with the program's version and
// the date item in the machine's local time and language.
extern const char* const kReportTitlePrefix;  // "Kestrova - Récupérateur infos système - Version "
void WriteReportHeader(IReportLog& log, const std::string& version, const LocalTime& now,
                       const LocaleFacts& locale);

// A log held in memory: what the tests read and what the console companion prints.
struct LogLine {
  int Level;
  std::string Text;  // as appended, prefix included
  uint32_t Colour;
};

class MemoryLog : public IReportLog {
 public:
  void AddLogLine(int level, const std::string& text, uint32_t colour) override;
  void BeginUpdate() override { ++updateDepth_; }
  void EndUpdate() override { --updateDepth_; }
  void Clear() { Lines.clear(); }
  int UpdateDepth() const { return updateDepth_; }
  std::vector<std::string> Texts() const;

  std::vector<LogLine> Lines;

 private:
  int updateDepth_ = 0;
};

}  // namespace kestrova
