// The registry a capture writes must read back as it was captured: any value name and
// value (type from the first byte, name from the next bytes up to a 0xFF, data the rest)
// goes through the capturing tee into a registry.reg that the recorded registry reads
// back with the same type and bytes. Texts that are not UTF-8 are the one known loss
// (capture.log says so); the fuzzer aborts on any other difference.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/core/text.h"
#include "engine/platform/capture/capture_registry.h"
#include "engine/platform/recorded/registry_tree.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kestrova;
  if (size < 1) return 0;
  const uint32_t type = data[0] % 12;
  size_t i = 1;
  std::string name;
  while (i < size && data[i] != 0xFF && name.size() < 64) name += static_cast<char>(data[i++]);
  if (i < size) ++i;
  RegValue value{type, std::vector<uint8_t>(data + i, data + size)};

  // Both trees are built once and emptied of the one key an input adds (every key of
  // theirs lies under HKLM\SOFTWARE), so nothing of an input is left for the next.
  static RegistryTree live, back;
  live.DeleteKey(RootKey::LocalMachine, "SOFTWARE");
  back.DeleteKey(RootKey::LocalMachine, "SOFTWARE");
  live.SetValue(RootKey::LocalMachine, "SOFTWARE\\K", name, value);
  CapturingRegistry tee(live);
  (void)tee.ValueNames(RootKey::LocalMachine, "SOFTWARE\\K");
  CaptureOutput notes;
  const std::string reg = tee.RegFile(&notes);

  LoadRegFile(back, reg, "capture.reg");  // a LoadError here is a writer fault: it propagates
  auto got = back.QueryValue(RootKey::LocalMachine, "SOFTWARE\\K", name);
  bool lossy = false;
  (void)RegDataText(value, &lossy);
  // Names are compared without case and kept as given; a name with a line break or a
  // NUL is written escaped and reads back whole.
  if (!got || got->Type != value.Type) std::abort();
  if (!lossy && got->Data != value.Data) std::abort();
  return 0;
}
