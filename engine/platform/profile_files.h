#pragma once
// Profile (INI) files of the system: WIN.INI, SYSTEM.INI. What the private-profile
// functions answer for a file, a section and a key; on the NT family they answer some
// sections of WIN.INI and SYSTEM.INI from the registry (IniFileMapping), and the real
// implementation therefore goes through them rather than through the file's bytes.
#include <string>
#include <vector>

namespace kestrova {

class IProfileFiles {
 public:
  virtual ~IProfileFiles() = default;
  // The key names of the section, in file order, as GetPrivateProfileString lists them
  // with no key name; empty when the file or the section is missing.
  virtual std::vector<std::string> SectionKeys(const std::string& file, const std::string& section) const = 0;
  // The value of the first such key of the section (surrounding quotes removed, as the
  // profile functions do); empty when the file, section or key is missing.
  virtual std::string ReadString(const std::string& file, const std::string& section,
                                 const std::string& key) const = 0;
};

}  // namespace kestrova
