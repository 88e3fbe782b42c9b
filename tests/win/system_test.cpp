// System facts over real Win32 (the parts that do not depend on the personality).
#include <windows.h>

#include <string>

#include "engine/core/text.h"
#include "engine/platform/system.h"
#include "engine/platform/win32/win32_util.h"
#include "tests/win/wine_env.h"

namespace kestrova::wintest {
namespace {

TEST(Win32System, VersionAnswersTheExtendedRecord) {
  VersionFacts v = Win32().System->Version();
  EXPECT_TRUE(v.HasExtended);  // Wine answers OSVERSIONINFOEX under every personality
  EXPECT_GE(v.MajorVersion, 4u);
  EXPECT_TRUE(v.PlatformId == 1 || v.PlatformId == 2);
}

TEST(Win32System, NativeSystemInfo) {
  SystemFacts s = Win32().System->SystemInfo();
  EXPECT_GE(s.ProcessorCount, 1u);
  EXPECT_EQ(s.PageSize, 4096u);
  EXPECT_EQ(s.AllocationGranularity, 65536u);
  EXPECT_EQ(s.ProcessorArchitecture, PROCESSOR_ARCHITECTURE_AMD64);  // the native view
  EXPECT_LT(s.MinimumApplicationAddress, s.MaximumApplicationAddress);
}

TEST(Win32System, Names) {
  auto computer = Win32().System->ComputerName();
  ASSERT_TRUE(computer);
  EXPECT_FALSE(computer->empty());
  EXPECT_EQ(computer->find('\0'), std::string::npos);
  auto user = Win32().System->UserName();
  ASSERT_TRUE(user);
  EXPECT_FALSE(user->empty());
  EXPECT_EQ(user->find('\0'), std::string::npos);
}

TEST(Win32System, Folders) {
  EXPECT_TRUE(EqualsNoCase(Win32().System->WindowsDirectory(), "C:\\windows"));
  EXPECT_TRUE(EqualsNoCase(Win32().System->SystemDirectory(), "C:\\windows\\system32"));
  std::string temp = Win32().System->TempPath();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), '\\');
}

TEST(Win32System, ClockAndLanguage) {
  EXPECT_GT(Win32().System->TickCount(), 0u);
  LocalTime t = Win32().System->Now();
  EXPECT_GE(t.Year, 2024);
  EXPECT_GE(t.Month, 1);
  EXPECT_LE(t.Month, 12);
  EXPECT_GE(t.DayOfWeek, 0);
  EXPECT_LE(t.DayOfWeek, 6);
  EXPECT_NE(Win32().System->SystemDefaultLangID(), 0);
}

TEST(Win32System, EnvironmentBlockHoldsTheVariablesOfTheRun) {
  std::string block = Win32().System->EnvironmentBlock();
  ASSERT_GE(block.size(), 2u);
  EXPECT_EQ(block.substr(block.size() - 2), std::string(2, '\0'));
  std::string expected = "KESTROVA_WINVER=" + EnvOr("KESTROVA_WINVER", "?") + '\0';
  EXPECT_NE(block.find(expected), std::string::npos);
}

TEST(Win32System, EnvironmentVariables) {
  ASSERT_TRUE(::SetEnvironmentVariableW(L"KESTROVA_ACCENT", L"\u00e9t\u00e9 \u20ac"));
  ASSERT_TRUE(::SetEnvironmentVariableW(L"KESTROVA_EMPTY", L""));
  std::wstring big(3000, L'x');
  ASSERT_TRUE(::SetEnvironmentVariableW(L"KESTROVA_BIG", big.c_str()));
  ISystem& sys = *Win32().System;
  EXPECT_EQ(sys.EnvironmentVariable("KESTROVA_ACCENT"), std::optional<std::string>("\xC3\xA9t\xC3\xA9 \xE2\x82\xAC"));
  EXPECT_EQ(sys.EnvironmentVariable("kestrova_accent"), sys.EnvironmentVariable("KESTROVA_ACCENT"));
  EXPECT_EQ(sys.EnvironmentVariable("KESTROVA_EMPTY"), std::optional<std::string>(""));
  EXPECT_EQ(sys.EnvironmentVariable("KESTROVA_BIG"), std::optional<std::string>(std::string(3000, 'x')));
  EXPECT_EQ(sys.EnvironmentVariable("KESTROVA_NOT_SET"), std::nullopt);
  std::string block = sys.EnvironmentBlock();
  EXPECT_NE(block.find(std::string("KESTROVA_ACCENT=\xC3\xA9t\xC3\xA9 \xE2\x82\xAC") + '\0'), std::string::npos);
}

