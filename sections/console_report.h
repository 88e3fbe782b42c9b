#pragma once
// The whole report as "Démarrer" writes it, without a window: the header, then the run
// over the ticked rows. Used by kestrova-report.
#include <string>
#include <vector>

#include "engine/platform/platform.h"
#include "sections/category_list.h"
#include "sections/report_log.h"
#include "sections/run.h"

namespace kestrova {

// Every text the window would hold, one entry per log line (blank lines as empty texts).
std::string RenderText(const std::vector<LogLine>& lines);

// The run host of a console: ticks from the rows, nothing to pump or redraw.
class ConsoleRunHost : public IRunHost {
 public:
  explicit ConsoleRunHost(CategoryRows rows) : rows_(std::move(rows)) {}
  bool IsCategoryTicked(const std::string& caption) const override {
    return kestrova::IsCategoryTicked(rows_, caption);
  }
  void SetStatusText(const std::string&) override {}
  void UpdateActionStates() override {}
  void SetBusyCursor(bool) override {}

 private:
  CategoryRows rows_;
};

// Header (version, the engine's machine clock and locale) followed by RunAnalysis.
// `engine` may be null: the report then holds the header and the refusal line. An error
// that ends the run (as the window shows one in a message box) is passed on; with `error`
// given it is caught instead, its text stored there, and the lines written until then
// are returned. With `privateValues`, personal values are replaced by placeholders.
std::vector<LogLine> BuildReport(TSystemInfo* engine, const Platform& platform, const CategoryRows& rows,
                                 const std::string& version,
                                 const std::vector<SectionWriter>* writers = nullptr,
                                 std::string* error = nullptr, bool privateValues = false);

}  // namespace kestrova
