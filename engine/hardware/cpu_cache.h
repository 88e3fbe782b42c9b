#pragma once
// Processor caches: sizes, associativities and line sizes, decoded either from Intel-style
// descriptor bytes (leaf 2) or from the extended leaves 80000005h and 80000006h.
#include <array>
#include <cstdint>

#include "engine/core/report_writer.h"
#include "engine/hardware/cpu_vendor.h"
#include "engine/platform/processor.h"

namespace kestrova {

enum class TCacheAssociativity : uint8_t { caNone, caDirect, ca2Way, ca4Way, ca8Way, ca16Way, caFull };

// "None", "Direct", "2-Way", ... for the report.
const char* AssociativityName(TCacheAssociativity a);
// The 4-bit associativity code of the extended leaves (0, 1, 2, 4, 6, 8, 15); others: caNone.
TCacheAssociativity AssociativityFromCode(uint32_t code);

using CacheDescriptors = std::array<uint8_t, 16>;

struct TCPUCacheDetails {
  TCacheAssociativity Associativity = TCacheAssociativity::caNone;
  int Size = 0;      // KB
  int LineSize = 0;  // bytes; 0 for trace caches
  CacheDescriptors Descriptors{};  // the slots it was decoded from
};

struct TCPUSegmentedCache {
  TCPUCacheDetails Code, Data, Unified;
};

struct TCPUCache {
  TCPUSegmentedCache Level1;
  TCPUCacheDetails Level2, Level3, Trace;
};

enum class CacheKind : uint8_t { L1Code, L1Data, L1Unified, L2, L3, Trace, Tlb };

struct TCacheDescriptorInfo {
  uint8_t Descriptor;
  CacheKind Cache;
  TCacheAssociativity Associativity;
  int Size;  // KB
  int Line;  // bytes
};

// The 16 descriptor slots: the bytes of EAX, EBX, ECX, EDX, each from its lowest byte. A
// register with bit 31 set holds no descriptors; its four slots keep `previous`.
CacheDescriptors DescriptorSlots(const CpuidRegisters& regs, const CacheDescriptors& previous);

// Descriptor method: for each cache the first matching row gives the associativity, the
// last matching row the size and line size.
TCPUCache DecodeDescriptorCaches(const CacheDescriptors& slots);

// Extended-leaf method (AMD, VIA, Transmeta) from the registers of 80000005h and 80000006h.
TCPUCache DecodeExtendedLeafCaches(TCpuVendor vendor, int family, const CpuidRegisters& leaf5,
                                   const CpuidRegisters& leaf6, const CacheDescriptors& slots);

// The cache sections of a processor block (only caches whose size is above 0).
void WriteCacheSections(ReportWriter& out, const TCPUCache& cache);

}  // namespace kestrova
