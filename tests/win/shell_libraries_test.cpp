// Shell folders and run-time bound libraries over real Win32.
#include <windows.h>
#include <shlobj.h>

#include "engine/core/text.h"
#include "tests/win/wine_env.h"

namespace kestrova::wintest {
namespace {

TEST(Win32Shell, FileSystemFolders) {
  IShell& shell = *Win32().Shell;
  auto windows = shell.SpecialFolderPath(CSIDL_WINDOWS);
  ASSERT_TRUE(windows);
  EXPECT_TRUE(EqualsNoCase(*windows, Win32().System->WindowsDirectory()));
  auto system = shell.SpecialFolderPath(CSIDL_SYSTEM);
  ASSERT_TRUE(system);
  EXPECT_TRUE(EqualsNoCase(*system, Win32().System->SystemDirectory()));
  auto documents = shell.SpecialFolderPath(CSIDL_PERSONAL);
  ASSERT_TRUE(documents);
  EXPECT_TRUE(StartsWith(ToLowerAscii(*documents), "c:\\users\\")) << *documents;
}

TEST(Win32Shell, VirtualFoldersHaveNoPath) {
  // Control panel, recycle bin, My Computer: item lists exist, file system paths do not.
  // (Wine answers "::{GUID}" texts for a few other virtual folders, e.g. printers and
  // network; Windows answers nothing for them.)
  EXPECT_FALSE(Win32().Shell->SpecialFolderPath(CSIDL_CONTROLS));
  EXPECT_FALSE(Win32().Shell->SpecialFolderPath(CSIDL_BITBUCKET));
  EXPECT_FALSE(Win32().Shell->SpecialFolderPath(CSIDL_DRIVES));
  // No such folder: the item list itself is refused.
  EXPECT_FALSE(Win32().Shell->SpecialFolderPath(0x0C));
  EXPECT_FALSE(Win32().Shell->SpecialFolderPath(0x7F7F));
}

TEST(Win32Libraries, LoadedModuleEntryPointsAndFree) {
  ILibraries& libs = *Win32().Libraries;
  ModuleHandle kernel = libs.GetLoadedModule("kernel32.dll");
  ASSERT_NE(kernel, 0u);
  EXPECT_EQ(kernel, reinterpret_cast<ModuleHandle>(::GetModuleHandleW(L"kernel32.dll")));
  EXPECT_TRUE(libs.HasEntryPoint(kernel, "GetVersionExW"));
  EXPECT_FALSE(libs.HasEntryPoint(kernel, "KestrovaNoSuchEntry"));
  EXPECT_FALSE(libs.HasEntryPoint(0, "GetVersionExW"));
  EXPECT_EQ(libs.GetLoadedModule("kestrova-absent.dll"), 0u);
}

TEST(Win32Libraries, LoadAndFree) {
  ILibraries& libs = *Win32().Libraries;
  ModuleHandle ras = libs.Load("rasapi32.dll");
  ASSERT_NE(ras, 0u);
  EXPECT_TRUE(libs.HasEntryPoint(ras, "RasEnumConnectionsA"));
  EXPECT_TRUE(libs.Free(ras));
  EXPECT_EQ(libs.Load("kestrova-absent.dll"), 0u);
  EXPECT_FALSE(libs.Free(0));
}

}  // namespace
}  // namespace kestrova::wintest
