#pragma once
// A recorded machine, its engine and one section run over it, for the section tests.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/core/context.h"
#include "engine/core/system_info.h"
#include "engine/platform/recorded/recorded_machine.h"
#include "sections/run.h"
#include "../app/fake_host.h"

namespace kestrova::testing {

struct SectionRun {
  explicit SectionRun(const char* name)
      : machine(LoadRecordedMachine(std::string(KESTROVA_FIXTURES) + "/machines/" + name)) {}
  // Builds the engine (once) and runs the writer; returns every line of the log so far.
  std::vector<std::string> Run(const SectionWriter& writer) {
    Engine();
    FakeHost host;
    host.TickOnly({writer.Caption});
    RunFlags flags;
    SectionContext ctx{*engine, log, host, flags};
    RunSection(writer, ctx);
    EXPECT_EQ(log.UpdateDepth(), 0);
    return log.Texts();
  }
  TSystemInfo& Engine() {
    if (!engine) {
      context = MakeEngineContext(machine->View());
      engine = std::make_unique<TSystemInfo>(context);
    }
    return *engine;
  }
  template <typename T>
  T& Member(TSystemInfo::Member m) { return *Engine().As<T>(m); }
  ReportLines Report(TSystemInfo::Member m) {
    ReportLines lines;
    Engine().Get(m)->WriteReport(lines, false);
    return lines;
  }
  std::unique_ptr<RecordedMachine> machine;
  EngineContext context;
  std::unique_ptr<TSystemInfo> engine;
  MemoryLog log;
};

}  // namespace kestrova::testing
