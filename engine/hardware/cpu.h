#pragma once
// TCPU: identifies one processor of the machine from CPUID run pinned to it, names it from
// the vendor tables, measures its clock and describes its caches and features.
#include <cstdint>
#include <string>

#include "engine/core/information.h"
#include "engine/hardware/cpu_cache.h"
#include "engine/hardware/cpu_features.h"
#include "engine/hardware/cpu_names.h"
#include "engine/hardware/cpu_vendor.h"
#include "engine/platform/processor.h"

namespace kestrova {

// Where decoding gets its registers: CPUID of one leaf, executed `times` times.
class ICpuidSource {
 public:
  virtual ~ICpuidSource() = default;
  virtual CpuidRegisters Run(uint32_t leaf, unsigned times = 1) = 0;
};

// Everything CPUID tells about a processor (steps that need no clock, registry or FPU).
struct CpuIdentity {
  bool CPUIDSupported = false;
  TCpuVendor Vendor = TCpuVendor::cvNone;
  bool Leaf1Available = false;
  int CPUType = 0, Family = 0, Model = 0, Stepping = 0;
  int FamilyEx = 0, ModelEx = 0, SteppingEx = 0;
  int Brand = 0;
  std::string GenericName, MarketingName, SerialNumber;
  uint8_t APICID = 0, LogicalPerPackage = 0, PhysicalID = 0, LogicalID = 0;
  CpuidRegisters Leaf1, Leaf80000001, Leaf80000007;
  CacheDescriptors Descriptors{};
  TCPUCache Cache;
  TCPUFeatures Features;
};

// Decodes a processor from its CPUID answers. `previousDescriptors` are the descriptor
// slots of the previous refresh (a register with bit 31 set keeps them). Never fails:
// what the registers do not tell stays zero or empty.
CpuIdentity DecodeCpuid(ICpuidSource& cpuid, const CacheDescriptors& previousDescriptors);

// The leaf range whose base reports the highest leaf of L: 80000000h, 80860000h or 0.
uint32_t LeafRangeBase(uint32_t leaf);

// The hyper-threading split of an APIC id: k = smallest with 2^k >= logicalPerPackage,
// LogicalID = APICID AND (2^k - 1), PhysicalID = APICID >> k.
void SplitApicId(uint8_t apicId, uint8_t logicalPerPackage, uint8_t& logicalId, uint8_t& physicalId);

// "XXXX-XXXX" of one register; the serial text joins three of them with '-'.
std::string SerialGroup(uint32_t reg);

// MHz from a clock sample: TSC ticks / elapsed seconds / 10^6, truncated; 0 when the sample
// cannot give a rate.
uint32_t ClockMHz(const ClockSample& sample);

class TCPU : public TInformation {
 public:
  explicit TCPU(const EngineContext& context) : TInformation(context) {}

  // Identifies processor `index` (0-based).
  void Refresh(uint8_t index);

  uint8_t CPUCount() const;
  uint8_t CPUIndex() const { return cpuIndex_; }
  void SetCPUIndex(uint8_t index) { cpuIndex_ = index; }  // only stores it

  bool CPUIDSupported() const { return id_.CPUIDSupported; }
  TCpuVendor Vendor() const { return id_.Vendor; }
  int CPUType() const { return id_.CPUType; }
  int Family() const { return id_.Family; }
  int Model() const { return id_.Model; }
  int Stepping() const { return id_.Stepping; }
  int FamilyEx() const { return id_.FamilyEx; }
  int ModelEx() const { return id_.ModelEx; }
  int SteppingEx() const { return id_.SteppingEx; }
  int Brand() const { return id_.Brand; }
  const std::string& GenericName() const { return id_.GenericName; }
  const std::string& MarketingName() const { return id_.MarketingName; }
  const std::string& CPUName() const { return names_.CPUName; }
  const std::string& CodeName() const { return names_.CodeName; }
  const std::string& Revision() const { return names_.Revision; }
  const std::string& Technology() const { return names_.Technology; }
  uint32_t Frequency() const { return frequency_; }
  bool FDIVBug() const { return fdivBug_; }
  const std::string& SerialNumber() const { return id_.SerialNumber; }
  uint8_t APICID() const { return id_.APICID; }
  uint8_t LogicalPerPackage() const { return id_.LogicalPerPackage; }
  uint8_t PhysicalID() const { return id_.PhysicalID; }
  uint8_t LogicalID() const { return id_.LogicalID; }
  const TCPUCache& Cache() const { return id_.Cache; }
  const TCPUFeatures& Features() const { return id_.Features; }

  const CpuidRegisters& Leaf1Registers() const { return id_.Leaf1; }
  const CpuidRegisters& Leaf80000001Registers() const { return id_.Leaf80000001; }
  const CpuidRegisters& Leaf80000007Registers() const { return id_.Leaf80000007; }
  const CacheDescriptors& Descriptors() const { return id_.Descriptors; }

 protected:
  void WriteBlock(ReportWriter& out) const override;

 private:
  uint32_t MeasureFrequency(uint8_t index);
  void ReadRegistryFallback(uint8_t index);

  uint8_t cpuIndex_ = 0;
  CpuIdentity id_;
  CpuNames names_;
  uint32_t frequency_ = 0;
  bool fdivBug_ = false;
};

}  // namespace kestrova
