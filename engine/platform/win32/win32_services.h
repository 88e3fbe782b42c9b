#pragma once
// IServices over the service manager of advapi32.dll (bound by name).
#include <map>
#include <string>

#include "engine/platform/services.h"

namespace kestrova::win32 {

class Win32Services final : public IServices {
 public:
  Win32Services() = default;
  ~Win32Services() override;
  Win32Services(const Win32Services&) = delete;
  Win32Services& operator=(const Win32Services&) = delete;

  std::optional<std::vector<std::string>> EnumerateDisplayNames() override;
  std::optional<std::string> KeyName(const std::string& displayName) override;
  std::optional<uint32_t> CurrentState(const std::string& serviceName) override;
  std::optional<ServiceConfig> QueryConfig(const std::string& serviceName) override;

 private:
  // The manager stays open from the first call to the end: each opening is a round trip
  // to the service process, and a refresh asks three questions per service.
  void* Manager();
  void* manager_ = nullptr;  // SC_HANDLE
  // The key name of each display name the last enumeration gave (the enumeration carries
  // both): KeyName answers from it and asks GetServiceKeyName only for another name.
  std::map<std::string, std::string> keys_;
  // The service CurrentState opened, kept open for the configuration query that follows
  // on the same service (one opening instead of two), closed by the next opening.
  void CloseKept();
  std::string keptName_;
  void* kept_ = nullptr;  // SC_HANDLE opened for status and configuration query
};

}  // namespace kestrova::win32
