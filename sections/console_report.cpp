#include "sections/console_report.h"

#include <exception>

namespace kestrova {

std::string RenderText(const std::vector<LogLine>& lines) {
  std::string out;
  for (const auto& l : lines) {
    out += l.Text;
    out += '\n';
  }
  return out;
}

std::vector<LogLine> BuildReport(TSystemInfo* engine, const Platform& platform, const CategoryRows& rows,
                                 const std::string& version,
                                 const std::vector<SectionWriter>* writers, std::string* error,
                                 std::function<void(const std::string&)> onStatus) {
  MemoryLog log;
  WriteReportHeader(log, version, platform.System->Now(), platform.System->Locale());
  ConsoleRunHost host(rows);
  host.OnStatus = std::move(onStatus);
  RunFlags flags;
  if (!error) {
    RunAnalysis(engine, log, host, flags, writers);
    return log.Lines;
  }
  try {
    RunAnalysis(engine, log, host, flags, writers);
  } catch (const std::exception& e) {
    *error = e.what();
  }
  return log.Lines;
}

}  // namespace kestrova
