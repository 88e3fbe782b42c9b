#pragma once
// IGate16 over kernel32's 16-bit loader (ordinals 35, 36 and 37) and QT_Thunk. They exist
// on the 9x family only, and only 32-bit code can use them: in the 64-bit build the
// module never loads.
#include "engine/platform/gate16.h"

namespace kestrova::win32 {

class Win32Gate16 final : public IGate16 {
 public:
  uint32_t LoadLibrary16(const std::string& name) override;
  void FreeLibrary16(uint32_t module) override;
  uint32_t GetProcAddress16(uint32_t module, const std::string& name) override;
  uint16_t CallWord16(uint32_t address, uint16_t argument) override;
};

}  // namespace kestrova::win32
