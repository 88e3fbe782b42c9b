#include "engine/platform/recorded/recorded_drives.h"

#include <cctype>
#include <stdexcept>

#include "engine/core/text.h"
#include "engine/platform/recorded/load_error.h"

namespace kestrova {

const RecordedDrive* RecordedDrives::Find(const std::string& path) const {
  if (path.empty()) return nullptr;
  auto it = Drives.find(static_cast<char>(std::toupper(static_cast<unsigned char>(path[0]))));
  return it == Drives.end() ? nullptr : &it->second;
}

std::string RecordedDrives::LogicalDriveStrings(uint32_t bufferChars) {
  std::string buffer;
  for (const auto& d : Drives) buffer += std::string(1, d.first) + ":\\" + '\0';
  buffer += '\0';
  if (buffer.size() > bufferChars) return {};  // the call asks for a bigger buffer
  return buffer;
}

uint32_t RecordedDrives::DriveKind(const std::string& root) {
  const RecordedDrive* d = Find(root);
  return d ? d->Type : kDriveNoRootDir;
}

uint32_t RecordedDrives::SwapErrorMode(uint32_t mode) {
  uint32_t old = ErrorMode;
  ErrorMode = mode;
  return old;
}

std::optional<DiskClusters> RecordedDrives::FreeClusters(const std::string& root) {
  ProbeErrorModes.push_back(ErrorMode);
  const RecordedDrive* d = Find(root);
  if (d && d->Faults) throw std::runtime_error("the file system driver of " + root + " faulted");
  if (!d || !d->Media) return std::nullopt;
  return d->Clusters;
}

std::optional<DiskBytes> RecordedDrives::FreeBytes(const std::string& root) {
  const RecordedDrive* d = Find(root);
  if (!FreeSpaceExPresent || !d || !d->Media) return std::nullopt;
  if (d->Bytes) return d->Bytes;
  const uint64_t cluster = uint64_t{d->Clusters.SectorsPerCluster} * d->Clusters.BytesPerSector;
  DiskBytes b;
  b.TotalBytes = cluster * d->Clusters.TotalClusters;
  b.FreeBytesAvailable = b.TotalFreeBytes = cluster * d->Clusters.FreeClusters;
  return b;
}

std::optional<VolumeFacts> RecordedDrives::Volume(const std::string& root) {
  const RecordedDrive* d = Find(root);
  if (!d || !d->Media || d->VolumeFails) return std::nullopt;
  return d->Volume;
}

std::string RecordedDrives::UniversalName(const std::string& path) {
  const RecordedDrive* d = Find(path);
  return d && !d->UNC.empty() ? d->UNC : path;
}

// --- machine.ini ---------------------------------------------------------------------------

namespace {

[[noreturn]] void Fail(const std::string& file, const IniEntry& e, const std::string& what) {
  throw LoadError(file, e.Line, what);
}

uint64_t Number(const std::string& file, const IniEntry& e, uint64_t max) {
  const std::string& v = e.Value;
  const bool hex = v.size() > 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X');
  const std::string digits = hex ? v.substr(2) : v;
  if (digits.empty() || digits.size() > 16) Fail(file, e, "not a number: " + v);
  uint64_t n = 0;
  for (char c : digits) {
    const int d = (c >= '0' && c <= '9') ? c - '0'
                  : hex && (c >= 'a' && c <= 'f') ? c - 'a' + 10
                  : hex && (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
    if (d < 0) Fail(file, e, "not a number: " + v);
    const uint64_t next = n * (hex ? 16 : 10) + static_cast<uint64_t>(d);
    if (next / (hex ? 16 : 10) != n) Fail(file, e, "number too large: " + v);
    n = next;
  }
  if (n > max) Fail(file, e, "number out of range: " + v);
  return n;
}

uint32_t U32(const std::string& file, const IniEntry& e) {
  return static_cast<uint32_t>(Number(file, e, 0xFFFFFFFFu));
}
bool Flag(const std::string& file, const IniEntry& e) { return Number(file, e, 1) != 0; }

struct DriveTypeName { const char* Name; uint32_t Code; };
// name         GetDriveType code
constexpr DriveTypeName kDriveTypeNames[] = {
    {"unknown", kDriveUnknown}, {"noroot", kDriveNoRootDir}, {"removable", kDriveRemovable},
    {"fixed", kDriveFixed},     {"remote", kDriveRemote},    {"cdrom", kDriveCdRom},
    {"ramdisk", kDriveRamDisk},
};

uint32_t DriveType(const std::string& file, const IniEntry& e) {
  for (const DriveTypeName& t : kDriveTypeNames)
    if (EqualsNoCase(e.Value, t.Name)) return t.Code;
  if (!e.Value.empty() && std::isdigit(static_cast<unsigned char>(e.Value[0]))) return U32(file, e);
  Fail(file, e, "drive types are unknown, noroot, removable, fixed, remote, cdrom, ramdisk or a number: " + e.Value);
}

}  // namespace

void ApplyDrivesSection(RecordedDrives& drives, const IniSection& s, const std::string& file) {
  for (const IniEntry& e : s.Entries) {
    if (EqualsNoCase(e.Key, "FreeSpaceEx")) drives.FreeSpaceExPresent = Flag(file, e);
    else if (EqualsNoCase(e.Key, "ErrorMode")) drives.ErrorMode = U32(file, e);
    else Fail(file, e, "unknown key '" + e.Key + "' in [" + s.Name + "]");
  }
}

void ApplyDriveSection(RecordedDrives& drives, const IniSection& s, const std::string& letter,
                       const std::string& file) {
  const std::string l = Trim(letter);
  if (l.size() != 1 || !std::isalpha(static_cast<unsigned char>(l[0])))
    throw LoadError(file, s.Line, "drive sections are [drive:X] with one letter: [" + s.Name + "]");
  RecordedDrive& d = drives.Drives[static_cast<char>(std::toupper(static_cast<unsigned char>(l[0])))];
  auto bytes = [&]() -> DiskBytes& {
    if (!d.Bytes) d.Bytes = DiskBytes{};
    return *d.Bytes;
  };
  for (const IniEntry& e : s.Entries) {
    const std::string k = ToLowerAscii(e.Key);
    if (k == "type") d.Type = DriveType(file, e);
    else if (k == "media") d.Media = Flag(file, e);
    else if (k == "faults") d.Faults = Flag(file, e);
    else if (k == "sectorspercluster") d.Clusters.SectorsPerCluster = U32(file, e);
    else if (k == "bytespersector") d.Clusters.BytesPerSector = U32(file, e);
    else if (k == "freeclusters") d.Clusters.FreeClusters = U32(file, e);
    else if (k == "totalclusters") d.Clusters.TotalClusters = U32(file, e);
    else if (k == "freebytes") bytes().FreeBytesAvailable = Number(file, e, ~uint64_t{0});
    else if (k == "totalbytes") bytes().TotalBytes = Number(file, e, ~uint64_t{0});
    else if (k == "totalfreebytes") bytes().TotalFreeBytes = Number(file, e, ~uint64_t{0});
    else if (k == "volume") d.VolumeFails = !Flag(file, e);
    else if (k == "label") d.Volume.Label = e.Value;
    else if (k == "serial") d.Volume.SerialNumber = U32(file, e);
    else if (k == "filesystem") d.Volume.FileSystem = e.Value;
    else if (k == "filesystemflags") d.Volume.FileSystemFlags = U32(file, e);
    else if (k == "maxcomponentlength") d.Volume.MaximumComponentLength = U32(file, e);
    else if (k == "unc") d.UNC = e.Value;
    else Fail(file, e, "unknown key '" + e.Key + "' in [" + s.Name + "]");
  }
}

}  // namespace kestrova
