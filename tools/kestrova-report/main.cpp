// kestrova-report: the console companion. Runs the same analysis as the window's
// "Démarrer" over this machine (Windows) or a recorded one (--machine DIR, on any system)
// and writes the report as plain text (each log line as the log holds it) or as RTF.
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/core/context.h"
#include "engine/core/system_info.h"
#include "engine/platform/recorded/recorded_machine.h"
#include "sections/category_list.h"
#include "sections/console_report.h"
#include "sections/program_version.h"
#include "sections/report_rtf.h"
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include "engine/platform/win32/win32_platform.h"
#endif

namespace {

const char* const kUsage =
    "usage: kestrova-report [--format text|rtf] [--only CAPTION]... [--machine DIR] [--output FILE]\n"
    "  --format text|rtf  plain text, one log line per line (the default), or RTF as the\n"
    "                     window saves it\n"
    "  --only CAPTION     tick only this category (repeatable; captions as in the window's\n"
    "                     list, e.g. \"Répertoires de c:\\\"); by default all are ticked\n"
    "  --machine DIR      replay a recorded machine instead of reading this one\n"
    "  --output FILE      write the report to FILE instead of standard output\n"
    "  --help             show this text\n";

struct Options {
  std::string Format = "text";
  std::vector<std::string> Only;
  std::string Machine, Output;
  bool Help = false;
};

class UsageError : public std::runtime_error {
  using std::runtime_error::runtime_error;
};

Options ParseArguments(int argc, char** argv) {
  Options opt;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) throw UsageError("missing value after " + a);
      return argv[++i];
    };
    if (a == "--help" || a == "-h") opt.Help = true;
    else if (a == "--format") opt.Format = value();
    else if (a == "--only") opt.Only.push_back(value());
    else if (a == "--machine") opt.Machine = value();
    else if (a == "--output") opt.Output = value();
    else throw UsageError("unknown argument '" + a + "'");
  }
  if (opt.Format != "text" && opt.Format != "rtf")
    throw UsageError("--format takes text or rtf, not '" + opt.Format + "'");
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
  if (path.empty()) {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);  // the same bytes as on any other system
#endif
    return std::fwrite(data.data(), 1, data.size(), stdout) == data.size() && std::fflush(stdout) == 0;
  }
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  Options opt;
  kestrova::CategoryRows rows;
  try {
    opt = ParseArguments(argc, argv);
    if (opt.Help) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    rows = TickedRows(opt.Only);
  } catch (const UsageError& e) {
    std::fprintf(stderr, "kestrova-report: %s\n%s", e.what(), kUsage);
    return 2;
  }
  try {
    std::unique_ptr<kestrova::PlatformHost> host;
    if (!opt.Machine.empty()) {
      try {
        host = kestrova::LoadRecordedMachine(opt.Machine);
      } catch (const std::exception& e) {
        std::fprintf(stderr, "kestrova-report: cannot read the recorded machine %s: %s\n", opt.Machine.c_str(), e.what());
        return 3;
      }
    } else {
#ifdef _WIN32
      host = kestrova::MakeWin32Platform();
#else
      std::fprintf(stderr, "kestrova-report: this build reads recorded machines only: use --machine DIR\n");
      return 2;
#endif
    }
    kestrova::Platform platform = host->View();
    kestrova::EngineContext ctx = kestrova::MakeEngineContext(platform);
    kestrova::TSystemInfo engine(ctx);
    auto lines = kestrova::BuildReport(&engine, platform, rows, KESTROVA_FILE_VERSION_TEXT);
    std::string data = opt.Format == "rtf" ? kestrova::RenderRtf(lines) : kestrova::RenderText(lines);
    if (!WriteAll(opt.Output, data)) {
      std::fprintf(stderr, "kestrova-report: cannot write %s\n", opt.Output.empty() ? "standard output" : opt.Output.c_str());
      return 1;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kestrova-report: %s\n", e.what());
    return 1;
  }
  return 0;
}
