#pragma once
// The Windows 9x family's way from 32-bit code into a 16-bit module: kernel32's
// LoadLibrary16 (ordinal 35), FreeLibrary16 (ordinal 36) and GetProcAddress16 (ordinal
// 37), and the QT_Thunk gate that calls a 16-bit routine. Only the i686 build on the 9x
// family has them; everywhere else the module never loads.
#include <cstdint>
#include <string>

namespace kestrova {

class IGate16 {
 public:
  virtual ~IGate16() = default;
  // The 16-bit module handle; below 32 is an error code (0 when there is no loader).
  virtual uint32_t LoadLibrary16(const std::string& name) = 0;
  virtual void FreeLibrary16(uint32_t module) = 0;
  // A 16:16 address, or 0 when the module does not export the name.
  virtual uint32_t GetProcAddress16(uint32_t module, const std::string& name) = 0;
  // Calls a 16-bit PASCAL routine taking one WORD and returning one, through QT_Thunk.
  virtual uint16_t CallWord16(uint32_t address, uint16_t argument) = 0;
};

}  // namespace kestrova
