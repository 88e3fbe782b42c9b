// Private captures: any registry file, memory image and machine.ini line, with personal
// values cut from the input itself, are rewritten without a crash or a hang; memory keeps
// its length (the tables in it keep their layout) and no value stays in it as ANSI text
// standing alone.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/core/privacy.h"
#include "engine/platform/capture/capture_output.h"
#include "engine/platform/capture/private_capture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  kestrova::PrivacyFilter f;
  f.Add(kestrova::PersonalKind::SerialNumber, bytes.substr(0, 8));
  f.Add(kestrova::PersonalKind::MACAddress, bytes.substr(std::min<size_t>(8, size), 17));
  f.Add(kestrova::PersonalKind::UserName, bytes.substr(std::min<size_t>(25, size), 5));
  kestrova::CaptureOutput out;
  out.SetFile("registry.reg", bytes);
  out.SetFile("memory-000F0000.bin", bytes);
  out.SetFile("files/c/WIN.INI", bytes);
  out.Add("drive:C", "Serial", "0x1234");
  out.AddLine("environment", bytes.substr(0, 64));
  kestrova::MakeCapturePrivate(out, f);
  if (out.Files().at("memory-000F0000.bin").size() != size) std::abort();
  std::string copy = bytes;
  kestrova::ReplaceInBinary(copy, f);
  if (copy.size() != size) std::abort();
  return 0;
}
