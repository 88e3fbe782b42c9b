// The version block walk on arbitrary bytes, both layouts (the byte at offset 4 picks one).
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/platform/version_block.h"

namespace {
std::string Latin1(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto res = kestrova::ParseVersionBlock(data, size);
  if (res) {
    size_t total = res->Translations.size();
    for (const auto& table : res->StringTables)
      for (const auto& s : table.second) total += s.first.size() + s.second.size();
    (void)total;
  }
  (void)kestrova::ParseVersionBlock(data, size, &Latin1);
  return 0;
}
