// The "Machine (général)" section over the real platform: whatever the firmware access
// gives under each personality, the section comes out whole, and on the NT family the
// BIOS lines come from the registry. No scratch folder of the segment dump stays behind.
#include <string>
#include <vector>

#include "engine/core/context.h"
#include "engine/core/system_info.h"
#include "sections/machine_section.h"
#include "sections/report_log.h"
#include "tests/win/wine_env.h"

namespace kestrova::wintest {
namespace {

class TickAll : public IRunHost {
 public:
  bool IsCategoryTicked(const std::string&) const override { return true; }
  void SetStatusText(const std::string&) override {}
  void UpdateActionStates() override {}
  void SetBusyCursor(bool) override {}
};

std::vector<std::string> MachineSection() {
  const EngineContext context = MakeEngineContext(Win32());
  TSystemInfo engine(context);
  MemoryLog log;
  TickAll host;
  RunFlags flags;
  SectionContext ctx{engine, log, host, flags};
  RunSection(kMachineWriter, ctx);
  EXPECT_EQ(log.UpdateDepth(), 0);
  return log.Texts();
}

bool ScratchFolderLeft() {
  const std::string temp = Win32().System->TempPath();
  for (int n = 1; n <= 5; ++n)
    if (Win32().Firmware->DirectoryExists(temp + "~RomDmp" + std::to_string(n))) return true;
  return false;
}

TEST(OnWinXP, MachineSectionTakesTheBiosFromTheRegistry) {
  const auto lines = MachineSection();
  ASSERT_EQ(lines.size(), 15u);
  EXPECT_EQ(lines[1], "Machine (général)");
  EXPECT_EQ(lines[10], " - BIOS - Copyright : KESTRV - 1072009 BIOS Date: 06/12/26 Ver 08.00.15 ");  // each CR LF a blank
  EXPECT_EQ(lines[11], " - BIOS - Date : 06/12/26");
  EXPECT_FALSE(ScratchFolderLeft());
}

TEST(OnWin98, MachineSectionSurvivesTheDirectRomRead) {
  const auto lines = MachineSection();
  ASSERT_EQ(lines.size(), 15u);
  EXPECT_EQ(lines[14].rfind(" - Verrouillage Clavier numérique : ", 0), 0u);
}

TEST(OnAnyWindows, GuardedLinearReadRefusesAnUnmappedPage) {
  // Page 0 is never mapped in a Win32 process: the read fails instead of faulting.
  using Check = IFirmware::LinearCheck;
  for (Check how : {Check::Committed, Check::Probed}) EXPECT_FALSE(Win32().Firmware->LinearReadable(0, 16, how));
  int local = 42;
  const auto at = reinterpret_cast<uintptr_t>(&local);
  for (Check how : {Check::Committed, Check::Probed}) EXPECT_TRUE(Win32().Firmware->LinearReadable(at, sizeof local, how));
  EXPECT_EQ(Win32().Firmware->CopyLinear(at, sizeof local)[0], 42);
}

}  // namespace
}  // namespace kestrova::wintest
