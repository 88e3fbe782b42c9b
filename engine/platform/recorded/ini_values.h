#pragma once
// Value readers for machine.ini sections whose handlers live beside their recorded twins:
// numbers (decimal or 0x hexadecimal, a leading '-' where the value may be negative),
// flags and hex byte strings. A value that is not what is expected, or is out of range,
// throws LoadError (file and line).
#include <cstdint>
#include <string>
#include <vector>

#include "engine/platform/recorded/ini.h"

namespace kestrova {

uint64_t IniUnsigned(const IniEntry& e, const std::string& file, uint64_t max);
int64_t IniSigned(const IniEntry& e, const std::string& file, int64_t min, int64_t max);
[[noreturn]] void IniFail(const IniEntry& e, const std::string& file, const std::string& what);

// The same readers bound to one file, with the byte-string forms.
class IniValues {
 public:
  explicit IniValues(std::string file) : file_(std::move(file)) {}
  [[noreturn]] void Fail(const IniEntry& e, const std::string& what) const { IniFail(e, file_, what); }
  uint64_t Number(const IniEntry& e, uint64_t max) const { return IniUnsigned(e, file_, max); }
  bool Flag(const IniEntry& e) const { return Number(e, 1) != 0; }
  // "12 01 10 01" or "12,01,10,01": hexadecimal bytes.
  std::vector<uint8_t> HexBytes(const IniEntry& e) const;
  // "00-0c-29-4a-1b-2c": hexadecimal bytes joined by '-'.
  std::vector<uint8_t> DashedBytes(const IniEntry& e) const;

 private:
  std::string file_;
};

}  // namespace kestrova
