#pragma once
// Physical memory and the operations its three readers need from the system: the NT
// physical-memory section, the scratch files and the hidden command interpreter of the
// 16-bit segment dump, and a guarded linear read for the 9x family (where the first
// megabyte is visible in every process). Method names avoid the Win32 macro names
// (CreateDirectory, DeleteFile...). Decisions (which path, page rounding, segment
// arithmetic, the program bytes, names and the cleanup order) belong to the engine.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrova {

class IFirmware {
 public:
  virtual ~IFirmware() = default;

  // --- NT: "\Device\PhysicalMemory" -----------------------------------------------------
  // Opens the section (SECTION_MAP_READ, case-insensitive name), maps a read-only view of
  // `length` bytes at the physical offset `base` (a multiple of the page size), copies it
  // and closes everything again. nullopt when the section does not open or the view fails.
  virtual std::optional<std::vector<uint8_t>> MapPhysicalView(uint64_t base, uint32_t length) = 0;

  // --- 9x: direct read ------------------------------------------------------------------
  // Whether every byte of [address, address + length) can be read, asked one way:
  //   Committed: VirtualQuery calls every page committed with a readable protection;
  //   Probed:    IsBadReadPtr touches the range under its own exception guard.
  enum class LinearCheck { Committed, Probed };
  virtual bool LinearReadable(uint64_t address, uint32_t length, LinearCheck how) = 0;
  // Copies the range. Only for a range that LinearReadable has just accepted.
  virtual std::vector<uint8_t> CopyLinear(uint64_t address, uint32_t length) = 0;

  // --- the segment dump's scratch files and its command --------------------------------
  virtual bool DirectoryExists(const std::string& path) = 0;  // GetFileAttributes says so
  virtual bool MakeDirectory(const std::string& path) = 0;
  virtual bool RemoveEmptyDirectory(const std::string& path) = 0;
  // Creates or replaces the file (share read) and writes every byte; false when the file
  // did not open or the write did not complete.
  virtual bool WriteNewFile(const std::string& path, const std::vector<uint8_t>& bytes) = 0;
  // At most `maxBytes` bytes from the start of the file; nullopt when it does not open.
  virtual std::optional<std::vector<uint8_t>> ReadFileHead(const std::string& path, uint32_t maxBytes) = 0;
  virtual bool RemoveFile(const std::string& path) = 0;
  // Starts the command line in a new, hidden console and waits for it at most
  // `timeoutMs` milliseconds. False when it did not start or did not end in time.
  virtual bool RunHidden(const std::string& commandLine, uint32_t timeoutMs) = 0;
};

}  // namespace kestrova
