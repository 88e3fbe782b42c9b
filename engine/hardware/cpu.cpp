#include "engine/hardware/cpu.h"

#include <cmath>
#include <optional>

#include "engine/core/context.h"
#include "engine/core/text.h"
#include "engine/os/shared_routines.h"

namespace kestrova {

namespace {

constexpr uint32_t kExtendedBase = 0x80000000u;
constexpr uint32_t kTransmetaBase = 0x80860000u;
constexpr uint32_t kClockWaitMs = 1000;

uint32_t Bits(uint32_t value, unsigned high, unsigned low) {
  return (value >> low) & ((1u << (high - low + 1)) - 1u);
}

// The 16 characters of one leaf: EAX, EBX, ECX, EDX, each from its lowest byte.
std::string RegisterText(const CpuidRegisters& r) {
  std::string s;
  for (uint32_t reg : {r.Eax, r.Ebx, r.Ecx, r.Edx})
    for (int i = 0; i < 4; ++i) s += static_cast<char>((reg >> (8 * i)) & 0xFF);
  return s;
}

// Blanks and zero bytes trimmed at both ends; a zero byte left inside ends the text.
std::string BrandText(const std::string& raw) {
  size_t begin = 0, end = raw.size();
  auto blank = [](char c) { return c == ' ' || c == '\0'; };
  while (begin < end && blank(raw[begin])) ++begin;
  while (end > begin && blank(raw[end - 1])) --end;
  std::string text = raw.substr(begin, end - begin);
  size_t nul = text.find('\0');
  if (nul != std::string::npos) text.resize(nul);
  return Cp1252ToUtf8(text);
}

// Leaf availability: each range's base reports its highest leaf; asked once per range.
class LeafReader {
 public:
  explicit LeafReader(ICpuidSource& src) : src_(src) {}
  bool Available(uint32_t leaf) {
    uint32_t base = LeafRangeBase(leaf);
    std::optional<uint32_t>& max = base == kExtendedBase ? maxExtended_
                                   : base == kTransmetaBase ? maxTransmeta_ : maxStandard_;
    if (!max) max = src_.Run(base).Eax;
    return *max >= leaf;
  }
  // Zeros for a leaf that is not available.
  CpuidRegisters Read(uint32_t leaf, unsigned times = 1) {
    return Available(leaf) ? src_.Run(leaf, times) : CpuidRegisters{};
  }
  void SetStandardMax(uint32_t max) { maxStandard_ = max; }

 private:
  ICpuidSource& src_;
  std::optional<uint32_t> maxStandard_, maxExtended_, maxTransmeta_;
};

TCPUCache ReadCaches(LeafReader& leaves, CpuIdentity& id, const CacheDescriptors& previous) {
  if (VendorInfo(id.Vendor).CacheMethod == TCacheMethod::ExtendedLeaves) {
    id.Descriptors = previous;
    return DecodeExtendedLeafCaches(id.Vendor, id.Family, leaves.Read(0x80000005u),
                                    leaves.Read(0x80000006u), id.Descriptors);
  }
  CpuidRegisters regs;
  if (id.Vendor == TCpuVendor::cvIntel) {
    regs = leaves.Read(2);
    unsigned times = regs.Eax & 0xFF;  // at most 255 executions
    if (times > 1) regs = leaves.Read(2, times);
  } else {
    regs = leaves.Read(0x80000005u);
  }
  id.Descriptors = DescriptorSlots(regs, previous);
  return DecodeDescriptorCaches(id.Descriptors);
}

// Pins the process to one processor for as long as it lives and restores the mask after.
class AffinityPin {
 public:
  AffinityPin(IProcessor& p, uint8_t index, unsigned processorCount) : p_(p) {
    if (index >= 32 || !p.CanSetAffinity()) return;
    uint64_t saved = p.ProcessAffinity();
    if (saved != 0) saved_ = saved;
    bool beyond = processorCount == 0 || index > processorCount - 1;
    p.SetProcessAffinity(beyond ? 1u : uint64_t{1} << index);
  }
  ~AffinityPin() {
    if (saved_) p_.SetProcessAffinity(*saved_);
  }
  AffinityPin(const AffinityPin&) = delete;
  AffinityPin& operator=(const AffinityPin&) = delete;

 private:
  IProcessor& p_;
  std::optional<uint64_t> saved_;
};

// Every CPUID of a refresh runs pinned to the processor examined.
class PinnedCpuid : public ICpuidSource {
 public:
  PinnedCpuid(IProcessor& p, uint8_t index, unsigned count) : p_(p), index_(index), count_(count) {}
  CpuidRegisters Run(uint32_t leaf, unsigned times) override {
    AffinityPin pin(p_, index_, count_);
    return p_.Cpuid(leaf, 0, times == 0 ? 1 : times);
  }

