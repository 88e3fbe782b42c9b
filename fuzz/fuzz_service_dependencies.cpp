// The service dependency list (names ended by NULs, the list by an empty name), from any
// bytes, and the comma-separated text splitting of the IE minor versions.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/inventory/process_list.h"
#include "engine/os/internet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string joined = kestrova::DependencyNames(text);
  if (joined.size() > text.size()) __builtin_trap();  // never longer than its source
  (void)kestrova::SplitCommaText(text);
  return 0;
}
