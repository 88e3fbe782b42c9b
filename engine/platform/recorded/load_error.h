#pragma once
#include <stdexcept>
#include <string>

namespace kestrova {

// A recorded-machine file that is present but malformed: names the file and the line.
class LoadError : public std::runtime_error {
 public:
  LoadError(const std::string& file, int line, const std::string& message)
      : std::runtime_error(file + ":" + std::to_string(line) + ": " + message), file_(file), line_(line) {}
  const std::string& File() const { return file_; }
  int Line() const { return line_; }

 private:
  std::string file_;
  int line_;
};

}  // namespace kestrova
