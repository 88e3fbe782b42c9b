// Printing the report through Wine's PostScript driver: to the file the print dialog
// names for the job, and through the real print dialog to the default printer, whose
// port is a file.
#include "tests/win/gui/gui_harness.h"

#include <winspool.h>

#include <fstream>

#include "sections/categories.h"

namespace kestrova::guitest {
namespace {

const char kPrinterName[] = "Kestrova Fichier";
const char kDriverName[] = "Wine PostScript Driver";

std::string ReadBytes(const std::wstring& path) {
  std::ifstream in(Utf8(path).c_str(), std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A whole PostScript job: the driver writes the trailer last.
bool CompleteJob(const std::wstring& path) {
  const std::string ps = ReadBytes(path);
  return ps.rfind("%!PS", 0) == 0 && ps.find("%%EOF") != std::string::npos;
}

// The text a PostScript job draws. Wine's driver shows every character as a named glyph
// ("/K glyphshow", "/one glyphshow"); letters, digits and a few accented letters come
// back as themselves, everything else (blanks and punctuation included) is dropped.
std::string DrawnLetters(const std::string& ps) {
  static const std::pair<const char*, const char*> kNamed[] = {
      {"eacute", "é"}, {"egrave", "è"}, {"agrave", "à"}, {"ccedilla", "ç"}, {"zero", "0"}, {"one", "1"},
      {"two", "2"},    {"three", "3"},  {"four", "4"},   {"five", "5"},     {"six", "6"},   {"seven", "7"},
      {"eight", "8"},  {"nine", "9"}};
  std::string out;
  size_t pos = 0;
  while ((pos = ps.find(" glyphshow", pos)) != std::string::npos) {
    size_t slash = ps.rfind('/', pos);
    size_t lineStart = ps.rfind('\n', pos);
    if (slash != std::string::npos && (lineStart == std::string::npos || slash > lineStart)) {
      std::string name = ps.substr(slash + 1, pos - slash - 1);
      if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0]))) out += name;
      for (const auto& [glyph, text] : kNamed)
        if (name == glyph) out += text;
    }
    pos += 10;
  }
  return out;
}

std::string WithoutBlanks(std::string s) {
  s.erase(std::remove_if(s.begin(), s.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)) && !(c & 0x80); }),
          s.end());
  return s;
}

// Wine's spooler keeps a generic PostScript printer description as a resource of its own
// winspool.drv (type "PPDFILE", number 1), which it writes out for printers that come
// without one; the prefix holds no .ppd file. The driver reads its data file from the
// printer-driver folder, so the description is put there as generic.ppd.
std::string WriteGenericPpd(const std::string& driverDir) {
  const std::string path = driverDir + "\\generic.ppd";
  if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return {};
  HMODULE spooler = LoadLibraryExW(L"winspool.drv", nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!spooler) return "winspool.drv cannot be loaded: error " + std::to_string(GetLastError());
  std::string why;
  HRSRC res = FindResourceW(spooler, MAKEINTRESOURCEW(1), L"PPDFILE");
  const void* data = res ? LockResource(LoadResource(spooler, res)) : nullptr;
  const DWORD size = res ? SizeofResource(spooler, res) : 0;
  if (!data || size == 0) {
    why = "winspool.drv holds no PPDFILE resource";
  } else {
    win32::UniqueFileHandle f(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    if (!f || !WriteFile(f.Get(), data, size, &written, nullptr) || written != size)
      why = "cannot write " + path + ": error " + std::to_string(GetLastError());
  }
  FreeLibrary(spooler);
  return why;
}

void RemovePrinter(const char* name) {
  PRINTER_DEFAULTSA access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
  HANDLE h = nullptr;
  if (!OpenPrinterA(const_cast<char*>(name), &h, &access)) return;
  DeletePrinter(h);
  ClosePrinter(h);
}

// A printer of Wine's PostScript driver whose port is a file, the default printer while
// it exists: what is printed to it without an output file of its own lands in that file.
// Installed for one test and removed after it, so the prefix stays as it was.
class FilePrinter {
 public:
  explicit FilePrinter(const std::wstring& portFile) {
    char driverDir[MAX_PATH] = {};
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(driverDir), sizeof driverDir,
                                    &needed)) {
      Why = "GetPrinterDriverDirectoryA: error " + std::to_string(GetLastError());
      return;
    }
    Why = WriteGenericPpd(driverDir);
    if (!Why.empty()) return;

    std::string driverName = kDriverName, driverFile = "wineps.drv", dataFile = "generic.ppd";
    DRIVER_INFO_3A driver = {};
    driver.cVersion = 3;
    driver.pName = &driverName[0];
    driver.pEnvironment = nullptr;  // this program's own ("Windows x64" here)
    driver.pDriverPath = &driverFile[0];
    driver.pDataFile = &dataFile[0];
    driver.pConfigFile = &driverFile[0];
    if (!AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&driver))) {
      Why = "AddPrinterDriverA: error " + std::to_string(GetLastError());
      return;
    }

    RemovePrinter(kPrinterName);  // one left behind by an interrupted run
    std::string name = kPrinterName, port = Utf8(portFile), processor = "WinPrint", datatype = "RAW";
    PRINTER_INFO_2A info = {};
    info.pPrinterName = &name[0];
    info.pPortName = &port[0];
    info.pDriverName = &driverName[0];
    info.pPrintProcessor = &processor[0];
    info.pDatatype = &datatype[0];
    // Only the handle tells success: Wine leaves ERROR_INVALID_PARAMETER behind either way.
    HANDLE h = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (!h) {
      Why = "AddPrinterA: error " + std::to_string(GetLastError());
      return;
    }
    ClosePrinter(h);
    installed_ = true;
    if (!SetDefaultPrinterA(kPrinterName)) Why = "SetDefaultPrinterA: error " + std::to_string(GetLastError());
  }
  ~FilePrinter() {
    if (installed_) RemovePrinter(kPrinterName);
  }
  FilePrinter(const FilePrinter&) = delete;
  FilePrinter& operator=(const FilePrinter&) = delete;

  bool Ok() const { return installed_ && Why.empty(); }
  std::string Why;

 private:
  bool installed_ = false;
};

