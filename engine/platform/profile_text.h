#pragma once
// A profile (INI) file read from its bytes the way the private-profile functions read one:
// [section] lines, key=value lines, blanks around names and values dropped, no error for
// anything malformed. Used where a profile file is data (recorded machines, fuzzing).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrova {

struct ProfileKey {
  std::string Name;                  // the key, or the whole line when it has no '='
  std::optional<std::string> Value;  // as written, quotes kept; none without '='
};

struct ProfileSection {
  std::string Name;  // "" for the lines before the first section header
  std::vector<ProfileKey> Keys;
};

struct ProfileDocument {
  std::vector<ProfileSection> Sections;

  // The first section of that name (letter case ignored), or null.
  const ProfileSection* Find(const std::string& section) const;
  // What GetPrivateProfileString lists with no key name: the names of the first section
  // of that name that have a value, comment lines (';') left out.
  std::vector<std::string> SectionKeys(const std::string& section) const;
  // What GetPrivateProfileString answers with a key name: the value of the first such key
  // of the first such section, one pair of surrounding quotes ('' or "") removed; empty
  // when there is none.
  std::string Value(const std::string& section, const std::string& key) const;
};

// The file's text as UTF-8: UTF-16LE when it starts with that byte-order mark, UTF-8
// (byte-order mark dropped) when it is valid UTF-8, otherwise the ANSI code page cp1252.
std::string ProfileBytesToText(const uint8_t* data, size_t size);

// Never fails and never reads outside [data, data + size); one pass over the text.
ProfileDocument ParseProfileBytes(const uint8_t* data, size_t size);

}  // namespace kestrova
