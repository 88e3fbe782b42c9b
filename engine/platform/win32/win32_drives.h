#pragma once
// IDrives over the running Windows: kernel32's drive and volume calls, GetDiskFreeSpaceEx
// bound by name (the first Windows 95 lacks it), the UNC form through mpr.dll.
#include "engine/platform/drives.h"

namespace kestrova::win32 {

class Win32Drives final : public IDrives {
 public:
  std::string LogicalDriveStrings(uint32_t bufferChars) override;
  uint32_t DriveKind(const std::string& root) override;
  uint32_t SwapErrorMode(uint32_t mode) override;
  std::optional<DiskClusters> FreeClusters(const std::string& root) override;
  std::optional<DiskBytes> FreeBytes(const std::string& root) override;
  std::optional<VolumeFacts> Volume(const std::string& root) override;
  std::string UniversalName(const std::string& path) override;
};

}  // namespace kestrova::win32
