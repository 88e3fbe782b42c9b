// The EDID decode over values of any length (a monitor's "EDID" registry value).
#include <cstddef>
#include <cstdint>

#include "engine/os/edid.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const kestrova::TEDIDInfo info = kestrova::DecodeEDID(data, size);
  // Whatever the bytes, each text comes from at most three 13-byte descriptors, every
  // byte at most three bytes of UTF-8.
  constexpr size_t kMaxText = 3 * 13 * 3;
  if (info.Name.size() > kMaxText || info.ProductNumber.size() > kMaxText) __builtin_trap();
  return 0;
}
