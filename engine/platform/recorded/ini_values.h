#pragma once
// Value readers for the machine.ini sections of the network and USB areas: numbers,
// flags, lists and hex byte strings, each failing with the file and line.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/platform/recorded/ini.h"

namespace kestrova {

class IniValues {
 public:
  explicit IniValues(std::string file) : file_(std::move(file)) {}
  [[noreturn]] void Fail(const IniEntry& e, const std::string& what) const;
  uint64_t Number(const IniEntry& e, uint64_t max) const;  // decimal or 0x hexadecimal
  bool Flag(const IniEntry& e) const { return Number(e, 1) != 0; }
  // "12 01 10 01" or "12,01,10,01": hexadecimal bytes.
  std::vector<uint8_t> HexBytes(const IniEntry& e) const;
  // "00-0c-29-4a-1b-2c": hexadecimal bytes joined by '-'.
  std::vector<uint8_t> DashedBytes(const IniEntry& e) const;

 private:
  std::string file_;
};

}  // namespace kestrova
