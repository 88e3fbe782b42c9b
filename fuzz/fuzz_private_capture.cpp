// Private captures: any registry file, memory image or profile file, and a machine.ini
// line, with personal values cut from the input itself, are rewritten without a crash or
// a hang; memory keeps its length (the tables in it keep their layout).
// Each input is one of the three files, chosen by its first byte (which is also part of
// the first value): every file kind is fuzzed, and an execution pays for one of them.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/core/privacy.h"
#include "engine/platform/capture/capture_output.h"
#include "engine/platform/capture/private_capture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  kestrova::PrivacyFilter f;
  f.Add(kestrova::PersonalKind::SerialNumber, bytes.substr(0, 8));
  f.Add(kestrova::PersonalKind::MACAddress, bytes.substr(std::min<size_t>(8, size), 17));
  f.Add(kestrova::PersonalKind::UserName, bytes.substr(std::min<size_t>(25, size), 5));
  kestrova::CaptureOutput out;
  static const char* const kFiles[] = {"registry.reg", "files/c/WIN.INI", "memory-000F0000.bin"};
  const char* file = kFiles[data[0] % 3];
  out.SetFile(file, bytes);
  out.Add("drive:C", "Serial", "0x1234");
  out.AddLine("environment", bytes.substr(0, 64));
  kestrova::MakeCapturePrivate(out, f);
  if (file == kFiles[2] && out.Files().at(file).size() != size) std::abort();
  return 0;
}
