#pragma once
// What a capture writes: the machine.ini sections of every area in the order they were
// first written, whole files (registry.reg, cpuid.txt, smbios.bin, files/...), and the
// values the recorded format cannot hold (a line break inside a text), which are listed
// in capture.log instead of being silently changed.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace kestrova {

// The folder does not exist, or is an empty folder.
bool IsNewOrEmptyFolder(const std::string& folder);

class CaptureOutput {
 public:
  // key=value in [section]; a section is created by its first line. Repeated keys are
  // kept in order (Module=..., Driver=...). A value with blanks at either end, or
  // starting with a double quote, is written in double quotes so it reads back as it is.
  // A value with a line break or a NUL cannot be written: it is left out and noted.
  void Add(const std::string& section, const std::string& key, const std::string& value);
  // A whole line of a section whose lines are taken as written ([environment]).
  void AddLine(const std::string& section, const std::string& line);
  // An empty section (its presence alone means something, e.g. "the call succeeds").
  void AddSection(const std::string& section);
  // A file of the folder, by its path relative to the folder ('/' separators).
  void SetFile(const std::string& relativePath, std::string bytes);
  // A folder of the folder (an empty one stays: a listing shows it).
  void SetDirectory(const std::string& relativePath);
  void Note(const std::string& text) { notes_.push_back(text); }

  // Rewrites what the capture holds, in place and in order: section names, folder and
  // file paths and notes through `text`; each machine.ini line through `line` (given its
  // section's new name); each file's bytes through `file` (given its new path), in place.
  void Rewrite(const std::function<std::string(const std::string&)>& text,
               const std::function<std::string(const std::string& section, const std::string& line)>& line,
               const std::function<void(const std::string& path, std::string& bytes)>& file);

  bool HasSection(const std::string& section) const;
  const std::map<std::string, std::string>& Files() const { return files_; }
  const std::vector<std::string>& Notes() const { return notes_; }
  // machine.ini as text (UTF-8, CR LF line ends).
  std::string MachineIni() const;
  // Writes machine.ini, every file and (when there are notes) capture.log into `folder`,
  // creating directories as needed; only inside `folder`, which must be new or empty.
  // Each file is written whole under a temporary name, then renamed, so none is left
  // half written. Throws std::runtime_error naming what failed.
  void WriteFolder(const std::string& folder) const;

 private:
  struct Section {
    std::string Name;
    std::string Text;  // its lines, each ended by CR LF: one buffer, not a text per line
  };
  Section& Find(const std::string& name);
  std::vector<Section> sections_;
  size_t last_ = 0;  // the section Find gave last
  std::map<std::string, std::string> files_;
  std::vector<std::string> directories_;
  std::vector<std::string> notes_;
};

}  // namespace kestrova
