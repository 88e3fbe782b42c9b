#pragma once
// The system's CM_RESOURCE_LIST, decoded from the bytes of a REG_RESOURCE_LIST value.
// Layout (little-endian, packed to 4): Count; then per full descriptor InterfaceType,
// BusNumber, and the partial list Version, Revision, Count and its partial descriptors.
// A partial descriptor is Type, ShareDisposition, Flags and a union whose largest member
// (the interrupt's KAFFINITY affinity) is pointer-sized: 16 bytes per descriptor on
// 32-bit Windows, 20 on 64-bit Windows. The kernel writes the list, so its layout is
// that of the native system, not of the reading process.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrova {

enum TResourceType : uint8_t {
  rtNone = 0, rtPort = 1, rtInterrupt = 2, rtMemory = 3, rtDMA = 4, rtDeviceSpecific = 5,
  rtBusNumber = 6, rtMaximum = 7
};

struct TResourceEntry {
  uint8_t Type = 0;
  uint8_t ShareDisposition = 0;
  uint16_t Flags = 0;
  uint32_t V1 = 0, V2 = 0, V3 = 0, V4 = 0;
};
using TResourceList = std::vector<TResourceEntry>;

struct TDeviceResources {
  uint8_t InterfaceType = 0;  // the system's interface type + 1
  uint32_t BusNumber = 0;
  uint16_t Version = 0, Revision = 0;
  TResourceList Resources;
};

constexpr size_t kPartialDescriptorSize32 = 16;
constexpr size_t kPartialDescriptorSize64 = 20;
// From the native processor architecture (SYSTEM_INFO): 9 (x64) and 6 (IA64) are 64-bit.
size_t PartialDescriptorSize(uint16_t nativeArchitecture);

// Decodes the first full descriptor. Bounded: only descriptors that lie wholly inside
// `size` bytes are read, at most as many as the partial list counts, and device-specific
// data that follows its descriptor is stepped over.
TDeviceResources DecodeResourceList(const uint8_t* data, size_t size, size_t descriptorSize);

const char* ResourceTypeName(unsigned type);        // "Port", "IRQ", ...; "" when unknown
const char* ShareDispositionName(unsigned share);   // "Undetermined", ..., "Shared"
// Start and end of a port or memory range (start = V3:V2, end = start + V4 - 1).
uint64_t ResourceStart(const TResourceEntry& r);
uint64_t ResourceEnd(const TResourceEntry& r);
// The value as the reports write it: ports "%4.4x - %4.4x", memory "%8.8x - %8.8x",
// interrupt (the vector) and DMA (the channel) "%2.2d"; "" for other types.
std::string ResourceValueText(const TResourceEntry& r);

}  // namespace kestrova
