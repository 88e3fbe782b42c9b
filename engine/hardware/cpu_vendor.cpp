#include "engine/hardware/cpu_vendor.h"

#include "engine/core/text.h"

namespace kestrova {

namespace {
using V = TCpuVendor;
constexpr TCacheMethod kDescriptors = TCacheMethod::Descriptors;
constexpr TCacheMethod kExtended = TCacheMethod::ExtendedLeaves;

// Value            Signature        Short        Full name                        Cache method
const TCPUVendorInfo kVendors[] = {
    {V::cvUnknown,   "BadCpuVendor", "Unknown",   "Unknown Vendor",                kDescriptors},
    {V::cvIntel,     "GenuineIntel", "Intel",     "Intel Corporation",             kDescriptors},
    {V::cvAmd,       "AuthenticAMD", "AMD",       "Advanced Micro Devices",        kExtended},
    {V::cvCyrix,     "CyrixInstead", "Cyrix",     "Via Technologies Inc",          kDescriptors},
    {V::cvIDT,       "CentaurHauls", "Via",       "Via Technologies Inc",          kExtended},
    {V::cvNexGen,    "NexGenDriven", "NexGen",    "NexGen Inc",                    kDescriptors},
    {V::cvUMC,       "UMC UMC UMC ", "UMC",       "United Microelectronics Corp",  kDescriptors},
    {V::cvRise,      "RiseRiseRise", "Rise",      "Rise Technology",               kDescriptors},
    {V::cvSiS,       "SiS SiS SiS ", "SiS",       "SiS",                           kDescriptors},
    {V::cvGeode,     "Geode by NSC", "NSC",       "National Semiconductor",        kDescriptors},
    {V::cvTransmeta, "GenuineTMx86", "Transmeta", "Transmeta",                     kExtended},
};
}  // namespace

const TCPUVendorInfo& VendorInfo(TCpuVendor vendor) {
  for (const auto& row : kVendors)
    if (row.Vendor == vendor) return row;
  return kVendors[0];  // cvNone reads as the unknown vendor
}

TCpuVendor VendorFromSignature(const std::string& signature, bool ignoreCase) {
  for (const auto& row : kVendors) {
    if (ignoreCase ? EqualsNoCase(signature, row.Signature) : signature == row.Signature) return row.Vendor;
  }
  return V::cvUnknown;
}

std::string VendorSignature(uint32_t ebx, uint32_t edx, uint32_t ecx) {
  std::string s;
  for (uint32_t reg : {ebx, edx, ecx})
    for (int i = 0; i < 4; ++i) s += static_cast<char>((reg >> (8 * i)) & 0xFF);
  return s;
}

}  // namespace kestrova
