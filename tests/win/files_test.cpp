// Files, folders and version resources over real Win32.
#include <windows.h>

#include <string>

#include "engine/core/text.h"
#include "engine/platform/files.h"
#include "engine/platform/win32/win32_util.h"
#include "tests/win/wine_env.h"

namespace kestrova::wintest {
namespace {

std::string OwnPath() {
  wchar_t path[MAX_PATH + 1] = {};
  DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  return win32::Narrow(path, n);
}

std::string Kernel32Path() { return Win32().System->SystemDirectory() + "\\kernel32.dll"; }

// A scratch folder in the temporary folder, removed afterwards: kestrova-<pid> holding
// "été.txt" (5 bytes) and an empty folder "sous-dossier".
class Win32FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = Win32().System->TempPath() + "kestrova-" + std::to_string(::GetCurrentProcessId());
    ASSERT_TRUE(::CreateDirectoryW(win32::Widen(root_).c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW(win32::Widen(root_ + "\\sous-dossier").c_str(), nullptr));
    HANDLE f = ::CreateFileW(win32::Widen(File()).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(f, "12345", 5, &written, nullptr);
    ::CloseHandle(f);
    ASSERT_EQ(written, 5u);
  }
  void TearDown() override {
    ::DeleteFileW(win32::Widen(File()).c_str());
    ::RemoveDirectoryW(win32::Widen(root_ + "\\sous-dossier").c_str());
    ::RemoveDirectoryW(win32::Widen(root_).c_str());
  }
  std::string File() const { return root_ + "\\\xC3\xA9t\xC3\xA9.txt"; }

  std::string root_;
};

TEST_F(Win32FilesTest, AttributesTellFilesFromFolders) {
  IFiles& files = *Win32().Files;
  auto dir = files.Attributes(root_);
  ASSERT_TRUE(dir);
  EXPECT_TRUE(*dir & kAttrDirectory);
  auto file = files.Attributes(File());
  ASSERT_TRUE(file);
  EXPECT_FALSE(*file & kAttrDirectory);
  EXPECT_TRUE(IsExistingFile(files, File()));
  EXPECT_FALSE(IsExistingFile(files, root_));
  EXPECT_FALSE(files.Attributes(root_ + "\\absent.txt"));
  EXPECT_FALSE(files.Attributes("C:\\nowhere\\at\\all"));
}

TEST_F(Win32FilesTest, ListingGivesNamesSizesAndAttributes) {
  auto list = Win32().Files->ListDirectory(root_);
  ASSERT_TRUE(list);
  ASSERT_EQ(list->size(), 2u);  // no "." nor ".."
  std::sort(list->begin(), list->end(),
            [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.Name < b.Name; });
  EXPECT_EQ((*list)[0].Name, "sous-dossier");
  EXPECT_TRUE((*list)[0].Attributes & kAttrDirectory);
  EXPECT_EQ((*list)[1].Name, "\xC3\xA9t\xC3\xA9.txt");
  EXPECT_FALSE((*list)[1].Attributes & kAttrDirectory);
  EXPECT_EQ((*list)[1].Size, 5u);
  // A trailing backslash names the same folder.
  auto again = Win32().Files->ListDirectory(root_ + "\\");
  ASSERT_TRUE(again);
  EXPECT_EQ(again->size(), 2u);
}

TEST_F(Win32FilesTest, EmptyFolderListsAsEmpty) {
  auto list = Win32().Files->ListDirectory(root_ + "\\sous-dossier");
  ASSERT_TRUE(list);
  EXPECT_TRUE(list->empty());
}

TEST_F(Win32FilesTest, WhatCannotBeListedGivesNothing) {
  EXPECT_FALSE(Win32().Files->ListDirectory(root_ + "\\absent"));
  EXPECT_FALSE(Win32().Files->ListDirectory(File()));
}

TEST_F(Win32FilesTest, FileWithoutVersionResource) {
  EXPECT_FALSE(Win32().Files->ReadVersionResource(File()));
  EXPECT_FALSE(Win32().Files->ReadVersionResource(root_ + "\\absent.dll"));
}

TEST(Win32Files, DriveRootListing) {
  auto list = Win32().Files->ListDirectory("C:\\");
  ASSERT_TRUE(list);
  bool windows = false;
  for (const auto& e : *list) {
    EXPECT_NE(e.Name, ".");
    EXPECT_NE(e.Name, "..");
    if (EqualsNoCase(e.Name, "windows")) windows = (e.Attributes & kAttrDirectory) != 0;
  }
  EXPECT_TRUE(windows);
}

TEST(Win32Files, WineDllVersionResourceHasOneTranslation) {
  auto res = Win32().Files->ReadVersionResource(Kernel32Path());
  ASSERT_TRUE(res);
  EXPECT_TRUE(res->HasFixedInfo);
  EXPECT_EQ(res->Translations, std::vector<uint32_t>{0x04B00409});
  ASSERT_EQ(res->StringTables.size(), 1u);
  const auto& table = res->StringTables.at("040904B0");
  EXPECT_EQ(table.at("OriginalFilename"), "kernel32.dll");
  EXPECT_EQ(table.at("FileDescription"), "Wine kernel DLL");
  EXPECT_EQ(table.at("FileVersion"),
            Format("%u.%u.%u.%u", res->FileVersionMS >> 16, res->FileVersionMS & 0xFFFF,
                   res->FileVersionLS >> 16, res->FileVersionLS & 0xFFFF));
  EXPECT_EQ(table.count("SpecialBuild"), 0u);  // absent strings are not invented
}

TEST(Win32Files, OwnVersionResourceWithTwoTranslations) {
  auto res = Win32().Files->ReadVersionResource(OwnPath());
  ASSERT_TRUE(res);
  ASSERT_TRUE(res->HasFixedInfo);
  EXPECT_EQ(res->FileVersionMS, 0x00010001u);
  EXPECT_EQ(res->FileVersionLS, 0x00000007u);
  EXPECT_EQ(res->ProductVersionMS, 0x00010001u);
  EXPECT_EQ(res->ProductVersionLS, 0x00020003u);
  EXPECT_EQ(res->Translations, (std::vector<uint32_t>{0x04E4040C, 0x04B00409}));
  ASSERT_EQ(res->StringTables.size(), 2u);
  const auto& fr = res->StringTables.at("040C04E4");
  EXPECT_EQ(fr.size(), 12u);  // every name asked for
  EXPECT_EQ(fr.at("FileDescription"), "Tests Windows de Kestrova \xE2\x80\x94 sous Wine");
  EXPECT_EQ(fr.at("LegalCopyright"), "\xC2\xA9 Kestrova");
  EXPECT_EQ(fr.at("LegalTrademarks"), "Kestrova\xE2\x84\xA2");
  EXPECT_EQ(fr.at("Comments"), "Donn\xC3\xA9" "es d'essai : \xC3\xA9 \xC3\xA0 \xC3\xA7");
  EXPECT_EQ(fr.at("PrivateBuild"), "construit \xC3\xA0 part");
  EXPECT_EQ(fr.at("SpecialBuild"), "\xC3\xA9" "dition sp\xC3\xA9" "ciale");
  EXPECT_EQ(fr.at("OriginalFilename"), "kestrova_wintests.exe");
  EXPECT_EQ(fr.at("InternalName"), "kestrova_wintests");
  EXPECT_EQ(fr.at("ProductVersion"), "1.1.2.3");
  const auto& en = res->StringTables.at("040904B0");
  EXPECT_EQ(en.size(), 4u);
  EXPECT_EQ(en.at("FileVersion"), "1.1.0.7 (en)");
}

}  // namespace
}  // namespace kestrova::wintest
