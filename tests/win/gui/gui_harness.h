#pragma once
// What the GUI tests share: the real main window with scripted file and printer choices
// (the save question stays the real dialog, answered by clicking its buttons), message
// pumping with a deadline, and readers of the log's lines and formats.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/main_window.h"
#include "app/user_dialogs.h"
#include "app/win_text.h"

namespace kestrova::guitest {

using app::ActionId;
using app::MainWindow;

class ScriptedDialogs : public app::Win32UserDialogs {
 public:
  std::optional<std::wstring> OpenFile, SaveFile;  // nullopt: the user cancels
  std::wstring PrinterName, PrintOutput;
  bool RealPrintDialog = false;  // the real print dialog instead of PrinterName/PrintOutput
  std::wstring SavePreset;  // what "Sauver sous..." offered
  int SaveDialogs = 0;
  std::vector<std::wstring> Errors;

  std::optional<std::wstring> ChooseOpenFile(HWND) override { return OpenFile; }
  std::optional<std::wstring> ChooseSaveFile(HWND, const std::wstring& preset) override {
    SavePreset = preset;
    ++SaveDialogs;
    return SaveFile;
  }
  std::optional<app::PrintTarget> ChoosePrinter(HWND owner) override {
    if (RealPrintDialog) return Win32UserDialogs::ChoosePrinter(owner);
    app::PrintTarget t;
    t.Dc.Reset(CreateDCW(L"WINSPOOL", PrinterName.c_str(), nullptr, nullptr));
    if (!t.Dc) return std::nullopt;
    t.OutputFile = PrintOutput;
    return t;
  }
  void ShowError(HWND, const std::wstring& text) override { Errors.push_back(text); }
};

// Dispatches messages until `done` holds or the deadline passes; waits for messages
// (never a fixed sleep) in slices of at most 20 ms.
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    MSG msg;
    while (app::ui::Peek(&msg)) {  // the program's own family, as its message loop
      if (msg.message == WM_QUIT) continue;  // a closed window's; the tests go on
      TranslateMessage(&msg);
      app::ui::Dispatch(&msg);
    }
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

inline std::string Utf8(const std::wstring& w) { return app::Narrow(w); }

// Deletes a folder and everything in it.
inline void RemoveTree(const std::wstring& dir) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = dir + L"\\" + name;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryW(dir.c_str());
}

// An empty scratch folder under the prefix's temp folder. Wine hands out the same process
// ids run after run, so what an earlier run left in a folder of the same name goes first.
inline std::wstring ScratchDir(const std::wstring& name) {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  std::wstring dir = std::wstring(tmp) + L"kestrova-gui-" + name + L"-" + std::to_wstring(GetCurrentProcessId());
  RemoveTree(dir);
  CreateDirectoryW(dir.c_str(), nullptr);
  return dir + L"\\";
}

struct GuiFixture : ::testing::Test {
  ScriptedDialogs dialogs;
  std::wstring dir;
  std::unique_ptr<MainWindow> window;
  bool withEngine = true;
  bool fullEngine = false;  // every information object over the real machine

  void Start(const std::wstring& name) {
    dir = ScratchDir(name);
    app::StartupOptions options;
    options.ProgramPath = dir + L"kestrova.exe";
    // An engine without information objects: the tests tick only the folder sections,
    // which read the shell and the file system.
    options.MakeEngine = [this](const EngineContext& ctx) -> std::unique_ptr<TSystemInfo> {
      if (!withEngine) return nullptr;
      if (fullEngine) return std::make_unique<TSystemInfo>(ctx);
      return std::make_unique<TSystemInfo>(ctx, TSystemInfo::Factories{});
    };
    window = std::make_unique<MainWindow>(dialogs, options);
    ASSERT_TRUE(window->Create());
  }

  void TearDown() override {
    if (window && IsWindow(window->Handle())) {
      window->Log().SetModified(false);  // no question on the way out
      PostMessageW(window->Handle(), WM_CLOSE, 0, 0);
      PumpUntil([&] { return !IsWindow(window->Handle()); }, 5000);
    }
  }

  void Command(ActionId id) { PostMessageW(window->Handle(), WM_COMMAND, static_cast<WPARAM>(id), 0); }

