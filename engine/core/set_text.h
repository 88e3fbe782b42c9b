#pragma once
// A set rendered as text: the names of its members in bit order, separated by ",".
#include <string>

#include "engine/core/set.h"

namespace kestrova {

template <typename Enum, unsigned Count>
std::string SetText(EnumSet<Enum, Count> set, const char* const (&names)[Count]) {
  std::string out;
  for (unsigned i = 0; i < Count; ++i) {
    if (!set.Contains(static_cast<Enum>(i))) continue;
    if (!out.empty()) out += ",";
    out += names[i];
  }
  return out;
}

// The name of an enumerated value, or nullptr past the end of its table.
template <size_t N>
const char* NameAt(const char* const (&names)[N], unsigned index) {
  return index < N ? names[index] : nullptr;
}

}  // namespace kestrova
