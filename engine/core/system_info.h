#pragma once
// TSystemInfo, the engine aggregate: owns one information object per area, creates them
// in a fixed order, frees them in another, and renders them all as one document.
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/information.h"

namespace kestrova {

class TSystemInfo {
 public:
  // The eighteen member slots. An area whose class is not built yet has no factory and
  // its slot stays empty.
  enum class Member : uint8_t {
    CPU, Memory, OS, Disk, Machine, Network, Display, Monitor, Media, Devices, Storage, USB,
    Engines, APM, Printers, Software, Startup, ProcessList, Count_
  };
  static constexpr size_t kMemberCount = static_cast<size_t>(Member::Count_);
  using Factory = std::function<std::unique_ptr<TInformation>(const EngineContext&)>;
  using Factories = std::array<Factory, kMemberCount>;

  static const std::array<Member, kMemberCount> kCreationOrder;
  static const std::array<Member, kMemberCount> kDestructionOrder;
  static const std::array<Member, kMemberCount> kReportOrder;
  static const char* MemberName(Member m);

  // The factories of every class the engine has.
  static Factories BuiltMembers();

  explicit TSystemInfo(const EngineContext& context, Factories factories = BuiltMembers());
  ~TSystemInfo();
  TSystemInfo(const TSystemInfo&) = delete;
  TSystemInfo& operator=(const TSystemInfo&) = delete;

  std::string _About() const;
  std::string _Refresh() const { return "Double-click to refresh"; }

  TExceptionModes ExceptionModes() const { return exceptionModes_; }
  void SetExceptionModes(TExceptionModes modes);

  // The member in a slot, or null when its class does not exist.
  TInformation* Get(Member m) const { return members_[static_cast<size_t>(m)].get(); }
  template <typename T>
  T* As(Member m) const { return static_cast<T*>(Get(m)); }

  // Refreshes every member that exists, in creation order, as its report section would
  // (the machine with its firmware tables, the first processor). A member whose refresh
  // fails keeps what it read; the failures' texts come back, "Member: text" each.
  std::vector<std::string> RefreshAll();

  // The envelope, then the members' blocks in report order. Refreshes nothing.
  void WriteReport(ReportLines& lines) const;

  const EngineContext& Context() const { return context_; }

 private:
  void ConfigureMembers();  // settings the aggregate applies after creating its members
  const EngineContext& context_;
  std::array<std::unique_ptr<TInformation>, kMemberCount> members_;
  TExceptionModes exceptionModes_;
};

}  // namespace kestrova
