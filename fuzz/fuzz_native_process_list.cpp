// The native process list walk (class 5) over any bytes: both pointer sizes, with and
// without the IO counters, the buffer placed so that some name pointers land inside it.
// The first byte chooses the layout; the module and handle walks read the same bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/inventory/native_lists.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  kestrova::NativeBuffer buffer;
  buffer.PointerSize = (data[0] & 1) ? 8 : 4;
  const bool io = (data[0] & 2) != 0;
  buffer.Address = (data[0] & 4) ? 0x00150000 : 0;
  buffer.Bytes.assign(data + 1, data + size);
  size_t names = 0;
  for (const auto& e : kestrova::WalkNativeProcessList(buffer, io)) names += e.ImageName.size() + e.Threads.size();
  (void)names;
  (void)kestrova::WalkNativeModuleList(buffer.Bytes, buffer.PointerSize);
  (void)kestrova::WalkNativeHandleList(buffer.Bytes, buffer.PointerSize);
  (void)kestrova::SidToText(buffer.Bytes);
  return 0;
}
