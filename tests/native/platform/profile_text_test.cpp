// Profile files read from their bytes: what the key listing and the value lookup answer.
#include "engine/platform/profile_text.h"

#include <gtest/gtest.h>

namespace kestrova {
namespace {

using Lines = std::vector<std::string>;

ProfileDocument Parse(const std::string& bytes) {
  return ParseProfileBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

TEST(ProfileText, KeysAndValuesAsTheProfileFunctionsGiveThem) {
  const std::string text =
      "orphan=before any section\r\n"
      "[boot]\r\n"
      "  shell = Explorer.exe  \r\n"
      "; load=commented.exe\r\n"
      "bare line\r\n"
      "run=\r\n"
      "Quoted=\"  keeps blanks  \"\r\n"
      "Single='x'\r\n"
      "Half=\"open\r\n"
      "one\"=\"two\r\n"
      "=no name\r\n"
      "shell=second.exe\r\n"
      "[bad section\r\n"
      "\r\n"
      "[ Spaced ]\r\n"
      "a=1\r\n"
      "[BOOT]\r\n"
      "run=from the second boot\r\n"
      "[empty]\n"
      "[last]\n"
      "k=v";  // no line break at the end
  ProfileDocument doc = Parse(text);
  const struct { const char* Section; Lines Keys; } kKeys[] = {
      {"boot", {"shell", "run", "Quoted", "Single", "Half", "one\"", "shell"}},
      {"BOOT", {"shell", "run", "Quoted", "Single", "Half", "one\"", "shell"}},  // the first one
      {"", {"orphan"}},
      {" Spaced ", {"a"}},
      {"Spaced", {}},
      {"empty", {}},
      {"last", {"k"}},
      {"missing", {}},
  };
  for (const auto& c : kKeys) EXPECT_EQ(doc.SectionKeys(c.Section), c.Keys) << "[" << c.Section << "]";

  const struct { const char* Section; const char* Key; const char* Value; } kValues[] = {
      {"boot", "SHELL", "Explorer.exe"},  // the first of two, letter case ignored
      {"boot", "run", ""},
      {"boot", "Quoted", "  keeps blanks  "},
      {"boot", "Single", "x"},
      {"boot", "Half", "\"open"},
      {"boot", "one\"", "\"two"},
      {"boot", "bare line", ""},
      {"boot", "load", ""},
      {"boot", "missing", ""},
      {"boot", "", "no name"},  // the line "=no name"
      {"last", "k", "v"},
      {"", "orphan", "before any section"},
      {"missing", "k", ""},
  };
  for (const auto& c : kValues) EXPECT_EQ(doc.Value(c.Section, c.Key), c.Value) << "[" << c.Section << "] " << c.Key;
}

TEST(ProfileText, EncodingsOfTheFile) {
  // UTF-16LE with its byte-order mark.
  std::string utf16 = "\xFF\xFE";
  for (char c : std::string("[windows]\r\nload=a\xE9.exe\r\n")) {
    utf16 += c;
    utf16 += '\0';
  }
  EXPECT_EQ(Parse(utf16).Value("windows", "load"), "a\xC3\xA9.exe");
  // UTF-8 with and without its mark, and the ANSI code page when the bytes are not UTF-8.
  EXPECT_EQ(Parse("\xEF\xBB\xBF[w]\nk=\xC3\xA9t\xC3\xA9").Value("w", "k"), "\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(Parse("[w]\nk=\xE9t\xE9 \x80").Value("w", "k"), "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC");
  // An odd byte at the end of UTF-16 text is dropped, not read past.
  EXPECT_EQ(ProfileBytesToText(reinterpret_cast<const uint8_t*>("\xFF\xFE" "a\0b"), 5), "a");
  EXPECT_EQ(ProfileBytesToText(nullptr, 0), "");
  EXPECT_TRUE(Parse("").Sections.empty());
}

}  // namespace
}  // namespace kestrova
