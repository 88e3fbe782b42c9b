// Wide or ANSI entry points: the choice, the code page conversions, and proof that the
// family in use is the one every area of the layer calls. ctest runs this program once
// with the wide family (winxp) and once with the ANSI one forced under win98
// (KESTROVA_FORCE_ANSI=1); both families read the same fixtures, so the other tests
// of the program check the ANSI family too.
//
// The proof: text that the system code page (1252 here) cannot hold reaches the wide
// family whole, and the ANSI family the way an NT system converts it for the ANSI calls,
// with "best fit" (alpha -> a, beta -> sharp s, omega -> O: measured with Wine 8). The
// layer's own conversions of names going in turn it into '?' instead, so such a name
// finds nothing rather than something else.
#include <windows.h>

#include <string>

#include "engine/platform/win32/api_family.h"
#include "engine/platform/win32/win32_util.h"
#include "tests/win/wine_env.h"

namespace kestrova::wintest {
namespace {

using win32::ApiFamily;

constexpr DWORD kVersionWin98 = 0xC0000A04;  // GetVersion(): high bit set on the 9x family
constexpr DWORD kVersionXP = 0x0A280105;

// What the run asked for: the variable, or else the personality.
ApiFamily ExpectedFamily() {
  std::string forced = EnvOr("KESTROVA_FORCE_ANSI", "");
  if (forced == "1") return ApiFamily::Ansi;
  if (forced == "0") return ApiFamily::Wide;
  return EnvOr("KESTROVA_WINVER", "") == "win98" ? ApiFamily::Ansi : ApiFamily::Wide;
}

bool Ansi() { return win32::UseAnsiApi(); }

// "αβ" is not in cp1252; "é" is.
const wchar_t* const kGreekWide = L"\u03b1\u03b2 \u00e9";
const char* const kGreekUtf8 = "\xCE\xB1\xCE\xB2 \xC3\xA9";
const char* const kGreekThroughAnsi = "a\xC3\x9F \xC3\xA9";  // "aß é"

std::string Expected() { return Ansi() ? kGreekThroughAnsi : kGreekUtf8; }

TEST(Win32ApiFamily, ChoiceFromTheVersionUnlessTheRunForcesOne) {
  EXPECT_EQ(win32::ChooseApiFamily(nullptr, kVersionWin98), ApiFamily::Ansi);
  EXPECT_EQ(win32::ChooseApiFamily(nullptr, kVersionXP), ApiFamily::Wide);
  EXPECT_EQ(win32::ChooseApiFamily("1", kVersionXP), ApiFamily::Ansi);
  EXPECT_EQ(win32::ChooseApiFamily("0", kVersionWin98), ApiFamily::Wide);
  EXPECT_EQ(win32::ChooseApiFamily("", kVersionWin98), ApiFamily::Ansi);
  EXPECT_EQ(win32::ChooseApiFamily("yes", kVersionXP), ApiFamily::Wide);
}

TEST(Win32ApiFamily, ThisRunUsesTheFamilyItAskedFor) {
  EXPECT_EQ(win32::ProcessApiFamily(), ExpectedFamily());
  if (EnvOr("KESTROVA_WINVER", "") == "win98") {
    EXPECT_TRUE(::GetVersion() & 0x80000000u) << "the 98 personality answers as the 9x family";
  }
}

TEST(Win32ApiFamily, CodePageConversions) {
  ASSERT_EQ(::GetACP(), 1252u) << "the expectations below are those of cp1252";
  EXPECT_EQ(win32::Utf8ToAnsi("\xC3\xA9t\xC3\xA9 \xE2\x82\xAC"), "\xE9t\xE9 \x80");
  EXPECT_EQ(win32::Utf8ToAnsi(kGreekUtf8), "?? \xE9");
  EXPECT_EQ(win32::Utf8ToAnsi(""), "");
  EXPECT_EQ(win32::AnsiToUtf8(std::string("un\0\xE9lan\0\0", 9)), std::string("un\0\xC3\xA9lan\0\0", 10));
  EXPECT_EQ(win32::AnsiToUtf8UntilNul("ab\0cd", 5), "ab");
  EXPECT_EQ(win32::AnsiToUtf8UntilNul("\x80" "abc", 2), "\xE2\x82\xAC" "a");
  EXPECT_EQ(win32::AnsiToUtf8(nullptr, 3), "");
}

// A key, a value and a file that only the wide family can name exactly, made with the
// wide calls whatever the family under test, and removed afterwards.
class Win32ApiFamilyTest : public ::testing::Test {
 protected:
  static constexpr const wchar_t* kKey = L"Software\\KestrovaTest\\Famille";

