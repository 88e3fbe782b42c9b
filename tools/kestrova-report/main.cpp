// kestrova-report: the console companion. Runs the same analysis as the window's
// "Démarrer" over this machine (Windows) or a recorded one (--machine DIR, on any system)
// and writes the report as plain text (each log line as the log holds it) or as RTF, or
// refreshes every information object of the engine and writes its tagged document.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/core/context.h"
#include "engine/core/privacy.h"
#include "engine/core/system_info.h"
#include "engine/core/text.h"
#include "engine/platform/capture/capturing_platform.h"
#include "engine/platform/capture/private_capture.h"
#include "engine/platform/recorded/recorded_machine.h"
#include "sections/category_list.h"
#include "sections/console_report.h"
#include "sections/program_version.h"
#include "sections/report_compare.h"
#include "sections/report_rtf.h"
#ifdef _WIN32
#include <windows.h>

#include "engine/platform/win32/win32_platform.h"
#include "engine/platform/win32/win32_util.h"
#else
#include <chrono>
#endif

namespace {

const char* const kUsage =
    "usage: kestrova-report [--format text|rtf|xml] [--only CAPTION]... [--machine DIR] [--capture DIR]\n"
    "                       [--output FILE] [--private] [--times]\n"
    "       kestrova-report --compare OLD NEW [--all] [--format text|rtf] [--output FILE]\n"
    "  --format text|rtf|xml\n"
    "                     plain text, one log line per line (the default), RTF as the\n"
    "                     window saves it, or the engine's whole tagged document (every\n"
    "                     information object refreshed; --only does not apply)\n"
    "  --only CAPTION     tick only this category (repeatable; captions as in the window's\n"
    "                     list, e.g. \"Répertoires de c:\\\"); by default all are ticked\n"
    "  --machine DIR      replay a recorded machine instead of reading this one\n"
    "  --capture DIR      also write the machine the report read (this one, or the one of\n"
    "                     --machine) as a recorded machine into DIR, a new or empty folder;\n"
    "                     --machine DIR replays it anywhere (every category is run)\n"
    "  --output FILE      write the report to FILE instead of standard output\n"
    "  --times            print how long each section took to standard error\n"
    "  --private          personal values (serial numbers, product identifier, MAC and IP\n"
    "                     addresses, user and computer names...) become placeholders; in\n"
    "                     a capture they become stand-ins (ORDINATEUR-1, 192.0.2.1...)\n"
    "  --compare OLD NEW  compare two saved reports (text or RTF) or recorded machine\n"
    "                     folders, category by category; exit 0 same, 1 different,\n"
    "                     2 bad arguments or unreadable input\n"
    "  --all              also compare the lines that move with time (clock, free space...)\n"
    "  --help             show this text\n";

struct Options {
  std::string Format = "text";
  std::vector<std::string> Only;
  std::string Machine, Output, Capture;
  bool Help = false;
  bool Times = false;
  bool Private = false;
  bool All = false;
  std::vector<std::string> Compare;  // OLD and NEW
};

class UsageError : public std::runtime_error {
  using std::runtime_error::runtime_error;
};

// --- the console and the arguments ----------------------------------------------------
// Every text of this program is UTF-8. On Windows the arguments arrive in the ANSI code
// page (argv) and a console shows its own code page, so both are dealt with here.
#ifdef _WIN32

// The command line as UTF-8 arguments. The wide command line holds every character the
// user typed; where it cannot be had (Windows 9x has no CommandLineToArgvW worth the
// name), argv is taken from the ANSI code page.
std::vector<std::string> Arguments(int argc, char** argv) {
  std::vector<std::string> out;
  // Both bound by name: neither is imported, so the program starts wherever they lack.
  using CommandLineToArgvWFn = LPWSTR*(WINAPI*)(LPCWSTR, int*);
  using GetCommandLineWFn = LPWSTR(WINAPI*)();
  HMODULE shell = LoadLibraryA("shell32.dll");
  auto toArgv = kestrova::win32::ProcAs<CommandLineToArgvWFn>(shell, "CommandLineToArgvW");
  auto getLine = kestrova::win32::ProcAs<GetCommandLineWFn>(GetModuleHandleA("kernel32.dll"), "GetCommandLineW");
  const wchar_t* line = (GetVersion() & 0x80000000) || !getLine ? nullptr : getLine();
  int n = 0;
  LPWSTR* wide = (toArgv && line && *line) ? toArgv(line, &n) : nullptr;
  if (wide && n == argc) {
    for (int i = 0; i < n; ++i) out.push_back(kestrova::win32::NarrowUntilNul(wide[i], 32768));
  } else {
    for (int i = 0; i < argc; ++i) {
      int len = MultiByteToWideChar(CP_ACP, 0, argv[i], -1, nullptr, 0);
      std::wstring w(static_cast<size_t>(len > 0 ? len : 1), L'\0');
      if (len > 0) MultiByteToWideChar(CP_ACP, 0, argv[i], -1, &w[0], len);
      out.push_back(kestrova::win32::NarrowUntilNul(w.c_str(), w.size()));
    }
  }
  if (wide) LocalFree(wide);
  if (shell) FreeLibrary(shell);
  return out;
}

// A path given as UTF-8, for the C library's narrow file functions (the ANSI code page).
std::string AnsiPath(const std::string& utf8) {
  const std::wstring w = kestrova::win32::Widen(utf8);
  int len = WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (len <= 0) return utf8;
  std::string out(static_cast<size_t>(len), '\0');
  WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, &out[0], len, nullptr, nullptr);
  out.resize(static_cast<size_t>(len - 1));
  return out;
}