 private:
  IProcessor& p_;
  uint8_t index_;
  unsigned count_;
};

}  // namespace

uint32_t LeafRangeBase(uint32_t leaf) {
  if (leaf >= kExtendedBase && leaf <= 0x80000008u) return kExtendedBase;
  if (leaf >= kTransmetaBase && leaf <= 0x80860007u) return kTransmetaBase;
  return 0;
}

void SplitApicId(uint8_t apicId, uint8_t logicalPerPackage, uint8_t& logicalId, uint8_t& physicalId) {
  unsigned k = 0;
  while (k < 8 && (1u << k) < logicalPerPackage) ++k;
  logicalId = static_cast<uint8_t>(apicId & ((1u << k) - 1u));
  physicalId = static_cast<uint8_t>(apicId >> k);
}

std::string SerialGroup(uint32_t reg) { return Format("%04X-%04X", reg >> 16, reg & 0xFFFF); }

uint32_t ClockMHz(const ClockSample& s) {
  if (s.ExitCode != 0 || s.CounterDelta <= 0 || s.CounterFrequency <= 0) return 0;
  double seconds = static_cast<double>(s.CounterDelta) / static_cast<double>(s.CounterFrequency);
  double mhz = static_cast<double>(s.TscDelta) / seconds / 1000000.0;
  if (!std::isfinite(mhz) || mhz <= 0) return 0;
  if (mhz >= 4294967295.0) return UINT32_MAX;
  return static_cast<uint32_t>(mhz);  // the fraction is cut off
}

CpuIdentity DecodeCpuid(ICpuidSource& src, const CacheDescriptors& previous) {
  CpuIdentity id;
  id.CPUIDSupported = true;
  id.Descriptors = previous;
  LeafReader leaves(src);

  CpuidRegisters leaf0 = src.Run(0);
  leaves.SetStandardMax(leaf0.Eax);
  id.Vendor = VendorFromSignature(VendorSignature(leaf0.Ebx, leaf0.Edx, leaf0.Ecx));

  if (leaves.Available(0x80000001u)) {
    id.Leaf80000001 = src.Run(0x80000001u);
    id.FamilyEx = static_cast<int>(Bits(id.Leaf80000001.Eax, 11, 8));
    id.ModelEx = static_cast<int>(Bits(id.Leaf80000001.Eax, 7, 4));
    id.SteppingEx = static_cast<int>(Bits(id.Leaf80000001.Eax, 3, 0));
  }
  if (leaves.Available(0x80000007u)) id.Leaf80000007 = src.Run(0x80000007u);

  id.Leaf1Available = leaves.Available(1);
  if (id.Leaf1Available) {
    const CpuidRegisters l1 = id.Leaf1 = src.Run(1);
    id.CPUType = static_cast<int>(Bits(l1.Eax, 13, 12));
    uint32_t family = Bits(l1.Eax, 11, 8), model = Bits(l1.Eax, 7, 4);
    id.Family = static_cast<int>(family == 15 ? 15 + Bits(l1.Eax, 27, 20) : family);
    // The extended model is the high nibble of the model number (families 6 and 15).
    id.Model = static_cast<int>(family == 6 || family == 15 ? model + (Bits(l1.Eax, 19, 16) << 4) : model);
    id.Stepping = static_cast<int>(Bits(l1.Eax, 3, 0));
    id.Brand = static_cast<int>(Bits(l1.Ebx, 7, 0));
    if (id.Vendor == TCpuVendor::cvAmd && id.Family == 15 && id.Model >= 5 && id.Brand == 0)
      id.Brand = static_cast<int>(Bits(id.Leaf80000001.Ebx, 7, 0));
    id.GenericName = Format("x86 Family %d Model %d Stepping %d", id.Family, id.Model, id.Stepping);

    if (l1.Edx & (1u << 28)) {
      id.APICID = static_cast<uint8_t>(Bits(l1.Ebx, 31, 24));
      id.LogicalPerPackage = static_cast<uint8_t>(Bits(l1.Ebx, 23, 16));
    } else {
      id.APICID = 255;
      id.LogicalPerPackage = 1;
    }
    SplitApicId(id.APICID, id.LogicalPerPackage, id.LogicalID, id.PhysicalID);

    if (id.Vendor != TCpuVendor::cvTransmeta) {
      std::string raw;
      if (leaves.Available(0x80000002u)) {
        for (uint32_t leaf = 0x80000002u; leaf <= 0x80000004u; ++leaf) raw += RegisterText(src.Run(leaf));
      } else if (leaves.Available(0x80860003u)) {
        for (uint32_t leaf = 0x80860003u; leaf <= 0x80860006u; ++leaf) raw += RegisterText(src.Run(leaf));
      }
      id.MarketingName = BrandText(raw);
    }
  }

  id.Cache = ReadCaches(leaves, id, previous);

  if (id.Leaf1Available) {
    id.Features.Standard = TCPUFeatureSet::Build(TFeatureSetKind::Standard, id.Vendor, id.Leaf1.Edx);
    id.Features.StandardEx = TCPUFeatureSet::Build(TFeatureSetKind::StandardEx, id.Vendor, id.Leaf1.Ecx);
  }
  if (leaves.Available(0x80000001u))
    id.Features.Extended = TCPUFeatureSet::Build(TFeatureSetKind::Extended, id.Vendor, id.Leaf80000001.Edx);
  if (leaves.Available(0x80000007u))
    id.Features.PowerManagement =
        TCPUFeatureSet::Build(TFeatureSetKind::PowerManagement, id.Vendor, id.Leaf80000007.Edx);

  if (id.Leaf1Available) {
    id.SerialNumber = id.Vendor == TCpuVendor::cvTransmeta
                          ? SerialGroup(id.Leaf1.Ebx)
                          : SerialGroup(id.Leaf1.Eax) + "-" + SerialGroup(id.Leaf1.Edx) + "-" +
                                SerialGroup(id.Leaf1.Ecx);
  }
  return id;
}

// --- TCPU -------------------------------------------------------------------------------

uint8_t TCPU::CPUCount() const {
  const ISystem* system = Context().Sys.System;
  if (!system) return 0;
  uint32_t n = system->SystemInfo().ProcessorCount;
  return static_cast<uint8_t>(n > 255 ? 255 : n);
}

void TCPU::Refresh(uint8_t index) {
  cpuIndex_ = index;
  IProcessor* p = Context().Sys.Processor;
  const CacheDescriptors previous = id_.Descriptors;
  const unsigned count = CPUCount();

  if (p && p->CpuidSupported()) {
    PinnedCpuid cpuid(*p, index, count);
    id_ = DecodeCpuid(cpuid, previous);
  } else {
    id_ = CpuIdentity{};
    id_.Descriptors = previous;
  }

  // Without a time-stamp counter there is nothing to measure (RDTSC would fault).
  bool hasTsc = id_.Leaf1Available && (id_.Leaf1.Edx & (1u << 4));
  frequency_ = p && hasTsc ? MeasureFrequency(index) : 0;

  if (!id_.Leaf1Available) ReadRegistryFallback(index);

  CpuNameInput in;
  in.Vendor = id_.Vendor;
  in.Family = id_.Family;
  in.Model = id_.Model;
  in.Stepping = id_.Stepping;
  in.CPUType = id_.CPUType;
  in.Brand = id_.Brand;
  in.FamilyEx = id_.FamilyEx;
  in.L2 = id_.Cache.Level2.Size;
  in.L3 = id_.Cache.Level3.Size;
  in.SerialFeature = id_.Features.Standard.FeatureOfBit(18).Available;
  in.Frequency = frequency_;
  names_ = NameProcessor(in);

  fdivBug_ = p && p->DivisionFlawed();
}

uint32_t TCPU::MeasureFrequency(uint8_t index) {
  IProcessor& p = *Context().Sys.Processor;
  AffinityPin pin(p, index, CPUCount());
  ClockSample sample = p.MeasureClockOnWorker(kClockWaitMs);
  if (sample.ExitCode != 0) sample = p.MeasureClockOnCaller();
  return ClockMHz(sample);
}

void TCPU::ReadRegistryFallback(uint8_t index) {
  const Platform& sys = Context().Sys;
  if (!sys.Registry) return;
  std::string key = Format("\\HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\%d", index);
  if (!sys.Registry->KeyExists(RootKey::LocalMachine, key)) return;
  id_.Vendor = VendorFromSignature(ReadRegistryString(sys, RootKey::LocalMachine, key, "VendorIdentifier"), true);
  id_.GenericName = ReadRegistryString(sys, RootKey::LocalMachine, key, "Identifier");
  id_.MarketingName = ReadRegistryString(sys, RootKey::LocalMachine, key, "ProcessorNameString");
}

void TCPU::WriteBlock(ReportWriter& out) const {
  out.OpenClass("CPU", "TCPU");
  const uint8_t count = CPUCount();
  out.Integer("Count", count);
  // The report examines every processor in turn, as the section would.
  TCPU& self = const_cast<TCPU&>(*this);
  for (unsigned i = 0; i < count; ++i) {
    self.Refresh(static_cast<uint8_t>(i));
    out.OpenSection(Format("Processor #%u", i + 1));
    out.String("Vendor", VendorInfo(Vendor()).FullName);
    out.String("CPUName", CPUName());
    out.String("GenericName", GenericName());
    out.String("MarketingName", MarketingName());
    out.String("CodeName", CodeName());
    out.String("Revision", Revision());
    out.String("Technology", Technology());
    out.Integer("Brand", Brand());
    out.Integer("Type", CPUType());
    out.Integer("FamilyEx", FamilyEx());
    out.Integer("ModelEx", ModelEx());
    out.Integer("SteppingEx", SteppingEx());
    out.Integer("Frequency", Frequency(), "MHz");
    out.String("Serial Number", SerialNumber());
    out.Integer("APICID", APICID());
    out.Integer("LogicalPerPackage", LogicalPerPackage());
    out.Integer("PhysicalID", PhysicalID());
    out.Integer("LogicalID", LogicalID());
    WriteCacheSections(out, Cache());
    WriteFeatureSections(out, Features());
    out.CloseSection();
  }
  out.CloseClass("CPU");
}

}  // namespace kestrova
