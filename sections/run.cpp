#include "sections/run.h"

#include "engine/core/system_info.h"

namespace kestrova {

const char* const kNoEngineLine = "Moteur d'analyse système non initialisé (analyse impossible)";
const char* const kStartLine = "Début Analyse";
const char* const kEndLine = "Fin Analyse";
const char* const kInterruptedLine = "Analyse interrompue par l'utilisateur";

namespace {
// Ends the update bracket and clears the status text however the section ends.
class SectionFinally {
 public:
  SectionFinally(SectionContext& ctx) : ctx_(ctx) {}
  void Began() { began_ = true; }
  ~SectionFinally() {
    if (began_) ctx_.Log.EndUpdate();
    ctx_.Host.SetStatusText("");
  }

 private:
  SectionContext& ctx_;
  bool began_ = false;
};
}  // namespace

void RunSection(const SectionWriter& writer, SectionContext& ctx) {
  if (ctx.Flags.StopRequested) return;
  if (!ctx.Host.IsCategoryTicked(writer.Caption)) return;
  if (writer.Applies && !writer.Applies(ctx)) return;
  WriteBlankLine(ctx.Log);
  if (!writer.OwnHeading) ctx.Log.AddLogLine(kLevelHeading, writer.Caption, kColourBlack);
  ctx.Host.SetStatusText(writer.Caption);
  SectionFinally finally(ctx);
  if (writer.Prepare) writer.Prepare(ctx);
  ctx.Log.BeginUpdate();
  finally.Began();
  if (writer.Body) writer.Body(ctx);
}

void RunAnalysis(TSystemInfo* engine, IReportLog& log, IRunHost& host, RunFlags& flags,
                 const std::vector<SectionWriter>* writers) {
  if (!engine) {
    WriteErrorLine(log, kNoEngineLine);
    return;
  }
  if (flags.AnalysisRunning) return;  // never a run inside a running one
  flags.StopRequested = false;
  flags.AnalysisRunning = true;
  struct Idle {
    IRunHost& Host;
    RunFlags& Flags;
    ~Idle() {
      Host.SetBusyCursor(false);
      Flags.AnalysisRunning = false;
      Host.UpdateActionStates();
    }
  } idle{host, flags};
  host.UpdateActionStates();
  WriteBlankLine(log);
  log.AddLogLine(kLevelHeading, kStartLine, kColourMagenta);
  host.SetBusyCursor(true);
  SectionContext ctx{*engine, log, host, flags};
  for (const SectionWriter& w : writers ? *writers : RunOrder()) RunSection(w, ctx);
  if (flags.StopRequested) {
    WriteBlankLine(log);
    WriteErrorLine(log, kInterruptedLine);
  }
  WriteBlankLine(log);
  log.AddLogLine(kLevelHeading, kEndLine, kColourMagenta);
}

}  // namespace kestrova
