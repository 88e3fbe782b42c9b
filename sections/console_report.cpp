#include "sections/console_report.h"

#include <exception>

#include "sections/private_log.h"

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
                                 bool privateValues) {
  MemoryLog memory;
  PrivateLog hidden(memory, engine);
  IReportLog& log = privateValues ? static_cast<IReportLog&>(hidden) : memory;
  if (privateValues && engine) {
    try {
      RefreshPersonalMembers(*engine);
    } catch (const std::exception&) {
      if (!error) throw;  // the run's own refresh meets it again and records it
    }
  }
  WriteReportHeader(log, version, platform.System->Now(), platform.System->Locale());
  ConsoleRunHost host(rows);
  RunFlags flags;
  if (!error) {
    RunAnalysis(engine, log, host, flags, writers);
    return memory.Lines;
  }
  try {
    RunAnalysis(engine, log, host, flags, writers);
  } catch (const std::exception& e) {
    *error = e.what();
  }
  return memory.Lines;
}

}  // namespace kestrova
