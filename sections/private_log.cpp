#include "sections/private_log.h"

namespace kestrova {

void PrivateLog::AddLogLine(int level, const std::string& text, uint32_t colour) {
  if (engine_) CollectPersonalValues(*engine_, filter_);
  inner_.AddLogLine(level, filter_.Apply(text), colour);
}

}  // namespace kestrova
