#pragma once
// Physical memory of a recorded machine, and a small simulation of what the segment
// dump relies on: scratch directories and files kept in memory, and a command
// interpreter that understands "<ComSpec> /C <program> > <file>" for a segment-dump
// program (it writes the 64 KB segment the program names). Every operation is written
// to Journal so tests can check the order of the scratch work and its cleanup.
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/platform/firmware.h"
#include "engine/platform/recorded/ini.h"
#include "engine/platform/recorded/machine_data.h"

namespace kestrova {

class RecordedFirmware : public IFirmware {
 public:
  explicit RecordedFirmware(const PhysicalMemoryImage& memory) : memory_(memory) {}

  // --- knobs: what this machine lets each path do ---------------------------------------
  bool SectionOpens = true;           // NT: the physical-memory section opens
  bool QueryCallsReadable = true;     // 9x: VirtualQuery calls the range committed and readable
  bool ProbeCallsReadable = true;     // 9x: IsBadReadPtr finds the range readable
  std::vector<std::pair<uint64_t, uint64_t>> UnreadableRanges;  // [from, to) faulting: both say no
  bool CommandInterpreterRuns = true; // the command process starts and ends
  uint32_t DumpLength = 0x10000;      // bytes the dump program manages to write
  bool FileWritesFail = false;

  // --- what happened ---------------------------------------------------------------------
  // "mkdir P", "write P", "run C", "read P", "delete P", "rmdir P"; the linear checks as
  // "query A L" and "probe A L" (hexadecimal address, decimal length)
  std::vector<std::string> Journal;
  std::set<std::string> Directories;  // upper-cased paths that exist
  std::map<std::string, std::vector<uint8_t>> Files;  // upper-cased path -> content

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

 private:
  std::vector<uint8_t> Bytes(uint64_t address, uint32_t length) const;
  const PhysicalMemoryImage& memory_;
};

// Applies [firmware] (the knobs above: SectionOpens, QueryReadable, ProbeReadable,
// CommandRuns, FileWrites, DumpLength, and Unreadable=ADDRESS,LENGTH repeated); false for
// any other section.
bool ApplyFirmwareSection(RecordedFirmware& firmware, const IniSection& section, const std::string& file);

}  // namespace kestrova
