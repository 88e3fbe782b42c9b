#include "engine/platform/win32/win32_services.h"

#include <windows.h>

#include "engine/platform/win32/api_family.h"

namespace kestrova::win32 {

namespace {

template <typename Fn>
Fn Entry(const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(BoundEntry("advapi32.dll", name)));
}

using OpenManagerFn = SC_HANDLE(WINAPI*)(LPCSTR, LPCSTR, DWORD);
using OpenServiceFn = SC_HANDLE(WINAPI*)(SC_HANDLE, LPCSTR, DWORD);
using CloseFn = BOOL(WINAPI*)(SC_HANDLE);
using EnumFn = BOOL(WINAPI*)(SC_HANDLE, DWORD, DWORD, LPENUM_SERVICE_STATUSA, DWORD, LPDWORD, LPDWORD, LPDWORD);
using KeyNameFn = BOOL(WINAPI*)(SC_HANDLE, LPCSTR, LPSTR, LPDWORD);
using StatusFn = BOOL(WINAPI*)(SC_HANDLE, LPSERVICE_STATUS);
using ConfigFn = BOOL(WINAPI*)(SC_HANDLE, LPQUERY_SERVICE_CONFIGA, DWORD, LPDWORD);

// A service-manager handle, closed by CloseServiceHandle (bound by name like the rest).
class ScHandle {
 public:
  explicit ScHandle(SC_HANDLE h = nullptr) : h_(h) {}
  ~ScHandle() {
    if (h_)
      if (auto close = Entry<CloseFn>("CloseServiceHandle")) close(h_);
  }
  ScHandle(const ScHandle&) = delete;
  ScHandle& operator=(const ScHandle&) = delete;
  SC_HANDLE Get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  SC_HANDLE h_;
};

// The rights an enumeration needs; all access would fail for every user who is not an
// administrator.
SC_HANDLE OpenManager() {
  auto open = Entry<OpenManagerFn>("OpenSCManagerA");
  return open ? open(nullptr, nullptr, SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE) : nullptr;
}

SC_HANDLE OpenOne(SC_HANDLE manager, const std::string& name, DWORD access) {
  auto open = Entry<OpenServiceFn>("OpenServiceA");
  return open && manager ? open(manager, Utf8ToAnsi(name).c_str(), access) : nullptr;
}

std::string Text(const char* s) { return s ? AnsiToUtf8UntilNul(s, 32768) : std::string(); }

}  // namespace

Win32Services::~Win32Services() {
  CloseKept();
  ScHandle close(static_cast<SC_HANDLE>(manager_));
}

void Win32Services::CloseKept() {
  ScHandle close(static_cast<SC_HANDLE>(kept_));
  kept_ = nullptr;
  keptName_.clear();
}

void* Win32Services::Manager() {
  if (!manager_) manager_ = OpenManager();
  return manager_;
}

std::optional<std::vector<std::string>> Win32Services::EnumerateDisplayNames() {
  auto enumerate = Entry<EnumFn>("EnumServicesStatusA");
  const SC_HANDLE manager = static_cast<SC_HANDLE>(Manager());
  if (!manager || !enumerate) return std::nullopt;
  std::vector<std::string> names;
  keys_.clear();
  DWORD resume = 0;
  // 18432 bytes per call, asking again while the manager has more; bounded in calls.
  for (int call = 0; call < 4096; ++call) {
    std::vector<uint8_t> buffer(18432);
    DWORD needed = 0, count = 0;
    const BOOL ok = enumerate(manager, SERVICE_WIN32, SERVICE_STATE_ALL,
                              reinterpret_cast<LPENUM_SERVICE_STATUSA>(buffer.data()), static_cast<DWORD>(buffer.size()),
                              &needed, &count, &resume);
    const DWORD error = ok ? ERROR_SUCCESS : ::GetLastError();
    const auto* entries = reinterpret_cast<const ENUM_SERVICE_STATUSA*>(buffer.data());
    const size_t room = buffer.size() / sizeof(ENUM_SERVICE_STATUSA);
    for (DWORD i = 0; i < count && i < room; ++i) {
      names.push_back(Text(entries[i].lpDisplayName));
      keys_.emplace(names.back(), Text(entries[i].lpServiceName));
    }
    if (ok || error != ERROR_MORE_DATA) break;
    if (count == 0 && needed > buffer.size()) break;  // one entry larger than a call: nothing more to gain
  }
  return names;
}

