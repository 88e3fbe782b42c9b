#include "engine/core/system_info.h"

#include "engine/core/context.h"

namespace kestrova {

using M = TSystemInfo::Member;

const std::array<M, TSystemInfo::kMemberCount> TSystemInfo::kCreationOrder = {
    M::CPU, M::Memory, M::OS, M::Disk, M::Machine, M::Storage, M::USB, M::Network, M::Display,
    M::Monitor, M::Media, M::Devices, M::Engines, M::APM, M::Printers, M::Software, M::Startup,
    M::ProcessList};

const std::array<M, TSystemInfo::kMemberCount> TSystemInfo::kDestructionOrder = {
    M::CPU, M::Memory, M::OS, M::Disk, M::Machine, M::Network, M::Display, M::Monitor, M::Media,
    M::Devices, M::Storage, M::Engines, M::APM, M::Printers, M::Software, M::Startup,
    M::ProcessList, M::USB};

const std::array<M, TSystemInfo::kMemberCount> TSystemInfo::kReportOrder = {
    M::Machine, M::OS, M::CPU, M::Memory, M::Display, M::Monitor, M::APM, M::Media, M::Network,
    M::Devices, M::Storage, M::USB, M::Engines, M::Disk, M::Printers, M::Software, M::Startup,
    M::ProcessList};

const char* TSystemInfo::MemberName(Member m) {
  static const char* const kNames[kMemberCount] = {
      "CPU", "Memory", "OS", "Disk", "Machine", "Network", "Display", "Monitor", "Media",
      "Devices", "Storage", "USB", "Engines", "APM", "Printers", "Software", "Startup",
      "ProcessList"};
  size_t i = static_cast<size_t>(m);
  return i < kMemberCount ? kNames[i] : "";
}

TSystemInfo::TSystemInfo(const EngineContext& context, Factories factories) : context_(context) {
  // A failure in a member's constructor propagates; members already made are freed by
  // their owners on the way out.
  for (Member m : kCreationOrder) {
    const Factory& make = factories[static_cast<size_t>(m)];
    if (make) members_[static_cast<size_t>(m)] = make(context_);
  }
  ConfigureMembers();
  SetExceptionModes(TExceptionModes{TExceptionMode::emDefault});
}

TSystemInfo::~TSystemInfo() {
  for (Member m : kDestructionOrder) members_[static_cast<size_t>(m)].reset();
}

std::string TSystemInfo::_About() const {
  return std::string(kComponentName) + " " + kComponentVersion;
}

void TSystemInfo::SetExceptionModes(TExceptionModes modes) {
  exceptionModes_ = modes;
  for (auto& member : members_)
    if (member) member->SetExceptionModes(modes);
}

void TSystemInfo::WriteReport(ReportLines& lines) const {
  ReportWriter out(lines);
  out.OpenEnvelope(context_.OSInfo, context_.Sys.System->SystemDefaultLangID());
  for (Member m : kReportOrder)
    if (TInformation* member = Get(m)) member->WriteReport(lines, false);
  out.CloseEnvelope();
}

}  // namespace kestrova
