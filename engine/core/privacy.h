#pragma once
// The privacy filter: personal values (serial numbers, product identifier, MAC and IP
// addresses, user and computer names, registered owner and organisation) replaced by
// stable placeholders, "<adresse MAC 2>", so a report can be shared and still compared.
// The values are taken from the engine's members after their refresh (the table of which
// values of which classes are personal is CollectPersonalValues, privacy.cpp); each text
// the report writes then goes through Apply.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova {

class TSystemInfo;

enum class PersonalKind : uint8_t {
  SerialNumber, MACAddress, IPAddress, UserName, ComputerName, Owner, Organisation, ProductID, Count_
};

// The placeholder's words: "numéro de série", "adresse MAC", ...
const char* PersonalKindName(PersonalKind kind);

class PrivacyFilter {
 public:
  // Records a value; the first value of a kind becomes "<... 1>", the next new one
  // "<... 2>". Values that tell nothing about anyone (empty, blank, all zeros, fewer than
  // three characters, loopback and unspecified addresses) are left alone. A value is
  // matched without regard to ASCII case (paths come in either case).
  void Add(PersonalKind kind, const std::string& value);

  // The placeholder of a recorded value, or an empty text.
  std::string PlaceholderOf(const std::string& value) const;

  // The text with every recorded value replaced where it stands as a whole: not preceded
  // or followed by a letter, a digit, '_' or a character from 128 on (an IP address: by a
  // digit or a dot). So the user name in "C:\Documents and Settings\Jean\Bureau" goes,
  // "PC" inside "PCI" stays, and the address in "IP_192.168.1.20" goes.
  std::string Apply(const std::string& text) const;
  // The same, appended to `out`.
  void AppendApplied(std::string_view text, std::string& out) const;

  size_t Count() const { return values_.size(); }

  // Each value with its kind, its number among its kind's values and its replacement.
  struct Entry {
    PersonalKind Kind;
    unsigned Number;
    std::string Value, Replacement;
  };
  std::vector<Entry> Entries() const;
  // A filter over other forms of the same values (escaped for a document, stand-ins for
  // recorded files): the entries are taken as given, none is left out.
  static PrivacyFilter FromEntries(const std::vector<Entry>& entries);
  // The values as a document of the report writer holds them, each replaced by its
  // placeholder escaped the same way.
  PrivacyFilter ForReportDocument() const;
  // Filters a document of the report writer: a whole number that is a personal value
  // (a monitor's numeric serial) becomes 0, so the data line keeps its type; every other
  // value is replaced by its escaped placeholder.
  void ApplyToDocument(std::vector<std::string>& lines) const;

  const std::vector<std::string>& Values() const { return values_; }
  // Each value's number among its kind's values, in the order of Values().
  const std::vector<unsigned>& Numbers() const { return numbers_; }

 private:
  std::vector<std::string> values_;        // as recorded, longest first when applied
  std::vector<std::string> placeholders_;  // same order as values_
  std::vector<PersonalKind> kinds_;        // same order as values_
  std::vector<unsigned> numbers_;          // same order as values_
  std::map<std::string, size_t> byFolded_; // lower-case value -> index
  unsigned next_[static_cast<size_t>(PersonalKind::Count_)] = {};
  std::vector<size_t> order_;              // indices, longest value first
  bool starts_[256] = {};                  // the first characters of the values, in either case

  void Insert(PersonalKind kind, unsigned number, const std::string& value, const std::string& replacement);
};

// Reads the personal values of every member the engine holds now (without refreshing
// anything) into the filter.
void CollectPersonalValues(const TSystemInfo& engine, PrivacyFilter& filter);

// Refreshes the members whose values turn up in other categories' lines (the machine's
// names, the registered owner), so a report of any ticked categories is filtered.
void RefreshPersonalMembers(TSystemInfo& engine);

}  // namespace kestrova
