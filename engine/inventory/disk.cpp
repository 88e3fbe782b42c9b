#include "engine/inventory/disk.h"

#include <algorithm>

#include "engine/core/context.h"
#include "engine/core/text.h"

namespace kestrova {

// member                                  GetVolumeInformation flag      report name
const FileFlagRow kFileFlagTable[12] = {
    {TFileFlag::fsCaseIsPreserved,            0x00000002, "CaseIsPreserved"},             // FILE_CASE_PRESERVED_NAMES
    {TFileFlag::fsCaseSensitive,              0x00000001, "CaseSensitive"},               // FILE_CASE_SENSITIVE_SEARCH
    {TFileFlag::fsUnicodeStoredOnDisk,        0x00000004, "UnicodeStoredOnDisk"},         // FILE_UNICODE_ON_DISK
    {TFileFlag::fsPersistentAcls,             0x00000008, "PersistentACLs"},              // FILE_PERSISTENT_ACLS
    {TFileFlag::fsFileCompression,            0x00000010, "FileCompression"},             // FILE_FILE_COMPRESSION
    {TFileFlag::fsVolumeIsCompressed,         0x00008000, "VolumeIsCompressed"},          // FILE_VOLUME_IS_COMPRESSED
    {TFileFlag::fsLongFileNames,              0,          "LongFilenames"},               // maximum component length 255
    {TFileFlag::fsEncryptedFileSystemSupport, 0x00020000, "EncryptedFileSystemSupport"},  // FILE_SUPPORTS_ENCRYPTION
    {TFileFlag::fsObjectIDsSupport,           0x00010000, "ObjectODsSupport"},            // FILE_SUPPORTS_OBJECT_IDS
    {TFileFlag::fsReparsePointsSupport,       0x00000080, "ReparsePointsSupport"},        // FILE_SUPPORTS_REPARSE_POINTS
    {TFileFlag::fsSparseFilesSupport,         0x00000040, "SparseFilesSupport"},          // FILE_SUPPORTS_SPARSE_FILES
    {TFileFlag::fsDiskQuotasSupport,          0x00000020, "DiskQuotasSupport"},           // FILE_VOLUME_QUOTAS
};

TFileFlags FileFlagsFromVolume(uint32_t systemFlags, uint32_t maximumComponentLength) {
  TFileFlags flags;
  for (const FileFlagRow& row : kFileFlagTable) {
    const bool set = row.Flag == TFileFlag::fsLongFileNames ? maximumComponentLength == 255
                                                            : (systemFlags & row.SystemFlag) != 0;
    if (set) flags.Include(row.Flag);
  }
  return flags;
}

std::string SerialNumberText(uint32_t serial) {
  return Format("%.4X-%.4X", static_cast<unsigned>(serial >> 16), static_cast<unsigned>(serial & 0xFFFF));
}

std::string DriveLettersFromRootNames(const std::string& buffer) {
  std::string letters;
  for (size_t i = 0; i < buffer.size(); ++i) {
    const char c = buffer[i];
    if (c == '\0' && i + 1 < buffer.size() && buffer[i + 1] == '\0') break;
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
      letters += static_cast<char>(c >= 'a' ? c - 'a' + 'A' : c);
  }
  return letters;
}

const char* MediaTypeReportName(TMediaType type) {
  // ordinal = TMediaType
  static const char* const kNames[] = {"<unknown>", "<not exists>", "Removable", "Fixed", "Remote", "CDROM", "RAM"};
  const auto i = static_cast<size_t>(type);
  return i < sizeof kNames / sizeof kNames[0] ? kNames[i] : kNames[0];
}

const char* DriveTypeText(uint32_t driveType) {
  struct Row { uint32_t Code; const char* Text; };
  // GetDriveType code      text
  static const Row kTexts[] = {
      {kDriveRemovable, "Removable Drive"},
      {kDriveFixed,     "Hard Disk"},
      {kDriveRemote,    "Remote Drive"},
      {kDriveCdRom,     "CD-ROM"},
      {kDriveRamDisk,   "RAM-Disk"},
  };
  for (const Row& r : kTexts)
    if (r.Code == driveType) return r.Text;
  return "Unknown drive type";
}

namespace {

// The process error mode set for the lifetime of the object, the previous one restored
// when it goes, whichever way that is.
class QuietErrorMode {
 public:
  explicit QuietErrorMode(IDrives& drives)
      : drives_(drives), old_(drives.SwapErrorMode(kSemFailCriticalErrors | kSemNoOpenFileErrorBox)) {}
  ~QuietErrorMode() { drives_.SwapErrorMode(old_); }
  QuietErrorMode(const QuietErrorMode&) = delete;
  QuietErrorMode& operator=(const QuietErrorMode&) = delete;

