#include "app/main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

#include "app/about_box.h"
#include "app/ini_profile.h"
#include "app/resource.h"
#include "app/win_text.h"
#include "engine/os/shared_routines.h"
#include "engine/platform/win32/win32_platform.h"
#include "sections/find_in_log.h"
#include "sections/private_log.h"

namespace kestrova::app {

const wchar_t* const MainWindow::kClassName = L"TfmMain";

namespace {

constexpr int kToolBarHeight = 41;
constexpr int kStatusHeight = 19;
constexpr int kSplitterWidth = 3;
constexpr int kMinPane = 30;
constexpr int kListId = 10, kLogId = 11, kToolBarId = 12, kStatusId = 13;
constexpr UINT_PTR kTimer1 = 1;
constexpr UINT kTimer1Interval = 2000;
const char kOwnerProp[] = "Kestrova.Owner";
const char kProcProp[] = "Kestrova.Proc";

std::wstring ModulePath() { return ui::ModuleFileName(); }

// The tick boxes of the category rows, unticked then ticked, in images `height` pixels
// high. A report-view row is as high as the tallest of its font, its small image and its
// state image, plus one pixel: 15-pixel state images make the 16-pixel rows, whatever the
// system's own tick-box images measure.
HIMAGELIST MakeCheckImages(int height) {
  const int width = 16, box = 13;
  HIMAGELIST list = ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, 2, 0);
  if (!list) return nullptr;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  for (UINT state : {0u, static_cast<UINT>(DFCS_CHECKED)}) {
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all = {0, 0, width, height};
    HBRUSH back = CreateSolidBrush(RGB(255, 0, 255));
    FillRect(dc, &all, back);
    DeleteObject(back);
    RECT r = {(width - box) / 2, (height - box) / 2, (width - box) / 2 + box, (height - box) / 2 + box};
    DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | state);
    SelectObject(dc, old);
    ImageList_AddMasked(list, bitmap, RGB(255, 0, 255));
    DeleteObject(bitmap);
  }
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return list;
}

bool IsExistingFile(const std::wstring& path) {
  DWORD a = ui::FileAttributes(path);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring ReplaceExtension(const std::wstring& path, const wchar_t* ext) {
  size_t slash = path.find_last_of(L"\\/");
  size_t dot = path.rfind(L'.');
  if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return path + ext;
  return path.substr(0, dot) + ext;
}

}  // namespace

HFONT CreateArial(int pixelHeight, bool bold) {
  return ui::MakeFont(-pixelHeight, bold ? FW_BOLD : FW_NORMAL, false, false, DEFAULT_PITCH | FF_SWISS, L"Arial");
}

MainWindow::MainWindow(IUserDialogs& dialogs, StartupOptions options)
    : dialogs_(dialogs), options_(std::move(options)) {}

MainWindow::~MainWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
}

bool MainWindow::Create() {
  static bool registered = false;
  HINSTANCE inst = GetModuleHandleA(nullptr);
  if (!registered) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = inst;
    wc.hIcon = LoadIconA(inst, MAKEINTRESOURCEA(IDI_KESTROVA));
    wc.hCursor = ui::StandardCursor(IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kClassName;
    // On the 9x family an ANSI class: its messages then come in their A forms.
    if (!ui::RegisterWindowClass(wc)) return false;
    registered = true;
  }
  mainFormCreating_ = true;
  hwnd_ = ui::MakeWindow(0, kClassName, L"Kestrova", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                         CW_USEDEFAULT, kDesignWidth, kDesignHeight, nullptr, 0, this);
  if (!hwnd_) return false;
  FormCreate();
  mainFormCreating_ = false;
  log_->SetTakesFocus(true);
  RestoreSettings();
  return true;
}

// --- start-up ---------------------------------------------------------------------------

