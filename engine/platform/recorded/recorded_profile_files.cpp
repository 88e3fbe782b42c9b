#include "engine/platform/recorded/recorded_profile_files.h"

#include "engine/core/text.h"
#include "engine/platform/recorded/host_files.h"

namespace kestrova {

std::optional<ProfileDocument> RecordedProfileFiles::Load(const std::string& file) const {
  std::string bytes;
  auto it = Contents.find(ToUpperAscii(file));
  if (it != Contents.end()) {
    bytes = it->second;
  } else {
    const std::string host = hostPath_ ? hostPath_(file) : std::string();
    if (host.empty()) return std::nullopt;
    auto read = ReadHostFile(host, std::nothrow);
    if (!read) return std::nullopt;  // a folder, or unreadable
    bytes = std::move(*read);
  }
  return ParseProfileBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::vector<std::string> RecordedProfileFiles::SectionKeys(const std::string& file, const std::string& section) const {
  auto doc = Load(file);
  return doc ? doc->SectionKeys(section) : std::vector<std::string>{};
}

std::string RecordedProfileFiles::ReadString(const std::string& file, const std::string& section,
                                             const std::string& key) const {
  auto doc = Load(file);
  return doc ? doc->Value(section, key) : std::string();
}

}  // namespace kestrova
