#pragma once
// The commands of the main window: one table (id, caption, operation, enabled rule)
// from which the menus, the tool bar and UpdateActionStates are all made.
#include <windows.h>

#include <vector>

namespace kestrova::app {

class MainWindow;

enum class ActionId : int {
  LogNew = 1000, LogLoad, LogSave, LogSaveAs, LogPrintPreview, LogPrint, LogCut, LogCopy, LogPaste,
  LogUndo, Start, Stop, CatSelectAll, CatDeselectAll, CatInvertSel, CatSelectSelected, AppHelpIndex,
  AppHelpReadme, AppAbout, AppClose, AppHidePersonal,
  Separator = 0,  // in menu and tool-bar layouts only
};

enum class EnabledRule {
  Always,                    // not governed by UpdateActionStates
  NotRunning,
  Running,
  Never,                     // no operation attached
  NotRunningAndHighlighted,  // and at least one category row highlighted
  ReadmeAtStartup,           // decided once at start-up: the readme file exists
};

struct Action {
  ActionId Id;
  const wchar_t* Caption;  // also the hint (tool tip)
  void (MainWindow::*Execute)();
  EnabledRule Rule;
  int Icon;  // tool-bar icon resource, 0 when the action has no button
};

const std::vector<Action>& Actions();
const Action* FindAction(ActionId id);
inline UINT CommandOf(ActionId id) { return static_cast<UINT>(id); }

struct MenuLayout {
  const wchar_t* Caption;
  std::vector<ActionId> Items;
};
const std::vector<MenuLayout>& MainMenuLayout();
const std::vector<ActionId>& PopupMenuLayout();
const std::vector<ActionId>& ToolBarLayout();

// The enabled state of every action for the given facts.
struct ActionFacts {
  bool Running = false;
  bool AnyHighlighted = false;
  bool ReadmeExists = false;
};
bool IsActionEnabled(const Action& action, const ActionFacts& facts);

}  // namespace kestrova::app
