#include "engine/inventory/storage.h"

namespace kestrova {

TStorage::TStorage(const EngineContext& context) : TInformation(context) {
  SetExceptionModes({TExceptionMode::emExceptionStack});
}

void TStorage::WriteBlock(ReportWriter& out) const {
  out.OpenClass("Storage", "TStorage");
  out.CloseClass("Storage");
}

}  // namespace kestrova
