#pragma once
// The analysis run and the frame every section writer follows. Portable: the window binds
// IRunHost to its controls (message pumping, action states, cursor), kestrova-report to
// nothing much.
#include <string>
#include <vector>

#include "sections/report_log.h"

namespace kestrova {

class TSystemInfo;
struct EngineContext;

class IRunHost {
 public:
  virtual ~IRunHost() = default;
  virtual bool IsCategoryTicked(const std::string& caption) const = 0;
  // Shows the text and lets pending user input run ("Stop" is handled here).
  virtual void SetStatusText(const std::string& text) = 0;
  virtual void UpdateActionStates() = 0;  // also lets pending user input run
  virtual void SetBusyCursor(bool busy) = 0;
};

struct RunFlags {
  bool StopRequested = false;
  bool AnalysisRunning = false;
};

// What a section writer works with.
struct SectionContext {
  TSystemInfo& Engine;
  IReportLog& Log;
  IRunHost& Host;
  RunFlags& Flags;
};

struct SectionWriter {
  const char* Caption;
  // Runs between the status text and the begin-update (the usual place of the refresh);
  // may be null.
  void (*Prepare)(SectionContext&);
  // The section's own lines, inside the update bracket.
  void (*Body)(SectionContext&);
  // Writers that write their own headings (one per processor) leave out the frame's.
  bool OwnHeading = false;
  // Directory listings: nothing at all is written when this says no; may be null.
  bool (*Applies)(SectionContext&) = nullptr;
};

// The writers that exist, in run order.
const std::vector<SectionWriter>& RunOrder();

// The frame: stop check, tick check, blank line, heading, status text, then Prepare and
// Body with the end-update and status reset guaranteed however the section ends.
void RunSection(const SectionWriter& writer, SectionContext& ctx);

extern const char* const kNoEngineLine;
extern const char* const kStartLine;
extern const char* const kEndLine;
extern const char* const kInterruptedLine;

// Runs every writer of `writers` (RunOrder() by default). A missing engine writes the red
// refusal line. A run never starts inside a running one, and the idle state is restored
// however the run ends (an error escaping a writer is passed on after that).
void RunAnalysis(TSystemInfo* engine, IReportLog& log, IRunHost& host, RunFlags& flags,
                 const std::vector<SectionWriter>* writers = nullptr);

}  // namespace kestrova
