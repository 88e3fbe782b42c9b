#pragma once
// Logical drives and volumes: the drive list, the drive type, the free-space and volume
// queries, the process error mode that keeps the system from asking for a missing medium,
// and the UNC expansion of a path. Roots are given as the engine builds them ("C:\").
// Decisions (which drive, when to set the error mode, the fallbacks, the 255-character
// limits) belong to the engine. Method names avoid the Win32 macro names.
#include <cstdint>
#include <optional>
#include <string>

namespace kestrova {

// What GetDiskFreeSpace answers.
struct DiskClusters {
  uint32_t SectorsPerCluster = 0;
  uint32_t BytesPerSector = 0;
  uint32_t FreeClusters = 0;
  uint32_t TotalClusters = 0;
};

// What GetDiskFreeSpaceEx answers.
struct DiskBytes {
  uint64_t FreeBytesAvailable = 0;  // to the calling user
  uint64_t TotalBytes = 0;
  uint64_t TotalFreeBytes = 0;
};

// What GetVolumeInformation answers.
struct VolumeFacts {
  std::string Label;
  uint32_t SerialNumber = 0;
  uint32_t MaximumComponentLength = 0;
  uint32_t FileSystemFlags = 0;
  std::string FileSystem;
};

// GetDriveType codes.
enum DriveTypeCode : uint32_t {
  kDriveUnknown = 0, kDriveNoRootDir = 1, kDriveRemovable = 2, kDriveFixed = 3,
  kDriveRemote = 4, kDriveCdRom = 5, kDriveRamDisk = 6,
};

// SetErrorMode flags.
constexpr uint32_t kSemFailCriticalErrors = 0x0001;
constexpr uint32_t kSemNoOpenFileErrorBox = 0x8000;

class IDrives {
 public:
  virtual ~IDrives() = default;
  // The buffer GetLogicalDriveStrings fills when given `bufferChars` characters: the
  // NUL-terminated root names followed by one more NUL, or as many characters as the
  // call wrote (nothing when it needs a bigger buffer or fails). Never longer than
  // `bufferChars`.
  virtual std::string LogicalDriveStrings(uint32_t bufferChars) = 0;
  virtual uint32_t DriveKind(const std::string& root) = 0;  // GetDriveType
  // SetErrorMode: sets the process error mode, returns the previous one.
  virtual uint32_t SwapErrorMode(uint32_t mode) = 0;
  // nullopt when the call fails (no medium, no such drive...). May throw: a faulting
  // file-system driver is reported as an exception.
  virtual std::optional<DiskClusters> FreeClusters(const std::string& root) = 0;
  // nullopt when the system has no GetDiskFreeSpaceEx or the call fails.
  virtual std::optional<DiskBytes> FreeBytes(const std::string& root) = 0;
  // nullopt when the call fails.
  virtual std::optional<VolumeFacts> Volume(const std::string& root) = 0;
  // The path expanded to a full path and, on a network drive, to its \\server\share
  // form; the path itself when it cannot be expanded.
  virtual std::string UniversalName(const std::string& path) = 0;
};

}  // namespace kestrova
