#pragma once
// Whole files of the host's file system, read through the C library only: the recorded
// platform is part of the Windows programs too, and libstdc++'s file streams import
// msvcrt's _fstat64, which the msvcrt of Windows 98 and NT 4.0 lacks.
#include <new>
#include <optional>
#include <string>

namespace kestrova {

// nullopt when the path is not a regular file; throws std::runtime_error when it is one
// but cannot be read.
std::optional<std::string> ReadHostFile(const std::string& path);
// The same, with nullopt for a file that cannot be read either.
std::optional<std::string> ReadHostFile(const std::string& path, const std::nothrow_t&);

}  // namespace kestrova
