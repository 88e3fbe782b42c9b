// The operating-system values read from outside bytes: a zone's TZI value and its two
// transition rules, the recorded TimeZoneInformation key, the MS-DOS install date, the
// DVD region in compact text, the proxy list and the sort order. Nothing may read past
// its data, loop without end or break the order's symmetry.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/core/string_order.h"
#include "engine/os/internet.h"
#include "engine/os/operating_system.h"
#include "engine/os/shared_routines.h"
#include "engine/os/time_zone.h"
#include "engine/platform/recorded/recorded_time_zone.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kestrova;
  const std::vector<uint8_t> bytes(data, data + size);
  const std::string text(reinterpret_cast<const char*>(data), size);

  // TZI: any length; a 44-byte one decodes and its rules give a moment or nothing.
  if (auto tzi = DecodeTzi(bytes)) {
    const int year = size > 1 ? 1 + (data[0] | data[1] << 8) % 9999 : 2026;
    TransitionMoment(tzi->StandardDate, year);
    TransitionMoment(tzi->DaylightDate, year);
  } else if (size == kTziSize) {
    std::abort();
  }
  // The same bytes as every value of the current-zone key. The tree is built once: each
  // input sets all seven values again, so nothing of an earlier input is left in it.
  static RegistryTree& reg = *new RegistryTree;
  for (const char* name : {"Bias", "StandardBias", "DaylightBias", "StandardStart", "DaylightStart"})
    reg.SetValue(RootKey::LocalMachine, kTimeZoneInformationKey, name, {kRegBinary, bytes});
  for (const char* name : {"StandardName", "DaylightName"})
    reg.SetValue(RootKey::LocalMachine, kTimeZoneInformationKey, name, {kRegSz, bytes});
  auto zone = RecordedTimeZone(reg);
  if (!zone || zone->StandardName.size() > 31 * 4) std::abort();

  if (size >= 4) DosDateTimeToDateTime(uint32_t{data[0]} | uint32_t{data[1]} << 8 | uint32_t{data[2]} << 16 | uint32_t{data[3]} << 24);
  RegistryValueAsText({kRegBinary, bytes}, true);

  for (const std::string& entry : ProxyServerEntries(text))
    if (entry.find('=') == std::string::npos) std::abort();

  const std::string a = text.substr(0, size / 2), b = text.substr(size / 2);
  const int ab = CompareTextLikeLocale(a, b), ba = CompareTextLikeLocale(b, a);
  if ((ab < 0) != (ba > 0) || (ab == 0) != (ba == 0)) std::abort();
  return 0;
}
