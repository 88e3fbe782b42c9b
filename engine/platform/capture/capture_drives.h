#pragma once
// The logical drives, captured: every call goes to the drives of the machine and comes
// back unchanged; what was answered is kept, per drive letter, and written as the
// [drives] and [drive:X] sections a recorded machine answers the same calls from.
#include <map>
#include <optional>
#include <string>

#include "engine/platform/capture/capture_output.h"
#include "engine/platform/drives.h"

namespace kestrova {

class CapturingDrives final : public IDrives {
 public:
  explicit CapturingDrives(IDrives& inner) : inner_(inner) {}

  std::string LogicalDriveStrings(uint32_t bufferChars) override;
  uint32_t DriveKind(const std::string& root) override;
  uint32_t SwapErrorMode(uint32_t mode) override;
  std::optional<DiskClusters> FreeClusters(const std::string& root) override;
  std::optional<DiskBytes> FreeBytes(const std::string& root) override;
  std::optional<VolumeFacts> Volume(const std::string& root) override;
  std::string UniversalName(const std::string& path) override;

  void Write(CaptureOutput& out) const;

 private:
  struct Seen {
    bool Listed = false;
    std::optional<uint32_t> Kind;
    bool ClustersAsked = false, Faults = false;
    std::optional<DiskClusters> Clusters;
    bool BytesAsked = false;
    std::optional<DiskBytes> Bytes;
    bool VolumeAsked = false;
    std::optional<VolumeFacts> VolumeAnswer;
    std::optional<std::string> Unc;
    bool UncConflict = false;
  };
  Seen& At(const std::string& path);

  IDrives& inner_;
  std::map<char, Seen> drives_;
  std::optional<uint32_t> initialErrorMode_;
};

}  // namespace kestrova
