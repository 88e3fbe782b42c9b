#pragma once
// Binary artefacts of a recorded machine: physical-memory images and CPUID dumps.
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "engine/platform/processor.h"  // CpuidRegisters

namespace kestrova {

// Physical memory made of regions; later regions cover earlier ones where they overlap.
class PhysicalMemoryImage {
 public:
  void AddRegion(uint64_t base, std::vector<uint8_t> bytes);
  bool Empty() const { return regions_.empty(); }
  // Length bytes from address; bytes no region covers read as zero. nullopt when no
  // byte of the range is covered at all.
  std::optional<std::vector<uint8_t>> Read(uint64_t address, size_t length) const;

 private:
  struct Region { uint64_t Base; std::vector<uint8_t> Bytes; };
  std::vector<Region> regions_;
};

// The smbios.bin layout (dmidecode --dump-bin): the entry point at offset 0 and the table
// at the file offset named by the entry point's table-address field. Places the entry
// point at F0000h and the table at that address. Throws LoadError when the file is too
// short or holds no "_SM_" / "_DMI_" anchor at offset 0.
void AddSmbiosDump(PhysicalMemoryImage& memory, const std::vector<uint8_t>& file, const std::string& fileName);
constexpr uint64_t kSmbiosEntryPointAddress = 0xF0000;

// cpuid.txt: "cpu leaf subleaf eax ebx ecx edx" per line, cpu decimal, the rest hex.
class CpuidTable {
 public:
  void Set(unsigned cpu, uint32_t leaf, uint32_t subleaf, CpuidRegisters regs);
  // Zeros for a leaf that is not listed.
  CpuidRegisters Query(unsigned cpu, uint32_t leaf, uint32_t subleaf) const;
  unsigned ProcessorCount() const;  // highest cpu number listed + 1; 0 when empty
  bool Empty() const { return entries_.empty(); }

 private:
  std::map<std::tuple<unsigned, uint32_t, uint32_t>, CpuidRegisters> entries_;
};

// Throws LoadError naming the file and line of a malformed line.
CpuidTable ParseCpuidText(const std::string& text, const std::string& fileName);

}  // namespace kestrova
