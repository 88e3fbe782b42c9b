#pragma once
// TfmMain, the main window: tool bar, category list, splitter, report log, status bar.
// It owns the engine, the run flags and the document, and binds the portable run to the
// controls.
#include <windows.h>

#include <array>
#include <memory>
#include <string>

#include "app/actions.h"
#include "app/gdi_handles.h"
#include "app/rich_log.h"
#include "app/user_dialogs.h"
#include "engine/core/context.h"
#include "engine/core/system_info.h"
#include "sections/category_list.h"
#include "sections/run.h"
#include "sections/settings.h"

namespace kestrova::app {

struct StartupOptions {
  // The program file the companion files are named after (INI, help, readme). Empty:
  // the running module.
  std::wstring ProgramPath;
  // Makes the engine; empty: the engine over the real machine.
  std::function<std::unique_ptr<TSystemInfo>(const EngineContext&)> MakeEngine;
};

class MainWindow : private IRunHost {
 public:
  static constexpr int kDesignWidth = 636, kDesignHeight = 459;
  static const wchar_t* const kClassName;

  MainWindow(IUserDialogs& dialogs, StartupOptions options = {});
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates and shows the window (the start-up sequence runs inside); false when the
  // window could not be created.
  bool Create();
  HWND Handle() const { return hwnd_; }

  // What the tests look at.
  RichLog& Log() { return *log_; }
  HWND CategoryList() const { return list_; }
  HWND StatusBar() const { return status_; }
  HWND ToolBar() const { return toolbar_; }
  const std::wstring& CurrentFileName() const { return currentFileName_; }
  bool AnalysisRunning() const { return flags_.AnalysisRunning; }
  bool ActionEnabled(ActionId id) const;
  int SplitterPosition() const { return splitterPos_; }
  const std::wstring& IniFileName() const { return iniFileName_; }
  const std::wstring& HelpFileName() const { return helpFileName_; }

  // The operations of the actions (the table in actions.cpp points at these).
  void ActLogNewExecute();
  void ActLogLoadExecute();
  void ActLogSaveExecute();
  void ActLogSaveAsExecute();
  void ActLogPrintExecute();
  void ActLogCutExecute();
  void ActLogCopyExecute();
  void ActLogPasteExecute();
  void ActLogUndoExecute();
  void ActStartExecute();
  void ActStopExecute();
  void ActCatSelectAllExecute();
  void ActCatDeselectAllExecute();
  void ActCatInvertSelExecute();
  void ActCatSelectSelectedExecute();
  void ActAppHelpReadmeExecute();
  void ActAppAboutExecute();
  void ActAppCloseExecute();
  void ActAppHidePersonalExecute();

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK ListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

  // Start-up and closing.
  void FormCreate();
  void CreateControls();
  void CreateMenus();
  void CreateToolBar();
  void FillCategoryList();
  void RestoreSettings();
  bool FormCloseQuery();
  void FormClose();
  void OnClose();
  bool OnQueryEndSession();
  void OnEndSession(bool ending);
  void SaveWindowBounds();  // the normal-position rectangle, when the INI file is writable

  // Layout and the splitter.
  void Layout();
  bool OverSplitter(int x, int y) const;
  void SetSplitterPosition(int x);

  // Commands and notifications.
  void RunCommand(ActionId id);
  LRESULT OnNotify(NMHDR* hdr);
  void OnContextMenu(HWND from, int x, int y);
  void Timer1Timer();
  void lstCategoriesDblClick();
  void FindInLogFor(const std::string& caption);

  // IRunHost: the run over the real controls.
  bool IsCategoryTicked(const std::string& caption) const override;
  void SetStatusText(const std::string& text) override;
  void UpdateActionStates() override;
  void SetBusyCursor(bool busy) override;

  void SetActionEnabled(ActionId id, bool enabled);
  void ProcessMessages();

  // Category rows <-> the list control.
  CategoryRows ReadRows() const;
  void WriteTicks(const CategoryRows& rows);

  // Documents.
  bool ConfirmSaveIfModified();
  void SetCurrentFile(const std::wstring& name);
  void NewLog();
  void WriteReportHeader();
  bool LoadLog(const std::wstring& path);
  bool SaveLog(const std::wstring& path);
  void PrintLog();
  void StartAnalysis();

  IUserDialogs& dialogs_;
  StartupOptions options_;
  HWND hwnd_ = nullptr;
  HWND toolbar_ = nullptr, status_ = nullptr, list_ = nullptr;
  WNDPROC listProc_ = nullptr;
  std::unique_ptr<RichLog> log_;
  UniqueFont font_;
  UniqueImageList toolImages_;
  UniqueMenu popup_;

  std::wstring programPath_, exeDir_, iniFileName_, helpFileName_, readmePath_;
  bool iniWritable_ = false;
  bool storeActive_ = false, storeSaved_ = false;
  bool readmeExists_ = false;
  bool mainFormCreating_ = false;

  std::unique_ptr<PlatformHost> platform_;
  std::unique_ptr<EngineContext> engineContext_;
  std::unique_ptr<TSystemInfo> engine_;
  RunFlags flags_;
  bool closePending_ = false;
  bool hidePersonal_ = false;  // "Masquer les données personnelles"  // a close asked for while a run was going on

  std::wstring currentFileName_;
  std::array<bool, 64> enabled_{};

  int splitterPos_ = kDefaultSplitterPosition;
  bool draggingSplitter_ = false;
};

}  // namespace kestrova::app