// Writes UTF-8 text to standard output or error: characters to a console (which shows
// its own code page), the bytes unchanged to a file or a pipe.
bool WriteStd(DWORD which, const std::string& text) {
  HANDLE h = GetStdHandle(which);
  if (h == INVALID_HANDLE_VALUE || h == nullptr) return false;
  DWORD mode = 0;
  if (GetConsoleMode(h, &mode)) {
    const std::wstring w = kestrova::win32::Widen(text);
    using WriteConsoleWFn = BOOL(WINAPI*)(HANDLE, const void*, DWORD, DWORD*, void*);
    auto writeConsole = kestrova::win32::ProcAs<WriteConsoleWFn>(GetModuleHandleA("kernel32.dll"), "WriteConsoleW");
    DWORD written = 0;
    bool ok = writeConsole != nullptr;
    for (size_t pos = 0; pos < w.size() && ok; pos += written) {  // in pieces a console takes
      const DWORD chunk = static_cast<DWORD>(std::min<size_t>(w.size() - pos, 8192));
      ok = writeConsole(h, w.data() + pos, chunk, &written, nullptr) && written > 0;
    }
    if (ok) return true;
    if (writeConsole && GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return false;
    // Windows 9x without wide console output: the console's code page then.
    const UINT cp = GetConsoleOutputCP();
    int len = WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(len > 0 ? len : 0), '\0');
    if (len > 0) WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), &bytes[0], len, nullptr, nullptr);
    DWORD done = 0;
    return WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) && done == bytes.size();
  }
  DWORD done = 0;
  for (size_t pos = 0; pos < text.size(); pos += done) {
    if (!WriteFile(h, text.data() + pos, static_cast<DWORD>(text.size() - pos), &done, nullptr) || done == 0)
      return false;
  }
  return true;
}

bool WriteOut(const std::string& text) { return WriteStd(STD_OUTPUT_HANDLE, text); }
void WriteErr(const std::string& text) { WriteStd(STD_ERROR_HANDLE, text); }

// _wfopen ends in CreateFileW, a stub on the 9x family: there the name in the ANSI code
// page goes to fopen.
FILE* OpenForWriting(const std::string& path) {
  if (GetVersion() & 0x80000000) return std::fopen(AnsiPath(path).c_str(), "wb");
  return _wfopen(kestrova::win32::Widen(path).c_str(), L"wb");
}
FILE* OpenForReading(const std::string& path) {
  if (GetVersion() & 0x80000000) return std::fopen(AnsiPath(path).c_str(), "rb");
  return _wfopen(kestrova::win32::Widen(path).c_str(), L"rb");
}

// Milliseconds of a monotonic clock (the performance counter is in every Win32 kernel;
// where the hardware has none, the tick count).
double NowMs() {
  LARGE_INTEGER frequency, counter;
  if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0 && QueryPerformanceCounter(&counter))
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
  return static_cast<double>(GetTickCount());
}

#else

std::vector<std::string> Arguments(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }
std::string AnsiPath(const std::string& path) { return path; }
bool WriteOut(const std::string& text) {
  return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0;
}
void WriteErr(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stderr); }
FILE* OpenForWriting(const std::string& path) { return std::fopen(path.c_str(), "wb"); }
double NowMs() {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}
FILE* OpenForReading(const std::string& path) { return std::fopen(path.c_str(), "rb"); }

#endif

