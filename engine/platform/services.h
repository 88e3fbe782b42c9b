#pragma once
// The service manager (NT family), opened with the rights an enumeration needs
// (SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE), so that a user who is not an
// administrator sees the services too.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrova {

// QUERY_SERVICE_CONFIG, read whole (the size the manager asks for).
struct ServiceConfig {
  uint32_t ServiceType = 0, StartType = 0, ErrorControl = 0, TagId = 0;
  std::string BinaryPathName, LoadOrderGroup, ServiceStartName, DisplayName;
  // lpDependencies as the manager gives it: names each ended by a NUL, the list ended by
  // an empty name. The engine splits it (bounded: a list without its final NUL ends at
  // the end of the text).
  std::string Dependencies;
};

class IServices {
 public:
  virtual ~IServices() = default;
  // Display names of the Win32 services (type 0x30) in every state, in the manager's
  // order; nullopt when the manager does not open.
  virtual std::optional<std::vector<std::string>> EnumerateDisplayNames() = 0;
  // GetServiceKeyName; nullopt on failure.
  virtual std::optional<std::string> KeyName(const std::string& displayName) = 0;
  // dwCurrentState of a service opened for status query; nullopt on failure.
  virtual std::optional<uint32_t> CurrentState(const std::string& serviceName) = 0;
  // The configuration of a service opened for configuration query; nullopt on failure.
  virtual std::optional<ServiceConfig> QueryConfig(const std::string& serviceName) = 0;
};

}  // namespace kestrova
