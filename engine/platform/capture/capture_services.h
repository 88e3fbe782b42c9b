#pragma once
// The service manager, captured: the enumeration, key names, states and configurations
// the engine asked for are passed on unchanged and kept; Write lays them out as
// [services] and one [service:KEYNAME] per enumerated service, in the manager's order.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/platform/capture/capture_output.h"
#include "engine/platform/services.h"

namespace kestrova {

class CapturingServices final : public IServices {
 public:
  explicit CapturingServices(IServices& inner) : inner_(inner) {}

  std::optional<std::vector<std::string>> EnumerateDisplayNames() override;
  std::optional<std::string> KeyName(const std::string& displayName) override;
  std::optional<uint32_t> CurrentState(const std::string& serviceName) override;
  std::optional<ServiceConfig> QueryConfig(const std::string& serviceName) override;

  void Write(CaptureOutput& out) const;

  // lpDependencies (names each ended by a NUL, an empty name at the end) as the
  // comma-separated list of a recording; bounded by the text's length.
  static std::vector<std::string> DependencyList(const std::string& multi);

 private:
  IServices& inner_;
  bool enumerated_ = false;
  std::optional<std::vector<std::string>> names_;
  std::map<std::string, std::optional<std::string>> keys_;        // display name -> key name
  std::map<std::string, std::optional<uint32_t>> states_;         // key name -> state
  std::map<std::string, std::optional<ServiceConfig>> configs_;   // key name -> configuration
};

}  // namespace kestrova