  std::vector<std::string> LogLines() {
    std::vector<std::string> out;
    std::wstring text = window->Log().Text();
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i)
      if (text[i] == L'\r') {
        out.push_back(Utf8(text.substr(start, i - start)));
        start = i + 1;
      }
    if (start < text.size()) out.push_back(Utf8(text.substr(start)));
    return out;
  }
  bool LogHas(const std::string& line) {
    auto l = LogLines();
    return std::find(l.begin(), l.end(), line) != l.end();
  }

  int RowOf(const std::string& caption) {
    int n = static_cast<int>(SendMessageW(window->CategoryList(), LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
      wchar_t buf[256] = {};
      LVITEMW item = {};
      item.pszText = buf;
      item.cchTextMax = 256;
      SendMessageW(window->CategoryList(), LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item));
      if (Utf8(buf) == caption) return i;
    }
    return -1;
  }
  bool Ticked(int row) {
    UINT s = static_cast<UINT>(SendMessageW(window->CategoryList(), LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
    return ((s & LVIS_STATEIMAGEMASK) >> 12) == 2;
  }
  void SetTick(int row, bool on) {
    LVITEMW item = {};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(on ? 2 : 1);
    SendMessageW(window->CategoryList(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
  }
  void TickOnly(const std::vector<std::string>& captions) {
    int n = static_cast<int>(SendMessageW(window->CategoryList(), LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) SetTick(i, false);
    for (const auto& c : captions) SetTick(RowOf(c), true);
  }
  bool RunAndWait(int timeoutMs = 20000) {
    Command(ActionId::Start);
    return PumpUntil([&] { return !window->AnalysisRunning() && LogHas("Fin Analyse"); }, timeoutMs);
  }
  std::string StatusText() {
    wchar_t buf[512] = {};
    SendMessageW(window->StatusBar(), SB_GETTEXTW, 1, reinterpret_cast<LPARAM>(buf));
    return Utf8(buf);
  }
};

// Calls `onText` with every text the status bar is given (a hook on the thread's sent
// messages), so a test can act at a precise point of the run.
class StatusWatch {
 public:
  StatusWatch(HWND statusBar, std::function<void(const std::string&)> onText) {
    Current() = this;
    bar_ = statusBar;
    onText_ = std::move(onText);
    hook_ = SetWindowsHookExW(WH_CALLWNDPROC, Hook, nullptr, GetCurrentThreadId());
  }
  ~StatusWatch() {
    UnhookWindowsHookEx(hook_);
    Current() = nullptr;
  }

 private:
  static StatusWatch*& Current() {
    static StatusWatch* current = nullptr;
    return current;
  }
  static LRESULT CALLBACK Hook(int code, WPARAM wp, LPARAM lp) {
    auto* cwp = reinterpret_cast<CWPSTRUCT*>(lp);
    StatusWatch* self = Current();
    // The ANSI form when the window code runs on the A functions (KESTROVA_FORCE_ANSI).
    if (code == HC_ACTION && self && cwp->hwnd == self->bar_ && LOWORD(cwp->wParam) == 1) {
      if (cwp->message == SB_SETTEXTW) self->onText_(Utf8(reinterpret_cast<const wchar_t*>(cwp->lParam)));
      if (cwp->message == SB_SETTEXTA) self->onText_(Utf8(app::FromAnsi(reinterpret_cast<const char*>(cwp->lParam))));
    }
    return CallNextHookEx(nullptr, code, wp, lp);
  }
  HWND bar_;
  std::function<void(const std::string&)> onText_;
  HHOOK hook_;
};

// The visible top-level windows of this process.
inline std::vector<HWND> OwnTopLevelWindows() {
  std::vector<HWND> out;
  EnumWindows(
      [](HWND h, LPARAM lp) -> BOOL {
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        if (pid == GetCurrentProcessId() && IsWindowVisible(h)) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&out));
  return out;
}

inline std::wstring ClassOf(HWND h) {
  wchar_t name[128] = {};
  GetClassNameW(h, name, 128);
  return name;
}

inline std::wstring TextOf(HWND h) {
  wchar_t text[1024] = {};
  GetWindowTextW(h, text, 1024);
  return text;
}

// Drives a modal box from another thread, since the modal loop holds the test's thread:
// waits for a visible top-level window of this process that `match` recognises, then
// calls `act` with it (on the driving thread: read its controls, press its buttons) and
// waits for the box to go away. If the box does not come, or does not go, before the
// deadline, every box still shown over the test's windows is cancelled, so the modal
// loop returns and the test fails instead of hanging.
class DialogDriver {
 public:
  DialogDriver(std::function<bool(HWND)> match, std::function<void(HWND)> act, int timeoutMs = 10000) {
    thread_ = std::thread([this, match = std::move(match), act = std::move(act), timeoutMs] {
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
      HWND box = nullptr;
      while (!box && std::chrono::steady_clock::now() < deadline) {
        for (HWND h : OwnTopLevelWindows())
          if (match(h)) box = h;
        if (!box) Sleep(10);  // polling another thread's windows, bounded by the deadline
      }
      if (box) {
        Found = true;
        act(box);
        while (IsWindow(box) && IsWindowVisible(box) && std::chrono::steady_clock::now() < deadline) Sleep(10);
        if (!IsWindow(box) || !IsWindowVisible(box)) {
          Closed = true;
          return;
        }
      }
      TimedOut = true;
      CancelEveryBox();
    });
  }
  ~DialogDriver() { Join(); }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }
  bool Finished() const { return Closed || TimedOut; }

  std::atomic<bool> Found{false}, Closed{false}, TimedOut{false};

 private:
  // Every owned top-level window (dialog boxes, message boxes) gets Cancel and a close.
  static void CancelEveryBox() {
    for (int round = 0; round < 3; ++round)
      for (HWND h : OwnTopLevelWindows()) {
        if (!GetWindow(h, GW_OWNER) && ClassOf(h) != L"#32770") continue;
        PostMessageW(h, WM_COMMAND, IDCANCEL, 0);
        PostMessageW(h, WM_CLOSE, 0, 0);
      }
  }
  std::thread thread_;
};

// Answers the real "Confirmation" box by clicking one of its buttons.
class ConfirmClicker {
 public:
  explicit ConfirmClicker(int button)
      : driver_([](HWND h) { return ClassOf(h) == L"#32770" && TextOf(h) == L"Confirmation"; },
                [this, button](HWND box) {
                  wchar_t text[256] = {};
                  GetDlgItemTextW(box, button, text, 256);
                  Caption = text;
                  wchar_t question[512] = {};
                  GetDlgItemTextW(box, 303 /* IDC_CONFIRM_TEXT */, question, 512);
                  Question = question;
                  PostMessageW(GetDlgItem(box, button), BM_CLICK, 0, 0);
                  Clicked = true;
                }) {}
  std::atomic<bool> Clicked{false};
  std::wstring Caption, Question;

 private:
  DialogDriver driver_;
};

}  // namespace kestrova::guitest