std::optional<std::string> Win32Services::KeyName(const std::string& displayName) {
  auto known = keys_.find(displayName);
  if (known != keys_.end() && !known->second.empty()) return known->second;
  auto keyName = Entry<KeyNameFn>("GetServiceKeyNameA");
  const SC_HANDLE manager = static_cast<SC_HANDLE>(Manager());
  if (!manager || !keyName) return std::nullopt;
  char name[512] = {};
  DWORD length = sizeof name - 1;
  if (!keyName(manager, Utf8ToAnsi(displayName).c_str(), name, &length)) return std::nullopt;
  return AnsiToUtf8UntilNul(name, sizeof name);
}

std::optional<uint32_t> Win32Services::CurrentState(const std::string& serviceName) {
  auto status = Entry<StatusFn>("QueryServiceStatus");
  CloseKept();
  const SC_HANDLE manager = static_cast<SC_HANDLE>(Manager());
  // Opened for the configuration query as well, which usually follows; a service that
  // grants the status right alone is opened with it alone.
  SC_HANDLE both = OpenOne(manager, serviceName, SERVICE_QUERY_STATUS | SERVICE_QUERY_CONFIG);
  ScHandle alone(both ? nullptr : OpenOne(manager, serviceName, SERVICE_QUERY_STATUS));
  if (both) {
    kept_ = both;
    keptName_ = serviceName;
  }
  const SC_HANDLE service = both ? both : alone.Get();
  if (!service || !status) return std::nullopt;
  SERVICE_STATUS s = {};
  if (!status(service, &s)) return std::nullopt;
  return s.dwCurrentState;
}

std::optional<ServiceConfig> Win32Services::QueryConfig(const std::string& serviceName) {
  auto query = Entry<ConfigFn>("QueryServiceConfigA");
  const bool kept = kept_ && keptName_ == serviceName;
  ScHandle opened(kept ? nullptr : OpenOne(static_cast<SC_HANDLE>(Manager()), serviceName, SERVICE_QUERY_CONFIG));
  const SC_HANDLE service = kept ? static_cast<SC_HANDLE>(kept_) : opened.Get();
  struct CloseAfter {  // the kept handle serves one configuration query
    Win32Services* Self;
    ~CloseAfter() { Self->CloseKept(); }
  } closeAfter{this};
  if (!service || !query) return std::nullopt;
  // Read whole: 1024 bytes first, which holds a usual configuration in one call, then the
  // size the manager asks for (long paths and dependency lists included).
  std::vector<uint8_t> buffer(1024);
  DWORD needed = 0;
  if (!query(service, reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data()), static_cast<DWORD>(buffer.size()), &needed)) {
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed < sizeof(QUERY_SERVICE_CONFIGA) || needed > (1u << 20))
      return std::nullopt;
    buffer.assign(needed, 0);
    if (!query(service, reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data()), needed, &needed)) return std::nullopt;
  }
  auto* c = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
  ServiceConfig out;
  out.ServiceType = c->dwServiceType;
  out.StartType = c->dwStartType;
  out.ErrorControl = c->dwErrorControl;
  out.TagId = c->dwTagId;
  out.BinaryPathName = Text(c->lpBinaryPathName);
  out.LoadOrderGroup = Text(c->lpLoadOrderGroup);
  out.ServiceStartName = Text(c->lpServiceStartName);
  out.DisplayName = Text(c->lpDisplayName);
  // The dependency list up to its empty name, never past the buffer.
  if (const char* d = c->lpDependencies) {
    const char* end = reinterpret_cast<const char*>(buffer.data() + buffer.size());
    if (d >= reinterpret_cast<const char*>(buffer.data()) && d < end) {
      const char* p = d;
      while (p < end && !(p[0] == '\0' && (p == d || p[-1] == '\0'))) ++p;
      out.Dependencies = AnsiToUtf8(d, static_cast<size_t>(p - d));
      out.Dependencies += '\0';
    }
  }
  return out;
}

}  // namespace kestrova::win32
