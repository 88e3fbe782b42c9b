// Report escaping: any bytes (valid UTF-8 or not) give printable ASCII without markup
// characters.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/core/report_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string out = kestrova::EscapeValue(std::string(reinterpret_cast<const char*>(data), size));
  for (char c : out) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 32 || u > 127 || c == '<' || c == '>' || c == '"' || c == '\'') std::abort();
  }
  return 0;
}
