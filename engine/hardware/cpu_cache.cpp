#include "engine/hardware/cpu_cache.h"

#include "engine/core/text.h"

namespace kestrova {

namespace {
using A = TCacheAssociativity;
using K = CacheKind;

// Descriptor  Cache         Associativity  Size  Line
const TCacheDescriptorInfo kDescriptorTable[] = {
    {0x06, K::L1Code,  A::ca4Way,    8,   32},
    {0x08, K::L1Code,  A::ca4Way,   16,   32},
    {0x30, K::L1Code,  A::ca8Way,   32,   64},
    {0x0A, K::L1Data,  A::ca2Way,    8,   32},
    {0x0C, K::L1Data,  A::ca4Way,   16,   32},
    {0x2C, K::L1Data,  A::ca8Way,   32,   64},
    {0x60, K::L1Data,  A::ca8Way,   16,   64},
    {0x66, K::L1Data,  A::ca4Way,    8,   64},
    {0x67, K::L1Data,  A::ca4Way,   16,   64},
    {0x68, K::L1Data,  A::ca4Way,   32,   64},
    {0x39, K::L2,      A::ca4Way,  128,   64},
    {0x3B, K::L2,      A::ca2Way,  128,   64},
    {0x3C, K::L2,      A::ca4Way,  256,   64},
    {0x41, K::L2,      A::ca4Way,  128,   32},
    {0x42, K::L2,      A::ca4Way,  256,   32},
    {0x43, K::L2,      A::ca4Way,  512,   32},
    {0x44, K::L2,      A::ca4Way, 1024,   32},
    {0x45, K::L2,      A::ca4Way, 2048,   32},
    {0x78, K::L2,      A::ca4Way, 1024,   64},
    {0x79, K::L2,      A::ca8Way,  128,   64},
    {0x7A, K::L2,      A::ca8Way,  256,   64},
    {0x7B, K::L2,      A::ca8Way,  512,   64},
    {0x7C, K::L2,      A::ca8Way, 1024,   64},
    {0x7D, K::L2,      A::ca8Way, 2048,   64},
    {0x7E, K::L2,      A::ca8Way, 1024,  128},
    {0x7F, K::L2,      A::ca2Way,  256,   64},
    {0x81, K::L2,      A::ca8Way,  128,   32},
    {0x82, K::L2,      A::ca8Way,  256,   32},  // 256 KB: the Coppermine's on-die L2
    {0x83, K::L2,      A::ca8Way,  512,   32},
    {0x84, K::L2,      A::ca8Way, 1024,   32},
    {0x85, K::L2,      A::ca8Way, 2048,   32},
    {0x86, K::L2,      A::ca4Way,  512,   64},
    {0x87, K::L2,      A::ca8Way, 1024,   64},
    {0x22, K::L3,      A::ca4Way,  512,   64},
    {0x23, K::L3,      A::ca8Way, 1024,   64},
    {0x25, K::L3,      A::ca8Way, 2048,   64},
    {0x29, K::L3,      A::ca8Way, 4096,   64},
    {0x40, K::L3,      A::caNone,    0,    0},
    {0x70, K::Trace,   A::ca8Way,   12,    0},
    {0x71, K::Trace,   A::ca8Way,   16,    0},
    {0x72, K::Trace,   A::ca8Way,   32,    0},
    // TLB descriptors: they describe no cache and change no value.
    {0x01, K::Tlb,     A::caNone,    0,    0},
    {0x02, K::Tlb,     A::caNone,    0,    0},
    {0x03, K::Tlb,     A::caNone,    0,    0},
    {0x04, K::Tlb,     A::caNone,    0,    0},
    {0x50, K::Tlb,     A::caNone,    0,    0},
    {0x51, K::Tlb,     A::caNone,    0,    0},
    {0x52, K::Tlb,     A::caNone,    0,    0},
    {0x5B, K::Tlb,     A::caNone,    0,    0},
    {0x5C, K::Tlb,     A::caNone,    0,    0},
    {0x5D, K::Tlb,     A::caNone,    0,    0},
    {0x70, K::Tlb,     A::caNone,    0,    0},
    {0x80, K::Tlb,     A::caNone,    0,    0},
};

bool InSlots(uint8_t descriptor, const CacheDescriptors& slots) {
  for (uint8_t s : slots)
    if (s == descriptor) return true;
  return false;
}

TCPUCacheDetails DecodeOne(CacheKind kind, const CacheDescriptors& slots) {
  TCPUCacheDetails d;
  d.Descriptors = slots;
  for (const auto& row : kDescriptorTable) {
    if (row.Cache != kind || !InSlots(row.Descriptor, slots)) continue;
    d.Size = row.Size;
    d.LineSize = row.Line;
    if (d.Associativity == A::caNone) d.Associativity = row.Associativity;
  }
  return d;
}
}  // namespace

const char* AssociativityName(TCacheAssociativity a) {
  static const char* const kNames[] = {"None", "Direct", "2-Way", "4-Way", "8-Way", "16-Way", "Full"};
  auto i = static_cast<size_t>(a);
  return i < sizeof kNames / sizeof kNames[0] ? kNames[i] : "None";
}

TCacheAssociativity AssociativityFromCode(uint32_t code) {
  switch (code) {
    case 1: return A::caDirect;
    case 2: return A::ca2Way;
    case 4: return A::ca4Way;
    case 6: return A::ca8Way;
    case 8: return A::ca16Way;
    case 15: return A::caFull;
    default: return A::caNone;
  }
}

CacheDescriptors DescriptorSlots(const CpuidRegisters& regs, const CacheDescriptors& previous) {
  CacheDescriptors slots = previous;
  const uint32_t values[4] = {regs.Eax, regs.Ebx, regs.Ecx, regs.Edx};
  for (int r = 0; r < 4; ++r) {
    if (values[r] & 0x80000000u) continue;  // no descriptors in this register
    for (int b = 0; b < 4; ++b) slots[r * 4 + b] = static_cast<uint8_t>((values[r] >> (8 * b)) & 0xFF);
  }
  return slots;
}

TCPUCache DecodeDescriptorCaches(const CacheDescriptors& slots) {
  TCPUCache c;
  c.Level1.Code = DecodeOne(K::L1Code, slots);
  c.Level1.Data = DecodeOne(K::L1Data, slots);
  c.Level1.Unified = DecodeOne(K::L1Unified, slots);
  c.Level2 = DecodeOne(K::L2, slots);
  c.Level3 = DecodeOne(K::L3, slots);
  c.Trace = DecodeOne(K::Trace, slots);
  return c;
}

TCPUCache DecodeExtendedLeafCaches(TCpuVendor vendor, int family, const CpuidRegisters& leaf5,
                                   const CpuidRegisters& leaf6, const CacheDescriptors& slots) {
  auto level1 = [&](uint32_t reg) {
    TCPUCacheDetails d;
    d.Size = static_cast<int>(reg >> 24);
    // Bits 23-16 hold the same associativity code as level 2's bits 15-12, not a way count.
    d.Associativity = AssociativityFromCode((reg >> 16) & 0xFF);
    d.LineSize = static_cast<int>(reg & 0xFF);
    d.Descriptors = slots;
    return d;
  };
  TCPUCache c;
  c.Level1.Code = level1(leaf5.Edx);
  c.Level1.Data = level1(leaf5.Ecx);
  c.Level1.Unified.Descriptors = slots;
  TCPUCacheDetails& l2 = c.Level2;
  // VIA's C3 puts the size in the top byte only.
  l2.Size = static_cast<int>(vendor == TCpuVendor::cvIDT ? leaf6.Ecx >> 24 : leaf6.Ecx >> 16);
  l2.LineSize = static_cast<int>(leaf6.Ecx & 0xFF);
  // Athlons and Durons misreport their L2 associativity; it is 16-way on all of them.
  l2.Associativity = vendor == TCpuVendor::cvAmd && family == 6 ? A::ca16Way
                                                               : AssociativityFromCode((leaf6.Ecx >> 12) & 0xF);
  l2.Descriptors = slots;
  c.Level3.Descriptors = slots;
  c.Trace.Descriptors = slots;
  return c;
}

void WriteCacheSections(ReportWriter& out, const TCPUCache& cache) {
  const struct { const char* Name; const TCPUCacheDetails& Details; } kSections[] = {
      {"Level 1 Code", cache.Level1.Code}, {"Level 1 Data", cache.Level1.Data},
      {"Level 2", cache.Level2}, {"Level 3", cache.Level3}, {"Trace", cache.Trace}};
  for (const auto& s : kSections) {
    if (s.Details.Size <= 0) continue;
    out.OpenSection(s.Name);
    out.Integer("Size", s.Details.Size, "K");
    out.String("Associativity", AssociativityName(s.Details.Associativity));
    out.Integer("LineSize", s.Details.LineSize, "entries");
    out.CloseSection();
  }
}

}  // namespace kestrova
