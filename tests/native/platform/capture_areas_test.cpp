// Capture of the inventory areas: each recorded machine's area is wrapped in its capturing
// twin, the whole report is run over it, the captured sections replace the area's own in
// a copy of the machine's folder, and the copy must report the same, line for line (the
// text and the tagged document). The
// area's sections must matter: without them the report differs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

#include "engine/core/context.h"
#include "engine/core/system_info.h"
#include "engine/core/text.h"
#include "engine/platform/capture/capture_drives.h"
#include "engine/platform/capture/capture_network.h"
#include "engine/platform/capture/capture_output.h"
#include "engine/platform/capture/capture_processes.h"
#include "engine/platform/capture/capture_profile_files.h"
#include "engine/platform/capture/capture_runtimes.h"
#include "engine/platform/capture/capture_services.h"
#include "engine/platform/capture/capture_shell_links.h"
#include "engine/platform/capture/capture_spooler.h"
#include "engine/platform/capture/capture_usb.h"
#include "engine/platform/recorded/recorded_machine.h"
#include "sections/category_list.h"
#include "sections/console_report.h"

namespace kestrova {
namespace {

namespace fs = std::filesystem;

std::string Fixture(const std::string& machine) { return std::string(KESTROVA_FIXTURES) + "/machines/" + machine; }

std::string ReadAll(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

void WriteAll(const fs::path& p, const std::string& bytes) {
  fs::create_directories(p.parent_path());
  std::ofstream f(p, std::ios::binary | std::ios::trunc);
  f << bytes;
}

// The report of every category over a platform view, as text lines, followed by the
// tagged document of the refreshed members (it holds what the text leaves out, such as
// the targets of the start-up shortcuts).
std::vector<std::string> Report(const Platform& view) {
  EngineContext context = MakeEngineContext(view);
  TSystemInfo engine(context);
  CategoryRows rows = MakeCategoryRows();
  TickAll(rows);
  std::vector<std::string> lines;
  for (const LogLine& l : BuildReport(&engine, view, rows, "1.0.0.0")) lines.push_back(l.Text);
  ReportLines document;
  engine.WriteReport(document);
  lines.insert(lines.end(), document.begin(), document.end());
  return lines;
}

// Where two reports part, as a short text; empty when they are the same.
std::string Difference(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i)
    if (a[i] != b[i]) return "line " + std::to_string(i) + ": '" + a[i] + "' / '" + b[i] + "'";
  if (a.size() != b.size()) return "lengths " + std::to_string(a.size()) + " / " + std::to_string(b.size());
  return {};
}

// machine.ini without the sections whose lower-case names are or start with `owned`.
std::string DropSections(const std::string& ini, const std::vector<std::string>& owned) {
  std::string out;
  bool dropping = false;
  std::istringstream in(ini);
  std::string line;
  while (std::getline(in, line)) {
    const std::string t = Trim(line);
    if (!t.empty() && t[0] == '[') {
      const std::string name = ToLowerAscii(Trim(t.substr(1, t.find(']') == std::string::npos ? 0 : t.find(']') - 1)));
      dropping = false;
      for (const std::string& o : owned)
        if (o.back() == ':' ? StartsWith(name, o) : name == o) dropping = true;
    }
    if (!dropping) out += line + "\n";
  }
  return out;
}

// A copy of the machine folder with the area's sections (and the files the capture
// wrote) taken out, and, when `capture` is given, the captured ones put in.
std::string Rebuild(const std::string& machine, const std::string& tag, const std::vector<std::string>& owned,
                    const CaptureOutput& written, bool putCaptured) {
  const fs::path dir = fs::temp_directory_path() / ("kestrova-capture-" + machine + "-" + tag);
  fs::remove_all(dir);
  fs::copy(Fixture(machine), dir, fs::copy_options::recursive);
  std::string ini = DropSections(ReadAll(dir / "machine.ini"), owned);
  // The folder's own copy of a written file may differ in letter case.
  for (const auto& f : written.Files()) {
    const fs::path p = dir / f.first;
    if (!fs::is_directory(p.parent_path())) continue;
    for (const auto& e : fs::directory_iterator(p.parent_path()))
      if (EqualsNoCase(e.path().filename().string(), p.filename().string())) fs::remove(e.path());
  }
  if (putCaptured) {
    ini += "; captured\n" + written.MachineIni();
    for (const auto& f : written.Files()) WriteAll(dir / f.first, f.second);
  }
  WriteAll(dir / "machine.ini", ini);
  return dir.string();
}

struct Area {
  const char* Name;
  std::vector<std::string> Owned;  // machine.ini sections of the area
  // Wraps the area's interface of the view in its capturing twin; returns the writer.
  std::function<std::function<void(CaptureOutput&)>(Platform&, std::vector<std::shared_ptr<void>>&)> Wrap;
};

template <typename Capturing, typename Interface>
std::function<void(CaptureOutput&)> Replace(Interface*& slot, std::vector<std::shared_ptr<void>>& keep) {
  auto c = std::make_shared<Capturing>(*slot);
  keep.push_back(c);
  slot = c.get();
  return [c](CaptureOutput& out) { c->Write(out); };
}

const std::vector<Area>& Areas() {
  static const std::vector<Area> kAreas = {
      {"drives", {"drives", "drive:"},
       [](Platform& p, auto& keep) { return Replace<CapturingDrives>(p.Drives, keep); }},
      {"spooler", {"spooler", "printer:"},
       [](Platform& p, auto& keep) { return Replace<CapturingSpooler>(p.Spooler, keep); }},
      {"shortcuts", {"shortcut:"},
       [](Platform& p, auto& keep) { return Replace<CapturingShellLinks>(p.ShellLinks, keep); }},
      {"profiles", {},
       [](Platform& p, auto& keep) { return Replace<CapturingProfileFiles>(p.Profiles, keep); }},
      {"services", {"services", "service:"},
       [](Platform& p, auto& keep) { return Replace<CapturingServices>(p.Services, keep); }},
      {"automation", {"automation"},
       [](Platform& p, auto& keep) { return Replace<CapturingAutomation>(p.Automation, keep); }},
      {"aspi", {"aspi", "scsi:"},
       [](Platform& p, auto& keep) { return Replace<CapturingAspi>(p.Aspi, keep); }},
      {"network", {"winsock", "netbios", "ipparams", "adapter:"},
       [](Platform& p, auto& keep) { return Replace<CapturingNetwork>(p.Network, keep); }},
      {"processes", {"processes", "process:", "accounts", "drivers", "handles", "windows"},
       [](Platform& p, auto& keep) { return Replace<CapturingProcesses>(p.Processes, keep); }},
      {"usb", {"usbcontroller:", "usbhub:", "usbport:", "errormessages"},
       [](Platform& p, auto& keep) { return Replace<CapturingUsb>(p.Usb, keep); }},
  };
  return kAreas;
}

const char* const kMachines[] = {"win98se-p3", "xp-sp2-p4ht", "nt40-sp6a-p2"};

TEST(CaptureAreas, EveryAreaOfEveryMachineReportsTheSameFromItsCapture) {
  for (const char* machine : kMachines) {
    auto original = LoadRecordedMachine(Fixture(machine));
    const std::vector<std::string> expected = Report(original->View());
    for (const Area& area : Areas()) {
      SCOPED_TRACE(std::string(machine) + " / " + area.Name);
      auto live = LoadRecordedMachine(Fixture(machine));
      Platform view = live->View();
      std::vector<std::shared_ptr<void>> keep;
      auto write = area.Wrap(view, keep);
      // The capturing twin answers as the machine does.
      EXPECT_EQ(Difference(Report(view), expected), "");
      CaptureOutput out;
      write(out);
      EXPECT_EQ(out.Notes(), std::vector<std::string>{});

      auto replayed = LoadRecordedMachine(Rebuild(machine, area.Name, area.Owned, out, true));
      EXPECT_EQ(Difference(Report(replayed->View()), expected), "");

      // Without the area's data the report is another one (for the areas a machine has).
      auto bare = LoadRecordedMachine(Rebuild(machine, std::string(area.Name) + "-bare", area.Owned, out, false));
      const std::string ini = ReadAll(fs::path(Fixture(machine)) / "machine.ini");
      if (DropSections(ini, area.Owned) != ini || !out.Files().empty()) {
        EXPECT_NE(Difference(Report(bare->View()), expected), "");
      }
    }
  }
}

}  // namespace
}  // namespace kestrova
