#pragma once
// The EDID fields a monitor record shows, decoded from the bytes Windows stored for the
// monitor. A pure function: any length, bytes past the end of the value read as 0.
#include <cstddef>
#include <cstdint>
#include <string>

namespace kestrova {

struct TEDIDInfo {
  std::string Name;           // monitor name descriptors (tag 0xFC), trimmed and joined
  std::string ProductNumber;  // serial text descriptors (tag 0xFF), trimmed and joined
  uint8_t Width = 0;          // byte 21: maximum horizontal image size, cm
  uint8_t Height = 0;         // byte 22: maximum vertical image size, cm
  uint32_t SerialNumber = 0;  // bytes 12-15, little-endian
  uint16_t Week = 0;          // byte 16
  uint16_t Year = 0;          // byte 17 + 1990
  double Gamma = 0;           // (byte 23 + 100) / 100
  std::string EDIDVersion;    // "version.revision", bytes 18 and 19
};

// The base block is 128 bytes; only those are examined, whatever `size` is.
constexpr size_t kEDIDBlockSize = 128;

TEDIDInfo DecodeEDID(const uint8_t* data, size_t size);

// The text of one 18-byte descriptor: its 13 text bytes (5 to 17) in order, a single zero
// byte skipped, two zero bytes in a row ending it, every other byte kept (as the Windows
// code page cp1252 reads it). Not trimmed.
std::string EDIDDescriptorText(const uint8_t (&block)[kEDIDBlockSize], size_t offset);

// Blanks and control characters (codes up to 32) removed at both ends.
std::string TrimControls(const std::string& text);

}  // namespace kestrova
