// The "Machine (général)" section and TMachine/TBIOS on the recorded machines.
#include <gtest/gtest.h>

#include "engine/core/context.h"
#include "engine/core/system_info.h"
#include "engine/hardware/machine.h"
#include "engine/platform/recorded/recorded_machine.h"
#include "sections/machine_section.h"
#include "../app/fake_host.h"

namespace kestrova {
namespace {

std::string MachineDir(const char* name) { return std::string(KESTROVA_FIXTURES) + "/machines/" + name; }

struct MachineRun {
  explicit MachineRun(const char* name) : machine(LoadRecordedMachine(MachineDir(name))) {}
  std::vector<std::string> Section() {
    context = MakeEngineContext(machine->View());
    engine = std::make_unique<TSystemInfo>(context);
    kestrova::testing::FakeHost host;
    host.TickOnly({"Machine (général)"});
    RunFlags flags;
    SectionContext ctx{*engine, log, host, flags};
    RunSection(kMachineWriter, ctx);
    EXPECT_EQ(log.UpdateDepth(), 0);
    return log.Texts();
  }
  std::unique_ptr<RecordedMachine> machine;
  EngineContext context;
  std::unique_ptr<TSystemInfo> engine;
  MemoryLog log;
};

TEST(MachineSection, Windows98ReadsTheBiosStringsFromTheRom) {
  MachineRun run("win98se-p3");
  for (auto& l : run.Section()) printf("[%s]\n", l.c_str());
}

TEST(MachineSection, WindowsXpReadsTheBiosFromTheRegistry) {
  MachineRun run("xp-sp2-p4ht");
  for (auto& l : run.Section()) printf("[%s]\n", l.c_str());
}

}  // namespace
}  // namespace kestrova
