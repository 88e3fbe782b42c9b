#include "app/actions.h"

#include "app/main_window.h"
#include "app/resource.h"

namespace kestrova::app {

using A = ActionId;
using R = EnabledRule;
using W = MainWindow;

const std::vector<Action>& Actions() {
  // id                    caption                                       operation                        rule                        icon
  static const std::vector<Action> kActions = {
      {A::LogNew,            L"Nouveau",                                 &W::ActLogNewExecute,            R::NotRunning,              IDI_TB_NEW},
      {A::LogLoad,           L"Ouvrir",                                  &W::ActLogLoadExecute,           R::NotRunning,              IDI_TB_OPEN},
      {A::LogSave,           L"Sauver",                                  &W::ActLogSaveExecute,           R::NotRunning,              IDI_TB_SAVE},
      {A::LogSaveAs,         L"Sauver sous...",                          &W::ActLogSaveAsExecute,         R::NotRunning,              0},
      {A::LogPrintPreview,   L"P\u00e9visualiser",                       nullptr,                         R::Never,                   0},
      {A::LogPrint,          L"Imprimer",                                &W::ActLogPrintExecute,          R::NotRunning,              IDI_TB_PRINT},
      {A::LogCut,            L"Couper",                                  &W::ActLogCutExecute,            R::NotRunning,              IDI_TB_CUT},
      {A::LogCopy,           L"Copier",                                  &W::ActLogCopyExecute,           R::NotRunning,              IDI_TB_COPY},
      {A::LogPaste,          L"Coller",                                  &W::ActLogPasteExecute,          R::NotRunning,              IDI_TB_PASTE},
      {A::LogUndo,           L"Annuler",                                 &W::ActLogUndoExecute,           R::Always,                  0},
      {A::Start,             L"D\u00e9marrer",                           &W::ActStartExecute,             R::NotRunning,              IDI_TB_START},
      {A::Stop,              L"Stop",                                    &W::ActStopExecute,              R::Running,                 IDI_TB_STOP},
      {A::CatSelectAll,      L"Tout s\u00e9lectionner",                  &W::ActCatSelectAllExecute,      R::Always,                  0},
      {A::CatDeselectAll,    L"Tout d\u00e9selectionner",                &W::ActCatDeselectAllExecute,    R::Always,                  0},
      {A::CatInvertSel,      L"Inverser s\u00e9lection",                 &W::ActCatInvertSelExecute,      R::Always,                  0},
      {A::CatSelectSelected, L"S\u00e9lectionner \u00e9lements surlign\u00e9s", &W::ActCatSelectSelectedExecute, R::NotRunningAndHighlighted, 0},
      // The help file is never opened: an action without an operation shows disabled.
      {A::AppHelpIndex,      L"Index de l'aide",                         nullptr,                         R::Never,                   0},
      {A::AppHelpReadme,     L"Lisez-moi...",                            &W::ActAppHelpReadmeExecute,     R::ReadmeAtStartup,         0},
      {A::AppAbout,          L"A propos...",                             &W::ActAppAboutExecute,          R::NotRunning,              0},
      {A::AppClose,          L"Quitter",                                 &W::ActAppCloseExecute,          R::NotRunning,              IDI_TB_QUIT},
      // An option: a ticked menu item, kept in the INI file.
      {A::AppHidePersonal,   L"Masquer les donn\u00e9es personnelles",   &W::ActAppHidePersonalExecute,   R::NotRunning,              0},
  };
  return kActions;
}

const Action* FindAction(ActionId id) {
  for (const Action& a : Actions())
    if (a.Id == id) return &a;
  return nullptr;
}

const std::vector<MenuLayout>& MainMenuLayout() {
  static const std::vector<MenuLayout> kMenus = {
      {L"Fichier", {A::LogNew, A::LogLoad, A::LogSave, A::LogSaveAs, A::Separator, A::LogPrintPreview, A::LogPrint,
                    A::Separator, A::AppClose}},
      {L"Edition", {A::LogUndo, A::LogCut, A::LogCopy, A::LogPaste, A::Separator}},
      {L"Cat\u00e9gorie", {A::CatSelectAll, A::CatDeselectAll, A::CatInvertSel, A::CatSelectSelected}},
      {L"Analyse", {A::Start, A::Stop, A::Separator, A::AppHidePersonal}},
      {L"Aide", {A::AppHelpIndex, A::Separator, A::AppHelpReadme, A::Separator, A::AppAbout}},
  };
  return kMenus;
}

const std::vector<ActionId>& PopupMenuLayout() {
  static const std::vector<ActionId> kPopup = {A::CatSelectAll, A::CatDeselectAll, A::CatInvertSel,
                                               A::CatSelectSelected, A::Separator, A::Start, A::Stop,
                                               A::Separator, A::LogPrint};
  return kPopup;
}

const std::vector<ActionId>& ToolBarLayout() {
  static const std::vector<ActionId> kButtons = {A::LogNew, A::LogLoad, A::LogSave, A::LogPrint, A::Separator,
                                                 A::LogCut, A::LogCopy, A::LogPaste, A::Separator, A::Start,
                                                 A::Stop, A::Separator, A::AppClose};
  return kButtons;
}

bool IsActionEnabled(const Action& action, const ActionFacts& facts) {
  switch (action.Rule) {
    case R::Always: return true;
    case R::NotRunning: return !facts.Running;
    case R::Running: return facts.Running;
    case R::Never: return false;
    case R::NotRunningAndHighlighted: return !facts.Running && facts.AnyHighlighted;
    case R::ReadmeAtStartup: return facts.ReadmeExists;
  }
  return false;
}

}  // namespace kestrova::app
