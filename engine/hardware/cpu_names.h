#pragma once
// The name tables: CPUName, CodeName, Revision and Technology of a processor from its
// vendor, family, model, stepping and a few other facts.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/hardware/cpu_vendor.h"

namespace kestrova {

struct CpuNameInput {
  TCpuVendor Vendor = TCpuVendor::cvNone;
  int Family = 0, Model = 0, Stepping = 0, CPUType = 0, Brand = 0, FamilyEx = 0;
  int L2 = 0, L3 = 0;           // KB
  bool SerialFeature = false;   // the Standard feature of bit 18 is available
  uint32_t Frequency = 0;       // MHz
};

struct CpuNames {
  std::string CPUName, CodeName, Revision, Technology;
};

// What a table row looks at besides family and model.
enum class NameKey : uint8_t { None, Stepping, CPUType, Brand, L2, L3, FamilyEx, Frequency, SerialFeature };

struct NameCondition {
  NameKey Key = NameKey::None;
  int Lo = 0, Hi = 0;   // inclusive
  bool Negate = false;  // true: outside the range
};

constexpr int kAny = -1;

// A row sets each of its non-null texts, in table order, so later rows override earlier
// ones and no row clears a name. A CPUName beginning with '+' is appended to the name.
// Revision lists "stepping:text" tokens separated by ';' ("0:A0-A1;1:B2-B6;7-9:WC2A"); a
// token without a stepping applies to every stepping; "%d" stands for the Opteron count
// (Brand AND 1Fh) * 2 + 38.
struct NameRow {
  int Family;                 // kAny: every family
  int ModelLo, ModelHi;       // kAny: every model
  NameCondition When[3];
  const char* CPUName;
  const char* CodeName;
  const char* Technology;
  const char* Revision;
};

const std::vector<NameRow>& NameTable(TCpuVendor vendor);

// The revision a row's list gives for a stepping; empty when it names none.
std::string RevisionFor(const char* list, int stepping, int brand);

CpuNames NameProcessor(const CpuNameInput& in);

}  // namespace kestrova
