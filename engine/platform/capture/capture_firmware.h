#pragma once
// The firmware tee: every physical-memory range the engine read (through the NT section,
// the 9x linear read or the segment dump) becomes a memory-XXXXXXXX.bin image, and what
// each path refused becomes a [firmware] knob.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/platform/capture/capture_output.h"
#include "engine/platform/firmware.h"

namespace kestrova {

class CapturingFirmware final : public IFirmware {
 public:
  explicit CapturingFirmware(IFirmware& inner) : inner_(inner) {}
  std::optional<std::vector<uint8_t>> MapPhysicalView(uint64_t base, uint32_t length) override;
  bool LinearReadable(uint64_t address, uint32_t length, LinearCheck how) override;
  std::vector<uint8_t> CopyLinear(uint64_t address, uint32_t length) override;
  bool DirectoryExists(const std::string& path) override { return inner_.DirectoryExists(path); }
  bool MakeDirectory(const std::string& path) override { return inner_.MakeDirectory(path); }
  bool RemoveEmptyDirectory(const std::string& path) override { return inner_.RemoveEmptyDirectory(path); }
  bool WriteNewFile(const std::string& path, const std::vector<uint8_t>& bytes) override;
  std::optional<std::vector<uint8_t>> ReadFileHead(const std::string& path, uint32_t maxBytes) override;
  bool RemoveFile(const std::string& path) override { return inner_.RemoveFile(path); }
  bool RunHidden(const std::string& commandLine, uint32_t timeoutMs) override;
  void Write(CaptureOutput& out) const;

 private:
  void Keep(uint64_t base, const std::vector<uint8_t>& bytes);
  IFirmware& inner_;
  std::map<uint64_t, std::vector<uint8_t>> regions_;  // by base address
  std::optional<bool> sectionOpens_;
  bool sectionMixed_ = false;
  std::optional<bool> queryReadable_, probeReadable_;
  std::vector<std::pair<uint64_t, uint32_t>> refusedQuery_, refusedProbe_;
  std::optional<bool> commandRuns_, fileWrites_;
  std::map<std::string, std::vector<uint8_t>> programs_;  // upper-cased path -> bytes written
  std::map<std::string, uint64_t> dumps_;                // upper-cased output path -> segment base
  std::optional<uint32_t> dumpLength_;
};

}  // namespace kestrova