struct PrintFixture : GuiFixture {
  std::unique_ptr<FilePrinter> printer;
  std::wstring portFile;

  void StartWithPrinter(const std::wstring& name) {
    Start(name);
    portFile = dir + L"port-imprimante.ps";
    printer = std::make_unique<FilePrinter>(portFile);
    ASSERT_TRUE(printer->Ok()) << "the file printer cannot be installed: " << printer->Why;
    TickOnly({kCatRootFolders});
    ASSERT_TRUE(RunAndWait());
  }
  void TearDown() override {
    GuiFixture::TearDown();
    printer.reset();
  }

  // The job's PostScript: a title, at least one page, and the report's lines drawn.
  void ExpectReport(const std::wstring& path) {
    const std::string ps = ReadBytes(path);
    ASSERT_FALSE(ps.empty()) << Utf8(path);
    EXPECT_EQ(ps.rfind("%!PS-Adobe", 0), 0u) << ps.substr(0, 40);
    EXPECT_NE(ps.find("%%Title: Kestrova"), std::string::npos);  // the job's name
    EXPECT_NE(ps.find("showpage"), std::string::npos);
    const std::string drawn = DrawnLetters(ps);
    for (const char* line : {"Kestrova - Récupérateur infos système - Version 1.1.0.0", "Début Analyse",
                             "Répertoires de c:\\", "Fin Analyse"})
      EXPECT_NE(drawn.find(WithoutBlanks(line)), std::string::npos) << line << "\n in: " << drawn.substr(0, 300);
  }
};

TEST_F(PrintFixture, PrintsTheReportToTheFileNamedForTheJob) {
  StartWithPrinter(L"print");
  dialogs.PrinterName = app::Widen(kPrinterName);
  dialogs.PrintOutput = dir + L"rapport.ps";
  Command(ActionId::LogPrint);
  ASSERT_TRUE(PumpUntil([&] { return CompleteJob(dialogs.PrintOutput); }))
      << "no complete PostScript job in " << Utf8(dialogs.PrintOutput);
  ExpectReport(dialogs.PrintOutput);
  // The job went to the file named for it, not to the printer's port.
  EXPECT_EQ(GetFileAttributesW(portFile.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(dialogs.Errors.empty());
}

TEST_F(PrintFixture, ALongReportGoesOnOverSeveralPages) {
  StartWithPrinter(L"printlong");
  window->Log().BeginUpdate();
  for (int i = 0; i < 300; ++i) window->Log().AddLogLine(kLevelItem, "ligne " + std::to_string(i), 0);
  window->Log().AddLogLine(kLevelHeading, "Derniere ligne", 0xFF0000);
  window->Log().EndUpdate();
  dialogs.PrinterName = app::Widen(kPrinterName);
  dialogs.PrintOutput = dir + L"long.ps";
  Command(ActionId::LogPrint);
  ASSERT_TRUE(PumpUntil([&] { return CompleteJob(dialogs.PrintOutput); }));
  const std::string ps = ReadBytes(dialogs.PrintOutput);
  EXPECT_NE(ps.find("%%Page: 2 2"), std::string::npos);
  const std::string drawn = DrawnLetters(ps);
  EXPECT_NE(drawn.find("ligne299Derniereligne"), std::string::npos) << drawn.substr(drawn.size() > 200 ? drawn.size() - 200 : 0);
}

TEST_F(PrintFixture, ThePrintDialogPrintsToTheDefaultPrinter) {
  StartWithPrinter(L"printdlg");
  dialogs.RealPrintDialog = true;
  std::wstring offered;
  DialogDriver driver(
      [&](HWND h) { return ClassOf(h) == L"#32770" && GetWindow(h, GW_OWNER) == window->Handle(); },
      [&](HWND box) {
        wchar_t printer[256] = {};
        GetDlgItemTextW(box, 0x473 /* cmb4: the printer's name */, printer, 256);
        offered = printer;
        PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
      });
  Command(ActionId::LogPrint);
  ASSERT_TRUE(PumpUntil([&] { return driver.Finished(); }, 15000));
  ASSERT_FALSE(driver.TimedOut) << (driver.Found ? "the print dialog did not close" : "no print dialog");
  EXPECT_EQ(Utf8(offered), kPrinterName);
  ASSERT_TRUE(PumpUntil([&] { return CompleteJob(portFile); })) << "no complete PostScript job in " << Utf8(portFile);
  ExpectReport(portFile);
}

}  // namespace
}  // namespace kestrova::guitest
