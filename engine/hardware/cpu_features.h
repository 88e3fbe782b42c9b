#pragma once
// Named feature flags of the CPUID feature registers, in four sets.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/report_writer.h"
#include "engine/core/set.h"
#include "engine/hardware/cpu_vendor.h"

namespace kestrova {

// Set numbers: 1 Standard (leaf 1 EDX), 2 StandardEx (leaf 1 ECX), 3 Extended (80000001h
// EDX), 4 PowerManagement (80000007h EDX).
enum class TFeatureSetKind : uint8_t { Standard = 1, StandardEx = 2, Extended = 3, PowerManagement = 4 };

struct TCPUFeature {
  uint8_t Bit = 0;
  // Views of the feature table's own texts (static): a set is built for every processor
  // examined, and copies of some fifty names and descriptions each time cost more than
  // the decoding itself.
  std::string_view Name;
  std::string_view Description;
  uint8_t SetNumber = 0;
  bool Available = false;
};

class TCPUFeatureSet {
 public:
  uint32_t Count() const { return static_cast<uint32_t>(records_.size()); }
  // A copy of the record; an index out of range gives a zeroed record.
  TCPUFeature Feature(size_t index) const;
  // The first record with that bit number, or a zeroed record.
  TCPUFeature FeatureOfBit(unsigned bit) const;
  const std::vector<TCPUFeature>& Records() const { return records_; }

  // The set of one kind for a vendor, each record marked from `reg`.
  static TCPUFeatureSet Build(TFeatureSetKind kind, TCpuVendor vendor, uint32_t reg);

 private:
  std::vector<TCPUFeature> records_;
};

struct TCPUFeatures {
  TCPUFeatureSet Standard, StandardEx, Extended, PowerManagement;
};

// The feature table's vendor column: 0 all, 2 AMD, 3 Cyrix; Intel processors have code 1,
// which no row carries.
int FeatureVendorCode(TCpuVendor vendor);

enum class FeatureSetBit : uint8_t { Standard, StandardEx, Extended, PowerManagement };
using FeatureSets = EnumSet<FeatureSetBit, 4>;

struct TFeatureDetail {
  int Row;
  uint8_t Bit;
  const char* Name;
  const char* Description;
  int Vendor;
  FeatureSets Sets;
};

// The whole table, in order (for tests).
const std::vector<TFeatureDetail>& FeatureTable();

// The feature sections of a processor block (only sets that hold records).
void WriteFeatureSections(ReportWriter& out, const TCPUFeatures& features);

}  // namespace kestrova
