// The main window driven by messages: start-up state, runs, "Stop", documents, the save
// question, settings and the long press.
#include "tests/win/gui/gui_harness.h"

#include <fstream>
#include <iostream>

#include "sections/categories.h"

namespace kestrova::guitest {
namespace {

using Lines = std::vector<std::string>;
const std::string kTitle = "Kestrova - Récupérateur infos système - Version 1.1.0.0";

TEST_F(GuiFixture, StartUpStateAndLayout) {
  Start(L"startup");
  HWND w = window->Handle();
  wchar_t caption[64] = {};
  GetWindowTextW(w, caption, 64);
  EXPECT_EQ(Utf8(caption), "Kestrova");
  RECT r;
  GetWindowRect(w, &r);
  EXPECT_EQ(r.right - r.left, 636);
  EXPECT_EQ(r.bottom - r.top, 459);

  Lines lines = LogLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], kTitle);
  EXPECT_EQ(lines[1].rfind(" - ", 0), 0u);
  EXPECT_EQ(window->CurrentFileName(), L"Nouveau");
  EXPECT_FALSE(window->Log().Modified());

  ASSERT_EQ(SendMessageW(window->CategoryList(), LVM_GETITEMCOUNT, 0, 0), 28);
  for (int i = 0; i < 28; ++i) EXPECT_TRUE(Ticked(i)) << i;
  EXPECT_EQ(RowOf("Machine (général)"), 0);
  EXPECT_EQ(RowOf("Répertoires de c:\\program files"), 27);

  EXPECT_TRUE(window->ActionEnabled(ActionId::Start));
  EXPECT_FALSE(window->ActionEnabled(ActionId::Stop));
  EXPECT_FALSE(window->ActionEnabled(ActionId::LogPrintPreview));
  EXPECT_FALSE(window->ActionEnabled(ActionId::AppHelpIndex));
  EXPECT_FALSE(window->ActionEnabled(ActionId::AppHelpReadme));  // no A_Lire.txt beside it
  EXPECT_FALSE(window->ActionEnabled(ActionId::CatSelectSelected));  // nothing highlighted

  // Thirteen tool-bar entries, the menus from the same table.
  EXPECT_EQ(SendMessageW(window->ToolBar(), TB_BUTTONCOUNT, 0, 0), 13);
  HMENU bar = GetMenu(w);
  ASSERT_EQ(GetMenuItemCount(bar), 5);
  wchar_t item[64] = {};
  GetMenuStringW(GetSubMenu(bar, 0), 5, item, 64, MF_BYPOSITION);
  EXPECT_EQ(Utf8(item), "Pévisualiser");
  EXPECT_EQ(GetMenuState(bar, static_cast<UINT>(ActionId::Stop), MF_BYCOMMAND) & MF_GRAYED, static_cast<UINT>(MF_GRAYED));
  EXPECT_EQ(window->SplitterPosition(), 230);
  EXPECT_TRUE(dialogs.Errors.empty());

  // Measured sizes: the status bar 19 pixels with its borders, category rows 16.
  RECT sb, row0 = {}, row1 = {};
  GetWindowRect(window->StatusBar(), &sb);
  EXPECT_EQ(sb.bottom - sb.top, 19);
  row0.left = row1.left = LVIR_BOUNDS;
  SendMessageW(window->CategoryList(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row0));
  SendMessageW(window->CategoryList(), LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row1));
  EXPECT_EQ(row0.bottom - row0.top, 16);
  EXPECT_EQ(row1.top - row0.top, 16);
}

TEST_F(GuiFixture, ALineLongerThanThePaneWraps) {
  Start(L"wrap");
  HWND log = window->Log().Handle();
  const LRESULT before = SendMessageW(log, EM_GETLINECOUNT, 0, 0);
  std::string path = "C:\\";
  while (path.size() < 600) path += "un dossier au nom assez long\\";
  window->Log().AddLogLine(2, path, 0);
  RECT pane;
  GetClientRect(log, &pane);
  ASSERT_GT(pane.right, 0);
  // One logical line more, shown on several display lines.
  EXPECT_GT(SendMessageW(log, EM_GETLINECOUNT, 0, 0), before + 2);
}