void MainWindow::FormCreate() {
  // 1. Companion files named after the program file.
  programPath_ = options_.ProgramPath.empty() ? ModulePath() : options_.ProgramPath;
  exeDir_ = programPath_.substr(0, programPath_.find_last_of(L"\\/") + 1);
  iniFileName_ = ReplaceExtension(programPath_, L".ini");
  helpFileName_ = ReplaceExtension(programPath_, L".hlp");
  readmePath_ = exeDir_ + L"A_Lire.txt";
  // 2. Decided once: a readme created later does not enable the command.
  readmeExists_ = IsExistingFile(readmePath_);

  // 3. Settings: the write test, then the stored bounds.
  IniProfile ini(iniFileName_);
  iniWritable_ = TestIniWritable(ini);
  storeActive_ = iniWritable_;
  RECT wr;
  GetWindowRect(hwnd_, &wr);
  FormBounds bounds{0, 0, wr.right - wr.left, wr.bottom - wr.top};
  if (auto stored = ReadFormBounds(ini, kMainFormName))
    bounds = ApplyFormBounds(bounds, *stored, true, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));

  // 4. Only "Stop" among the ruled actions while starting.
  flags_.AnalysisRunning = true;
  UpdateActionStates();

  // 5. Shown centred with the restored size, before the slow engine creation.
  SetWindowPos(hwnd_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - bounds.Width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - bounds.Height) / 2, bounds.Width, bounds.Height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(hwnd_, SW_SHOW);
  UpdateWindow(hwnd_);

  // 6. The engine. A failure is shown, and start-up goes on without it so the window
  // stays usable: "Démarrer" then writes the refusal line.
  SetStatusText("Initialisation...");
  try {
    platform_ = MakeWin32Platform();
    engineContext_ = std::make_unique<EngineContext>(MakeEngineContext(platform_->View()));
    engine_ = options_.MakeEngine ? options_.MakeEngine(*engineContext_)
                                  : std::make_unique<TSystemInfo>(*engineContext_);
  } catch (const std::exception& e) {
    engine_.reset();
    SetStatusText("");
    dialogs_.ShowError(hwnd_, Widen(e.what()));
  }
  SetStatusText("");

  // 7. A new document with its header; 8. the categories, all ticked; 9. idle.
  NewLog();
  WriteReportHeader();
  FillCategoryList();
  flags_.AnalysisRunning = false;
  UpdateActionStates();
}

void MainWindow::RestoreSettings() {
  if (!storeActive_) return;
  IniProfile ini(iniFileName_);
  if (auto pos = ReadSplitterPosition(ini)) SetSplitterPosition(*pos);
  hidePersonal_ = ReadHidePersonalData(ini);
  CheckMenuItem(GetMenu(hwnd_), CommandOf(ActionId::AppHidePersonal),
                MF_BYCOMMAND | (hidePersonal_ ? MF_CHECKED : MF_UNCHECKED));
}

