#include "engine/os/edid.h"

#include <cstring>

#include "engine/core/text.h"

namespace kestrova {

namespace {
constexpr size_t kDescriptorOffsets[] = {72, 90, 108};  // descriptor blocks 2, 3 and 4
constexpr uint8_t kTagName = 0xFC, kTagSerial = 0xFF;
constexpr size_t kTagByte = 3, kTextFirst = 5, kTextLast = 17;
}  // namespace

std::string TrimControls(const std::string& text) {
  size_t b = 0, e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
  return text.substr(b, e - b);
}

std::string EDIDDescriptorText(const uint8_t (&block)[kEDIDBlockSize], size_t offset) {
  std::string bytes;
  if (offset + kTextLast >= kEDIDBlockSize) return bytes;
  for (size_t i = kTextFirst; i <= kTextLast; ++i) {
    const uint8_t b = block[offset + i];
    if (b == 0) {
      // Two zero bytes in a row end the text; a zero as the last text byte ends it anyway.
      if (i == kTextLast || block[offset + i + 1] == 0) break;
      continue;
    }
    bytes += static_cast<char>(b);
  }
  return Cp1252ToUtf8(bytes);
}

TEDIDInfo DecodeEDID(const uint8_t* data, size_t size) {
  // A copy of the base block, zero past the value's end: nothing below reads `data`.
  uint8_t b[kEDIDBlockSize] = {};
  if (data) std::memcpy(b, data, size < kEDIDBlockSize ? size : kEDIDBlockSize);

  TEDIDInfo info;
  for (size_t offset : kDescriptorOffsets) {
    const uint8_t tag = b[offset + kTagByte];
    if (tag == kTagName)
      info.Name += TrimControls(EDIDDescriptorText(b, offset));
    else if (tag == kTagSerial)
      info.ProductNumber += TrimControls(EDIDDescriptorText(b, offset));
  }
  info.Width = b[21];
  info.Height = b[22];
  info.SerialNumber = static_cast<uint32_t>(b[12]) | static_cast<uint32_t>(b[13]) << 8 |
                      static_cast<uint32_t>(b[14]) << 16 | static_cast<uint32_t>(b[15]) << 24;
  info.Week = b[16];
  info.Year = static_cast<uint16_t>(b[17] + 1990);
  info.Gamma = (b[23] + 100) / 100.0;
  info.EDIDVersion = Format("%d.%d", b[18], b[19]);
  return info;
}

}  // namespace kestrova