TEST_F(GuiFixture, RunWritesTheTickedSectionsAndGovernsTheActions) {
  Start(L"run");
  TickOnly({kCatProgramFilesFolders, kCatRootFolders});
  bool sawRunningState = false;
  StatusWatch watch(window->StatusBar(), [&](const std::string& text) {
    if (text != kCatRootFolders) return;
    sawRunningState = window->ActionEnabled(ActionId::Stop) && !window->ActionEnabled(ActionId::Start) &&
                      !window->ActionEnabled(ActionId::AppClose) && !window->ActionEnabled(ActionId::LogNew) &&
                      !window->ActionEnabled(ActionId::LogCopy) && window->ActionEnabled(ActionId::LogUndo) &&
                      window->ActionEnabled(ActionId::CatInvertSel);
  });
  ASSERT_TRUE(RunAndWait());
  EXPECT_TRUE(sawRunningState);
  Lines lines = LogLines();
  ASSERT_GE(lines.size(), 8u);
  EXPECT_EQ(lines[0], kTitle);
  EXPECT_EQ(Lines(lines.begin() + 2, lines.begin() + 6),
            (Lines{"", "Début Analyse", "", "Répertoires de c:\\"}));
  // Wine's C:\ holds at least these folders, listed in lower case.
  EXPECT_TRUE(LogHas(" - \\windows\\"));
  EXPECT_TRUE(LogHas(" - \\program files\\"));
  auto root = std::find(lines.begin(), lines.end(), "Répertoires de c:\\");
  auto pf = std::find(lines.begin(), lines.end(), "Répertoires de c:\\program files");
  EXPECT_LT(root, pf);
  EXPECT_EQ(lines.back(), "Fin Analyse");
  EXPECT_TRUE(window->Log().Modified());
  EXPECT_TRUE(window->ActionEnabled(ActionId::Start));
  EXPECT_FALSE(window->ActionEnabled(ActionId::Stop));
  EXPECT_EQ(StatusText(), "");
  EXPECT_EQ(window->CurrentFileName(), L"Nouveau");

  // The double-click jump selects the heading, not the same words elsewhere.
  int row = RowOf(kCatRootFolders);
  SendMessageW(window->CategoryList(), LVM_SETITEMSTATE, row, [] {
    static LVITEMW it = {};
    it.stateMask = it.state = LVIS_FOCUSED | LVIS_SELECTED;
    return reinterpret_cast<LPARAM>(&it);
  }());
  NMHDR hdr = {window->CategoryList(), 10, static_cast<UINT>(NM_DBLCLK)};
  SendMessageW(window->Handle(), WM_NOTIFY, 10, reinterpret_cast<LPARAM>(&hdr));
  std::wstring text = window->Log().Text();
  auto sel = window->Log().Selection();
  EXPECT_EQ(sel.first, text.find(L"\rR\u00e9pertoires de c:\\\r") + 1);
  EXPECT_EQ(sel.second, std::wstring(L"R\u00e9pertoires de c:\\").size());
}

TEST_F(GuiFixture, StopDuringAListingEndsAfterTheCurrentFolder) {
  Start(L"stop");
  TickOnly({kCatRootFolders, kCatProgramFilesFolders});
  StatusWatch watch(window->StatusBar(), [&](const std::string& text) {
    if (text == kCatRootFolders) Command(ActionId::Stop);  // handled at the next pump
  });
  ASSERT_TRUE(RunAndWait());
  Lines lines = LogLines();
  auto root = std::find(lines.begin(), lines.end(), "Répertoires de c:\\");
  ASSERT_NE(root, lines.end());
  // At most the current folder's line, then the interruption.
  Lines tail(root + 1, lines.end());
  ASSERT_GE(tail.size(), 4u);
  size_t folderLines = tail.size() - 4;
  EXPECT_LE(folderLines, 1u);
  EXPECT_EQ(Lines(tail.end() - 4, tail.end()), (Lines{"", "Analyse interrompue par l'utilisateur", "", "Fin Analyse"}));
  EXPECT_FALSE(LogHas("Répertoires de c:\\program files"));
  EXPECT_FALSE(window->AnalysisRunning());
}

