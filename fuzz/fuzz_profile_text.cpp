// Profile (INI) files on arbitrary bytes: the parse, then every lookup the engine makes of
// each section and key it found.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/platform/profile_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const kestrova::ProfileDocument doc = kestrova::ParseProfileBytes(data, size);
  size_t total = 0;
  for (const auto& section : doc.Sections) {
    for (const std::string& key : doc.SectionKeys(section.Name)) total += doc.Value(section.Name, key).size();
    total += doc.Value(section.Name, "run").size() + doc.Value(section.Name, "").size();
  }
  total += doc.SectionKeys("boot").size() + doc.SectionKeys("windows").size();
  (void)total;
  return 0;
}