void MainWindow::CreateControls() {
  font_.Reset(CreateArial(11));
  CreateToolBar();
  // Placed by Layout at its fixed height: left to itself, a status bar sizes itself from
  // its font and borders, which differ from system to system.
  status_ = ui::MakeWindow(0, STATUSCLASSNAMEW, L"",
                           WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | CCS_NORESIZE | CCS_NOPARENTALIGN, 0, 0, 0,
                           kStatusHeight, hwnd_, kStatusId);
  ui::Send(status_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
  int parts[2] = {24, 24 + 50};
  ui::Send(status_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));

  list_ = ui::MakeWindow(0, WC_LISTVIEWW, L"",
                         WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SHOWSELALWAYS,
                         0, 0, 0, 0, hwnd_, kListId);
  ui::Send(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
  ui::Send(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT,
               LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  ui::InsertListColumn(list_, 0, 400);
  // The list owns its state images (no LVS_SHAREIMAGELISTS) and frees them with itself;
  // the ones it made for the tick-box style are ours to free once replaced.
  if (HIMAGELIST checks = MakeCheckImages(15)) {
    auto old = reinterpret_cast<HIMAGELIST>(
        ui::Send(list_, LVM_SETIMAGELIST, LVSIL_STATE, reinterpret_cast<LPARAM>(checks)));
    if (old && old != checks) ImageList_Destroy(old);
  }

  log_ = std::make_unique<RichLog>(hwnd_, kLogId, font_.Get());
  log_->SetTakesFocus(false);

  // The list and the log tell the window about mouse presses, keys and the cursor.
  for (HWND child : {list_, log_->Handle()}) {
    SetPropA(child, kOwnerProp, this);
    SetPropA(child, kProcProp,
             reinterpret_cast<HANDLE>(ui::SetLong(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListProc))));
  }
  CreateMenus();
}

void MainWindow::CreateToolBar() {
  HINSTANCE inst = GetModuleHandleA(nullptr);
  toolbar_ = ui::MakeWindow(0, TOOLBARCLASSNAMEW, L"",
                            WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE |
                                CCS_NOPARENTALIGN | CCS_NODIVIDER,
                            0, 0, 0, kToolBarHeight, hwnd_, kToolBarId);
  ui::Send(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  ui::Send(toolbar_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
  toolImages_.Reset(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 10, 0));
  std::vector<TBBUTTON> buttons;
  std::vector<std::wstring> captions;
  for (ActionId id : ToolBarLayout()) {
    TBBUTTON b = {};
    if (id == ActionId::Separator) {
      b.fsStyle = BTNS_SEP;
      b.iBitmap = 6;
    } else {
      const Action* a = FindAction(id);
      HICON icon = static_cast<HICON>(LoadImageA(inst, MAKEINTRESOURCEA(a->Icon), IMAGE_ICON, 16, 16, 0));
      b.iBitmap = ImageList_AddIcon(toolImages_.Get(), icon);
      DestroyIcon(icon);
      b.idCommand = static_cast<int>(CommandOf(id));
      b.fsState = TBSTATE_ENABLED;
      b.fsStyle = BTNS_BUTTON;
    }
    buttons.push_back(b);
    captions.push_back(id == ActionId::Separator ? L"" : FindAction(id)->Caption);
  }
  ui::Send(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(toolImages_.Get()));
  ui::AddToolButtons(toolbar_, buttons, captions);
  ui::Send(toolbar_, TB_SETBUTTONSIZE, 0, MAKELONG(52, 37));
  ui::Send(toolbar_, TB_SETMAXTEXTROWS, 1, 0);
}

void MainWindow::CreateMenus() {
  auto fill = [](HMENU menu, const std::vector<ActionId>& items) {
    for (ActionId id : items) {
      if (id == ActionId::Separator) ui::AppendMenuText(menu, MF_SEPARATOR, 0, nullptr);
      else ui::AppendMenuText(menu, MF_STRING, CommandOf(id), FindAction(id)->Caption);
    }
  };
  HMENU bar = CreateMenu();
  for (const MenuLayout& m : MainMenuLayout()) {
    HMENU popup = CreatePopupMenu();
    fill(popup, m.Items);
    ui::AppendMenuText(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), m.Caption);
  }
  SetMenu(hwnd_, bar);  // destroyed with the window
  popup_.Reset(CreatePopupMenu());
  fill(popup_.Get(), PopupMenuLayout());
}

void MainWindow::FillCategoryList() {
  // Drawn once, filled: the list is already on screen at start-up, and redrawn after each
  // of its 28 insertions and ticks it keeps the window from answering for that long.
  ui::Send(list_, WM_SETREDRAW, FALSE, 0);
  ui::Send(list_, LVM_DELETEALLITEMS, 0, 0);
  const CategoryRows rows = MakeCategoryRows();
  for (size_t i = 0; i < rows.size(); ++i) ui::InsertListItem(list_, static_cast<int>(i), Widen(rows[i].Caption));
  WriteTicks(rows);
  ui::Send(list_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list_, nullptr, TRUE);
}

// --- category rows <-> the list control ---------------------------------------------------

CategoryRows MainWindow::ReadRows() const {
  CategoryRows rows;
  const int count = static_cast<int>(ui::Send(list_, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    const std::wstring caption = ui::ListItemText(list_, i);
    UINT state = static_cast<UINT>(ui::Send(list_, LVM_GETITEMSTATE, i, LVIS_STATEIMAGEMASK | LVIS_SELECTED));
    rows.push_back({Narrow(caption), ((state & LVIS_STATEIMAGEMASK) >> 12) == 2,
                    (state & LVIS_SELECTED) != 0});
  }
  return rows;
}

void MainWindow::WriteTicks(const CategoryRows& rows) {
  for (size_t i = 0; i < rows.size(); ++i) {
    LVITEMW item = {};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(rows[i].Ticked ? 2 : 1);
    ui::Send(list_, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&item));
  }
}

bool MainWindow::IsCategoryTicked(const std::string& caption) const {
  return kestrova::IsCategoryTicked(ReadRows(), caption);
}

// --- action states, status text, message pumping -----------------------------------------

bool MainWindow::ActionEnabled(ActionId id) const {
  size_t i = static_cast<size_t>(static_cast<int>(id) - static_cast<int>(ActionId::LogNew));
  return i < enabled_.size() && enabled_[i];
}

void MainWindow::SetActionEnabled(ActionId id, bool enabled) {
  size_t i = static_cast<size_t>(static_cast<int>(id) - static_cast<int>(ActionId::LogNew));
  if (i >= enabled_.size()) return;
  enabled_[i] = enabled;
  const UINT flags = MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED);
  EnableMenuItem(GetMenu(hwnd_), CommandOf(id), flags);
  EnableMenuItem(popup_.Get(), CommandOf(id), flags);
  ui::Send(toolbar_, TB_ENABLEBUTTON, CommandOf(id), MAKELONG(enabled ? TRUE : FALSE, 0));
}

