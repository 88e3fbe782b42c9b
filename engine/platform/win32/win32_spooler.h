#pragma once
// ISpooler over the running Windows: EnumPrinters of winspool and the "device" entry of
// the [windows] section of WIN.INI (the registry mapping of it on NT).
#include "engine/platform/spooler.h"

namespace kestrova::win32 {

class Win32Spooler final : public ISpooler {
 public:
  std::optional<std::vector<SpoolerPrinter>> Enumerate(uint32_t flags, uint32_t level) override;
  std::optional<std::string> DefaultPrinter() override;
};

}  // namespace kestrova::win32
