// The "Aide" menu's file rules: "Lisez-moi..." follows the readme beside the program as
// it was at start-up; "Index de l'aide" has no operation and stays greyed, help file or not.
#include "tests/win/gui/gui_harness.h"

#include <fstream>

#include "sections/categories.h"

namespace kestrova::guitest {
namespace {

struct HelpFixture : GuiFixture {
  bool MenuGreyed(ActionId id) {
    return (GetMenuState(GetMenu(window->Handle()), static_cast<UINT>(id), MF_BYCOMMAND) & MF_GRAYED) != 0;
  }
  // Starts the window for a program file named `exe` in a fresh folder, after `prepare`
  // has put files beside it.
  void StartAs(const std::wstring& name, const std::wstring& exe, const std::function<void()>& prepare) {
    dir = ScratchDir(name);
    prepare();
    app::StartupOptions options;
    options.ProgramPath = dir + exe;
    options.MakeEngine = [](const EngineContext& ctx) {
      return std::make_unique<TSystemInfo>(ctx, TSystemInfo::Factories{});
    };
    window = std::make_unique<MainWindow>(dialogs, options);
    ASSERT_TRUE(window->Create());
  }
  void Write(const std::wstring& file, const std::string& text) {
    std::ofstream(Utf8(dir + file).c_str(), std::ios::binary) << text;
  }
};

TEST_F(HelpFixture, CompanionFilesAreNamedAfterTheProgramFile) {
  StartAs(L"names", L"x.exe", [] {});
  EXPECT_EQ(window->IniFileName(), dir + L"x.ini");
  EXPECT_EQ(window->HelpFileName(), dir + L"x.hlp");
}

TEST_F(HelpFixture, AReadmeBesideTheProgramEnablesLisezMoi) {
  StartAs(L"readme", L"kestrova.exe", [&] { Write(L"A_Lire.txt", "Lisez-moi\r\n"); });
  EXPECT_TRUE(window->ActionEnabled(ActionId::AppHelpReadme));
  EXPECT_FALSE(MenuGreyed(ActionId::AppHelpReadme));
  // Not governed by the run: it stays enabled while the analysis runs.
  TickOnly({kCatRootFolders});
  bool enabledDuringRun = false;
  StatusWatch watch(window->StatusBar(), [&](const std::string& text) {
    if (text == kCatRootFolders) enabledDuringRun = window->ActionEnabled(ActionId::AppHelpReadme);
  });
  ASSERT_TRUE(RunAndWait());
  EXPECT_TRUE(enabledDuringRun);
  EXPECT_TRUE(window->ActionEnabled(ActionId::AppHelpReadme));
}

TEST_F(HelpFixture, AReadmeCreatedAfterStartUpChangesNothing) {
  StartAs(L"readme-late", L"kestrova.exe", [] {});
  ASSERT_FALSE(window->ActionEnabled(ActionId::AppHelpReadme));
  Write(L"A_Lire.txt", "Lisez-moi\r\n");
  TickOnly({kCatRootFolders});
  ASSERT_TRUE(RunAndWait());  // the action states are worked out again at the end of a run
  EXPECT_FALSE(window->ActionEnabled(ActionId::AppHelpReadme));
  EXPECT_TRUE(MenuGreyed(ActionId::AppHelpReadme));
}

TEST_F(HelpFixture, AFolderNamedLikeTheReadmeIsNoReadme) {
  StartAs(L"readme-folder", L"kestrova.exe", [&] { CreateDirectoryW((dir + L"A_Lire.txt").c_str(), nullptr); });
  EXPECT_FALSE(window->ActionEnabled(ActionId::AppHelpReadme));
}

TEST_F(HelpFixture, AReadmeGoneBeforeItIsOpenedIsIgnoredSilently) {
  StartAs(L"readme-gone", L"kestrova.exe", [&] { Write(L"A_Lire.txt", "Lisez-moi\r\n"); });
  ASSERT_TRUE(window->ActionEnabled(ActionId::AppHelpReadme));
  ASSERT_TRUE(DeleteFileW((dir + L"A_Lire.txt").c_str()));
  const size_t windowsBefore = OwnTopLevelWindows().size();
  Command(ActionId::AppHelpReadme);
  PumpUntil([] { return true; });  // every message waiting is dispatched before the check
  EXPECT_EQ(OwnTopLevelWindows().size(), windowsBefore);  // no message box
  EXPECT_TRUE(dialogs.Errors.empty());
}

TEST_F(HelpFixture, TheHelpIndexStaysGreyedWithAHelpFile) {
  StartAs(L"help", L"x.exe", [&] { Write(L"x.hlp", "?_\x03"); });
  ASSERT_NE(GetFileAttributesW(window->HelpFileName().c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(window->ActionEnabled(ActionId::AppHelpIndex));
  EXPECT_TRUE(MenuGreyed(ActionId::AppHelpIndex));
  TickOnly({kCatRootFolders});
  ASSERT_TRUE(RunAndWait());
  EXPECT_FALSE(window->ActionEnabled(ActionId::AppHelpIndex));
  // And a disabled command does nothing, whichever way it arrives.
  Command(ActionId::AppHelpIndex);
  PumpUntil([] { return true; });
  EXPECT_TRUE(dialogs.Errors.empty());
}

TEST_F(HelpFixture, TheHelpIndexIsGreyedWithoutAHelpFile) {
  StartAs(L"nohelp", L"x.exe", [] {});
  EXPECT_FALSE(window->ActionEnabled(ActionId::AppHelpIndex));
  EXPECT_TRUE(MenuGreyed(ActionId::AppHelpIndex));
}

}  // namespace
}  // namespace kestrova::guitest