void MainWindow::UpdateActionStates() {
  ActionFacts facts;
  facts.Running = flags_.AnalysisRunning;
  facts.AnyHighlighted = ui::Send(list_, LVM_GETSELECTEDCOUNT, 0, 0) > 0;
  facts.ReadmeExists = readmeExists_;
  for (const Action& a : Actions()) SetActionEnabled(a.Id, IsActionEnabled(a, facts));
  DrawMenuBar(hwnd_);
  ProcessMessages();
}

void MainWindow::ProcessMessages() {
  MSG msg;
  while (ui::Peek(&msg)) {
    if (msg.message == WM_QUIT) {  // for the outer loop
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    ui::Dispatch(&msg);
  }
}

void MainWindow::SetStatusText(const std::string& text) {
  ui::SetStatusPart(status_, 1, Widen(text));
  ProcessMessages();
  UpdateWindow(status_);
}

void MainWindow::SetBusyCursor(bool busy) {
  SetPropA(log_->Handle(), "Kestrova.Busy", reinterpret_cast<HANDLE>(static_cast<INT_PTR>(busy ? 1 : 0)));
  POINT pt;
  GetCursorPos(&pt);
  if (WindowFromPoint(pt) == log_->Handle()) SetCursor(ui::StandardCursor(busy ? IDC_WAIT : IDC_IBEAM));
}

// --- commands ------------------------------------------------------------------------------

void MainWindow::RunCommand(ActionId id) {
  const Action* a = FindAction(id);
  // A disabled action does nothing, whichever way its command arrives.
  if (!a || !a->Execute || !ActionEnabled(id)) return;
  try {
    (this->*(a->Execute))();
  } catch (const std::exception& e) {
    dialogs_.ShowError(hwnd_, Widen(e.what()));
  }
}

void MainWindow::StartAnalysis() {
  if (flags_.AnalysisRunning) return;  // never a run inside a running one
  log_->Clear();
  WriteReportHeader();
  struct CloseWhenDone {
    MainWindow& W;
    ~CloseWhenDone() {
      if (W.closePending_) {
        W.closePending_ = false;
        ui::Post(W.hwnd_, WM_CLOSE, 0, 0);
      }
    }
  } closeWhenDone{*this};
  // Personal values hidden: the members whose values turn up in other categories are
  // read first, and every line goes through the filter.
  PrivateLog hidden(*log_, engine_.get());
  if (hidePersonal_ && engine_) {
    try {
      RefreshPersonalMembers(*engine_);
    } catch (const std::exception&) {
      // the run's own refresh meets it again and reports it
    }
  }
  RunAnalysis(engine_.get(), hidePersonal_ ? static_cast<IReportLog&>(hidden) : *log_, *this, flags_);
}

void MainWindow::ActAppHidePersonalExecute() {
  hidePersonal_ = !hidePersonal_;
  CheckMenuItem(GetMenu(hwnd_), CommandOf(ActionId::AppHidePersonal),
                MF_BYCOMMAND | (hidePersonal_ ? MF_CHECKED : MF_UNCHECKED));
  if (storeActive_) {
    IniProfile ini(iniFileName_);
    SaveHidePersonalData(ini, hidePersonal_);
  }
}

void MainWindow::ActStartExecute() { StartAnalysis(); }

void MainWindow::ActStopExecute() {
  flags_.StopRequested = true;
  SetActionEnabled(ActionId::Stop, false);
}

void MainWindow::ActCatSelectAllExecute() {
  auto rows = ReadRows();
  TickAll(rows);
  WriteTicks(rows);
}
void MainWindow::ActCatDeselectAllExecute() {
  auto rows = ReadRows();
  UntickAll(rows);
  WriteTicks(rows);
}
void MainWindow::ActCatInvertSelExecute() {
  auto rows = ReadRows();
  InvertTicks(rows);
  WriteTicks(rows);
}
void MainWindow::ActCatSelectSelectedExecute() {
  auto rows = ReadRows();
  TickHighlightedOnly(rows);
  WriteTicks(rows);
}

void MainWindow::ActAppHelpReadmeExecute() {
  ui::OpenDocument(hwnd_, readmePath_);  // any failure is ignored
}

void MainWindow::ActAppAboutExecute() {
  TFileVersionRecord record;
  if (platform_) ReadFileVersion(platform_->View(), Narrow(ModulePath()), record);
  ShowAboutBox(hwnd_, {Widen(record.FileVersion), Widen(record.LegalCopyright), Widen(record.Comments)});
}

void MainWindow::ActAppCloseExecute() { ui::Post(hwnd_, WM_CLOSE, 0, 0); }

void MainWindow::Timer1Timer() {
  KillTimer(hwnd_, kTimer1);
  CategoryRows rows = ReadRows();
  auto caption = AutoStartCaption(rows);
  // Nothing highlighted: nothing to announce, no run. A press during a run starts none.
  if (!caption || flags_.AnalysisRunning) return;
  TickHighlightedOnly(rows);
  WriteTicks(rows);
  WriteBlankLine(*log_);
  log_->AddLogLine(kLevelHeading, kAutoStartPrefix + *caption, kColourBlue);
  try {
    StartAnalysis();
  } catch (const std::exception& e) {
    dialogs_.ShowError(hwnd_, Widen(e.what()));
  }
}

void MainWindow::lstCategoriesDblClick() {
  int focused = static_cast<int>(ui::Send(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
  CategoryRows rows = ReadRows();
  if (focused < 0 || static_cast<size_t>(focused) >= rows.size()) return;
  FindInLogFor(rows[static_cast<size_t>(focused)].Caption);
}

void MainWindow::FindInLogFor(const std::string& caption) {
  FindInLogResult r = FindInLog(log_->Text(), Widen(caption));
  if (!r.Match && !r.Caret) return;
  SetFocus(log_->Handle());
  if (r.Match) log_->Select(*r.Match, Widen(caption).size());
  else log_->Select(*r.Caret, 0);
}

// --- closing -------------------------------------------------------------------------------

void MainWindow::OnClose() {
  if (flags_.AnalysisRunning) {
    // The engine must outlive the writer in progress: stop the run, close after it.
    closePending_ = true;
    ActStopExecute();
    return;
  }
  if (!FormCloseQuery()) return;
  FormClose();
  DestroyWindow(hwnd_);
}

bool MainWindow::FormCloseQuery() {
  if (!ConfirmSaveIfModified()) return false;
  if (storeActive_) {
    IniProfile ini(iniFileName_);
    SaveSplitterPosition(ini, splitterPos_);
    storeSaved_ = true;
  }
  return true;
}

void MainWindow::FormClose() {
  engine_.reset();
  engineContext_.reset();
  SaveWindowBounds();
}

void MainWindow::SaveWindowBounds() {
  if (!iniWritable_) return;
  // The normal position: a minimised window's own rectangle is the -32000 strip of the
  // task bar, a maximised one's the whole screen.
  WINDOWPLACEMENT wp = {};
  wp.length = sizeof wp;
  RECT r;
  if (GetWindowPlacement(hwnd_, &wp)) r = wp.rcNormalPosition;
  else GetWindowRect(hwnd_, &r);
  IniProfile ini(iniFileName_);
  SaveFormBounds(ini, kMainFormName, {r.left, r.top, r.right - r.left, r.bottom - r.top});
}

// Log-off or shut-down: the same question and settings as a close. The answer "Annuler"
// keeps the session (and the window) going.
bool MainWindow::OnQueryEndSession() { return FormCloseQuery(); }

void MainWindow::OnEndSession(bool ending) {
  if (!ending) return;  // another program kept the session going
  // The process ends after this message. A run in progress still uses the engine, so it
  // is only stopped then; otherwise the usual last step releases the engine first.
  if (flags_.AnalysisRunning) {
    ActStopExecute();
    SaveWindowBounds();
  } else {
    FormClose();
  }
}

// --- layout and the splitter ----------------------------------------------------------------

void MainWindow::Layout() {
  if (!status_) return;
  RECT rc;
  GetClientRect(hwnd_, &rc);
  const int statusH = std::min(kStatusHeight, static_cast<int>(rc.bottom));
  MoveWindow(status_, 0, rc.bottom - statusH, rc.right, statusH, TRUE);
  const int top = kToolBarHeight, height = std::max(0L, rc.bottom - top - statusH);
  MoveWindow(toolbar_, 0, 0, rc.right, kToolBarHeight, TRUE);
  const int split = std::min(splitterPos_, std::max(0, static_cast<int>(rc.right) - kSplitterWidth));
  MoveWindow(list_, 0, top, split, height, TRUE);
  ui::Send(list_, LVM_SETCOLUMNWIDTH, 0, std::max(0, split - GetSystemMetrics(SM_CXVSCROLL) - 4));
  MoveWindow(log_->Handle(), split + kSplitterWidth, top, std::max(0, static_cast<int>(rc.right) - split - kSplitterWidth),
             height, TRUE);
}

bool MainWindow::OverSplitter(int x, int y) const {
  RECT rc;
  GetClientRect(hwnd_, &rc);
  return x >= splitterPos_ && x < splitterPos_ + kSplitterWidth && y >= kToolBarHeight;
}

void MainWindow::SetSplitterPosition(int x) {
  RECT rc;
  GetClientRect(hwnd_, &rc);
  splitterPos_ = std::max(kMinPane, x);
  if (rc.right > 2 * kMinPane) splitterPos_ = std::min(splitterPos_, static_cast<int>(rc.right) - kMinPane);
  Layout();
}

// --- messages ------------------------------------------------------------------------------

LRESULT CALLBACK MainWindow::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    self->hwnd_ = hwnd;
    ui::SetLong(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<MainWindow*>(ui::GetLong(hwnd, GWLP_USERDATA));
  return self ? self->HandleMessage(msg, wp, lp) : ui::DefProc(hwnd, msg, wp, lp);
}

LRESULT MainWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      CreateControls();
      Layout();
      return 0;
    case WM_SIZE:
      Layout();
      return 0;
    case WM_COMMAND:
      if (lp == 0 || reinterpret_cast<HWND>(lp) == toolbar_) RunCommand(static_cast<ActionId>(LOWORD(wp)));
      return 0;
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lp));
    case WM_CONTEXTMENU:
      OnContextMenu(reinterpret_cast<HWND>(wp), static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
      return 0;
    case WM_TIMER:
      if (wp == kTimer1) Timer1Timer();
      return 0;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wp) == hwnd_ && LOWORD(lp) == HTCLIENT) {
        POINT pt;
        GetCursorPos(&pt);
        ScreenToClient(hwnd_, &pt);
        if (OverSplitter(pt.x, pt.y)) {
          SetCursor(ui::StandardCursor(IDC_SIZEWE));
          return TRUE;
        }
      }
      break;
    case WM_LBUTTONDOWN:
      if (OverSplitter(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)))) {
        draggingSplitter_ = true;
        SetCapture(hwnd_);
      }
      return 0;
    case WM_MOUSEMOVE:
      if (draggingSplitter_) SetSplitterPosition(static_cast<short>(LOWORD(lp)));
      return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      if (draggingSplitter_) {
        draggingSplitter_ = false;
        if (msg == WM_LBUTTONUP) ReleaseCapture();
      }
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_QUERYENDSESSION:
      return OnQueryEndSession() ? TRUE : FALSE;
    case WM_ENDSESSION:
      OnEndSession(wp != FALSE);
      return 0;
    case WM_DESTROY:
      KillTimer(hwnd_, kTimer1);
      if (storeActive_ && !storeSaved_) {  // destroyed without the close confirmation
        IniProfile ini(iniFileName_);
        SaveSplitterPosition(ini, splitterPos_);
        storeSaved_ = true;
      }
      for (HWND child : {list_, log_ ? log_->Handle() : nullptr}) {
        if (!child) continue;
        ui::SetLong(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GetPropA(child, kProcProp)));
        RemovePropA(child, kProcProp);
        RemovePropA(child, kOwnerProp);
        RemovePropA(child, "Kestrova.Busy");
      }
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      hwnd_ = nullptr;
      break;
  }
  return ui::DefProc(hwnd_, msg, wp, lp);
}

