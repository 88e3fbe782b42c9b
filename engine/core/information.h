#pragma once
// What all information classes share: ExceptionModes (stored, propagated to owned
// information objects, read by nothing), a refresh operation and the tagged report.
#include <vector>

#include "engine/core/report_writer.h"
#include "engine/core/set.h"

namespace kestrova {

struct EngineContext;

enum class TExceptionMode : uint8_t { emDefault, emExceptionStack, emJournal };
using TExceptionModes = EnumSet<TExceptionMode, 3>;  // one byte: bit 0 emDefault, ...

class TInformation {
 public:
  explicit TInformation(const EngineContext& context) : context_(context) {}
  virtual ~TInformation() = default;
  TInformation(const TInformation&) = delete;
  TInformation& operator=(const TInformation&) = delete;

  TExceptionModes ExceptionModes() const { return exceptionModes_; }
  // Stores the value and passes it on to every owned information object.
  void SetExceptionModes(TExceptionModes modes);

  // Appends the object's block; with standalone true, wrapped in the envelope.
  void WriteReport(ReportLines& lines, bool standalone) const;

  const EngineContext& Context() const { return context_; }

 protected:
  // The block itself, between (and including) its opening and closing tags, followed by
  // the blocks of owned objects.
  virtual void WriteBlock(ReportWriter& out) const = 0;
  // The owned information objects that exist now (ExceptionModes propagation).
  virtual std::vector<TInformation*> OwnedObjects() { return {}; }

 private:
  const EngineContext& context_;
  TExceptionModes exceptionModes_;
};

}  // namespace kestrova
