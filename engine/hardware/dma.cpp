#include "engine/hardware/dma.h"

#include <algorithm>
#include <cstring>

#include "engine/core/context.h"
#include "engine/core/text.h"

namespace kestrova {

DumpSegment DumpSegmentOf(uint32_t address) {
  // Written as eight hex digits, the selector is digit 4 followed by digit 3 and the
  // offset is digits 5-8. Above 1 MB those digits name a segment the program cannot reach
  // (the upper digits would be lost), so such addresses are refused outright.
  DumpSegment s;
  s.Selector = static_cast<uint8_t>((((address >> 16) & 0xF) << 4) | ((address >> 20) & 0xF));
  s.Offset = static_cast<uint16_t>(address & 0xFFFF);
  s.Supported = address < 0x100000 && (s.Selector & 0x0F) == 0;
  return s;
}

std::vector<uint8_t> SegmentDumpProgram(uint8_t v) {
  return {
      0x31, 0xD2,        // xor dx,dx
      0xB6, v,           // mov dh,V
      0x8E, 0xDA,        // mov ds,dx
      0x31, 0xD2,        // xor dx,dx
      0x31, 0xC9,        // xor cx,cx
      0x49,              // dec cx          ; 65535 bytes
      0x31, 0xDB,        // xor bx,bx
      0x43,              // inc bx          ; standard output
      0xB4, 0x40,        // mov ah,40h
      0xCD, 0x21,        // int 21h
      0x72, 0x16,        // jc exit
      0x31, 0xD2,        // xor dx,dx
      0xB6, v,           // mov dh,V
      0x8E, 0xDA,        // mov ds,dx
      0x31, 0xD2,        // xor dx,dx
      0x4A,              // dec dx          ; offset FFFFh
      0x31, 0xC9,        // xor cx,cx
      0x41,              // inc cx          ; one byte
      0x89, 0xCB,        // mov bx,cx
      0xB4, 0x40,        // mov ah,40h
      0xCD, 0x21,        // int 21h
      0x72, 0x02,        // jc exit
      0xB0, 0x00,        // mov al,0
      0xB4, 0x4C,        // exit: mov ah,4Ch
      0xCD, 0x21,        // int 21h
  };
}

std::string WithTrailingBackslash(const std::string& path) {
  return (path.empty() || path.back() != '\\') ? path + "\\" : path;
}

TDMA::TDMA(const EngineContext& context) : TInformation(context) {
  SetExceptionModes({TExceptionMode::emExceptionStack});
  const uint32_t page = context.Sys.System ? context.Sys.System->SystemInfo().PageSize : 0;
  // A page size that is not a power of two would make the rounding below meaningless.
  if (page != 0 && (page & (page - 1)) == 0) pageSize_ = page;
}

bool TDMA::Read(uint32_t address, uint32_t length) {
  position_ = address;
  bool ok = false;
  if (Context().Sys.Firmware)
    ok = Context().OSInfo.IsNT ? ReadSection(address, length) || ReadSegmentDump(address, length)
                               : ReadDirect(address, length);
  if (!ok) buffer_.assign(length, 0);
  return ok;
}

void TDMA::Take(std::vector<uint8_t>&& bytes, size_t from, uint32_t length) {
  // The bytes read become the buffer as they are (a 64 KB area is not copied again); a
  // short read ends in zeros.
  if (from == 0) {
    buffer_ = std::move(bytes);
    buffer_.resize(length, 0);
    return;
  }
  buffer_.assign(length, 0);
  const size_t n = std::min<size_t>(length, bytes.size() > from ? bytes.size() - from : 0);
  std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(from), n, buffer_.begin());
}

bool TDMA::ReadSection(uint32_t address, uint32_t length) {
  const uint32_t base = address & ~(pageSize_ - 1);
  const uint32_t lead = address - base;
  if (uint64_t{length} + lead > UINT32_MAX) return false;
  auto view = Context().Sys.Firmware->MapPhysicalView(base, length + lead);
  if (!view) return false;
  Take(std::move(*view), lead, length);
  return true;
}

