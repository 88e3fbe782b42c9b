#pragma once
// What runs on the machine, captured: toolhelp, the native lists, the process details,
// account lookups, handles and the window tree are passed on unchanged and kept; Write
// lays them out as [processes], [process:PID], [accounts], [drivers], [handles] and
// [windows]. The native buffers are walked with the engine's own bounded walks.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/platform/capture/capture_output.h"
#include "engine/platform/processes.h"

namespace kestrova {

class CapturingProcesses final : public IProcesses {
 public:
  explicit CapturingProcesses(IProcesses& inner) : inner_(inner) {}

  bool EnablePrivilege(const std::string& name) override;
  std::optional<std::vector<ToolhelpProcess>> ProcessSnapshot() override;
  std::vector<ToolhelpModule> ModuleSnapshot(uint32_t pid) override;
  std::vector<ToolhelpThread> ThreadSnapshot() override;
  NativeBuffer QuerySystemInformation(uint32_t infoClass, uint32_t size) override;
  std::optional<ProcessDetails> OpenProcessDetails(uint32_t pid) override;
  AccountLookup LookupAccount(const std::vector<uint8_t>& sid) override;
  std::optional<HandleDescription> DescribeHandle(uint32_t pid, uint64_t handle) override;
  uint64_t DesktopWindow() override;
  std::vector<uint64_t> ChildWindows(uint64_t parent) override;
  WindowFacts DescribeWindow(uint64_t window) override;

  void Write(CaptureOutput& out) const;

  // Whether a class 5 buffer has the IO counters in its entries: the image name of an
  // entry follows its thread records, so where the name lies tells the entry's size.
  static bool HasIoCounters(const NativeBuffer& buffer);

 private:
  void WriteProcesses(CaptureOutput& out) const;
  void WriteWindows(CaptureOutput& out) const;

  IProcesses& inner_;
  bool snapshotAsked_ = false;
  std::optional<std::vector<ToolhelpProcess>> snapshot_;
  std::map<uint32_t, std::vector<ToolhelpModule>> modules_;
  std::optional<std::vector<ToolhelpThread>> threads_;
  std::map<uint32_t, NativeBuffer> native_;  // the last answer of each class
  std::map<uint32_t, std::optional<ProcessDetails>> details_;
  std::map<std::string, AccountLookup> accounts_;  // SID text -> last answer
  bool handleDescribed_ = false;
  std::optional<uint64_t> desktop_;
  std::map<uint64_t, std::vector<uint64_t>> children_;
  std::map<uint64_t, WindowFacts> windows_;
};

}  // namespace kestrova
