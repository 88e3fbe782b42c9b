#include "engine/os/file_search.h"

#include "engine/core/text.h"

namespace kestrova {

std::string FileSearch(const IFiles& files, const std::string& name, const std::string& folders) {
  if (name.empty()) return {};
  if (IsExistingFile(files, name)) return name;
  for (const std::string& folder : Split(folders, ';')) {
    if (folder.empty()) continue;
    const char last = folder.back();
    const std::string path = (last == ':' || last == '\\') ? folder + name : folder + "\\" + name;
    if (IsExistingFile(files, path)) return path;
  }
  return {};
}

std::string FileNamePart(const std::string& path) {
  const size_t cut = path.find_last_of("\\:");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string FolderPart(const std::string& path) {
  const size_t cut = path.find_last_of("\\:");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

}  // namespace kestrova
