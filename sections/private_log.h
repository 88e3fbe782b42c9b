#pragma once
// A report log that hides personal values: every line goes through the privacy filter,
// fed from the engine's members as they stand when the line is written (after the
// section's refresh), before it reaches the log behind.
#include "engine/core/privacy.h"
#include "sections/report_log.h"

namespace kestrova {

class PrivateLog : public IReportLog {
 public:
  // `engine` may be null (nothing then is known to hide).
  PrivateLog(IReportLog& inner, const TSystemInfo* engine) : inner_(inner), engine_(engine) {}
  void AddLogLine(int level, const std::string& text, uint32_t colour) override;
  void BeginUpdate() override { inner_.BeginUpdate(); }
  void EndUpdate() override { inner_.EndUpdate(); }
  const PrivacyFilter& Filter() const { return filter_; }
  PrivacyFilter& Filter() { return filter_; }

 private:
  IReportLog& inner_;
  const TSystemInfo* engine_;
  PrivacyFilter filter_;
};

}  // namespace kestrova
