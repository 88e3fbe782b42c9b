#pragma once
// What every information class is handed at construction: the platform it reads the
// machine through and the record of the running Windows, computed once beforehand.
#include "engine/os/osinfo.h"
#include "engine/platform/platform.h"

namespace kestrova {

struct EngineContext {
  Platform Sys;
  TOSInfo OSInfo;
};

// Computes OSInfo from the platform: the one place it is worked out.
EngineContext MakeEngineContext(const Platform& platform);

}  // namespace kestrova
