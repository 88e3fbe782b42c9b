#pragma once
// IProcesses over toolhelp, psapi.dll, the native system-information call, access tokens
// and the window manager.
#include "engine/platform/processes.h"

namespace kestrova::win32 {

class Win32Processes final : public IProcesses {
 public:
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
};

}  // namespace kestrova::win32
