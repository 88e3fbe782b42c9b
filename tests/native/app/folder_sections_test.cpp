// The three folder sections over a recorded machine: the shell folders of the user, and
// the folders directly inside c:\ and c:\program files.
#include "sections/folder_sections.h"

#include <gtest/gtest.h>

#include "sections/categories.h"
#include "tests/native/app/fake_host.h"

namespace kestrova {
namespace {

using testing::EngineOver;
using testing::FakeHost;
using Lines = std::vector<std::string>;

struct FolderFixture : ::testing::Test {
  std::unique_ptr<RecordedMachine> machine =
      LoadRecordedMachine(std::string(KESTROVA_FIXTURES) + "/machines/xp-sp2-p4ht");
  MemoryLog log;
  FakeHost host;
  RunFlags flags;
  Lines Run(const std::vector<std::string>& ticked) {
    EngineOver engine(*machine);
    host.TickOnly(ticked);
    RunAnalysis(&engine.Engine, log, host, flags);
    return log.Texts();
  }
};

TEST_F(FolderFixture, RootListsFoldersInLowerCaseSkippingHiddenSystemAndFiles) {
  machine->AttributeOverrides["C:\\SYSTEM VOLUME INFORMATION"] = kAttrHidden | kAttrSystem;
  Lines out = Run({kCatRootFolders});
  EXPECT_EQ(out, (Lines{"", "Début Analyse", "", "Répertoires de c:\\", " - \\documents and settings\\",
                        " - \\program files\\", " - \\windows\\", "", "Fin Analyse"}));
  // Each folder found shows its own name in the status bar.
  EXPECT_EQ(host.Statuses, (Lines{"Répertoires de c:\\", "Documents and Settings", "Program Files", "WINDOWS", ""}));
}

TEST_F(FolderFixture, OnlyHiddenOrOnlySystemFoldersAreListed) {
  machine->AttributeOverrides["C:\\SYSTEM VOLUME INFORMATION"] = kAttrHidden;
  machine->AttributeOverrides["C:\\WINDOWS"] = kAttrSystem;
  Lines out = Run({kCatRootFolders});
  EXPECT_NE(std::find(out.begin(), out.end(), " - \\system volume information\\"), out.end());
  EXPECT_NE(std::find(out.begin(), out.end(), " - \\windows\\"), out.end());
}

TEST_F(FolderFixture, BothListingsComeOutInRunOrder) {
  Lines out = Run({kCatProgramFilesFolders, kCatRootFolders});
  auto root = std::find(out.begin(), out.end(), "Répertoires de c:\\");
  auto pf = std::find(out.begin(), out.end(), "Répertoires de c:\\program files");
  ASSERT_TRUE(root != out.end() && pf != out.end());
  EXPECT_LT(root, pf);
  // Only the first level: nothing from inside Fichiers communs.
  EXPECT_EQ(Lines(pf, out.end() - 2),
            (Lines{"Répertoires de c:\\program files", " - \\fichiers communs\\", " - \\internet explorer\\",
                   " - \\outlook express\\"}));
}

TEST_F(FolderFixture, StopDuringTheRootListingEndsAfterTheCurrentFolder) {
  host.OnStatus = [&](const std::string& s) {
    if (s == "Program Files") flags.StopRequested = true;
  };
  Lines out = Run({kCatRootFolders, kCatProgramFilesFolders});
  EXPECT_EQ(out, (Lines{"", "Début Analyse", "", "Répertoires de c:\\", " - \\documents and settings\\",
                        " - \\program files\\", "", "Analyse interrompue par l'utilisateur", "", "Fin Analyse"}));
}

TEST_F(FolderFixture, AMissingFolderLeavesTheSectionOutEntirely) {
  machine->FilesRoot.clear();  // no c:\ at all
  EXPECT_EQ(Run({kCatRootFolders, kCatProgramFilesFolders}), (Lines{"", "Début Analyse", "", "Fin Analyse"}));
  EXPECT_TRUE(host.Statuses.empty());
}

TEST_F(FolderFixture, UserFoldersEightLinesWithTrailingBackslashOrNothing) {
  machine->ShellFolders.erase(53);                          // no common music folder
  machine->ShellFolders[13] = "C:\\Mes musiques\\";         // already ends with one
  machine->ShellFolders[39] = "relative";                   // no backslash: empty
  Lines out = Run({kCatUserFolders});
  EXPECT_EQ(Lines(out.begin() + 3, out.end() - 2),
            (Lines{"Répertoires Utilisateur",
                   " - Répertoire \"Applications / Tous utilisateurs\" = C:\\Documents and Settings\\All Users\\Application Data\\",
                   " - Répertoire \"Documents / Tous utilisateurs\" = C:\\Documents and Settings\\All Users\\Documents\\",
                   " - Répertoire \"Ma musiques / Tous utilisateurs\" = ",
                   " - Répertoire \"Mes Images / Tous utilisateurs\" = C:\\Documents and Settings\\All Users\\Documents\\Mes images\\",
                   " - Répertoire \"Données applications\" = C:\\Documents and Settings\\Jean\\Application Data\\",
                   " - Répertoire \"Mes Documents / Utilisateur actuel\" = C:\\Documents and Settings\\Jean\\Mes documents\\",
                   " - Répertoire \"Ma musique / Utilisateur actuel\" = C:\\Mes musiques\\",
                   " - Répertoire \"Mes Images / Utilisateur actuel\" = "}));
}

TEST(ShellFolderText, TextEndsAtTheFirstNul) {
  RecordedMachine m;
  m.ShellFolders[5] = std::string("C:\\Docs\0garbage\\", 16);
  m.ShellFolders[26] = std::string("\0C:\\x", 5);
  EXPECT_EQ(ShellFolderText(m, 5), "C:\\Docs\\");
  EXPECT_EQ(ShellFolderText(m, 26), "");
  EXPECT_EQ(ShellFolderText(m, 99), "");
}

}  // namespace
}  // namespace kestrova
