// Watches for Kestrova's main window and tells when it shows its report header: for
// measuring start-up from outside the program (tests/win/gui/measure_startup.sh).
//
//   header_wait.exe   prints "ready", then waits (at most 60 s) for a new main window
//                     whose log holds the two header lines; prints
//                     "shown <ns> header <ns>" (Unix time in nanoseconds: when the
//                     window became visible, when the header was there) and closes it.
// Exit status: 0 when seen, 1 on time-out.
#include <windows.h>

#include <cstdio>
#include <string>

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

}  // namespace

int main() {
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
  std::fprintf(stderr, "header_wait: no Kestrova header within 60 s\n");
  return 1;
}
