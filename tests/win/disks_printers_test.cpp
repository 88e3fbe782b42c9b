// The "Disques" and "Imprimantes" sections and their platform layer over the real Win32
// calls, under the winxp, win98 and nt40 personalities (tests/win/CMakeLists.txt runs
// DisksPrinters.* with each, plus DisksPrintersOn<Personality>.*). A printer of Wine's
// PostScript driver printing to FILE: is added to the prefix for the printer tests and
// removed after them. The winxp run prints how long each section takes.
#include <windows.h>
#include <winspool.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/core/context.h"
#include "engine/core/format.h"
#include "engine/core/system_info.h"
#include "engine/core/text.h"
#include "engine/inventory/disk.h"
#include "engine/inventory/printers.h"
#include "engine/os/shared_routines.h"
#include "engine/platform/win32/api_family.h"
#include "sections/disk_section.h"
#include "sections/printers_section.h"
#include "sections/report_log.h"
#include "tests/win/test_printer.h"
#include "tests/win/wine_env.h"

namespace kestrova::wintest {
namespace {

const char kPrinterName[] = "Kestrova Disques Imprimantes";

class TickAll : public IRunHost {
 public:
  bool IsCategoryTicked(const std::string&) const override { return true; }
  void SetStatusText(const std::string&) override {}
  void UpdateActionStates() override {}
  void SetBusyCursor(bool) override {}
};

struct SectionRun {
  std::vector<std::string> Lines;
  double Milliseconds = 0;
};

SectionRun RunOne(const SectionWriter& writer) {
  const EngineContext context = MakeEngineContext(Win32());
  TSystemInfo engine(context);
  MemoryLog log;
  TickAll host;
  RunFlags flags;
  SectionContext ctx{engine, log, host, flags};
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  RunSection(writer, ctx);
  QueryPerformanceCounter(&end);
  EXPECT_EQ(log.UpdateDepth(), 0);
  return {log.Texts(), 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart)};
}

UINT CurrentErrorMode() {
  const UINT mode = SetErrorMode(0);
  SetErrorMode(mode);
  return mode;
}

// --- drives --------------------------------------------------------------------------------

TEST(DisksPrinters, DriveCallsSeeTheSystemDriveC) {
  IDrives& drives = *Win32().Drives;
  const std::string buffer = drives.LogicalDriveStrings(255);
  ASSERT_GE(buffer.size(), 5u);
  EXPECT_EQ(buffer.substr(buffer.size() - 2), std::string(2, '\0'));  // the list's end mark
  const std::string letters = DriveLettersFromRootNames(buffer);
  EXPECT_NE(letters.find('C'), std::string::npos) << letters;
  EXPECT_EQ(drives.DriveKind("C:\\"), kDriveFixed);
  const auto clusters = drives.FreeClusters("C:\\");
  ASSERT_TRUE(clusters.has_value());
  EXPECT_GT(clusters->TotalClusters, 0u);
  const auto bytes = drives.FreeBytes("C:\\");
  ASSERT_TRUE(bytes.has_value());
  EXPECT_GT(bytes->TotalBytes, 0u);
  EXPECT_LE(bytes->FreeBytesAvailable, bytes->TotalBytes);
  const auto volume = drives.Volume("C:\\");
  ASSERT_TRUE(volume.has_value());
  EXPECT_FALSE(volume->FileSystem.empty());
  EXPECT_FALSE(drives.UniversalName("C:\\").empty());
}

TEST(DisksPrinters, ProbeOfAMissingDriveFailsQuietlyAndGivesTheModeBack) {
  IDrives& drives = *Win32().Drives;
  const std::string letters = DriveLettersFromRootNames(drives.LogicalDriveStrings(255));
  std::string missing;
  for (char l = 'Y'; l >= 'D' && missing.empty(); --l)
    if (letters.find(l) == std::string::npos) missing = std::string(1, l) + ":\\";
  ASSERT_FALSE(missing.empty()) << letters;
  const UINT before = SetErrorMode(SEM_NOGPFAULTERRORBOX);
  EXPECT_FALSE(ProbeDriveFreeSpace(drives, missing).has_value());
  EXPECT_EQ(drives.DriveKind(missing), kDriveNoRootDir);
  EXPECT_EQ(CurrentErrorMode(), static_cast<UINT>(SEM_NOGPFAULTERRORBOX));
  EXPECT_TRUE(ProbeDriveFreeSpace(drives, "C:\\").has_value());
  EXPECT_EQ(CurrentErrorMode(), static_cast<UINT>(SEM_NOGPFAULTERRORBOX));
  SetErrorMode(before);
}

// The C: line as the section must write it, from the system's own answers.
void ExpectDriveCLine(const std::vector<std::string>& lines) {
  ULARGE_INTEGER available{}, total{}, totalFree{};
  ASSERT_TRUE(GetDiskFreeSpaceExA("C:\\", &available, &total, &totalFree));
  char label[MAX_PATH + 1] = {}, fs[MAX_PATH + 1] = {};
  ASSERT_TRUE(GetVolumeInformationA("C:\\", label, sizeof label, nullptr, nullptr, nullptr, fs, sizeof fs));
  const std::string separator = Win32().System->Locale().DecimalSeparator;
  const std::string head = Format(" - C:\\ [Hard Disk] \"%s\" - %s (libre : ", label,
                                  FormatSize(static_cast<int64_t>(total.QuadPart), separator).c_str());
  const std::string tail = std::string(") - ") + fs;
  bool found = false;
  for (const std::string& line : lines) {
    if (line.rfind(" - C:\\", 0) != 0) continue;
    found = true;
    EXPECT_EQ(line.substr(0, head.size()), head);
    ASSERT_GT(line.size(), head.size() + tail.size());
    EXPECT_EQ(line.substr(line.size() - tail.size()), tail);
    // The free space, between the two: a size of the FormatSize kind.
    const std::string free = line.substr(head.size(), line.size() - head.size() - tail.size());
    EXPECT_NE(free.find(" GO"), std::string::npos) << free;
  }
  EXPECT_TRUE(found) << "no C: line";
}

void ExpectDiskLines(const SectionRun& run) {
  ASSERT_GE(run.Lines.size(), 3u);
  EXPECT_EQ(run.Lines[0], "");
  EXPECT_EQ(run.Lines[1], "Disques");
  const std::string letters = DriveLettersFromRootNames(Win32().Drives->LogicalDriveStrings(255));
  EXPECT_EQ(run.Lines.size(), 2 + letters.size());
  for (size_t i = 2; i < run.Lines.size() && i - 2 < letters.size(); ++i)
    EXPECT_EQ(run.Lines[i].rfind(std::string(" - ") + letters[i - 2] + ":\\ [", 0), 0u) << run.Lines[i];
  ExpectDriveCLine(run.Lines);
}

TEST(DisksPrintersOnWinXP, DisquesShowsDriveCWithItsSizesAndFileSystem) {
  KESTROVA_ONLY_WHEN("KESTROVA_WINVER", "winxp");
  const SectionRun run = RunOne(kDiskWriter);
  ExpectDiskLines(run);
  std::printf("[ timing   ] Disques: %.1f ms for %zu drives\n", run.Milliseconds, run.Lines.size() - 2);
  for (const std::string& l : run.Lines) std::printf("[ line     ] %s\n", l.c_str());
}

TEST(DisksPrintersOnWin98, DisquesWalksEveryDrive) {
  KESTROVA_ONLY_WHEN("KESTROVA_WINVER", "win98");
  EXPECT_TRUE(win32::UseAnsiApi());  // the 9x family: the ANSI calls are the ones tried here
  ExpectDiskLines(RunOne(kDiskWriter));
}

TEST(DisksPrintersOnNT40, DisquesWalksEveryDrive) {
  KESTROVA_ONLY_WHEN("KESTROVA_WINVER", "nt40");
  ExpectDiskLines(RunOne(kDiskWriter));
}

// --- printers --------------------------------------------------------------------------------

// The section's lines with the test printer, and what TPrinters read for it.
struct PrinterCheck {
  SectionRun Run;
  std::vector<std::string> Names, Ports;
  int DefaultIndex = -2;
};

PrinterCheck CheckPrinters() {
  PrinterCheck c;
  c.Run = RunOne(kPrintersWriter);
  const EngineContext context = MakeEngineContext(Win32());
  TPrinters printers(context);
  printers.Refresh();
  c.Names = printers.Names();
  c.Ports = printers.Ports();
  c.DefaultIndex = printers.DefaultIndex();
  EXPECT_EQ(c.Run.Lines.size(), 2 + c.Names.size());
  for (size_t i = 0; i < c.Names.size(); ++i)
    EXPECT_EQ(c.Run.Lines[2 + i], Format(" - Imprimante #%.2d : %s", static_cast<int>(i), c.Names[i].c_str()));
  return c;
}

int IndexOf(const std::vector<std::string>& names, const std::string& name) {
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] == name) return static_cast<int>(i);
  return -1;
}