Options ParseArguments(const std::vector<std::string>& args) {
  Options opt;
  const size_t argc = args.size();
  for (size_t i = 1; i < argc; ++i) {
    const std::string& a = args[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) throw UsageError("missing value after " + a);
      return args[++i];
    };
    if (a == "--help" || a == "-h") opt.Help = true;
    else if (a == "--format") opt.Format = value();
    else if (a == "--only") opt.Only.push_back(value());
    else if (a == "--machine") opt.Machine = value();
    else if (a == "--output") opt.Output = value();
    else if (a == "--times") opt.Times = true;
    else if (a == "--private") opt.Private = true;
    else if (a == "--all") opt.All = true;
    else if (a == "--compare") {
      opt.Compare.push_back(value());
      opt.Compare.push_back(value());
    }
    else if (a == "--capture") opt.Capture = value();
    else throw UsageError("unknown argument '" + a + "'");
  }
  if (!opt.Capture.empty() && !opt.Only.empty())
    throw UsageError("--capture runs every category: it cannot be combined with --only");
  if (opt.Format != "text" && opt.Format != "rtf" && opt.Format != "xml")
    throw UsageError("--format takes text, rtf or xml, not '" + opt.Format + "'");
  if (opt.Format == "xml" && (!opt.Only.empty() || !opt.Capture.empty() || !opt.Compare.empty()))
    throw UsageError("--format xml goes with neither --only, --capture nor --compare");
  if (!opt.Compare.empty() &&
      (!opt.Machine.empty() || !opt.Only.empty() || !opt.Capture.empty() || opt.Compare.size() != 2))
    throw UsageError("--compare takes two reports and goes with neither --machine, --only nor --capture");
  // The recorded files would still hold every personal value: refused rather than leaked.
  if (opt.All && opt.Compare.empty()) throw UsageError("--all goes with --compare");
  return opt;
}

kestrova::CategoryRows TickedRows(const std::vector<std::string>& only) {
  kestrova::CategoryRows rows = kestrova::MakeCategoryRows();
  if (only.empty()) return rows;
  kestrova::UntickAll(rows);
  for (const std::string& caption : only) {
    auto row = kestrova::FindCategoryRow(rows, caption);
    if (!row) throw UsageError("no category is named '" + caption + "'");
    rows[*row].Ticked = true;
  }
  return rows;
}

bool WriteAll(const std::string& path, const std::string& data) {
  if (path.empty()) return WriteOut(data);  // the same bytes as on any other system
  FILE* f = OpenForWriting(path);
  if (!f) return false;
  bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
  return std::fclose(f) == 0 && ok;
}

// The report lines of one side of a comparison: a recorded machine folder (one holding
// machine.ini) is replayed with every category ticked; anything else is read as a saved
// report. Throws UsageError for what cannot be read.
std::vector<std::string> ComparedLines(const std::string& path) {
  if (FILE* ini = OpenForReading(path + "/machine.ini")) {
    std::fclose(ini);
    std::unique_ptr<kestrova::PlatformHost> host;
    try {
      host = kestrova::LoadRecordedMachine(AnsiPath(path));
    } catch (const std::exception& e) {
      throw UsageError("cannot read the recorded machine " + path + ": " + e.what());
    }
    kestrova::Platform platform = host->View();
    kestrova::EngineContext ctx = kestrova::MakeEngineContext(platform);
    kestrova::TSystemInfo engine(ctx);
    std::string runError;
    auto lines = kestrova::BuildReport(&engine, platform, kestrova::MakeCategoryRows(), KESTROVA_FILE_VERSION_TEXT,
                                       nullptr, &runError);
    std::vector<std::string> out;
    for (const auto& l : lines) out.push_back(l.Text);
    return out;
  }
  FILE* f = OpenForReading(path);
  if (!f) throw UsageError("cannot open " + path);
  std::string bytes;
  char buffer[65536];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, got);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) throw UsageError("cannot read " + path);
  std::string why;
  auto lines = kestrova::ReportLinesFromFile(bytes, &why);
  if (!lines) throw UsageError(path + ": " + why);
  return *lines;
}

int RunComparison(const Options& opt) {
  std::vector<std::string> before, after;
  try {
    before = ComparedLines(opt.Compare[0]);
    after = ComparedLines(opt.Compare[1]);
  } catch (const std::exception& e) {
    WriteErr(std::string("kestrova-report: ") + e.what() + "\n");
    return 2;
  }
  const auto changes = kestrova::CompareReports(before, after, opt.All);
  const auto lines = kestrova::ComparisonLines(changes);
  std::string data = opt.Format == "rtf" ? kestrova::RenderRtf(lines) : kestrova::RenderText(lines);
  if (!WriteAll(opt.Output, data)) {
    WriteErr("kestrova-report: cannot write " + (opt.Output.empty() ? std::string("standard output") : opt.Output) + "\n");
    return 2;
  }
  return changes.empty() ? 0 : 1;
}

}  // namespace

// The --times lines: each section's time from its status text to the reset that ends it.
class SectionTimer {
 public:
  void Status(const std::string& text) {
    const double now = NowMs();
    if (!caption_.empty()) Line(now - started_, caption_);
    caption_ = text;
    started_ = now;
  }
  void Line(double ms, const std::string& what) { WriteErr(kestrova::Format("%9.1f ms  %s\n", ms, what.c_str())); }