TEST_F(GuiFixture, WithoutAnEngineStartWritesTheRedLine) {
  withEngine = false;
  Start(L"noengine");
  Command(ActionId::Start);
  ASSERT_TRUE(PumpUntil([&] { return LogLines().size() == 3; }));
  EXPECT_EQ(LogLines()[2], "Moteur d'analyse système non initialisé (analyse impossible)");
  EXPECT_FALSE(window->AnalysisRunning());
}

// Size (twips), bold and colour of the first character of every line.
struct LineFormat {
  LONG Height;
  bool Bold;
  COLORREF Colour;
  bool operator==(const LineFormat& o) const { return Height == o.Height && Bold == o.Bold && Colour == o.Colour; }
};
std::vector<LineFormat> Formats(app::RichLog& log) {
  std::vector<LineFormat> out;
  std::wstring text = log.Text();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(L'\r', start);
    if (end == std::wstring::npos) end = text.size();
    log.Select(start, 1);
    CHARFORMAT2W cf = {};
    cf.cbSize = sizeof cf;
    SendMessageW(log.Handle(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    out.push_back({cf.yHeight, (cf.dwEffects & CFE_BOLD) != 0, cf.crTextColor});
    start = end + 1;
  }
  return out;
}

TEST_F(GuiFixture, SaveThenOpenKeepsSizesWeightsAndColours) {
  Start(L"roundtrip");
  TickOnly({kCatRootFolders});
  ASSERT_TRUE(RunAndWait());
  const std::wstring before = window->Log().Text();
  const auto formats = Formats(window->Log());
  ASSERT_GE(formats.size(), 6u);
  EXPECT_EQ(formats[0], (LineFormat{200, true, 0xFF0000}));   // the blue 10-point title
  EXPECT_EQ(formats[1], (LineFormat{160, false, 0}));         // the date item
  EXPECT_EQ(formats[3], (LineFormat{160, true, 0xFF00FF}));   // "Début Analyse"

  // "Sauver" on a new document goes through the dialog, preset "Nouveau".
  const std::wstring path = dir + L"rapport.rtf";
  dialogs.SaveFile = path;
  Command(ActionId::LogSave);
  ASSERT_TRUE(PumpUntil([&] { return window->CurrentFileName() == path; }));
  EXPECT_EQ(dialogs.SavePreset, L"Nouveau");
  EXPECT_FALSE(window->Log().Modified());

  // A new document asks nothing (not modified), then the file comes back.
  Command(ActionId::LogNew);
  ASSERT_TRUE(PumpUntil([&] { return window->CurrentFileName() == L"Nouveau"; }));
  EXPECT_EQ(LogLines().size(), 2u);
  dialogs.OpenFile = path;
  Command(ActionId::LogLoad);
  ASSERT_TRUE(PumpUntil([&] { return window->CurrentFileName() == path; }));
  EXPECT_EQ(window->Log().Text(), before);
  EXPECT_EQ(Formats(window->Log()), formats);
  EXPECT_FALSE(window->Log().Modified());

  // A plain text file opens as text.
  const std::wstring plain = dir + L"notes.txt";
  { std::ofstream(Utf8(plain).c_str()) << "ligne une\nligne deux\n"; }
  dialogs.OpenFile = plain;
  Command(ActionId::LogLoad);
  ASSERT_TRUE(PumpUntil([&] { return window->CurrentFileName() == plain; }));
  EXPECT_EQ(LogLines()[0], "ligne une");
}

TEST_F(GuiFixture, AFailedSaveLeavesThePreviousFileAndTheDocumentAlone) {
  Start(L"failsave");
  const std::wstring path = dir + L"garde.rtf";
  dialogs.SaveFile = path;
  Command(ActionId::LogSaveAs);
  ASSERT_TRUE(PumpUntil([&] { return window->CurrentFileName() == path; }));
  std::ifstream in(Utf8(path).c_str(), std::ios::binary);
  const std::string original((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(original.empty());

  TickOnly({kCatRootFolders});
  ASSERT_TRUE(RunAndWait());
  // The file beside the target cannot be made: a folder stands in its place.
  ASSERT_TRUE(CreateDirectoryW((path + L".~tmp").c_str(), nullptr));
  Command(ActionId::LogSave);  // the file exists: no dialog
  ASSERT_TRUE(PumpUntil([&] { return !window->AnalysisRunning(); }));
  PumpUntil([] { return false; }, 300);  // let the posted command run
  std::ifstream again(Utf8(path).c_str(), std::ios::binary);
  const std::string after((std::istreambuf_iterator<char>(again)), std::istreambuf_iterator<char>());
  EXPECT_EQ(after, original);
  EXPECT_TRUE(window->Log().Modified());
  EXPECT_EQ(dialogs.SaveDialogs, 1);
  RemoveDirectoryW((path + L".~tmp").c_str());
}

TEST_F(GuiFixture, SaveQuestionAnsweredWithItsRealButtons) {
  Start(L"confirm");
  TickOnly({kCatRootFolders});
  ASSERT_TRUE(RunAndWait());
  const size_t runLines = LogLines().size();
  {  // "Annuler": nothing changes.
    ConfirmClicker click(IDCANCEL);
    Command(ActionId::LogNew);
    ASSERT_TRUE(PumpUntil([&] { return click.Clicked.load(); }));
    PumpUntil([&] { return !FindWindowW(L"#32770", L"Confirmation"); });
    EXPECT_EQ(click.Caption, L"Annuler");
    EXPECT_EQ(click.Question,
              L"Informations modifi\u00e9es, et non sauvegard\u00e9es.\rVoulez-vous les sauvegarder maintenant ?");
  }
  EXPECT_EQ(LogLines().size(), runLines);
  EXPECT_TRUE(window->Log().Modified());
  {  // "&Non": a fresh document.
    ConfirmClicker click(IDNO);
    Command(ActionId::LogNew);
    ASSERT_TRUE(PumpUntil([&] { return click.Clicked.load() && LogLines().size() == 2; }));
    EXPECT_EQ(click.Caption, L"&Non");
  }
  EXPECT_EQ(window->CurrentFileName(), L"Nouveau");
  EXPECT_FALSE(window->Log().Modified());

  // "&Oui" on closing a document opened from a file saves it there without a dialog.
  const std::wstring path = dir + L"ouvert.rtf";
  dialogs.SaveFile = path;
  Command(ActionId::LogSaveAs);
  ASSERT_TRUE(PumpUntil([&] { return window->CurrentFileName() == path; }));
  ASSERT_TRUE(RunAndWait());
  const int dialogsBefore = dialogs.SaveDialogs;
  {
    ConfirmClicker click(IDYES);
    PostMessageW(window->Handle(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(window->Handle()); }));
    EXPECT_EQ(click.Caption, L"&Oui");
  }
  EXPECT_EQ(dialogs.SaveDialogs, dialogsBefore);
  std::ifstream in(Utf8(path).c_str(), std::ios::binary);
  const std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(saved.find("Fin Analyse"), std::string::npos);
}

TEST_F(GuiFixture, CloseDuringARunStopsItFirst) {
  Start(L"closerun");
  TickOnly({kCatRootFolders, kCatProgramFilesFolders});
  StatusWatch watch(window->StatusBar(), [&](const std::string& text) {
    if (text == kCatRootFolders) PostMessageW(window->Handle(), WM_CLOSE, 0, 0);
  });
  ConfirmClicker click(IDNO);
  Command(ActionId::Start);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(window->Handle()); }, 20000));
  EXPECT_TRUE(click.Clicked);
}

