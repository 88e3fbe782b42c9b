// The whole program under one Windows personality: every category over the real engine
// in the window, the report saved as RTF and opened again. Run by personality_run.py
// (which also runs kestrova-report and converts the RTF with LibreOffice); skipped in
// the other GUI runs.
#include <cstdlib>
#include <fstream>
#include <string>

#include "sections/categories.h"
#include "tests/win/gui/gui_harness.h"

namespace kestrova::guitest {
namespace {

// A folder of the host as Wine shows it (the Z: drive maps the host's root).
std::wstring HostFolder(const std::string& unixPath) {
  std::wstring out = L"Z:";
  for (char c : unixPath) out += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
  if (out.back() != L'\\') out += L'\\';
  return out;
}

TEST_F(GuiFixture, EveryCategoryRunsAndTheReportComesBackFromItsRtf) {
  const char* outDir = std::getenv("KESTROVA_E2E_DIR");
  if (!outDir) GTEST_SKIP() << "only in the end-to-end run of a personality";
  const char* winver = std::getenv("KESTROVA_WINVER");
  const bool nineX = winver && std::string(winver) == "win98";
  fullEngine = true;
  Start(L"end-to-end");
  ASSERT_EQ(SendMessageW(window->CategoryList(), LVM_GETITEMCOUNT, 0, 0), 28);
  for (int row = 0; row < 28; ++row) ASSERT_TRUE(Ticked(row)) << row;

  const int kRunMs = 150000;
  Command(ActionId::Start);
  ASSERT_TRUE(PumpUntil([&] { return !window->AnalysisRunning() && (LogHas("Fin Analyse") || !dialogs.Errors.empty()); },
                        kRunMs));
  if (nineX) {
    // Wine has no 16-bit user module: the free-resource query ends the run inside
    // "Mémoire" with its error, shown in a message box; the window stays usable.
    ASSERT_EQ(dialogs.Errors.size(), 1u);
    EXPECT_EQ(Utf8(dialogs.Errors[0]), "Can't load USER.EXE!");
    EXPECT_TRUE(LogHas(kCatMemory));
    EXPECT_FALSE(LogHas(kCatDisks));
    EXPECT_FALSE(LogHas("Fin Analyse"));
    dialogs.Errors.clear();
    SetTick(RowOf(kCatMemory), false);
    ASSERT_TRUE(RunAndWait(kRunMs));
  }
  EXPECT_TRUE(dialogs.Errors.empty()) << (dialogs.Errors.empty() ? "" : Utf8(dialogs.Errors[0]));
  const std::vector<std::string> lines = LogLines();
  const std::wstring text = window->Log().Text();
  {
    std::ofstream out(Utf8(HostFolder(outDir) + L"window.txt").c_str(), std::ios::binary);
    for (const std::string& line : lines) out << line << '\n';
    ASSERT_TRUE(out.good());
  }

  const std::wstring rtf = HostFolder(outDir) + L"report.rtf";
  dialogs.SaveFile = rtf;
  Command(ActionId::LogSaveAs);
  ASSERT_TRUE(PumpUntil([&] { return window->CurrentFileName() == rtf; }));
  EXPECT_FALSE(window->Log().Modified());
  Command(ActionId::LogNew);
  ASSERT_TRUE(PumpUntil([&] { return window->CurrentFileName() == L"Nouveau"; }));
  ASSERT_NE(window->Log().Text(), text);
  dialogs.OpenFile = rtf;
  Command(ActionId::LogLoad);
  ASSERT_TRUE(PumpUntil([&] { return window->CurrentFileName() == rtf; }));
  EXPECT_EQ(window->Log().Text(), text);
  EXPECT_EQ(LogLines(), lines);
}

}  // namespace
}  // namespace kestrova::guitest
