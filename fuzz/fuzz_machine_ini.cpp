// machine.ini: the INI parser and the fact loader behind it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/platform/recorded/load_error.h"
#include "engine/platform/recorded/recorded_machine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kestrova::RecordedMachine machine;
  try {
    kestrova::ApplyMachineIni(machine, std::string(reinterpret_cast<const char*>(data), size), "fuzz.ini");
  } catch (const kestrova::LoadError&) {
  }
  (void)machine.EnvironmentBlock();
  return 0;
}
