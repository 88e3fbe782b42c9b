// Saved reports: any bytes read as a report (text or RTF) end without a crash or a hang,
// and what is read back compares with itself as unchanged; the privacy filter's
// replacement over the same bytes keeps every byte outside the values it hides.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/core/privacy.h"
#include "sections/report_compare.h"
#include "sections/rtf_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  // The reader hands what opens as RTF (after blank lines) to the RTF reader itself; the
  // rest goes to it here, so every input meets it once.
  const size_t lead = bytes.find_first_not_of(" \r\n");
  if (lead == std::string::npos || bytes.compare(lead, 5, "{\\rtf") != 0) kestrova::RtfToLines(bytes);
  std::string why;
  if (auto lines = kestrova::ReportLinesFromFile(bytes, &why)) {
    if (!kestrova::CompareReports(*lines, *lines, true).empty()) std::abort();
  } else if (why.empty()) {
    std::abort();
  }
  kestrova::PrivacyFilter f;
  // The two values are cut from the input itself; a short input gives short or empty ones.
  f.Add(kestrova::PersonalKind::UserName, bytes.substr(0, 6));
  f.Add(kestrova::PersonalKind::IPAddress, bytes.substr(std::min<size_t>(6, size), 9));
  const std::string out = f.Apply(bytes);
  if (f.Count() == 0 && out != bytes) std::abort();
  return 0;
}
