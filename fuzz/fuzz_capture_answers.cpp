// Whatever the machine answers, a capture writes a machine.ini that loads again: the IP
// helper buffers and the native process, module and handle lists as bytes go through the
// capturing twins (which walk them), their sections are written and read back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/inventory/native_lists.h"
#include "engine/platform/capture/capture_network.h"
#include "engine/platform/capture/capture_output.h"
#include "engine/platform/capture/capture_processes.h"
#include "engine/platform/recorded/ini.h"
#include "engine/platform/recorded/recorded_network.h"
#include "engine/platform/recorded/recorded_processes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kestrova;
  if (size < 3) return 0;
  // Byte 0: pointer size and which area; byte 1: the buffer's base address among a few
  // values (so pointers can hit it); the rest is the buffer.
  const uint32_t pointerSize = (data[0] & 1) ? 8 : 4;
  static const uint64_t kBases[] = {0, 0x10, 0x00150000, 0xFFFFFF00, 0x7FFFFFFFFFFF0000ull};
  const uint64_t base = kBases[data[1] % 5];
  const std::vector<uint8_t> bytes(data + 2, data + size);

  // The recorded twins the capturing ones wrap, alone (a whole machine is built only for
  // the replay).
  CaptureOutput out;
  if (data[0] & 2) {
    IpHelperAnswer a;
    a.PointerSize = pointerSize;
    a.BaseAddress = base;
    a.Buffer = bytes;
    RecordedNetwork source;
    source.RawAdapters = a;
    source.RawParams = a;
    CapturingNetwork net(source);
    (void)net.AdaptersInfo(0);
    (void)net.NetworkParams(0);
    net.Write(out);
  } else {
    // One of the three native lists per input (bits 2 and 3 of byte 0): each is its own
    // layout, and an execution pays for one walk and one section.
    static const uint32_t kClasses[] = {kSystemProcessInformation, kSystemModuleInformation,
                                        kSystemHandleInformation};
    const uint32_t infoClass = kClasses[((data[0] >> 2) & 3) % 3];
    RecordedProcesses source;
    source.PointerSize = pointerSize;
    source.BufferAddress = base;
    source.RawBuffers[infoClass] = bytes;
    CapturingProcesses processes(source);
    (void)processes.QuerySystemInformation(infoClass, static_cast<uint32_t>(bytes.size()));
    processes.Write(out);
  }
  // Read back into the two areas alone (the whole machine's loader is fuzz_machine_ini's):
  // a malformed line throws and so fails; a section neither area reads fails too.
  static const std::string kFile = "machine.ini";
  const IniDocument doc = ParseIni(out.MachineIni(), kFile);
  RecordedNetwork network;
  RecordedProcesses replayed;
  for (const IniSection& s : doc.Sections)
    if (!ApplyNetworkSection(network, s, kFile) && !ApplyProcessesSection(replayed, s, kFile)) std::abort();
  return 0;
}