TEST_F(GuiFixture, SettingsWrittenAtCloseAndRestoredAtStart) {
  Start(L"settings");
  const std::wstring ini = window->IniFileName();
  EXPECT_EQ(ini, dir + L"kestrova.ini");
  PostMessageW(window->Handle(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(window->Handle()); }));
  wchar_t v[64] = {};
  GetPrivateProfileStringW(L"Test", L"WriteToIniTest", L"", v, 64, ini.c_str());
  EXPECT_STREQ(v, L"1");
  GetPrivateProfileStringW(L"TfmMain", L"OvcSplitter1.Position", L"", v, 64, ini.c_str());
  EXPECT_STREQ(v, L"230");
  GetPrivateProfileStringW(L"FormsSizeAndPos", L"fmMain_Width", L"", v, 64, ini.c_str());
  EXPECT_STREQ(v, L"636");

  WritePrivateProfileStringW(L"FormsSizeAndPos", L"fmMain_Width", L"800", ini.c_str());
  WritePrivateProfileStringW(L"TfmMain", L"OvcSplitter1.Position", L"300", ini.c_str());
  window.reset();
  window = std::make_unique<MainWindow>(dialogs, app::StartupOptions{dir + L"kestrova.exe", {}});
  ASSERT_TRUE(window->Create());
  RECT r;
  GetWindowRect(window->Handle(), &r);
  EXPECT_EQ(r.right - r.left, 800);
  EXPECT_EQ(window->SplitterPosition(), 300);
}