 private:
  std::string caption_;
  double started_ = 0;
};

int main(int argc, char** argv) {
  const double startMs = NowMs();
  Options opt;
  kestrova::CategoryRows rows;
  try {
    opt = ParseArguments(Arguments(argc, argv));
    if (opt.Help) {
      WriteOut(kUsage);
      return 0;
    }
    rows = TickedRows(opt.Only);
    if (!opt.Compare.empty()) return RunComparison(opt);
  } catch (const UsageError& e) {
    WriteErr(std::string("kestrova-report: ") + e.what() + "\n" + kUsage);
    return 2;
  }
  try {
    std::unique_ptr<kestrova::PlatformHost> host;
    if (!opt.Machine.empty()) {
      try {
        host = kestrova::LoadRecordedMachine(AnsiPath(opt.Machine));
      } catch (const std::exception& e) {
        WriteErr("kestrova-report: cannot read the recorded machine " + opt.Machine + ": " + e.what() + "\n");
        return 3;
      }
    } else {
#ifdef _WIN32
      host = kestrova::MakeWin32Platform();
#else
      WriteErr("kestrova-report: this build reads recorded machines only: use --machine DIR\n");
      return 2;
#endif
    }
    const double platformMs = NowMs();
    kestrova::Platform platform = host->View();
    std::unique_ptr<kestrova::CapturingPlatform> capture;
    if (!opt.Capture.empty()) {
      if (!kestrova::IsNewOrEmptyFolder(AnsiPath(opt.Capture))) {
        WriteErr("kestrova-report: the capture folder " + opt.Capture + " is not empty; give a new or empty folder\n");
        return 2;
      }
      capture = std::make_unique<kestrova::CapturingPlatform>(platform);
      platform = capture->View();
    }
    kestrova::EngineContext ctx = kestrova::MakeEngineContext(platform);
    const double contextMs = NowMs();
    kestrova::TSystemInfo engine(ctx);
    if (opt.Format == "xml") {
      // A member that cannot be read keeps what it read: the document is written whole,
      // and the failures are told after it.
      const std::vector<std::string> errors = engine.RefreshAll();
      kestrova::ReportLines document;
      engine.WriteReport(document);
      if (opt.Private) {
        kestrova::PrivacyFilter personal;
        kestrova::CollectPersonalValues(engine, personal);
        personal.ApplyToDocument(document);
      }
      if (!WriteAll(opt.Output, kestrova::ReportDocumentText(document))) {
        WriteErr("kestrova-report: cannot write " + (opt.Output.empty() ? std::string("standard output") : opt.Output) + "\n");
        return 1;
      }
      for (const std::string& e : errors) WriteErr("kestrova-report: refresh failed: " + e + "\n");
      return errors.empty() ? 0 : 1;
    }
    SectionTimer timer;
    if (opt.Times) {
      timer.Line(platformMs - startMs, "(start-up: arguments and platform)");
      timer.Line(contextMs - platformMs, "(start-up: the system facts every class shares)");
      timer.Line(NowMs() - contextMs, "(start-up: the engine and its members)");
    }
    std::function<void(const std::string&)> onStatus;
    if (opt.Times) onStatus = [&timer](const std::string& text) { timer.Status(text); };
    // An error that ends the run keeps the lines written before it, as the window does.
    std::string runError;
    const double runMs = NowMs();
    auto lines = kestrova::BuildReport(&engine, platform, rows, KESTROVA_FILE_VERSION_TEXT, nullptr, &runError,
                                       opt.Private, onStatus);
    if (opt.Times) timer.Line(NowMs() - runMs, "(the whole run)");
    std::string data = opt.Format == "rtf" ? kestrova::RenderRtf(lines) : kestrova::RenderText(lines);
    if (!WriteAll(opt.Output, data)) {
      WriteErr("kestrova-report: cannot write " + (opt.Output.empty() ? std::string("standard output") : opt.Output) + "\n");
      return 1;
    }
    // A run that ended on an error is captured all the same: its replay ends on it too.
    if (capture) {
      kestrova::CaptureOutput out;
      capture->Write(out);
      if (opt.Private) {
        kestrova::PrivacyFilter personal;
        kestrova::CollectPersonalValues(engine, personal);
        kestrova::MakeCapturePrivate(out, personal);
      }
      try {
        out.WriteFolder(AnsiPath(opt.Capture));
      } catch (const std::exception& e) {
        WriteErr("kestrova-report: the capture is incomplete: " + std::string(e.what()) + "\n");
        return 1;
      }
    }
    if (!runError.empty()) {
      WriteErr("kestrova-report: the analysis ended on an error: " + runError + "\n");
      return 1;
    }
  } catch (const std::exception& e) {
    WriteErr(std::string("kestrova-report: ") + e.what() + "\n");
    return 1;
  }
  return 0;
}
