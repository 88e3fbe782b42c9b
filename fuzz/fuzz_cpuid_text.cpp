// cpuid.txt parser.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/platform/recorded/load_error.h"
#include "engine/platform/recorded/machine_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    auto t = kestrova::ParseCpuidText(std::string(reinterpret_cast<const char*>(data), size), "fuzz.txt");
    (void)t.Query(0, 0, 0);
  } catch (const kestrova::LoadError&) {
  }
  return 0;
}