 private:
  IDrives& drives_;
  uint32_t old_;
};

// A volume text as the query's 255-byte buffer holds it.
std::string BufferText(const std::string& s) { return Truncate(s, 254); }

}  // namespace

std::optional<DiskClusters> ProbeDriveFreeSpace(IDrives& drives, const std::string& root) {
  QuietErrorMode quiet(drives);
  try {
    return drives.FreeClusters(root);
  } catch (...) {
    return std::nullopt;
  }
}

TDriveData QueryDrive(IDrives& drives, const std::string& drive) {
  const std::string root = drive + "\\";
  TDriveData d;
  // The whole query runs with the quiet error mode: a medium taken out between the probe
  // and the volume query must not bring up a system box either.
  QuietErrorMode quiet(drives);
  const uint32_t kind = drives.DriveKind(root);
  d.MediaType = kind <= static_cast<uint32_t>(TMediaType::dtRAMDisk) ? static_cast<TMediaType>(kind)
                                                                     : TMediaType::dtUnknown;
  // The probe's answer gives the cluster counts: the call is not repeated.
  const std::optional<DiskClusters> clusters = ProbeDriveFreeSpace(drives, root);
  if (!clusters) return d;
  d.SectorsPerCluster = clusters->SectorsPerCluster;
  d.BytesPerSector = clusters->BytesPerSector;
  d.FreeClusters = clusters->FreeClusters;
  d.TotalClusters = clusters->TotalClusters;

  std::optional<DiskBytes> bytes;
  try {
    bytes = drives.FreeBytes(root);
  } catch (...) {
    bytes.reset();
  }
  if (bytes) {
    d.FreeSpace = static_cast<int64_t>(bytes->FreeBytesAvailable);
    d.Capacity = static_cast<int64_t>(bytes->TotalBytes);
  } else {
    // No GetDiskFreeSpaceEx (or it failed): the same values from the cluster counts, in
    // 64 bits, so a volume of 2 GB and more keeps its true size.
    const int64_t cluster = int64_t{d.BytesPerSector} * d.SectorsPerCluster;
    d.Capacity = cluster * d.TotalClusters;
    d.FreeSpace = cluster * d.FreeClusters;
  }

  std::optional<VolumeFacts> volume;
  try {
    volume = drives.Volume(root);
  } catch (...) {
    volume.reset();
  }
  if (volume) {
    d.VolumeLabel = BufferText(volume->Label);
    d.FileSystem = BufferText(volume->FileSystem);
    d.RawSerialNumber = volume->SerialNumber;
    d.SerialNumber = SerialNumberText(volume->SerialNumber);
    d.FileFlags = FileFlagsFromVolume(volume->FileSystemFlags, volume->MaximumComponentLength);
  }
  return d;
}

// --- TDisk -------------------------------------------------------------------------------

TDisk::TDisk(const EngineContext& context) : TInformation(context) {
  SetExceptionModes({TExceptionMode::emExceptionStack});
}

IDrives* TDisk::Drives() const { return Context().Sys.Drives; }

void TDisk::Refresh() {
  availableDisks_.clear();
  if (IDrives* drives = Drives()) availableDisks_ = DriveLettersFromRootNames(drives->LogicalDriveStrings(255));
}

void TDisk::SetDrive(const std::string& drive) {
  drive_ = drive.substr(0, 2);
  IDrives* drives = Drives();
  data_ = drives ? QueryDrive(*drives, drive_) : TDriveData{};
  NoteSerial(data_.SerialNumber);
}

void TDisk::NoteSerial(const std::string& serial) const {
  if (!serial.empty() && std::find(serialsRead_.begin(), serialsRead_.end(), serial) == serialsRead_.end())
    serialsRead_.push_back(serial);
}

bool TDisk::MediaPresent() const {
  IDrives* drives = Drives();
  return drives && ProbeDriveFreeSpace(*drives, drive_ + "\\").has_value();
}

uint32_t TDisk::DriveTypeOf(const std::string& root) const {
  IDrives* drives = Drives();
  return drives ? drives->DriveKind(root) : kDriveUnknown;
}

void TDisk::WriteBlock(ReportWriter& out) const {
  out.OpenClass("Disk", "TDisk");
  out.String("AvailableLogicalDisks", availableDisks_);
  IDrives* drives = Drives();
  for (char letter : availableDisks_) {
    const std::string drive = std::string(1, letter) + ":";
    const TDriveData d = drives ? QueryDrive(*drives, drive) : TDriveData{};
    NoteSerial(d.SerialNumber);
    out.OpenSection("Disk_" + std::string(1, letter));
    out.String("VolumeLabel", d.VolumeLabel);
    out.String("FileSystem", d.FileSystem);
    out.String("Type", MediaTypeReportName(d.MediaType));
    out.String("UNC", drives ? drives->UniversalName(drive) : drive);
    out.String("SerialNumber", d.SerialNumber);
    out.Integer("Capacity", d.Capacity, "B");
    out.Integer("FreeSpace", d.FreeSpace, "B");
    out.Integer("BytesPerSector", d.BytesPerSector);
    out.Integer("SectorsPerCluster", d.SectorsPerCluster);
    out.Integer("FreeClusters", d.FreeClusters);
    out.Integer("TotalClusters", d.TotalClusters);
    out.OpenSection("Flags");
    for (const FileFlagRow& row : kFileFlagTable) out.Boolean(row.ReportName, d.FileFlags.Contains(row.Flag));
    out.CloseSection();
    out.CloseSection();
  }
  out.CloseClass("Disk");
}

}  // namespace kestrova
