#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/context.h"
#include "engine/core/set.h"
#include "engine/core/system_info.h"
#include "engine/platform/recorded/recorded_machine.h"

namespace kestrova {
namespace {

TEST(EnumSet, ExceptionModesFitInOneByteWithTheDocumentedBits) {
  static_assert(sizeof(TExceptionModes) == 1, "one byte");
  TExceptionModes m{TExceptionMode::emDefault, TExceptionMode::emJournal};
  EXPECT_EQ(m.Bits(), 0x05);
  EXPECT_TRUE(m.Contains(TExceptionMode::emJournal));
  EXPECT_FALSE(m.Contains(TExceptionMode::emExceptionStack));
  EXPECT_EQ(TExceptionModes::FromBits(0xFF).Bits(), 0x07);  // bits beyond the type dropped
  m.Exclude(TExceptionMode::emDefault);
  EXPECT_EQ(m, TExceptionModes{TExceptionMode::emJournal});
  EXPECT_EQ(m.Size(), 1u);
}

// A member that records its life in a shared journal.
std::vector<std::string>* g_journal = nullptr;

class Recorder : public TInformation {
 public:
  Recorder(const EngineContext& c, std::string name, bool withChild)
      : TInformation(c), name_(std::move(name)) {
    g_journal->push_back("create " + name_);
    if (withChild) child_ = std::make_unique<Recorder>(c, name_ + ".child", false);
    SetExceptionModes({TExceptionMode::emExceptionStack});
  }
  ~Recorder() override { g_journal->push_back("free " + name_); }
  Recorder* Child() const { return child_.get(); }

 protected:
  void WriteBlock(ReportWriter& out) const override {
    out.OpenClass(name_, "T" + name_);
    out.CloseClass(name_);
  }
  std::vector<TInformation*> OwnedObjects() override { return {child_.get()}; }

 private:
  std::string name_;
  std::unique_ptr<Recorder> child_;
};

class AggregateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_journal = &journal;
    machine.ComputerNameData = "poste";
    context = MakeEngineContext(machine.View());
    for (size_t i = 0; i < TSystemInfo::kMemberCount; ++i) {
      std::string name = TSystemInfo::MemberName(static_cast<TSystemInfo::Member>(i));
      bool child = name == "Machine";
      all[i] = [name, child](const EngineContext& c) { return std::make_unique<Recorder>(c, name, child); };
    }
  }
  void TearDown() override { g_journal = nullptr; }

  std::vector<std::string> journal;
  RecordedMachine machine;
  EngineContext context;
  TSystemInfo::Factories all;
};

TEST_F(AggregateTest, CreatesAndFreesMembersInTheirOrders) {
  {
    TSystemInfo engine(context, all);
    journal.push_back("--");
  }
  std::vector<std::string> created, freed;
  bool after = false;
  for (const auto& j : journal) {
    if (j == "--") { after = true; continue; }
    if (j.find(".child") != std::string::npos) continue;
    (after ? freed : created).push_back(j);
  }
  EXPECT_EQ(created, (std::vector<std::string>{
      "create CPU", "create Memory", "create OS", "create Disk", "create Machine", "create Storage",
      "create USB", "create Network", "create Display", "create Monitor", "create Media",
      "create Devices", "create Engines", "create APM", "create Printers", "create Software",
      "create Startup", "create ProcessList"}));
  EXPECT_EQ(freed, (std::vector<std::string>{
      "free CPU", "free Memory", "free OS", "free Disk", "free Machine", "free Network",
      "free Display", "free Monitor", "free Media", "free Devices", "free Storage", "free Engines",
      "free APM", "free Printers", "free Software", "free Startup", "free ProcessList", "free USB"}));
}

TEST_F(AggregateTest, ExceptionModesStartAsDefaultAndPropagateToOwnedObjects) {
  TSystemInfo engine(context, all);
  auto* machineMember = engine.As<Recorder>(TSystemInfo::Member::Machine);
  ASSERT_NE(machineMember, nullptr);
  // Members set [emExceptionStack] themselves; the aggregate overwrites it after creation.
  for (size_t i = 0; i < TSystemInfo::kMemberCount; ++i)
    EXPECT_EQ(engine.Get(static_cast<TSystemInfo::Member>(i))->ExceptionModes(),
              TExceptionModes{TExceptionMode::emDefault});
  EXPECT_EQ(machineMember->Child()->ExceptionModes(), TExceptionModes{TExceptionMode::emDefault});

  TExceptionModes all3{TExceptionMode::emDefault, TExceptionMode::emExceptionStack, TExceptionMode::emJournal};
  engine.SetExceptionModes(all3);
  EXPECT_EQ(engine.ExceptionModes(), all3);
  EXPECT_EQ(engine.Get(TSystemInfo::Member::USB)->ExceptionModes(), all3);
  EXPECT_EQ(machineMember->Child()->ExceptionModes(), all3);
  engine.SetExceptionModes({});
  EXPECT_TRUE(machineMember->Child()->ExceptionModes().Empty());
}

TEST_F(AggregateTest, ReportHasTheEnvelopeAndMembersInReportOrder) {
  TSystemInfo engine(context, all);
  ReportLines lines;
  engine.WriteReport(lines);
  ASSERT_EQ(lines.size(), 2u + 2 * TSystemInfo::kMemberCount + 1);
  EXPECT_EQ(lines[2], "<Machine classname=\"TMachine\">");
  EXPECT_EQ(lines[4], "<OS classname=\"TOS\">");
  EXPECT_EQ(lines[6], "<CPU classname=\"TCPU\">");
  EXPECT_EQ(lines[lines.size() - 3], "<ProcessList classname=\"TProcessList\">");
  EXPECT_EQ(lines.back(), "</classes>");
  EXPECT_NE(lines[1].find("machine=\"POSTE\""), std::string::npos);
}

TEST_F(AggregateTest, StandaloneReportOfOneClassIsACompleteDocument) {
  Recorder r(context, "Machine", false);
  ReportLines lines;
  r.WriteReport(lines, true);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0].rfind("<?xml", 0), 0u);
  EXPECT_EQ(lines[2], "<Machine classname=\"TMachine\">");
  EXPECT_EQ(lines[4], "</classes>");
  lines.clear();
  r.WriteReport(lines, false);
  EXPECT_EQ(lines.size(), 2u);
}

TEST_F(AggregateTest, AMemberConstructorFailurePropagatesAndFreesWhatWasBuilt) {
  all[static_cast<size_t>(TSystemInfo::Member::Disk)] = [](const EngineContext&) -> std::unique_ptr<TInformation> {
    throw std::runtime_error("disk");
  };
  EXPECT_THROW(TSystemInfo engine(context, all), std::runtime_error);
  EXPECT_NE(std::find(journal.begin(), journal.end(), "free OS"), journal.end());
}

TEST_F(AggregateTest, MissingClassesLeaveEmptySlots) {
  TSystemInfo engine(context, TSystemInfo::Factories{});
  EXPECT_EQ(engine.Get(TSystemInfo::Member::CPU), nullptr);
  EXPECT_EQ(engine._Refresh(), "Double-click to refresh");
  EXPECT_NE(engine._About().find("8.7.5"), std::string::npos);
  ReportLines lines;
  engine.WriteReport(lines);
  EXPECT_EQ(lines.size(), 3u);
}

}  // namespace
}  // namespace kestrova
