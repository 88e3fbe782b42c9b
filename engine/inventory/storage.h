#pragma once
// TStorage: the aggregate's member for physical storage devices. It detects nothing: its
// list stays empty, and it takes part only in the engine's lifecycle and report.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/information.h"

namespace kestrova {

struct TDeviceInfo {
  std::string Model, Revision, SerialNumber;
};

class TStorage : public TInformation {
 public:
  explicit TStorage(const EngineContext& context);
  ~TStorage() override { devices_.clear(); }

  uint8_t ConnectedDevices() const { return static_cast<uint8_t>(devices_.size()); }

 protected:
  void WriteBlock(ReportWriter& out) const override;

 private:
  std::vector<TDeviceInfo> devices_;
};

}  // namespace kestrova