  void SetUp() override {
    ASSERT_EQ(::GetACP(), 1252u);
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    std::wstring text(kGreekWide);
    ::RegSetValueExW(key, L"Texte", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    HKEY sub = nullptr;
    ::RegCreateKeyExW(key, L"\u03a9", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr);
    if (sub) ::RegCloseKey(sub);
    ::RegCloseKey(key);

    folder_ = Win32().System->TempPath() + "kestrova-famille-" + std::to_string(::GetCurrentProcessId());
    ASSERT_TRUE(::CreateDirectoryW(win32::Widen(folder_).c_str(), nullptr) ||
                ::GetLastError() == ERROR_ALREADY_EXISTS);
    HANDLE f = ::CreateFileW(win32::Widen(File()).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE) << ::GetLastError();
    ::CloseHandle(f);
  }
  void TearDown() override {
    ::RegDeleteKeyW(HKEY_CURRENT_USER, (std::wstring(kKey) + L"\\\u03a9").c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kKey);
    ::DeleteFileW(win32::Widen(File()).c_str());
    ::RemoveDirectoryW(win32::Widen(folder_).c_str());
  }
  std::string File() const { return folder_ + "\\" + kGreekUtf8 + ".txt"; }

  std::string folder_;
};

TEST_F(Win32ApiFamilyTest, RegistryTextAndNames) {
  IRegistry& reg = *Win32().Registry;
  auto v = reg.QueryValue(RootKey::CurrentUser, "Software\\KestrovaTest\\Famille", "Texte");
  ASSERT_TRUE(v);
  EXPECT_EQ(v->Type, kRegSz);
  EXPECT_EQ(v->Data, Bytes(Expected() + '\0'));
  EXPECT_EQ(reg.SubKeyNames(RootKey::CurrentUser, "Software\\KestrovaTest\\Famille"),
            std::vector<std::string>{Ansi() ? "O" : "\xCE\xA9"});
  EXPECT_EQ(reg.ValueNames(RootKey::CurrentUser, "Software\\KestrovaTest\\Famille"),
            std::vector<std::string>{"Texte"});
  // Going in, the name becomes "?": the ANSI family cannot name the key.
  EXPECT_EQ(reg.KeyExists(RootKey::CurrentUser, "Software\\KestrovaTest\\Famille\\\xCE\xA9"), !Ansi());
}

TEST_F(Win32ApiFamilyTest, EnvironmentText) {
  ASSERT_TRUE(::SetEnvironmentVariableW(L"KESTROVA_FAMILLE", kGreekWide));
  EXPECT_EQ(Win32().System->EnvironmentVariable("KESTROVA_FAMILLE"), std::optional<std::string>(Expected()));
  std::string block = Win32().System->EnvironmentBlock();
  EXPECT_NE(block.find("KESTROVA_FAMILLE=" + Expected() + '\0'), std::string::npos);
  ::SetEnvironmentVariableW(L"KESTROVA_FAMILLE", nullptr);
}

TEST_F(Win32ApiFamilyTest, FileNames) {
  auto list = Win32().Files->ListDirectory(folder_);
  ASSERT_TRUE(list);
  ASSERT_EQ(list->size(), 1u);
  EXPECT_EQ((*list)[0].Name, Expected() + ".txt");
  EXPECT_EQ(Win32().Files->Attributes(File()).has_value(), !Ansi());  // "?? é.txt" is no name
}

}  // namespace
}  // namespace kestrova::wintest