TEST_F(GuiFixture, LogOffAsksTheSaveQuestionAndStoresTheSettings) {
  Start(L"endsession");
  const std::wstring ini = window->IniFileName();
  TickOnly({kCatRootFolders});
  ASSERT_TRUE(RunAndWait());
  {  // "Annuler" keeps the session: the window answers no and stays.
    ConfirmClicker click(IDCANCEL);
    EXPECT_EQ(SendMessageW(window->Handle(), WM_QUERYENDSESSION, 0, 0), FALSE);
    EXPECT_TRUE(click.Clicked);
  }
  wchar_t v[64] = {};
  GetPrivateProfileStringW(L"TfmMain", L"OvcSplitter1.Position", L"", v, 64, ini.c_str());
  EXPECT_STREQ(v, L"");
  {  // "&Non": the session may end; the splitter is stored, then the bounds at its end.
    ConfirmClicker click(IDNO);
    EXPECT_EQ(SendMessageW(window->Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_TRUE(click.Clicked);
  }
  GetPrivateProfileStringW(L"TfmMain", L"OvcSplitter1.Position", L"", v, 64, ini.c_str());
  EXPECT_STREQ(v, L"230");
  SendMessageW(window->Handle(), WM_ENDSESSION, TRUE, 0);
  GetPrivateProfileStringW(L"FormsSizeAndPos", L"fmMain_Width", L"", v, 64, ini.c_str());
  EXPECT_STREQ(v, L"636");
}

TEST_F(GuiFixture, ClosedWhileMinimisedStoresTheNormalBounds) {
  Start(L"minimised");
  const std::wstring ini = window->IniFileName();
  RECT normal;
  GetWindowRect(window->Handle(), &normal);
  ShowWindow(window->Handle(), SW_MINIMIZE);
  ASSERT_TRUE(PumpUntil([&] { return IsIconic(window->Handle()) != FALSE; }));
  PostMessageW(window->Handle(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(window->Handle()); }));
  const auto value = [&](const wchar_t* key) {
    return static_cast<int>(GetPrivateProfileIntW(L"FormsSizeAndPos", key, -99999, ini.c_str()));
  };
  EXPECT_EQ(value(L"fmMain_Width"), normal.right - normal.left);
  EXPECT_EQ(value(L"fmMain_Height"), normal.bottom - normal.top);
  EXPECT_GT(value(L"fmMain_Left"), -1000);
  EXPECT_GT(value(L"fmMain_Top"), -1000);
  // and it reopens at that size, not as a strip
  window.reset();
  window = std::make_unique<MainWindow>(dialogs, app::StartupOptions{dir + L"kestrova.exe", {}});
  ASSERT_TRUE(window->Create());
  RECT r;
  GetWindowRect(window->Handle(), &r);
  EXPECT_EQ(r.right - r.left, normal.right - normal.left);
  EXPECT_EQ(r.bottom - r.top, normal.bottom - normal.top);
}

TEST_F(GuiFixture, AnEmptyReportSavedAsRtfReopensAsRichText) {
  Start(L"emptyrtf");
  SendMessageW(window->Log().Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  const std::wstring path = dir + L"vide.rtf";
  dialogs.SaveFile = path;
  Command(ActionId::LogSaveAs);
  ASSERT_TRUE(PumpUntil([&] { return window->CurrentFileName() == path; }));
  Command(ActionId::LogNew);
  ASSERT_TRUE(PumpUntil([&] { return window->CurrentFileName() == L"Nouveau"; }));
  dialogs.OpenFile = path;
  Command(ActionId::LogLoad);
  ASSERT_TRUE(PumpUntil([&] { return window->CurrentFileName() == path; }));
  const std::wstring text = window->Log().Text();
  EXPECT_EQ(text.find(L"{\\rtf"), std::wstring::npos) << Utf8(text);
  EXPECT_TRUE(LogLines().empty() || (LogLines().size() == 1 && LogLines()[0].empty())) << Utf8(text);
}

TEST_F(GuiFixture, AnUnwritableIniIsReadButLeftUnchanged) {
  dir = ScratchDir(L"readonly");
  const std::wstring ini = dir + L"kestrova.ini";
  const std::string content = "[FormsSizeAndPos]\r\nfmMain_Width=800\r\n";
  { std::ofstream(Utf8(ini).c_str(), std::ios::binary) << content; }
  SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_READONLY);
  // Running as root ignores the read-only attribute, so the file is also held open
  // without write sharing: every write to it fails as on a read-only file.
  win32::UniqueFileHandle hold(CreateFileW(ini.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(hold);
  window = std::make_unique<MainWindow>(dialogs, app::StartupOptions{dir + L"kestrova.exe", {}});
  ASSERT_TRUE(window->Create());
  RECT r;
  GetWindowRect(window->Handle(), &r);
  EXPECT_EQ(r.right - r.left, 800);
  PostMessageW(window->Handle(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(window->Handle()); }));
  hold.Reset();
  std::ifstream in(Utf8(ini).c_str(), std::ios::binary);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), content);
  SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Real mouse input at the centre of a row of the list.
void MouseAt(HWND list, int row, DWORD flags) {
  RECT r = {};
  r.left = LVIR_LABEL;
  SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r));
  POINT p = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(list, &p);
  INPUT in = {};
  in.type = INPUT_MOUSE;
  in.mi.dx = MulDiv(p.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  in.mi.dy = MulDiv(p.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags;
  SendInput(1, &in, sizeof in);
}

TEST_F(GuiFixture, LongPressTicksTheHighlightedRowAndRuns) {
  Start(L"longpress");
  HWND list = window->CategoryList();
  const int row = RowOf(kCatRootFolders);
  SendMessageW(list, LVM_ENSUREVISIBLE, row, FALSE);
  SetForegroundWindow(window->Handle());
  PumpUntil([] { return false; }, 200);

  // A short press starts nothing.
  MouseAt(list, row, MOUSEEVENTF_LEFTDOWN);
  MouseAt(list, row, MOUSEEVENTF_LEFTUP);
  EXPECT_FALSE(PumpUntil([&] { return LogHas("Début Analyse"); }, 2600));

  // Held past two seconds: only the highlighted row is ticked, and a run starts.
  MouseAt(list, row, MOUSEEVENTF_LEFTDOWN);
  const bool ran = PumpUntil([&] { return LogHas("Fin Analyse"); }, 8000);
  MouseAt(list, row, MOUSEEVENTF_LEFTUP);
  PumpUntil([] { return false; }, 100);
  ASSERT_TRUE(ran);
  for (int i = 0; i < 28; ++i) EXPECT_EQ(Ticked(i), i == row) << i;
  EXPECT_TRUE(LogHas("Répertoires de c:\\"));
  EXPECT_FALSE(LogHas("AutoStart : Répertoires de c:\\"));  // cleared by "Démarrer"
}

// The window code runs on the W functions on NT and on the A ones on the 9x family (or
// with KESTROVA_FORCE_ANSI=1, as the wine.gui.ansi run sets; the choice itself is tested
// with the platform layer): the windows it registers are then ANSI windows, and its
// texts still read back right through the W functions.
TEST(WindowApiFamily, CodePageConversions) {
  if (GetACP() != 1252) GTEST_SKIP() << "code page " << GetACP();
  EXPECT_EQ(app::ToAnsi(L"D\u00e9marrer"), "D\xe9marrer");
  EXPECT_EQ(app::FromAnsi("Cat\xe9gorie"), L"Cat\u00e9gorie");
  EXPECT_EQ(app::ToAnsi(std::wstring(L"a\0b\0", 4)), std::string("a\0b\0", 4));
  EXPECT_EQ(app::ToAnsi(L"\u03b1"), "?");  // no best fit: not an "a"
  EXPECT_EQ(app::FromAnsi(nullptr), L"");
}

TEST_F(GuiFixture, WindowsAreOfTheChosenFamily) {
  Start(L"family");
  char force[8] = {};
  const bool forced = GetEnvironmentVariableA("KESTROVA_FORCE_ANSI", force, sizeof force) == 1 && force[0] == '1';
  EXPECT_EQ(app::UseAnsiApi(), forced || (GetVersion() & 0x80000000u) != 0);
  EXPECT_EQ(IsWindowUnicode(window->Handle()) != FALSE, !app::UseAnsiApi());
  EXPECT_EQ(IsWindowUnicode(window->Log().Handle()) != FALSE, !app::UseAnsiApi());
  EXPECT_EQ(ClassOf(window->Log().Handle()), app::UseAnsiApi() ? L"RichEdit20A" : L"RichEdit20W");
  std::cout << "[ family ] " << (app::UseAnsiApi() ? "ANSI" : "wide") << " functions, code page " << GetACP() << "\n";

  // Accented texts through every kind of control, read back in UTF-16.
  wchar_t item[64] = {};
  GetMenuStringW(GetMenu(window->Handle()), 2, item, 64, MF_BYPOSITION);
  EXPECT_EQ(Utf8(item), "Catégorie");
  wchar_t button[64] = {};
  SendMessageW(window->ToolBar(), TB_GETBUTTONTEXTW, static_cast<WPARAM>(ActionId::Start),
               reinterpret_cast<LPARAM>(button));
  EXPECT_EQ(Utf8(button), "Démarrer");
  EXPECT_EQ(RowOf("Répertoires de c:\\"), 26);
  EXPECT_EQ(LogLines()[0], kTitle);
}

TEST_F(GuiFixture, ToolTipsAnswerBothForms) {
  Start(L"tooltips");
  NMTTDISPINFOA a = {};
  a.hdr = {window->ToolBar(), static_cast<UINT_PTR>(ActionId::Start), static_cast<UINT>(TTN_GETDISPINFOA)};
  SendMessageW(window->Handle(), WM_NOTIFY, a.hdr.idFrom, reinterpret_cast<LPARAM>(&a));
  ASSERT_NE(a.lpszText, nullptr);
  EXPECT_EQ(Utf8(app::FromAnsi(a.lpszText)), "Démarrer");
  NMTTDISPINFOW w = {};
  w.hdr = {window->ToolBar(), static_cast<UINT_PTR>(ActionId::CatSelectAll), static_cast<UINT>(TTN_GETDISPINFOW)};
  SendMessageW(window->Handle(), WM_NOTIFY, w.hdr.idFrom, reinterpret_cast<LPARAM>(&w));
  ASSERT_NE(w.lpszText, nullptr);
  EXPECT_EQ(Utf8(w.lpszText), "Tout sélectionner");
}

TEST_F(GuiFixture, ACharacterKeyTogglesTheFocusedTick) {
  Start(L"charkey");
  HWND list = window->CategoryList();
  const int row = RowOf(kCatRootFolders);
  LVITEMW it = {};
  it.stateMask = it.state = LVIS_FOCUSED | LVIS_SELECTED;
  SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&it));
  ASSERT_TRUE(Ticked(row));
  PostMessageW(list, WM_CHAR, 0xE9 /* é */, 0x00120001);
  ASSERT_TRUE(PumpUntil([&] { return !Ticked(row); }, 3000));
  PostMessageW(list, WM_CHAR, ' ', 0x00390001);
  EXPECT_TRUE(PumpUntil([&] { return Ticked(row); }, 3000));
}

}  // namespace
}  // namespace kestrova::guitest