LRESULT MainWindow::OnNotify(NMHDR* hdr) {
  // Tool tips: the action's hint, its caption. Under an ANSI window the request comes
  // as TTN_GETDISPINFOA.
  if (ui::IsToolTipRequest(hdr)) {
    if (const Action* a = FindAction(static_cast<ActionId>(hdr->idFrom))) ui::AnswerToolTip(hdr, a->Caption);
    return 0;
  }
  if (hdr->hwndFrom == list_ && hdr->code == NM_DBLCLK) lstCategoriesDblClick();
  return 0;
}

void MainWindow::OnContextMenu(HWND from, int x, int y) {
  if (from != list_ && from != log_->Handle()) return;
  UpdateActionStates();
  if (x == -1 && y == -1) {  // from the keyboard: at the control's corner
    RECT r;
    GetWindowRect(from, &r);
    x = r.left + 8;
    y = r.top + 8;
  }
  TrackPopupMenu(popup_.Get(), TPM_RIGHTBUTTON, x, y, 0, hwnd_, nullptr);
}

// The list and the log, subclassed: the long-press timer, the tick toggled by any
// character key, and the hourglass over the log during a run.
LRESULT CALLBACK MainWindow::ListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = static_cast<MainWindow*>(GetPropA(hwnd, kOwnerProp));
  auto original = reinterpret_cast<WNDPROC>(GetPropA(hwnd, kProcProp));
  if (!self || !original) return ui::DefProc(hwnd, msg, wp, lp);
  if (hwnd == self->list_) {
    switch (msg) {
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN: {
        SetTimer(self->hwnd_, kTimer1, kTimer1Interval, nullptr);
        LRESULT r = ui::CallProc(original, hwnd, msg, wp, lp);
        // The list tracks the press itself and may swallow the release: if no button is
        // down any more, the press is over.
        if (!(GetKeyState(VK_LBUTTON) & 0x8000) && !(GetKeyState(VK_RBUTTON) & 0x8000) &&
            !(GetKeyState(VK_MBUTTON) & 0x8000) && !(GetAsyncKeyState(VK_LBUTTON) & 0x8000))
          KillTimer(self->hwnd_, kTimer1);
        return r;
      }
      case WM_LBUTTONUP:
      case WM_RBUTTONUP:
      case WM_MBUTTONUP:
        KillTimer(self->hwnd_, kTimer1);
        break;
      case WM_KEYDOWN:
        if (wp == VK_SPACE) return 0;  // the character toggles the tick, once
        break;
      case WM_CHAR: {
        int focused = static_cast<int>(ui::Send(hwnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
        if (focused >= 0) {
          CategoryRows rows = self->ReadRows();
          rows[static_cast<size_t>(focused)].Ticked = !rows[static_cast<size_t>(focused)].Ticked;
          self->WriteTicks(rows);
        }
        return 0;
      }
    }
  } else if (msg == WM_SETCURSOR && GetPropA(hwnd, "Kestrova.Busy")) {
    SetCursor(ui::StandardCursor(IDC_WAIT));
    return TRUE;
  }
  return ui::CallProc(original, hwnd, msg, wp, lp);
}

}  // namespace kestrova::app
