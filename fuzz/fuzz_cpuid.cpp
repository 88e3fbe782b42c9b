// CPUID decoding from arbitrary registers: each execution takes the next 16 bytes of the
// input as EAX, EBX, ECX, EDX (zeros once the input is used up), so every leaf, repeat
// count, vendor and descriptor combination can come out.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/core/report_writer.h"
#include "engine/hardware/cpu.h"

namespace {

class BytesCpuid : public kestrova::ICpuidSource {
 public:
  BytesCpuid(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  kestrova::CpuidRegisters Run(uint32_t leaf, unsigned) override {
    kestrova::CpuidRegisters r;
    uint32_t words[4] = {0, 0, 0, 0};
    size_t n = size_ - at_ < sizeof words ? size_ - at_ : sizeof words;
    std::memcpy(words, data_ + at_, n);
    at_ += n;
    r.Eax = words[0];
    r.Ebx = words[1];
    r.Ecx = words[2];
    r.Edx = words[3];
    // Leaf 0 may name any vendor; the maxima of the three ranges come from the data too.
    if (leaf == 0 && size_ > 0) {
      static const char* const kSignatures[] = {"GenuineIntel", "AuthenticAMD", "CyrixInstead", "CentaurHauls",
                                                "GenuineTMx86", "Geode by NSC", "RiseRiseRise"};
      const char* sig = kSignatures[data_[0] % 7];
      if (data_[0] & 0x80) {
        std::memcpy(&r.Ebx, sig, 4);
        std::memcpy(&r.Edx, sig + 4, 4);
        std::memcpy(&r.Ecx, sig + 8, 4);
      }
    }
    return r;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  BytesCpuid source(data, size);
  kestrova::CacheDescriptors previous{};
  if (size >= 16) std::memcpy(previous.data(), data + size - 16, 16);
  kestrova::CpuIdentity id = kestrova::DecodeCpuid(source, previous);
  kestrova::CpuNameInput in;
  in.Vendor = id.Vendor;
  in.Family = id.Family;
  in.Model = id.Model;
  in.Stepping = id.Stepping;
  in.CPUType = id.CPUType;
  in.Brand = id.Brand;
  in.FamilyEx = id.FamilyEx;
  in.L2 = id.Cache.Level2.Size;
  in.L3 = id.Cache.Level3.Size;
  in.SerialFeature = id.Features.Standard.FeatureOfBit(18).Available;
  in.Frequency = size > 0 ? data[0] * 10u : 0;
  kestrova::CpuNames names = kestrova::NameProcessor(in);
  static kestrova::ReportLines& lines = *new kestrova::ReportLines;  // kept: its capacity is reused
  lines.clear();
  kestrova::ReportWriter out(lines);
  out.String("MarketingName", id.MarketingName);
  out.String("CPUName", names.CPUName);
  kestrova::WriteCacheSections(out, id.Cache);
  kestrova::WriteFeatureSections(out, id.Features);
  return 0;
}
