#pragma once
// The real machine: every platform interface over the Win32 API.
#include <memory>

#include "engine/platform/platform.h"

namespace kestrova {

std::unique_ptr<PlatformHost> MakeWin32Platform();

}  // namespace kestrova
