#pragma once
// The "Réseau" section: addresses, adapters, network components, Winsock and TCP/IP.
#include "sections/run.h"

namespace kestrova {

extern const SectionWriter kNetworkWriter;  // "Réseau"

}  // namespace kestrova
