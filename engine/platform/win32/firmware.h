#pragma once
// Physical memory on the real system: the NT physical-memory section, scratch files and
// a hidden command interpreter for the segment dump, and a guarded linear read.
#include "engine/platform/firmware.h"

namespace kestrova::win32 {

class Win32Firmware final : public IFirmware {
 public:
  std::optional<std::vector<uint8_t>> MapPhysicalView(uint64_t base, uint32_t length) override;
  bool LinearReadable(uint64_t address, uint32_t length, LinearCheck how) override;
  std::vector<uint8_t> CopyLinear(uint64_t address, uint32_t length) override;
  bool DirectoryExists(const std::string& path) override;
  bool MakeDirectory(const std::string& path) override;
  bool RemoveEmptyDirectory(const std::string& path) override;
  bool WriteNewFile(const std::string& path, const std::vector<uint8_t>& bytes) override;
  std::optional<std::vector<uint8_t>> ReadFileHead(const std::string& path, uint32_t maxBytes) override;
  bool RemoveFile(const std::string& path) override;
  bool RunHidden(const std::string& commandLine, uint32_t timeoutMs) override;
};

}  // namespace kestrova::win32
