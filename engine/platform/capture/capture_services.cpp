#include "engine/platform/capture/capture_services.h"

#include "engine/core/text.h"

namespace kestrova {

std::optional<std::vector<std::string>> CapturingServices::EnumerateDisplayNames() {
  auto answer = inner_.EnumerateDisplayNames();
  enumerated_ = true;
  names_ = answer;
  return answer;
}

std::optional<std::string> CapturingServices::KeyName(const std::string& displayName) {
  auto answer = inner_.KeyName(displayName);
  keys_[displayName] = answer;
  return answer;
}

std::optional<uint32_t> CapturingServices::CurrentState(const std::string& serviceName) {
  auto answer = inner_.CurrentState(serviceName);
  states_[ToUpperAscii(serviceName)] = answer;
  return answer;
}

std::optional<ServiceConfig> CapturingServices::QueryConfig(const std::string& serviceName) {
  auto answer = inner_.QueryConfig(serviceName);
  configs_[ToUpperAscii(serviceName)] = answer;
  return answer;
}

std::vector<std::string> CapturingServices::DependencyList(const std::string& multi) {
  std::vector<std::string> out;
  size_t at = 0;
  while (at < multi.size() && multi[at] != '\0') {
    const size_t end = multi.find('\0', at);
    out.push_back(multi.substr(at, end == std::string::npos ? std::string::npos : end - at));
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return out;
}

void CapturingServices::Write(CaptureOutput& out) const {
  if (!enumerated_) return;
  out.Add("services", "ManagerOpens", names_ ? "1" : "0");
  if (!names_) return;
  for (const std::string& display : *names_) {
    auto k = keys_.find(display);
    if (k == keys_.end() || !k->second || k->second->empty()) {
      out.Note("service '" + display + "': no key name; left out");
      continue;
    }
    const std::string& key = *k->second;
    if (Trim(key) != key) {
      out.Note("service '" + key + "': blanks at the ends of a section name are not kept; left out");
      continue;
    }
    const std::string section = "service:" + key;
    if (display.empty()) out.Note("service '" + key + "': an empty display name reads back as the key name");
    out.Add(section, "DisplayName", display);
    auto c = configs_.find(ToUpperAscii(key));
    const bool readable = c != configs_.end() && c->second;
    if (readable) {
      const ServiceConfig& config = *c->second;
      // Only Win32 services are enumerated: a type without those bits would vanish.
      if (!(config.ServiceType & 0x30)) out.Note("service '" + key + "': type without the Win32 bits");
      out.Add(section, "Type", Format("0x%X", config.ServiceType));
      out.Add(section, "Start", std::to_string(config.StartType));
      out.Add(section, "ErrorControl", std::to_string(config.ErrorControl));
      out.Add(section, "Tag", std::to_string(config.TagId));
      out.Add(section, "BinaryPath", config.BinaryPathName);
      out.Add(section, "Group", config.LoadOrderGroup);
      out.Add(section, "StartName", config.ServiceStartName);
      std::string list;
      for (const std::string& d : DependencyList(config.Dependencies)) {
        if (d.find(',') != std::string::npos || Trim(d) != d)
          out.Note("service '" + key + "': dependency '" + d + "' cannot be written in a comma list; left out");
        else
          list += (list.empty() ? "" : ",") + d;
      }
      out.Add(section, "Dependencies", list);
    } else {
      out.Add(section, "Type", "0x10");
      out.Add(section, "ConfigReadable", "0");
    }
    auto s = states_.find(ToUpperAscii(key));
    if (s != states_.end() && s->second) out.Add(section, "State", std::to_string(*s->second));
  }
}

}  // namespace kestrova
