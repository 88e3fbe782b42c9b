#include "engine/platform/win32/win32_profile_files.h"

#include <windows.h>

#include "engine/platform/win32/api_family.h"
#include "engine/platform/win32/win32_util.h"

namespace kestrova::win32 {

namespace {

DWORD ProfileString(const wchar_t* section, const wchar_t* key, wchar_t* buffer, DWORD size, const wchar_t* file) {
  return ::GetPrivateProfileStringW(section, key, L"", buffer, size, file);
}
DWORD ProfileString(const char* section, const char* key, char* buffer, DWORD size, const char* file) {
  return ::GetPrivateProfileStringA(section, key, "", buffer, size, file);
}

// GetPrivateProfileString answers size - 1 when a value did not fit, size - 2 when a list
// of key names did not; the buffer then grows, up to a bound a profile file never reaches.
template <typename Api>
std::basic_string<typename Api::Char> ReadProfile(Api, const std::string& file, const std::string& section,
                                                  const std::string* key) {
  using Char = typename Api::Char;
  const typename Api::Text f = Api::In(file), s = Api::In(section);
  const typename Api::Text k = key ? Api::In(*key) : typename Api::Text();
  constexpr DWORD kMaxSize = 1u << 22;
  for (DWORD size = 4096; size <= kMaxSize; size *= 2) {
    std::basic_string<Char> buffer(size, Char());
    DWORD n = ProfileString(s.c_str(), key ? k.c_str() : nullptr, &buffer[0], size, f.c_str());
    const DWORD full = key ? size - 1 : size - 2;
    if (n < full || size == kMaxSize) {
      buffer.resize(n < size ? n : size);
      return buffer;
    }
  }
  return {};
}

}  // namespace

std::vector<std::string> Win32ProfileFiles::SectionKeys(const std::string& file, const std::string& section) const {
  return WithApi([&](auto api) {
    using Api = decltype(api);
    const auto list = ReadProfile(api, file, section, nullptr);
    std::vector<std::string> names;
    size_t start = 0;
    while (start < list.size()) {  // NUL-separated names
      size_t end = list.find(typename Api::Char(), start);
      if (end == std::string::npos) end = list.size();
      if (end > start) names.push_back(Api::Out(list.data() + start, end - start));
      start = end + 1;
    }
    return names;
  });
}

std::string Win32ProfileFiles::ReadString(const std::string& file, const std::string& section,
                                          const std::string& key) const {
  return WithApi([&](auto api) {
    using Api = decltype(api);
    const auto value = ReadProfile(api, file, section, &key);
    return Api::Out(value.data(), value.size());
  });
}

}  // namespace kestrova::win32