TEST(DisksPrintersOnWinXP, ImprimantesShowsThePrinterAddedToThePrefix) {
  KESTROVA_ONLY_WHEN("KESTROVA_WINVER", "winxp");
  const SectionRun before = RunOne(kPrintersWriter);
  testing::WinePrinter printer(kPrinterName, "FILE:");
  ASSERT_TRUE(printer.Ok()) << printer.Why;
  const PrinterCheck c = CheckPrinters();
  const int i = IndexOf(c.Names, kPrinterName);
  ASSERT_GE(i, 0) << "the added printer is not listed";
  EXPECT_EQ(c.Run.Lines.size(), before.Lines.size() + 1);  // asked afresh: the new printer shows
  EXPECT_EQ(c.DefaultIndex, i);
  // NT: the port is what the printers key of the registry says (empty when it has none).
  EXPECT_EQ(c.Ports[static_cast<size_t>(i)],
            ReadRegistryString(Win32(), RootKey::LocalMachine, std::string(TPrinters::kPrintersKey) + kPrinterName, "Port"));
  std::printf("[ timing   ] Imprimantes: %.1f ms for %zu printers\n", c.Run.Milliseconds, c.Names.size());
  for (const std::string& l : c.Run.Lines) std::printf("[ line     ] %s\n", l.c_str());
}

TEST(DisksPrintersOnWin98, ImprimantesListsThePrinterOnItsPort) {
  KESTROVA_ONLY_WHEN("KESTROVA_WINVER", "win98");
  testing::WinePrinter printer(kPrinterName, "FILE:");
  ASSERT_TRUE(printer.Ok()) << printer.Why;
  const PrinterCheck c = CheckPrinters();
  const int i = IndexOf(c.Names, kPrinterName);
  ASSERT_GE(i, 0);
  EXPECT_EQ(c.Ports[static_cast<size_t>(i)], "FILE:");  // the spooler's own port on this family
  EXPECT_EQ(c.DefaultIndex, i);
}

TEST(DisksPrintersOnNT40, ImprimantesListsThePrinter) {
  KESTROVA_ONLY_WHEN("KESTROVA_WINVER", "nt40");
  testing::WinePrinter printer(kPrinterName, "FILE:");
  ASSERT_TRUE(printer.Ok()) << printer.Why;
  const PrinterCheck c = CheckPrinters();
  EXPECT_GE(IndexOf(c.Names, kPrinterName), 0);
}

}  // namespace
}  // namespace kestrova::wintest
