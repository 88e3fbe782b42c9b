#include "engine/platform/capture/capture_profile_files.h"

#include <algorithm>
#include <cctype>

#include "engine/core/text.h"

namespace kestrova {

CapturingProfileFiles::Section& CapturingProfileFiles::At(const std::string& file, const std::string& section) const {
  auto f = std::find_if(files_.begin(), files_.end(), [&](const File& x) { return EqualsNoCase(x.Path, file); });
  if (f == files_.end()) {
    files_.push_back({file, {}});
    f = files_.end() - 1;
  }
  auto s = std::find_if(f->Sections.begin(), f->Sections.end(),
                        [&](const Section& x) { return EqualsNoCase(x.Name, section); });
  if (s == f->Sections.end()) {
    f->Sections.push_back({section, std::nullopt, {}});
    s = f->Sections.end() - 1;
  }
  return *s;
}

std::vector<std::string> CapturingProfileFiles::SectionKeys(const std::string& file, const std::string& section) const {
  std::vector<std::string> keys = inner_.SectionKeys(file, section);
  At(file, section).Keys = keys;
  return keys;
}

std::string CapturingProfileFiles::ReadString(const std::string& file, const std::string& section,
                                              const std::string& key) const {
  std::string value = inner_.ReadString(file, section, key);
  Section& s = At(file, section);
  auto v = std::find_if(s.Values.begin(), s.Values.end(), [&](const auto& x) { return EqualsNoCase(x.first, key); });
  if (v == s.Values.end()) s.Values.emplace_back(key, value);
  else v->second = value;
  return value;
}

std::string CapturingProfileFiles::FolderPath(const std::string& windowsPath) {
  if (windowsPath.size() < 3 || windowsPath[1] != ':' || !std::isalpha(static_cast<unsigned char>(windowsPath[0])))
    return {};
  std::string out = "files/";
  out += static_cast<char>(std::tolower(static_cast<unsigned char>(windowsPath[0])));
  for (const std::string& part : Split(windowsPath.substr(2), '\\')) {
    if (part.empty() || part == ".") continue;
    if (part == "..") return {};
    out += "/" + part;
  }
  return out;
}

void CapturingProfileFiles::Write(CaptureOutput& out) const {
  for (const File& f : files_) {
    std::string path = FolderPath(f.Path);
    // The spelling the files area already gave this file, or its folder: one entry each.
    const std::string folder = path.substr(0, path.rfind('/') + 1);
    for (const auto& written : out.Files()) {
      if (path.empty()) break;
      if (EqualsNoCase(written.first, path)) path = written.first;
      else if (written.first.size() > folder.size() && EqualsNoCase(written.first.substr(0, folder.size()), folder))
        path = written.first.substr(0, folder.size()) + path.substr(folder.size());
    }
    if (path.empty()) {
      out.Note("profile file " + f.Path + ": not a path on a drive; left out");
      continue;
    }
    std::string text;
    for (const Section& s : f.Sections) {
      std::vector<std::pair<std::string, std::string>> lines;
      auto valueOf = [&](const std::string& key) -> std::optional<std::string> {
        for (const auto& v : s.Values)
          if (EqualsNoCase(v.first, key)) return v.second;
        return std::nullopt;
      };
      if (s.Keys)
        for (const std::string& k : *s.Keys) lines.emplace_back(k, valueOf(k).value_or(""));
      // Values read without a listing of their section (an empty value says nothing).
      for (const auto& v : s.Values) {
        const bool listed = s.Keys && std::any_of(s.Keys->begin(), s.Keys->end(),
                                                  [&](const std::string& k) { return EqualsNoCase(k, v.first); });
        if (!listed && !v.second.empty()) lines.push_back(v);
      }
      if (lines.empty()) continue;
      text += "[" + s.Name + "]\r\n";
      for (const auto& line : lines) {
        if (line.first.find('=') != std::string::npos || Trim(line.first) != line.first || line.first.empty() ||
            line.first[0] == ';' || line.first[0] == '[' ||
            line.second.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) {
          out.Note("profile file " + f.Path + " [" + s.Name + "] " + line.first + ": cannot be written as a key line; left out");
          continue;
        }
        // In quotes: the profile functions remove one pair, so blanks and quotes at the
        // ends of the value come back as they were.
        text += line.first + "=\"" + line.second + "\"\r\n";
      }
    }
    if (!text.empty()) out.SetFile(path, text);
  }
}

}  // namespace kestrova
