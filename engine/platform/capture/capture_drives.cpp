#include "engine/platform/capture/capture_drives.h"

#include <cctype>

#include "engine/core/text.h"

namespace kestrova {

namespace {
char LetterOf(const std::string& path) {
  return path.empty() ? '\0' : static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
}

const char* TypeName(uint32_t code) {
  static const char* const kNames[] = {"unknown", "noroot", "removable", "fixed", "remote", "cdrom", "ramdisk"};
  return code < sizeof kNames / sizeof kNames[0] ? kNames[code] : nullptr;
}
}  // namespace

CapturingDrives::Seen& CapturingDrives::At(const std::string& path) { return drives_[LetterOf(path)]; }

std::string CapturingDrives::LogicalDriveStrings(uint32_t bufferChars) {
  std::string answer = inner_.LogicalDriveStrings(bufferChars);
  // Root names up to the empty one that ends the list; a cut answer names what it holds.
  size_t at = 0;
  while (at < answer.size() && answer[at] != '\0') {
    const size_t end = answer.find('\0', at);
    const std::string root = answer.substr(at, end == std::string::npos ? std::string::npos : end - at);
    if (std::isalpha(static_cast<unsigned char>(root[0]))) At(root).Listed = true;
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return answer;
}

uint32_t CapturingDrives::DriveKind(const std::string& root) {
  const uint32_t kind = inner_.DriveKind(root);
  if (!root.empty()) At(root).Kind = kind;
  return kind;
}

uint32_t CapturingDrives::SwapErrorMode(uint32_t mode) {
  const uint32_t old = inner_.SwapErrorMode(mode);
  if (!initialErrorMode_) initialErrorMode_ = old;
  return old;
}

std::optional<DiskClusters> CapturingDrives::FreeClusters(const std::string& root) {
  Seen& s = At(root);
  s.ClustersAsked = true;
  try {
    s.Clusters = inner_.FreeClusters(root);
  } catch (...) {
    s.Faults = true;
    throw;
  }
  return s.Clusters;
}

std::optional<DiskBytes> CapturingDrives::FreeBytes(const std::string& root) {
  Seen& s = At(root);
  s.BytesAsked = true;
  s.Bytes = inner_.FreeBytes(root);
  return s.Bytes;
}

std::optional<VolumeFacts> CapturingDrives::Volume(const std::string& root) {
  Seen& s = At(root);
  s.VolumeAsked = true;
  s.VolumeAnswer = inner_.Volume(root);
  return s.VolumeAnswer;
}

std::string CapturingDrives::UniversalName(const std::string& path) {
  std::string answer = inner_.UniversalName(path);
  if (answer != path && !path.empty()) {
    Seen& s = At(path);
    if (s.Unc && *s.Unc != answer) s.UncConflict = true;
    s.Unc = answer;
  }
  return answer;
}

void CapturingDrives::Write(CaptureOutput& out) const {
  // GetDiskFreeSpaceEx counts as present when one call of it answered, or when none was
  // made; a system without it fails every call.
  bool anyBytesAsked = false, anyBytesAnswered = false;
  for (const auto& d : drives_) {
    anyBytesAsked |= d.second.BytesAsked;
    anyBytesAnswered |= d.second.Bytes.has_value();
  }
  const bool freeSpaceEx = anyBytesAnswered || !anyBytesAsked;
  out.Add("drives", "FreeSpaceEx", freeSpaceEx ? "1" : "0");
  if (initialErrorMode_) out.Add("drives", "ErrorMode", Format("0x%X", *initialErrorMode_));

  for (const auto& entry : drives_) {
    const char letter = entry.first;
    const Seen& d = entry.second;
    if (!std::isalpha(static_cast<unsigned char>(letter))) continue;
    if (!d.Listed) {
      // A drive the list does not name answers as a missing root and fails every call.
      if ((d.Kind && *d.Kind != kDriveNoRootDir) || d.Clusters.has_value() || d.Bytes.has_value() ||
          d.VolumeAnswer.has_value() || d.Unc.has_value())
        out.Note(Format("drive %c: answered although GetLogicalDriveStrings did not list it; left out", letter));
      continue;
    }
    const std::string section = Format("drive:%c", letter);
    if (d.Kind) {
      const char* name = TypeName(*d.Kind);
      out.Add(section, "Type", name ? name : std::to_string(*d.Kind));
    } else {
      out.AddSection(section);
    }
    // A medium is there when the free-space call answered; without that call, when the
    // volume or the extended free-space call did.
    // A faulting driver raises before it says anything of the medium.
    const bool media = d.Clusters.has_value() ||
                       ((!d.ClustersAsked || d.Faults) && (d.VolumeAnswer.has_value() || d.Bytes.has_value()));
    if (d.Faults) out.Add(section, "Faults", "1");
    out.Add(section, "Media", media ? "1" : "0");
    if (!media) {
      if (d.VolumeAnswer.has_value() || d.Bytes.has_value())
        out.Note(Format("drive %c: the free-space call failed but another call answered; recorded without a medium", letter));
      continue;
    }
    if (d.Clusters) {
      out.Add(section, "SectorsPerCluster", std::to_string(d.Clusters->SectorsPerCluster));
      out.Add(section, "BytesPerSector", std::to_string(d.Clusters->BytesPerSector));
      out.Add(section, "FreeClusters", std::to_string(d.Clusters->FreeClusters));
      out.Add(section, "TotalClusters", std::to_string(d.Clusters->TotalClusters));
    }
    if (d.Bytes) {
      out.Add(section, "FreeBytes", std::to_string(d.Bytes->FreeBytesAvailable));
      out.Add(section, "TotalBytes", std::to_string(d.Bytes->TotalBytes));
      out.Add(section, "TotalFreeBytes", std::to_string(d.Bytes->TotalFreeBytes));
    } else if (d.BytesAsked && freeSpaceEx) {
      out.Note(Format("drive %c: GetDiskFreeSpaceEx failed there only; it answers in the recording", letter));
    }
    if (d.VolumeAsked && !d.VolumeAnswer) {
      out.Add(section, "Volume", "0");
    } else if (d.VolumeAnswer) {
      out.Add(section, "Label", d.VolumeAnswer->Label);
      out.Add(section, "Serial", Format("0x%08X", d.VolumeAnswer->SerialNumber));
      out.Add(section, "FileSystem", d.VolumeAnswer->FileSystem);
      out.Add(section, "FileSystemFlags", Format("0x%X", d.VolumeAnswer->FileSystemFlags));
      out.Add(section, "MaxComponentLength", std::to_string(d.VolumeAnswer->MaximumComponentLength));
    }
    if (d.Unc) out.Add(section, "UNC", *d.Unc);
    if (d.UncConflict) out.Note(Format("drive %c: paths of it expanded to different UNC roots; the last one kept", letter));
  }
}

}  // namespace kestrova
