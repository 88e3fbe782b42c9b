#pragma once
// What the tests under Wine share: the real platform, and the facts of the run that
// scripts/wine-run.sh and tests/win/CMakeLists.txt set (personality, locale).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/platform/win32/win32_platform.h"

namespace kestrova::wintest {

// One Win32 platform for the whole test program: the implementations keep no state.
inline Platform Win32() {
  static std::unique_ptr<PlatformHost> host = MakeWin32Platform();
  return host->View();
}

inline std::string EnvOr(const char* name, const char* fallback) {
  const char* v = std::getenv(name);
  return v ? v : fallback;
}

inline std::vector<std::string> Sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  return v;
}

// A literal with its embedded NULs: Lit("a\0b\0") is four bytes.
template <size_t N>
std::string Lit(const char (&text)[N]) {
  return std::string(text, N - 1);
}

inline std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

}  // namespace kestrova::wintest

// Tests that only make sense under one Windows personality or one locale skip elsewhere
// (when the program is run by hand without a filter); ctest selects them by name.
#define KESTROVA_ONLY_WHEN(var, value)                                                      \
  do {                                                                                      \
    if (::kestrova::wintest::EnvOr(var, "") != (value))                                     \
      GTEST_SKIP() << "needs " var "=" << (value) << " (set by tests/win/CMakeLists.txt)";  \
  } while (0)
