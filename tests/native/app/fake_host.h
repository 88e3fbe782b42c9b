#pragma once
// A run host for the tests: ticks from category rows, and a hook on every status text
// that stands for the user's clicks handled while messages are pumped.
#include <functional>
#include <string>
#include <vector>

#include "engine/core/context.h"
#include "engine/core/system_info.h"
#include "engine/platform/recorded/recorded_machine.h"
#include "sections/category_list.h"
#include "sections/run.h"

namespace kestrova::testing {

class FakeHost : public IRunHost {
 public:
  CategoryRows Rows = MakeCategoryRows();
  std::vector<std::string> Statuses;
  std::function<void(const std::string&)> OnStatus;  // "pending input" at a status text
  int ActionUpdates = 0;
  bool Busy = false;

  bool IsCategoryTicked(const std::string& caption) const override {
    return kestrova::IsCategoryTicked(Rows, caption);
  }
  void SetStatusText(const std::string& text) override {
    Statuses.push_back(text);
    if (OnStatus) OnStatus(text);
  }
  void UpdateActionStates() override { ++ActionUpdates; }
  void SetBusyCursor(bool busy) override { Busy = busy; }

  void TickOnly(const std::vector<std::string>& captions) {
    UntickAll(Rows);
    for (const auto& c : captions) Rows[*FindCategoryRow(Rows, c)].Ticked = true;
  }
};

// An engine without members over a machine, for sections that read the platform only.
struct EngineOver {
  explicit EngineOver(RecordedMachine& m)
      : Context(MakeEngineContext(m.View())), Engine(Context, TSystemInfo::Factories{}) {}
  EngineContext Context;
  TSystemInfo Engine;
};

}  // namespace kestrova::testing
