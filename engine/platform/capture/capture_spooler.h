#pragma once
// The print spooler, captured: each enumeration and the default printer are passed on
// unchanged and kept; Write lays them out as [spooler] and one [printer:NAME] per printer.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/platform/capture/capture_output.h"
#include "engine/platform/spooler.h"

namespace kestrova {

class CapturingSpooler final : public ISpooler {
 public:
  explicit CapturingSpooler(ISpooler& inner) : inner_(inner) {}

  std::optional<std::vector<SpoolerPrinter>> Enumerate(uint32_t flags, uint32_t level) override;
  std::optional<std::string> DefaultPrinter() override;

  void Write(CaptureOutput& out) const;

 private:
  struct Call {
    uint32_t Flags = 0, Level = 0;
    std::optional<std::vector<SpoolerPrinter>> Answer;
  };
  ISpooler& inner_;
  std::vector<Call> calls_;
  bool defaultAsked_ = false;
  std::optional<std::string> default_;
};

}  // namespace kestrova
