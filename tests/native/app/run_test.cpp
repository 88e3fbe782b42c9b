// The analysis run: the frame written once around every section, the order of the
// writers, "Stop" pressed inside a section, the refusal without an engine.
#include "sections/run.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "sections/categories.h"
#include "tests/native/app/fake_host.h"

namespace kestrova {
namespace {

using testing::EngineOver;
using testing::FakeHost;
using Lines = std::vector<std::string>;

// Stand-in writers: each writes two items naming its section.
void TwoItems(SectionContext& ctx) {
  ctx.Log.AddLogLine(kLevelItem, "first", kColourBlack);
  ctx.Log.AddLogLine(kLevelDetail, "second", kColourBlack);
}
const std::vector<SectionWriter> kFakeOrder = {
    {kCatMachine, nullptr, TwoItems},
    {kCatNetwork, nullptr, TwoItems},
    {kCatUSB, nullptr, TwoItems},
    {kCatRootFolders, nullptr, TwoItems},
};

struct RunFixture : ::testing::Test {
  RecordedMachine machine;
  EngineOver engine{machine};
  MemoryLog log;
  FakeHost host;
  RunFlags flags;
  void Run(const std::vector<SectionWriter>* writers = &kFakeOrder) {
    RunAnalysis(&engine.Engine, log, host, flags, writers);
  }
};

TEST_F(RunFixture, AllUntickedWritesOnlyTheFrameOfTheRun) {
  UntickAll(host.Rows);
  Run();
  EXPECT_EQ(log.Texts(), (Lines{"", "Début Analyse", "", "Fin Analyse"}));
  EXPECT_EQ(log.Lines[1].Colour, kColourMagenta);
  EXPECT_EQ(log.Lines[1].Level, kLevelHeading);
  EXPECT_EQ(log.Lines[3].Colour, kColourMagenta);
  EXPECT_FALSE(flags.AnalysisRunning);
  EXPECT_FALSE(host.Busy);
  EXPECT_EQ(host.ActionUpdates, 2);  // at the start and at the end
}

TEST_F(RunFixture, EachTickedSectionHasBlankLineHeadingStatusAndBracket) {
  host.TickOnly({kCatUSB, kCatMachine});  // list order does not matter, run order does
  Run();
  EXPECT_EQ(log.Texts(), (Lines{"", "Début Analyse", "", "Machine (général)", " - first", "   . second",
                                "", "USB", " - first", "   . second", "", "Fin Analyse"}));
  EXPECT_TRUE(log.Lines[3].Level == kLevelHeading && log.Lines[3].Colour == kColourBlack);
  EXPECT_EQ(host.Statuses, (Lines{"Machine (général)", "", "USB", ""}));
  EXPECT_EQ(log.UpdateDepth(), 0);
}

TEST_F(RunFixture, StopInsideASectionCompletesItAndSkipsTheRest) {
  host.OnStatus = [&](const std::string& s) {
    if (s == kCatNetwork) flags.StopRequested = true;  // "Stop" clicked while "Réseau" runs
  };
  Run();
  EXPECT_EQ(log.Texts(), (Lines{"", "Début Analyse", "", "Machine (général)", " - first", "   . second", "",
                                "Réseau", " - first", "   . second", "", "Analyse interrompue par l'utilisateur",
                                "", "Fin Analyse"}));
  EXPECT_EQ(log.Lines[11].Colour, kColourRed);
  EXPECT_TRUE(flags.StopRequested);  // kept until the next run starts
  host.OnStatus = nullptr;
  Run();  // the next run clears it
  const Lines after = log.Texts();
  EXPECT_EQ(after.back(), "Fin Analyse");
  EXPECT_EQ(std::count(after.begin(), after.end(), "USB"), 1);
}

TEST_F(RunFixture, NoEngineWritesTheRedRefusalAndChangesNoFlag) {
  RunAnalysis(nullptr, log, host, flags, &kFakeOrder);
  ASSERT_EQ(log.Texts(), (Lines{"Moteur d'analyse système non initialisé (analyse impossible)"}));
  EXPECT_EQ(log.Lines[0].Colour, kColourRed);
  EXPECT_EQ(log.Lines[0].Level, kLevelHeading);
  EXPECT_EQ(host.ActionUpdates, 0);
  EXPECT_FALSE(flags.AnalysisRunning);
}

TEST_F(RunFixture, ARunRequestedInsideARunIsRefused) {
  int nested = 0;
  host.OnStatus = [&](const std::string& s) {
    if (s == kCatMachine) {  // a long press handled inside a section
      MemoryLog other;
      RunAnalysis(&engine.Engine, other, host, flags, &kFakeOrder);
      nested += static_cast<int>(other.Lines.size());
    }
  };
  Run();
  EXPECT_EQ(nested, 0);
  const Lines out = log.Texts();
  EXPECT_EQ(std::count(out.begin(), out.end(), "Début Analyse"), 1);
}

TEST_F(RunFixture, AnErrorEscapingAWriterRestoresIdleAndBalancesTheBracket) {
  auto boom = [](SectionContext&) { throw std::runtime_error("boom"); };
  // Thrown inside the bracket by the body, then before it opens by the preparation.
  for (const auto& failing : {std::vector<SectionWriter>{{kCatMachine, nullptr, boom}, {kCatUSB, nullptr, TwoItems}},
                              std::vector<SectionWriter>{{kCatMachine, boom, TwoItems}, {kCatUSB, nullptr, TwoItems}}}) {
    host.Statuses.clear();
    EXPECT_THROW(Run(&failing), std::runtime_error);
    EXPECT_FALSE(flags.AnalysisRunning);
    EXPECT_FALSE(host.Busy);
    EXPECT_EQ(log.UpdateDepth(), 0);
    EXPECT_EQ(host.Statuses, (Lines{"Machine (général)", ""}));
  }
  Run();  // and the next run works
  EXPECT_EQ(log.Texts().back(), "Fin Analyse");
}

TEST_F(RunFixture, OwnHeadingAndAppliesAreHonoured) {
  const std::vector<SectionWriter> writers = {
      {kCatCPU, nullptr, [](SectionContext& c) { c.Log.AddLogLine(kLevelHeading, "CPU #00", 0); }, true},
      {kCatUSB, nullptr, TwoItems, false, [](SectionContext&) { return false; }}};
  Run(&writers);
  EXPECT_EQ(log.Texts(), (Lines{"", "Début Analyse", "", "CPU #00", "", "Fin Analyse"}));
}

TEST(RunOrder, WritersFollowTheRunOrderAndNameKnownCategories) {
  // Run positions of every caption; the table must be in increasing order.
  const std::vector<std::string> runOrder = {
      kCatMachine, kCatOS, kCatCPU, kCatLocale, kCatDisplay, kCatMonitors, kCatMultimedia, kCatMemory,
      kCatDisks, kCatASPI, kCatDirectX, kCatOpenGL, kCatInternet, kCatDatabases, kCatNetwork, kCatPrinters,
      kCatUSB, kCatAPM, kCatEnvironment, kCatWindowsFolders, kCatUserFolders, kCatInstalledApps,
      kCatAutoStart, kCatProcesses, kCatDrivers, kCatServices, kCatRootFolders, kCatProgramFilesFolders};
  size_t last = 0;
  bool first = true;
  for (const auto& w : RunOrder()) {
    auto at = std::find(runOrder.begin(), runOrder.end(), w.Caption);
    ASSERT_NE(at, runOrder.end()) << w.Caption;
    size_t pos = static_cast<size_t>(at - runOrder.begin());
    EXPECT_TRUE(first || pos > last) << w.Caption << " is out of run order";
    last = pos;
    first = false;
  }
}

}  // namespace
}  // namespace kestrova
