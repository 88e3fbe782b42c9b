#include "engine/core/information.h"

#include "engine/core/context.h"

namespace kestrova {

void TInformation::SetExceptionModes(TExceptionModes modes) {
  exceptionModes_ = modes;
  for (TInformation* owned : OwnedObjects())
    if (owned) owned->SetExceptionModes(modes);
}

void TInformation::WriteReport(ReportLines& lines, bool standalone) const {
  ReportWriter out(lines);
  if (standalone) out.OpenEnvelope(context_.OSInfo, context_.Sys.System->SystemDefaultLangID());
  WriteBlock(out);
  if (standalone) out.CloseEnvelope();
}

}  // namespace kestrova
