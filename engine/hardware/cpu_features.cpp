#include "engine/hardware/cpu_features.h"

namespace kestrova {

namespace {
constexpr int All = 0, AMD = 2, Cyrix = 3;
constexpr FeatureSets Std{FeatureSetBit::Standard};
constexpr FeatureSets StdEx{FeatureSetBit::StandardEx};
constexpr FeatureSets Ext{FeatureSetBit::Extended};
constexpr FeatureSets PM{FeatureSetBit::PowerManagement};
constexpr FeatureSets StdExt{FeatureSetBit::Standard, FeatureSetBit::Extended};

FeatureSetBit BitOf(TFeatureSetKind kind) {
  return static_cast<FeatureSetBit>(static_cast<uint8_t>(kind) - 1);
}
}  // namespace

const std::vector<TFeatureDetail>& FeatureTable() {
  // Row Bit  Name      Description                                       Vendor Sets
  static const std::vector<TFeatureDetail> kTable = {
      {1,  0,  "FPU",    "Floating point unit",                            All,   StdExt},
      {2,  0,  "TS",     "Temperature Sensor",                             AMD,   PM},
      {3,  0,  "SSE3",   "Streaming SIMD extensions 3",                    All,   StdEx},
      {4,  1,  "VME",    "Virtual mode extension",                         All,   StdExt},
      {5,  1,  "FID",    "Frequency Id Control",                           AMD,   PM},
      {6,  2,  "DE",     "Debugging extensions",                           All,   StdExt},
      {7,  2,  "VID",    "Voltage Id Control",                             AMD,   PM},
      {8,  3,  "PSE",    "Page size extension",                            All,   StdExt},
      {9,  3,  "MON",    "MONITOR/MWAIT",                                  All,   StdEx},
      {10, 3,  "TPP",    "Thermal Trip",                                   AMD,   PM},
      {11, 4,  "TSC",    "Time stamp counter",                             All,   StdExt},
      {12, 4,  "TM",     "Thermal monitor support",                        AMD,   PM},
      {13, 5,  "MSR",    "Machine specific registers",                     All,   StdExt},
      {14, 5,  "STC",    "Software Thermal Control",                       AMD,   PM},
      {15, 6,  "PAE",    "Physical address exception",                     All,   StdExt},
      {16, 7,  "MCE",    "Machine check exception",                        All,   StdExt},
      {17, 7,  "TM2",    "Thermal Monitor 2",                              All,   StdEx},
      {18, 8,  "CX8",    "CMPXCHG8 instrucion support",                    All,   StdExt},
      {19, 8,  "EST",    "Enhanced SpeedStep Technology",                  All,   StdEx},
      {20, 9,  "APIC",   "APIC hardware support",                          All,   StdExt},
      {21, 10, "CID",    "Context Id",                                     All,   StdEx},
      {22, 11, "SEP",    "Fast system call",                               All,   StdExt},
      {23, 12, "MTRR",   "Memory type range registers",                    All,   StdExt},
      {24, 13, "PGE",    "Page global enable",                             All,   StdExt},
      {25, 13, "CX16",   "CMPXCHG16B instrucion support",                  All,   StdEx},
      {26, 14, "ETPRD",  "ETPRD",                                          All,   StdEx},
      {27, 14, "MCA",    "Machine check architecture",                     All,   StdExt},
      {28, 15, "CMOV",   "Conditional move support",                       All,   StdExt},
      {29, 16, "PAT",    "Page attribute table",                           AMD,   Std},
      {30, 16, "FCMOV",  "FCMOVcc",                                        All,   Ext},
      {31, 17, "PSE36",  "36-bit page size extension",                     All,   Std},
      {32, 18, "PSN",    "Processor serial number",                        All,   Std},
      {33, 19, "CLFSH",  "CLFLUSH instruction support",                    All,   StdExt},
      {34, 19, "MP",     "Multi processor enabled",                        AMD,   Ext},
      {35, 20, "NX",     "No Execute Page Protections",                    AMD,   Ext},
      {36, 20, "NX",     "No Execute Page Protections",                    Cyrix, Ext},
      {37, 21, "DTES",   "Debug trace and EMON store MSR",                 All,   Std},
      {38, 22, "ACPI",   "Thermal monitor and software controlled clock",  All,   Std},
      {39, 22, "MMX+",   "Extended MMX architecture",                      AMD,   Ext},
      {40, 23, "MMX",    "MMX architecture support",                       All,   StdExt},
      {41, 24, "FXSR",   "Fast floating point save",                       All,   StdExt},
      {42, 24, "MMX+",   "Extended MMX architecture",                      Cyrix, Ext},
      {43, 25, "SSE",    "Streaming SIMD instruction support",             All,   Std},
      {44, 25, "FFXSR",  "FFXSR",                                          All,   Ext},
      {45, 26, "SSE2",   "Streaming SIMD extensions 2",                    All,   Std},
      {46, 27, "SS",     "Self snoop",                                     All,   Std},
      {47, 28, "HTT",    "Hyper-Threading technology",                     All,   Std},
      {48, 29, "TM",     "Thermal monitor support",                        All,   Std},
      {49, 29, "LM",     "AA-64 Long mode",                                AMD,   Ext},
      {50, 29, "LM",     "AA-64 Long mode",                                Cyrix, Ext},
      {51, 30, "IA-64",  "IA-64",                                          All,   Std},
      {52, 30, "3DNOW+", "Extended 3DNow! extensions",                     AMD,   Ext},
      {53, 31, "SBF",    "Signal break on FERR",                           All,   Std},
      {54, 31, "3DNOW",  "3DNow! extensions",                              AMD,   Ext},
  };
  return kTable;
}

int FeatureVendorCode(TCpuVendor vendor) {
  switch (vendor) {
    case TCpuVendor::cvIntel: return 1;
    case TCpuVendor::cvAmd: return 2;
    case TCpuVendor::cvCyrix: return 3;
    default: return 0;
  }
}

TCPUFeature TCPUFeatureSet::Feature(size_t index) const {
  return index < records_.size() ? records_[index] : TCPUFeature{};
}

TCPUFeature TCPUFeatureSet::FeatureOfBit(unsigned bit) const {
  for (const auto& r : records_)
    if (r.Bit == bit) return r;
  return TCPUFeature{};
}

TCPUFeatureSet TCPUFeatureSet::Build(TFeatureSetKind kind, TCpuVendor vendor, uint32_t reg) {
  TCPUFeatureSet set;
  set.records_.reserve(32);  // one register's bits
  const FeatureSetBit member = BitOf(kind);
  auto record = [&](const TFeatureDetail& row) {
    TCPUFeature f;
    f.Bit = row.Bit;
    f.Name = row.Name;
    f.Description = row.Description;
    f.SetNumber = static_cast<uint8_t>(kind);
    return f;
  };
  // First the rows every vendor shares, then the vendor's own rows, which rename a record
  // of the same bit or are added at the end.
  for (const auto& row : FeatureTable())
    if (row.Vendor == All && row.Sets.Contains(member)) set.records_.push_back(record(row));
  const int code = FeatureVendorCode(vendor);
  for (const auto& row : FeatureTable()) {
    if (row.Vendor != code || !row.Sets.Contains(member)) continue;
    bool renamed = false;
    for (auto& r : set.records_) {
      if (r.Bit != row.Bit) continue;
      r.Name = row.Name;
      r.Description = row.Description;
      renamed = true;
      break;
    }
    if (!renamed) set.records_.push_back(record(row));
  }
  for (auto& r : set.records_) r.Available = (reg >> r.Bit) & 1u;
  return set;
}

void WriteFeatureSections(ReportWriter& out, const TCPUFeatures& features) {
  const struct { const char* Name; const TCPUFeatureSet& Set; } kSections[] = {
      {"Standard Features", features.Standard}, {"StandardEx Features", features.StandardEx},
      {"Extended Features", features.Extended}, {"Power Management Features", features.PowerManagement}};
  for (const auto& s : kSections) {
    if (s.Set.Count() == 0) continue;
    out.OpenSection(s.Name);
    for (const auto& r : s.Set.Records()) out.Boolean(EscapeValue(std::string(r.Name)), r.Available);
    out.CloseSection();
  }
}

}  // namespace kestrova