TEST(Win32System, ServerR2MetricIsZero) { EXPECT_EQ(Win32().System->ServerR2Metric(), 0); }

TEST(Win32System, KernelVersionHighIsKernel32FileVersion) {
  auto res = Win32().Files->ReadVersionResource(Win32().System->SystemDirectory() + "\\kernel32.dll");
  ASSERT_TRUE(res);
  ASSERT_TRUE(res->HasFixedInfo);
  EXPECT_NE(res->FileVersionMS, 0u);
  EXPECT_EQ(Win32().System->KernelVersionHigh(), res->FileVersionMS);
}

TEST(Win32System, KeyboardStateIsTheThreadsState) {
  BYTE expected[256] = {};
  ASSERT_TRUE(::GetKeyboardState(expected));
  auto state = Win32().System->KeyboardState();
  for (size_t i = 0; i < 256; ++i) EXPECT_EQ(state[i], expected[i]) << "key " << i;
}

TEST(Win32System, RasEnumerationFindsNoConnection) {
  RasEnumResult r = Win32().System->EnumRasConnections();
  EXPECT_TRUE(r.LibraryPresent);
  EXPECT_TRUE(r.EntryPointPresent);
  EXPECT_EQ(r.ReturnCode, 0u);
  EXPECT_EQ(r.ConnectionCount, 0u);
}

TEST(Win32Conversions, Utf8AndUtf16RoundTrip) {
  std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z";  // a é € 😀 z
  std::wstring wide = win32::Widen(text);
  EXPECT_EQ(wide, std::wstring(L"a\u00e9\u20ac\xD83D\xDE00z"));
  EXPECT_EQ(win32::Narrow(wide), text);
  EXPECT_EQ(win32::Narrow(std::wstring(L"a\0b", 3)), std::string("a\0b", 3));
  EXPECT_EQ(win32::NarrowUntilNul(L"ab\0cd", 5), "ab");
  EXPECT_EQ(win32::NarrowUntilNul(L"abcd", 2), "ab");
}

// --- locale: the run sets LC_ALL, which is what Wine takes its user locale from ---------

TEST(LocaleEnglish, SeparatorsAndNamesFromSunday) {
  KESTROVA_ONLY_WHEN("KESTROVA_LOCALE", "en");
  LocaleFacts f = Win32().System->Locale();
  EXPECT_EQ(f.DecimalSeparator, ".");
  EXPECT_EQ(f.DateSeparator, "/");
  EXPECT_EQ(f.TimeSeparator, ":");
  EXPECT_EQ(f.DayNames, (std::array<std::string, 7>{"Sunday", "Monday", "Tuesday", "Wednesday",
                                                    "Thursday", "Friday", "Saturday"}));
  EXPECT_EQ(f.MonthNames[0], "January");
  EXPECT_EQ(f.MonthNames[11], "December");
  EXPECT_EQ(f.Values["LOCALE_ILANGUAGE"], "0409");
  EXPECT_EQ(f.Values["LOCALE_SDECIMAL"], ".");
  EXPECT_EQ(f.Values["LOCALE_SISO639LANGNAME"], "en");
}

TEST(LocaleFrench, SeparatorsAndNamesFromSunday) {
  KESTROVA_ONLY_WHEN("KESTROVA_LOCALE", "fr");
  LocaleFacts f = Win32().System->Locale();
  EXPECT_EQ(f.DecimalSeparator, ",");
  EXPECT_EQ(f.DateSeparator, "/");
  EXPECT_EQ(f.TimeSeparator, ":");
  EXPECT_EQ(f.DayNames, (std::array<std::string, 7>{"dimanche", "lundi", "mardi", "mercredi", "jeudi",
                                                    "vendredi", "samedi"}));
  EXPECT_EQ(f.MonthNames, (std::array<std::string, 12>{"janvier", "f\xC3\xA9vrier", "mars", "avril", "mai",
                                                       "juin", "juillet", "ao\xC3\xBBt", "septembre",
                                                       "octobre", "novembre", "d\xC3\xA9" "cembre"}));
  EXPECT_EQ(f.Values["LOCALE_ILANGUAGE"], "040c");
  EXPECT_EQ(f.Values["LOCALE_SSHORTDATE"], "dd/MM/yyyy");
  EXPECT_EQ(f.Values["LOCALE_STHOUSAND"], "\xC2\xA0");  // U+00A0
  EXPECT_EQ(Win32().System->SystemDefaultLangID(), 0x040C);
}

}  // namespace
}  // namespace kestrova::wintest
