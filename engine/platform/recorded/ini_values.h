#pragma once
// Numbers of machine.ini values for the section handlers that live beside their recorded
// twins: decimal or 0x hexadecimal, a leading '-' where the value may be negative. A
// value that is not such a number, or is out of range, throws LoadError (file and line).
#include <cstdint>
#include <string>

#include "engine/platform/recorded/ini.h"

namespace kestrova {

uint64_t IniUnsigned(const IniEntry& e, const std::string& file, uint64_t max);
int64_t IniSigned(const IniEntry& e, const std::string& file, int64_t min, int64_t max);
[[noreturn]] void IniFail(const IniEntry& e, const std::string& file, const std::string& what);

}  // namespace kestrova
