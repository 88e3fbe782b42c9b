#include "engine/platform/capture/capture_output.h"

#include <cerrno>
#include <cstdio>
#include <stdexcept>
#include <dirent.h>
#include <sys/stat.h>

#include "engine/core/text.h"

#ifdef _WIN32
#include <direct.h>
#endif

namespace kestrova {

namespace {
bool Unwritable(const std::string& text) {
  return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

void MakeDirectory(const std::string& path) {
#ifdef _WIN32
  const int rc = _mkdir(path.c_str());
#else
  const int rc = mkdir(path.c_str(), 0777);
#endif
  if (rc != 0 && errno != EEXIST) throw std::runtime_error("cannot create the folder " + path);
}

// Every directory of `path` from the first, so nested file paths can be written.
void MakeParents(const std::string& path) {
  for (size_t i = 1; i < path.size(); ++i)
    if (path[i] == '/' || path[i] == '\\') MakeDirectory(path.substr(0, i));
}

void WriteWhole(const std::string& path, const std::string& bytes) {
  const std::string part = path + ".part";
  std::FILE* f = std::fopen(part.c_str(), "wb");
  if (!f) throw std::runtime_error("cannot write " + path);
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (std::fclose(f) != 0 || !ok || std::rename(part.c_str(), path.c_str()) != 0) {
    std::remove(part.c_str());
    throw std::runtime_error("cannot write " + path);
  }
}

// A relative path that stays inside the folder: no empty, "." or ".." component, no
// drive or root.
bool Contained(const std::string& relative) {
  if (relative.empty() || relative[0] == '/' || relative[0] == '\\' || relative.find(':') != std::string::npos)
    return false;
  size_t start = 0;
  while (start <= relative.size()) {
    size_t end = relative.find_first_of("/\\", start);
    if (end == std::string::npos) end = relative.size();
    const std::string part = relative.substr(start, end - start);
    if (part.empty() || part == "." || part == "..") return false;
    start = end + 1;
  }
  return true;
}
}  // namespace

bool IsNewOrEmptyFolder(const std::string& folder) {
  struct stat st;
  if (stat(folder.c_str(), &st) != 0) return true;
  if (!S_ISDIR(st.st_mode)) return false;
  DIR* d = opendir(folder.c_str());
  if (!d) return false;
  bool empty = true;
  while (dirent* e = readdir(d)) {
    const std::string n = e->d_name;
    if (n != "." && n != "..") empty = false;
  }
  closedir(d);
  return empty;
}

CaptureOutput::Section& CaptureOutput::Find(const std::string& name) {
  // The lines of a section mostly come one after the other: the last one is tried first.
  if (last_ < sections_.size() && EqualsNoCase(sections_[last_].Name, name)) return sections_[last_];
  for (size_t i = 0; i < sections_.size(); ++i)
    if (EqualsNoCase(sections_[i].Name, name)) return sections_[last_ = i];
  last_ = sections_.size();
  sections_.push_back({name, {}});
  return sections_.back();
}

bool CaptureOutput::HasSection(const std::string& section) const {
  for (const Section& s : sections_)
    if (EqualsNoCase(s.Name, section)) return true;
  return false;
}

void CaptureOutput::AddSection(const std::string& section) { Find(section); }

void CaptureOutput::Add(const std::string& section, const std::string& key, const std::string& value) {
  if (Unwritable(value) || Unwritable(key)) {
    Note("[" + section + "] " + key + ": a line break in the value; left out");
    return;
  }
  const bool quote = !value.empty() && (value.front() == ' ' || value.front() == '\t' || value.back() == ' ' ||
                                        value.back() == '\t' || value.front() == '"');
  std::string& text = Find(section).Text;
  text.append(key).append(1, '=');
  if (quote) text.append(1, '"').append(value).append(1, '"');
  else text.append(value);
  text.append("\r\n");
}

void CaptureOutput::AddLine(const std::string& section, const std::string& line) {
  if (Unwritable(line)) {
    Note("[" + section + "]: a line break in a line; left out");
    return;
  }
  Find(section).Text.append(line).append("\r\n");
}

void CaptureOutput::SetFile(const std::string& relativePath, std::string bytes) {
  files_[relativePath] = std::move(bytes);
}

void CaptureOutput::Rewrite(const std::function<std::string(const std::string&)>& text,
                            const std::function<std::string(const std::string&, const std::string&)>& line,
                            const std::function<void(const std::string&, std::string&)>& file) {
  for (Section& s : sections_) {
    s.Name = text(s.Name);
    std::string lines, one;
    lines.reserve(s.Text.size());
    for (size_t at = 0; at < s.Text.size();) {
      const size_t end = s.Text.find("\r\n", at);  // every line ends so: none holds a line break
      one.assign(s.Text, at, end - at);
      lines.append(line(s.Name, one)).append("\r\n");
      at = end + 2;
    }
    s.Text = std::move(lines);
  }
  for (std::string& d : directories_) d = text(d);
  for (std::string& n : notes_) n = text(n);
  std::map<std::string, std::string> files;
  for (auto& [path, bytes] : files_) {
    std::string renamed = text(path);
    file(renamed, bytes);
    files[std::move(renamed)] = std::move(bytes);
  }
  files_ = std::move(files);
}

void CaptureOutput::SetDirectory(const std::string& relativePath) { directories_.push_back(relativePath); }

std::string CaptureOutput::MachineIni() const {
  static const char kHead[] = "; Captured by kestrova-report --capture\r\n";
  size_t size = sizeof kHead - 1;
  for (const Section& s : sections_) size += s.Name.size() + 6 + s.Text.size();
  std::string out;
  out.reserve(size);  // one allocation for the whole file
  out.append(kHead);
  for (const Section& s : sections_) {
    out.append("\r\n[").append(s.Name).append("]\r\n").append(s.Text);
  }
  return out;
}

void CaptureOutput::WriteFolder(const std::string& folder) const {
  std::string root = folder;
  while (root.size() > 1 && (root.back() == '/' || root.back() == '\\')) root.pop_back();
  if (!IsNewOrEmptyFolder(root)) throw std::runtime_error("the folder " + folder + " is not empty");
  for (const std::string& dir : directories_)
    if (!Contained(dir)) throw std::runtime_error("a folder outside the capture: " + dir);
  for (const auto& file : files_)
    if (!Contained(file.first)) throw std::runtime_error("a file outside the capture: " + file.first);
  MakeParents(root + "/");
  WriteWhole(root + "/machine.ini", MachineIni());
  for (const std::string& dir : directories_) MakeParents(root + "/" + dir + "/");
  for (const auto& [path, bytes] : files_) {
    MakeParents(root + "/" + path);
    WriteWhole(root + "/" + path, bytes);
  }
  if (!notes_.empty()) {
    std::string log;
    for (const std::string& n : notes_) log += n + "\r\n";
    WriteWhole(root + "/capture.log", log);
  }
}

}  // namespace kestrova
