#pragma once
// TDisk: the logical drives of the machine and, for one selected drive at a time, its
// type, geometry, free space, capacity, label, serial number, file system and the file
// system's capabilities. Also the drive routines the "Disques" section shares: the list of
// drive letters, the free-space probe under a quiet error mode, the drive type texts.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/core/information.h"
#include "engine/core/set.h"
#include "engine/platform/drives.h"

namespace kestrova {

// The ordinal is the GetDriveType code.
enum class TMediaType : uint8_t { dtUnknown, dtNotExists, dtRemovable, dtFixed, dtRemote, dtCDROM, dtRAMDisk };

enum class TFileFlag : uint8_t {
  fsCaseIsPreserved, fsCaseSensitive, fsUnicodeStoredOnDisk, fsPersistentAcls, fsFileCompression,
  fsVolumeIsCompressed, fsLongFileNames, fsEncryptedFileSystemSupport, fsObjectIDsSupport,
  fsReparsePointsSupport, fsSparseFilesSupport, fsDiskQuotasSupport,
};
using TFileFlags = EnumSet<TFileFlag, 12>;  // held in 16 bits, bit 0 first

// One row per TFileFlags member, in bit order: the GetVolumeInformation flag it reports
// (0 for fsLongFileNames, which comes from the maximum component length) and its name in
// the tagged report.
struct FileFlagRow {
  TFileFlag Flag;
  uint32_t SystemFlag;
  const char* ReportName;
};
extern const FileFlagRow kFileFlagTable[12];

// The file-system flags and maximum component length of a volume as a TFileFlags set.
TFileFlags FileFlagsFromVolume(uint32_t systemFlags, uint32_t maximumComponentLength);

// "XXXX-XXXX": the high 16 bits, a dash, the low 16 bits, upper-case hexadecimal.
std::string SerialNumberText(uint32_t serial);

// The drive letters of a GetLogicalDriveStrings buffer, upper case, in buffer order:
// every ASCII letter of the buffer, up to the first NUL that follows a NUL, and never
// past the buffer's end.
std::string DriveLettersFromRootNames(const std::string& buffer);

// The tagged report's name of a media type: "<unknown>", "<not exists>", "Removable"...
const char* MediaTypeReportName(TMediaType type);
// The "Disques" section's name of a GetDriveType code: "Hard Disk", "CD-ROM"...
const char* DriveTypeText(uint32_t driveType);

// The free-space probe: GetDiskFreeSpace on the root with the error mode set to
// SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, so a drive without a medium never
// shows a system box; the previous mode is restored however the call ends. An exception
// from the call counts as a failure.
std::optional<DiskClusters> ProbeDriveFreeSpace(IDrives& drives, const std::string& root);

// Everything the drive query reads for one drive.
struct TDriveData {
  TMediaType MediaType = TMediaType::dtUnknown;
  uint32_t SectorsPerCluster = 0, BytesPerSector = 0, FreeClusters = 0, TotalClusters = 0;
  TFileFlags FileFlags;
  std::string VolumeLabel, SerialNumber, FileSystem;
  int64_t FreeSpace = 0, Capacity = 0;
  uint32_t RawSerialNumber = 0;
};

// The drive query for a drive text of (at most) two characters, "C:".
TDriveData QueryDrive(IDrives& drives, const std::string& drive);

class TDisk : public TInformation {
 public:
  explicit TDisk(const EngineContext& context);

  // Re-reads the list of drive letters (AvailableDisks) only.
  void Refresh();

  const std::string& Drive() const { return drive_; }
  // Keeps the first two characters and runs the drive query for that drive.
  void SetDrive(const std::string& drive);

  // Runs the free-space probe on the current drive at every read.
  bool MediaPresent() const;
  TMediaType MediaType() const { return data_.MediaType; }
  uint32_t SectorsPerCluster() const { return data_.SectorsPerCluster; }
  uint32_t BytesPerSector() const { return data_.BytesPerSector; }
  uint32_t FreeClusters() const { return data_.FreeClusters; }
  uint32_t TotalClusters() const { return data_.TotalClusters; }
  TFileFlags FileFlags() const { return data_.FileFlags; }
  const std::string& VolumeLabel() const { return data_.VolumeLabel; }
  const std::string& SerialNumber() const { return data_.SerialNumber; }
  const std::string& FileSystem() const { return data_.FileSystem; }
  int64_t FreeSpace() const { return data_.FreeSpace; }
  int64_t Capacity() const { return data_.Capacity; }
  uint32_t RawSerialNumber() const { return data_.RawSerialNumber; }
  // Every volume serial number this object has read: the drives it was set to and those
  // its report block read.
  const std::vector<std::string>& SerialNumbersRead() const { return serialsRead_; }
  const std::string& AvailableDisks() const { return availableDisks_; }

  // The GetDriveType code of a root path, asked afresh (kDriveUnknown without drives).
  uint32_t DriveTypeOf(const std::string& root) const;

 protected:
  // The letter list, then one section per letter with what the drive query reads for it.
  void WriteBlock(ReportWriter& out) const override;

 private:
  IDrives* Drives() const;
  std::string drive_;
  TDriveData data_;
  std::string availableDisks_;
  mutable std::vector<std::string> serialsRead_;
  void NoteSerial(const std::string& serial) const;
};

}  // namespace kestrova
