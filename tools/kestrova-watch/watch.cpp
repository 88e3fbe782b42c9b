// Watches Kestrova's main window from outside the program and drives it by what it is
// (its window class, its log, its command identifiers), never by screen positions:
// for the run command without a display and for measuring start-up.
//
//   kestrova-watch header   prints "ready", then waits (at most 60 s) for a new main
//                           window whose log holds the two header lines; prints
//                           "shown <ns> header <ns>" (Unix time in nanoseconds: when the
//                           window became visible, when the header was there) and closes it.
//   kestrova-watch run [S [DESKTOP]]
//                           waits for the main window to be idle after start-up, sends it
//                           the "Démarrer" command, waits (at most S seconds, default 300)
//                           for the run to end, and prints the log's last line. The window
//                           stays open. DESKTOP names the desktop the window lives on (a
//                           Wine virtual desktop, "explorer /desktop=NAME"); windows of
//                           another desktop cannot be found from this one.
// Exit status: 0 when seen (for "run": the log ends with "Fin Analyse"), 1 otherwise.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/actions.h"

namespace {

long long UnixNanoseconds() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  const long long ticks = (static_cast<long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return (ticks - 116444736000000000LL) * 100;  // 100 ns units since 1601
}

HWND FindLog(HWND main) {
  HWND child = FindWindowExW(main, nullptr, L"RichEdit20W", nullptr);
  return child ? child : FindWindowExW(main, nullptr, L"RichEdit20A", nullptr);
}

// The log's text, asked with a time-out: the window answers only when it pumps messages.
std::wstring LogText(HWND log) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(log, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 100, &length)) return {};
  std::wstring text(length + 1, L'\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(log, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), SMTO_ABORTIFHUNG, 100,
                           &got))
    return {};
  text.resize(got);
  return text;
}

// The title line, then the date line (" - ...").
bool HasHeader(const std::wstring& text) {
  const size_t title = text.find(L"Kestrova - R\u00e9cup\u00e9rateur infos syst\u00e8me");
  if (title == std::wstring::npos) return false;
  const size_t end = text.find_first_of(L"\r\n", title);
  return end != std::wstring::npos && text.find(L" - ", end) != std::wstring::npos;
}

std::wstring LastLine(const std::wstring& text) {
  size_t end = text.find_last_not_of(L"\r\n");
  if (end == std::wstring::npos) return {};
  const size_t start = text.find_last_of(L"\r\n", end);
  return text.substr(start == std::wstring::npos ? 0 : start + 1, end + 1 - (start == std::wstring::npos ? 0 : start + 1));
}

// "Démarrer" on the tool bar: enabled exactly when no run is going on (nor start-up).
bool StartEnabled(HWND main) {
  HWND bar = FindWindowExW(main, nullptr, TOOLBARCLASSNAMEW, nullptr);
  DWORD_PTR enabled = 0;
  return bar && SendMessageTimeoutW(bar, TB_ISBUTTONENABLED, kestrova::app::CommandOf(kestrova::app::ActionId::Start),
                                    0, SMTO_ABORTIFHUNG, 100, &enabled) &&
         enabled != 0;
}

void PrintUtf8(const wchar_t* prefix, const std::wstring& text) {
  const std::wstring line = std::wstring(prefix) + text;
  const int n = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), &out[0], n, nullptr, nullptr);
  std::printf("%s\n", out.c_str());
  std::fflush(stdout);
}

int WatchHeader() {
  // A window left by an earlier run is not the one being timed.
  HWND old = FindWindowW(L"TfmMain", nullptr);
  std::printf("ready\n");
  std::fflush(stdout);
  const DWORD start = GetTickCount();
  long long shown = 0;
  while (GetTickCount() - start < 60000) {
    HWND main = FindWindowW(L"TfmMain", nullptr);
    if (main && main != old && IsWindowVisible(main)) {
      if (!shown) shown = UnixNanoseconds();
      HWND log = FindLog(main);
      if (log && HasHeader(LogText(log))) {
        const long long header = UnixNanoseconds();
        std::printf("shown %lld header %lld\n", shown, header);
        std::fflush(stdout);
        PostMessageW(main, WM_CLOSE, 0, 0);
        return 0;
      }
    }
    Sleep(2);  // a measuring tool: the finest poll that leaves the processor to Kestrova
  }
  std::fprintf(stderr, "kestrova-watch: no Kestrova header within 60 s\n");
  return 1;
}

int DriveRun(DWORD seconds) {
  const DWORD start = GetTickCount(), limit = seconds * 1000;
  auto waitFor = [&](auto done) {
    while (GetTickCount() - start < limit) {
      if (done()) return true;
      Sleep(50);
    }
    return false;
  };
  HWND main = nullptr, log = nullptr;
  // Idle after start-up: the header is written and "Démarrer" enabled.
  if (!waitFor([&] {
        main = FindWindowW(L"TfmMain", nullptr);
        log = main ? FindLog(main) : nullptr;
        return log && IsWindowVisible(main) && HasHeader(LogText(log)) && StartEnabled(main);
      })) {
    std::fprintf(stderr, "kestrova-watch: no idle Kestrova window within %lu s\n", static_cast<unsigned long>(seconds));
    return 1;
  }
  // The command as the menu sends it; posted, since the whole run happens inside it.
  PostMessageW(main, WM_COMMAND, MAKEWPARAM(kestrova::app::CommandOf(kestrova::app::ActionId::Start), 0), 0);
  // The run has started once "Démarrer" is disabled, and ended once it is enabled again.
  bool started = waitFor([&] { return !StartEnabled(main) || !IsWindow(main); });
  bool ended = started && waitFor([&] { return !IsWindow(main) || StartEnabled(main); });
  const std::wstring last = IsWindow(main) ? LastLine(LogText(log)) : std::wstring();
  PrintUtf8(L"last line: ", last);
  if (!started || !ended) {
    std::fprintf(stderr, "kestrova-watch: the run did not %s within %lu s\n", started ? "end" : "start",
                 static_cast<unsigned long>(seconds));
    return 1;
  }
  if (last.find(L"Fin Analyse") == std::wstring::npos) {
    std::fprintf(stderr, "kestrova-watch: the report does not end with \"Fin Analyse\"\n");
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "header") return WatchHeader();
  if (mode == "run") {
    if (argc > 3) {
      // Before this thread has any window: only then may it change desktops.
      // The desktop exists once Wine's explorer has started: wait for it (bounded).
      HDESK desk = nullptr;
      for (int tries = 0; !desk && tries < 600; ++tries) {
        desk = OpenDesktopA(argv[3], 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_ENUMERATE | DESKTOP_WRITEOBJECTS);
        if (!desk) Sleep(100);
      }
      if (!desk || !SetThreadDesktop(desk)) {
        std::fprintf(stderr, "kestrova-watch: cannot join the desktop %s\n", argv[3]);
        return 1;
      }
    }
    return DriveRun(argc > 2 ? static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)) : 300);
  }
  std::fprintf(stderr, "usage: kestrova-watch header | run [SECONDS [DESKTOP]]\n");
  return 2;
}
