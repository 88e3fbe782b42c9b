#pragma once
// The drives of a recorded machine ([drives] and [drive:X] sections of machine.ini), and
// what the engine did with them: the error mode every free-space probe ran under and the
// error mode left behind.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/platform/drives.h"
#include "engine/platform/recorded/ini.h"

namespace kestrova {

struct RecordedDrive {
  uint32_t Type = kDriveFixed;       // GetDriveType code
  bool Media = true;                 // false: free-space and volume calls fail (empty drive)
  bool Faults = false;               // the free-space call raises (a faulting driver)
  DiskClusters Clusters;
  std::optional<DiskBytes> Bytes;    // absent: worked out from the clusters
  bool VolumeFails = false;          // GetVolumeInformation fails although a medium is there
  VolumeFacts Volume{"", 0, 255, 0, ""};
  std::string UNC;                   // what UniversalName gives; empty: the path itself
};

class RecordedDrives : public IDrives {
 public:
  // --- the data ---------------------------------------------------------------------------
  std::map<char, RecordedDrive> Drives;  // by upper-case letter; listed in letter order
  bool FreeSpaceExPresent = true;        // false: no GetDiskFreeSpaceEx (first Windows 95)
  uint32_t ErrorMode = 0;                // the process error mode

  // --- what happened ----------------------------------------------------------------------
  std::vector<uint32_t> ProbeErrorModes;  // the error mode of each free-space call

  std::string LogicalDriveStrings(uint32_t bufferChars) override;
  uint32_t DriveKind(const std::string& root) override;
  uint32_t SwapErrorMode(uint32_t mode) override;
  std::optional<DiskClusters> FreeClusters(const std::string& root) override;
  std::optional<DiskBytes> FreeBytes(const std::string& root) override;
  std::optional<VolumeFacts> Volume(const std::string& root) override;
  std::string UniversalName(const std::string& path) override;

 private:
  const RecordedDrive* Find(const std::string& path) const;
};

// machine.ini: [drives] (machine-wide keys) and [drive:X] (one drive). Throw LoadError
// naming the file and line on an unknown key or a bad value.
void ApplyDrivesSection(RecordedDrives& drives, const IniSection& section, const std::string& fileName);
void ApplyDriveSection(RecordedDrives& drives, const IniSection& section, const std::string& letter,
                       const std::string& fileName);

}  // namespace kestrova