bool TDMA::ReadSegmentDump(uint32_t address, uint32_t length) {
  const DumpSegment segment = DumpSegmentOf(address);
  if (!segment.Supported) return false;
  IFirmware& fw = *Context().Sys.Firmware;
  const ISystem& sys = *Context().Sys.System;

  const std::string temp = WithTrailingBackslash(Truncate(sys.TempPath(), 260));
  std::string dir;
  for (unsigned n = 1; n <= kMaxScratchDirectories && dir.empty(); ++n) {
    std::string candidate = temp + "~RomDmp" + std::to_string(n);
    if (!fw.DirectoryExists(candidate)) dir = candidate;
  }
  if (dir.empty() || !fw.MakeDirectory(dir)) return false;

  const std::string program = dir + "\\RomDump.com";
  const std::string dump = dir + "\\Rom.dmp";
  std::vector<uint8_t> work(kSegmentSize, 0);
  bool dumped = false;
  if (fw.WriteNewFile(program, SegmentDumpProgram(segment.Selector))) {
    const std::string comSpec = Truncate(sys.EnvironmentVariable("ComSpec").value_or(""), 260);
    if (!comSpec.empty() && fw.RunHidden(comSpec + " /C " + program + " > " + dump, kDumpTimeoutMs)) {
      if (auto bytes = fw.ReadFileHead(dump, kSegmentSize); bytes && bytes->size() == kSegmentSize) {
        work = std::move(*bytes);
        dumped = true;
      }
    }
  }
  // Cleanup in every case: both files (whether or not they were written), then the folder.
  fw.RemoveFile(program);
  fw.RemoveFile(dump);
  fw.RemoveEmptyDirectory(dir);
  if (!dumped) return false;

  Take(std::move(work), segment.Offset, length);
  return true;
}

bool TDMA::ReadDirect(uint32_t address, uint32_t length) {
  IFirmware& fw = *Context().Sys.Firmware;
  // VirtualQuery first: it touches nothing. On Windows 9x the first megabyte is the DOS
  // arena shared by every process, and whether VirtualQuery calls it committed there is
  // not something we could observe; when it says no, IsBadReadPtr (in every Win32 kernel
  // since Windows 95, and it catches the access fault itself) decides before we give up.
  if (!fw.LinearReadable(address, length, IFirmware::LinearCheck::Committed) &&
      !fw.LinearReadable(address, length, IFirmware::LinearCheck::Probed))
    return false;
  Take(fw.CopyLinear(address, length), 0, length);
  return true;
}

uint8_t TDMA::ReadByte(uint64_t a) const { return InRange(a) ? buffer_[a - position_] : 0; }

uint16_t TDMA::ReadWord(uint64_t a) const {
  if (!InRange(a) || !InRange(a + 1)) return 0;
  return static_cast<uint16_t>(ReadByte(a) | (ReadByte(a + 1) << 8));
}

uint32_t TDMA::ReadDword(uint64_t a) const {
  if (!InRange(a) || !InRange(a + 3)) return 0;
  return uint32_t{ReadWord(a)} | (uint32_t{ReadWord(a + 2)} << 16);
}

std::vector<uint8_t> TDMA::ReadBlock(uint64_t a, uint32_t count) const {
  if (!InRange(a)) return {};
  const size_t from = a - position_;
  const size_t n = std::min<size_t>(count, buffer_.size() - from);
  return std::vector<uint8_t>(buffer_.begin() + from, buffer_.begin() + from + n);
}

std::string TDMA::RawText(uint64_t a, uint64_t* next) const {
  if (!InRange(a)) {
    if (next) *next = a + 1;
    return {};
  }
  // One search for the zero byte (or the range end) and one copy of at most 255 bytes.
  const size_t from = a - position_;
  const uint8_t* begin = buffer_.data() + from;
  const size_t left = buffer_.size() - from;
  const void* zero = std::memchr(begin, 0, left);
  const size_t n = zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - begin) : left;
  if (next) *next = a + n + 1;
  return std::string(reinterpret_cast<const char*>(begin), std::min<size_t>(n, 255));
}

std::string TDMA::ReadText(uint64_t a) const { return Cp1252ToUtf8(RawText(a, nullptr)); }

std::string TDMA::ReadString(uint64_t start, unsigned n) const {
  uint64_t p = start;
  // Bounded: each string passed moves p past at least its zero byte, and the range end
  // stops the set. Only the n-th is copied.
  for (unsigned i = 0; i < n; ++i) {
    if (!InRange(p)) return {};
    const uint8_t* begin = buffer_.data() + (p - position_);
    const size_t left = buffer_.size() - (p - position_);
    const void* zero = std::memchr(begin, 0, left);
    const size_t length = zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - begin) : left;
    if (length == 0) return {};
    if (i + 1 < n) {
      p += length + 1;
      continue;
    }
    // At most 255 characters, then the control characters and blanks at both ends go.
    const uint8_t* b = begin;
    const uint8_t* e = begin + std::min<size_t>(length, 255);
    while (b < e && *b <= ' ') ++b;
    while (e > b && e[-1] <= ' ') --e;
    std::string text(reinterpret_cast<const char*>(b), static_cast<size_t>(e - b));
    // Plain ASCII (nearly every table string) is its own UTF-8.
    if (std::all_of(b, e, [](uint8_t c) { return c < 0x80; })) return text;
    return Cp1252ToUtf8(text);
  }
  return {};
}

}  // namespace kestrova
