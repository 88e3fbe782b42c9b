// kestrova-report: the console companion. Reads this machine (Windows) or a recorded one
// (--machine DIR, on any system) and prints what the engine sees.
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/core/context.h"
#include "engine/core/format.h"
#include "engine/core/system_info.h"
#include "engine/core/text.h"
#include "engine/os/osinfo.h"
#include "engine/os/shared_routines.h"
#include "engine/platform/recorded/recorded_machine.h"
#ifdef _WIN32
#include <windows.h>

#include "engine/platform/win32/win32_platform.h"
#endif

namespace {

const char* const kUsage =
    "usage: kestrova-report [--machine DIR] [--output FILE]\n"
    "  --machine DIR   replay a recorded machine instead of reading this one\n"
    "  --output FILE   write the report to FILE instead of standard output\n"
    "  --help          show this text\n";

struct Options {
  std::string Machine, Output;
};

std::string ProgramPath(const char* argv0) {
#ifdef _WIN32
  wchar_t buf[MAX_PATH * 4];
  DWORD n = GetModuleFileNameW(nullptr, buf, sizeof buf / sizeof buf[0]);
  if (n > 0 && n < sizeof buf / sizeof buf[0]) {
    int len = WideCharToMultiByte(CP_UTF8, 0, buf, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(len), '\0');
    WideCharToMultiByte(CP_UTF8, 0, buf, static_cast<int>(n), &out[0], len, nullptr, nullptr);
    return out;
  }
#endif
  return argv0;
}

std::vector<std::string> Report(const kestrova::EngineContext& ctx, const std::string& exePath) {
  using namespace kestrova;
  const Platform& p = ctx.Sys;
  const TOSInfo& os = ctx.OSInfo;
  std::vector<std::string> out;
  out.push_back("Kestrova - Récupérateur infos système - Version " + ExeVersionText(p, exePath));
  out.push_back(" - " + FormatReportDate(p.System->Now(), p.System->Locale()));
  out.push_back("");
  out.push_back(std::string("OSKind = ") + OSKindName(os.OSKind));
  out.push_back("OSServicePack = " + os.OSServicePack);
  out.push_back(Format("OSVersion = %u.%u.%u", os.OSMajorVersion, os.OSMinorVersion, os.OSBuildNumber));
  out.push_back("OSName = " + os.OSName);
  out.push_back("MachineName = " + os.MachineName);
  out.push_back(std::string("IsNT = ") + (os.IsNT ? "1" : "0") + ", IsNT4 = " + (os.IsNT4 ? "1" : "0") +
                ", IsNT5Family = " + (os.IsNT5Family ? "1" : "0") + ", IsWin95OSR2 = " +
                (os.IsWin95OSR2 ? "1" : "0") + ", IsWin98SE = " + (os.IsWin98SE ? "1" : "0"));
  out.push_back("DeviceClassKey = " + os.DeviceClassKey);
  TWindowsEdition edition = DetectWindowsEdition(p);
  out.push_back(std::string("WindowsEdition = ") + EditionKindName(edition) + " (" +
                WindowsEditionName(edition, p.System->Version().MinorVersion) + ")");
  out.push_back("WinSysDirsPath = " + WinSysDirsPath(p));
  out.push_back("DefaultBrowser = " + GetDefaultBrowser(p));
  out.push_back("DefaultMailClient = " + GetDefaultMailClient(p));
  static const char* const kConnections[] = {"None", "LAN", "Dialup"};
  out.push_back(std::string("ConnectionType = ") + kConnections[static_cast<int>(GetConnectionType(p))]);
  out.push_back("ProxyServer = " + GetProxyServerText(p));
  out.push_back("PersonalFolder = " + GetSpecialFolderPath(p, 5));
  out.push_back("FormatSize(1536) = " + FormatSize(1536, p.System->Locale().DecimalSeparator));
  out.push_back("Uptime = " + FormatDuration(p.System->TickCount() / 1000, false));
  out.push_back("");
  TSystemInfo engine(ctx);
  ReportLines lines;
  engine.WriteReport(lines);
  out.insert(out.end(), lines.begin(), lines.end());
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  Options opt;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if ((a == "--machine" || a == "--output") && i + 1 < argc) {
      (a == "--machine" ? opt.Machine : opt.Output) = argv[++i];
    } else {
      std::fprintf(stderr, "kestrova-report: unknown or incomplete argument '%s'\n%s", a.c_str(), kUsage);
      return 2;
    }
  }
  try {
    std::unique_ptr<kestrova::PlatformHost> host;
    if (!opt.Machine.empty()) {
      host = kestrova::LoadRecordedMachine(opt.Machine);
    } else {
#ifdef _WIN32
      host = kestrova::MakeWin32Platform();
#else
      std::fprintf(stderr, "kestrova-report: this build reads recorded machines only: use --machine DIR\n");
      return 2;
#endif
    }
    kestrova::EngineContext ctx = kestrova::MakeEngineContext(host->View());
    std::vector<std::string> lines = Report(ctx, ProgramPath(argv[0]));
    FILE* f = opt.Output.empty() ? stdout : std::fopen(opt.Output.c_str(), "wb");
    if (!f) {
      std::fprintf(stderr, "kestrova-report: cannot write %s\n", opt.Output.c_str());
      return 1;
    }
    for (const auto& l : lines) std::fprintf(f, "%s\n", l.c_str());
    if (f != stdout && std::fclose(f) != 0) {
      std::fprintf(stderr, "kestrova-report: cannot write %s\n", opt.Output.c_str());
      return 1;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kestrova-report: %s\n", e.what());
    return 1;
  }
  return 0;
}
