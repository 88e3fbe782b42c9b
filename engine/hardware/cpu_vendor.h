#pragma once
// Processor makers as CPUID leaf 0 names them, and which cache method each one needs.
#include <cstdint>
#include <string>

namespace kestrova {

enum class TCpuVendor : uint8_t {
  cvNone, cvUnknown, cvIntel, cvAmd, cvCyrix, cvIDT, cvNexGen, cvUMC, cvRise, cvSiS, cvGeode,
  cvTransmeta
};

enum class TCacheMethod : uint8_t { Descriptors, ExtendedLeaves };

struct TCPUVendorInfo {
  TCpuVendor Vendor;
  const char* Signature;  // 12 characters: EBX, EDX, ECX of leaf 0
  const char* ShortName;
  const char* FullName;
  TCacheMethod CacheMethod;
};

// One row per vendor from cvUnknown on; the cvNone vendor has no row.
const TCPUVendorInfo& VendorInfo(TCpuVendor vendor);

// The first row whose signature equals the text exactly (or ignoring case), else cvUnknown.
TCpuVendor VendorFromSignature(const std::string& signature, bool ignoreCase = false);

// The 12 signature characters of leaf 0: EBX, EDX, ECX, each from its lowest byte.
std::string VendorSignature(uint32_t ebx, uint32_t edx, uint32_t ecx);

}  // namespace kestrova
