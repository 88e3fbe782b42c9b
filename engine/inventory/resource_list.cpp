#include "engine/inventory/resource_list.h"

#include "engine/core/text.h"

namespace kestrova {

namespace {
uint32_t Le32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

constexpr size_t kFirstPartialOffset = 20;  // list count, interface, bus, version, revision, count
}  // namespace

size_t PartialDescriptorSize(uint16_t nativeArchitecture) {
  return (nativeArchitecture == 9 || nativeArchitecture == 6) ? kPartialDescriptorSize64
                                                              : kPartialDescriptorSize32;
}

TDeviceResources DecodeResourceList(const uint8_t* data, size_t size, size_t descriptorSize) {
  TDeviceResources r;
  if (!data || size < kFirstPartialOffset || descriptorSize < 16) return r;
  r.InterfaceType = static_cast<uint8_t>(Le32(data + 4) + 1);
  r.BusNumber = Le32(data + 8);
  r.Version = Le16(data + 12);
  r.Revision = Le16(data + 14);
  const uint32_t count = Le32(data + 16);
  size_t offset = kFirstPartialOffset;
  for (uint32_t i = 0; i < count && offset <= size && size - offset >= descriptorSize; ++i) {
    const uint8_t* d = data + offset;
    offset += descriptorSize;
    TResourceEntry e;
    e.Type = d[0];
    e.ShareDisposition = d[1];
    e.Flags = Le16(d + 2);
    if (e.Type == rtDeviceSpecific) {
      // Its DataSize bytes follow the descriptor; the next descriptor comes after them.
      const uint32_t extra = Le32(d + 4);
      offset = extra > size - offset ? size + 1 : offset + extra;
    }
    if (e.Type > rtMaximum) continue;
    if (e.Type == rtNone || e.Type == rtPort || e.Type == rtMemory) {
      e.V2 = Le32(d + 4);
      e.V3 = Le32(d + 8);
      e.V4 = Le32(d + 12);
    } else {
      e.V1 = Le32(d + 4);
      e.V2 = Le32(d + 8);
      e.V3 = Le32(d + 12);
    }
    r.Resources.push_back(e);
  }
  return r;
}

const char* ResourceTypeName(unsigned type) {
  struct Row { unsigned Type; const char* Name; };
  // type  name
  static const Row kRows[] = {
      {0, "None"}, {1, "Port"}, {2, "IRQ"}, {3, "Memory"}, {4, "DMA"}, {5, "DeviceSpecific"},
      {6, "BusNumber"}, {7, "Maximum"}, {8, "AssignedResource"}, {9, "SubAllocateFrom"},
      {128, "ConfigData"}, {129, "DevicePrivate"}, {130, "PCCardConfig"}};
  for (const Row& r : kRows)
    if (r.Type == type) return r.Name;
  return "";
}

const char* ShareDispositionName(unsigned share) {
  // disposition  name
  static const char* const kNames[] = {"Undetermined", "Device Exclusive", "Driver Exclusive"};
  return share < 3 ? kNames[share] : "Shared";
}

uint64_t ResourceStart(const TResourceEntry& r) { return (uint64_t{r.V3} << 32) | r.V2; }
uint64_t ResourceEnd(const TResourceEntry& r) { return ResourceStart(r) + r.V4 - 1; }

std::string ResourceValueText(const TResourceEntry& r) {
  const auto s = static_cast<unsigned long long>(ResourceStart(r));
  const auto e = static_cast<unsigned long long>(ResourceEnd(r));
  switch (r.Type) {
    case rtPort: return Format("%4.4llx - %4.4llx", s, e);
    case rtMemory: return Format("%8.8llx - %8.8llx", s, e);
    case rtInterrupt: return Format("%2.2u", r.V2);
    case rtDMA: return Format("%2.2u", r.V1);
    default: return {};
  }
}

}  // namespace kestrova
