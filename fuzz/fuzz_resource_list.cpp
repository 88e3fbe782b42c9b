// The REG_RESOURCE_LIST decode with both descriptor sizes, and the report texts.
#include <cstddef>
#include <cstdint>

#include "engine/inventory/resource_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (size_t descriptor : {kestrova::kPartialDescriptorSize32, kestrova::kPartialDescriptorSize64}) {
    const kestrova::TDeviceResources r = kestrova::DecodeResourceList(data, size, descriptor);
    for (const kestrova::TResourceEntry& e : r.Resources) (void)kestrova::ResourceValueText(e);
  }
  return 0;
}
