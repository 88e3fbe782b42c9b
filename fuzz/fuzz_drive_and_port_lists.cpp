// The two list walks over text the system hands back: the root-name buffer of the drive
// list (letters up to the double NUL, never past the buffer) and a spooler port list
// (split at commas).
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/inventory/disk.h"
#include "engine/inventory/printers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string letters = kestrova::DriveLettersFromRootNames(text);
  if (letters.size() > size) __builtin_trap();
  size_t total = 0;
  for (const std::string& port : kestrova::SplitPortList(text)) total += port.size() + 1;
  if (total > size + 1) __builtin_trap();
  return 0;
}
