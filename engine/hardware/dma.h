#pragma once
// TDMA, the physical-memory reader: copies a physical range into its buffer and answers
// little-endian reads on it. Three ways to obtain the bytes, chosen by the running system:
// the NT physical-memory section, a 16-bit program that dumps one 64 KB segment through
// the command interpreter when the section does not open, and a guarded direct read on
// the 9x family.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/information.h"

namespace kestrova {

// Where the dump program finds an address: the segment selector byte V (segment V*100h)
// and the offset inside that 64 KB segment. Only addresses below 1 MB whose segment
// starts on a 64 KB boundary below it (V = 00h, 10h ... F0h) can be dumped.
struct DumpSegment {
  bool Supported = false;
  uint8_t Selector = 0;
  uint16_t Offset = 0;
};
DumpSegment DumpSegmentOf(uint32_t address);

// The 46-byte program: DS := V*100h; write 65535 bytes from DS:0 to standard output,
// then the byte at DS:FFFFh; exit with 0, or with the DOS error code.
std::vector<uint8_t> SegmentDumpProgram(uint8_t selector);

// The temporary folder with a trailing backslash.
std::string WithTrailingBackslash(const std::string& path);

class TDMA : public TInformation {
 public:
  static constexpr uint32_t kSegmentSize = 0x10000;
  // Stops a hung command interpreter from holding the program forever.
  static constexpr uint32_t kDumpTimeoutMs = 60000;
  // Bounds the search for a free scratch directory name.
  static constexpr unsigned kMaxScratchDirectories = 10000;

  explicit TDMA(const EngineContext& context);

  // Reads `length` bytes of physical memory from `address` into the buffer. True when
  // the bytes were obtained; otherwise the buffer holds zeros.
  bool Read(uint32_t address, uint32_t length);

  bool InRange(uint64_t a) const { return a >= position_ && a < uint64_t{position_} + buffer_.size(); }
  // The little-endian value at `a`, 0 when any of its bytes lies outside the range.
  uint8_t ReadByte(uint64_t a) const;
  uint16_t ReadWord(uint64_t a) const;
  uint32_t ReadDword(uint64_t a) const;
  // Up to `count` bytes from `a`, cut at the end of the range; none when `a` is outside.
  std::vector<uint8_t> ReadBlock(uint64_t a, uint32_t count) const;
  // The zero-terminated text at `a` (at most 255 characters, never past the range).
  std::string ReadText(uint64_t a) const;
  // The n-th of the zero-terminated strings that start at `start`, trimmed; "" when n is
  // 0 or the set ends (an empty string) before the n-th.
  std::string ReadString(uint64_t start, unsigned n) const;

  uint32_t Position() const { return position_; }
  uint32_t Size() const { return static_cast<uint32_t>(buffer_.size()); }
  uint32_t PageSize() const { return pageSize_; }
  const std::vector<uint8_t>& Buffer() const { return buffer_; }

 protected:
  void WriteBlock(ReportWriter&) const override {}

 private:
  bool ReadSection(uint32_t address, uint32_t length);
  bool ReadSegmentDump(uint32_t address, uint32_t length);
  bool ReadDirect(uint32_t address, uint32_t length);
  // Makes `length` bytes of `bytes` from `from` on the buffer, zeros past their end.
  void Take(std::vector<uint8_t>&& bytes, size_t from, uint32_t length);
  // The raw text at `a` up to its zero byte, at the range end or after 255 bytes; `next`
  // receives the address after the zero byte.
  std::string RawText(uint64_t a, uint64_t* next) const;

  uint32_t pageSize_ = 4096;
  uint32_t position_ = 0;
  std::vector<uint8_t> buffer_;
};

}  // namespace kestrova
