#pragma once
// UTF-8 (the program's texts) <-> UTF-16 (the window API) at the window boundary.
#include <string>

#include "engine/platform/win32/win32_util.h"

namespace kestrova::app {

using win32::Narrow;
using win32::Widen;

}  // namespace kestrova::app
