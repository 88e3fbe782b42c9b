// Printing the report through Wine's PostScript driver: to the file the print dialog
// names for the job, and through the real print dialog to the default printer, whose
// port is a file.
#include "tests/win/gui/gui_harness.h"
#include "tests/win/test_printer.h"

#include <winspool.h>

#include <fstream>

#include "sections/categories.h"

namespace kestrova::guitest {
namespace {

const char kPrinterName[] = "Kestrova Fichier";

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

struct PrintFixture : GuiFixture {
  std::unique_ptr<testing::WinePrinter> printer;
  std::wstring portFile;

  void StartWithPrinter(const std::wstring& name) {
    Start(name);
    portFile = dir + L"port-imprimante.ps";
    printer = std::make_unique<testing::WinePrinter>(kPrinterName, Utf8(portFile));
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
