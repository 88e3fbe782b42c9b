#include "engine/inventory/native_lists.h"

#include <algorithm>

#include "engine/core/text.h"

namespace kestrova {

namespace {

// Little-endian reads that return 0 past the end (callers check bounds first; this is the
// second line of defence).
uint64_t Read(const std::vector<uint8_t>& b, size_t offset, size_t width) {
  if (offset > b.size() || width > b.size() - offset) return 0;
  uint64_t v = 0;
  for (size_t i = 0; i < width; ++i) v |= uint64_t{b[offset + i]} << (8 * i);
  return v;
}
uint32_t U32(const std::vector<uint8_t>& b, size_t o) { return static_cast<uint32_t>(Read(b, o, 4)); }
uint16_t U16(const std::vector<uint8_t>& b, size_t o) { return static_cast<uint16_t>(Read(b, o, 2)); }
int64_t I64(const std::vector<uint8_t>& b, size_t o) { return static_cast<int64_t>(Read(b, o, 8)); }

// Where the fields of SYSTEM_PROCESS_INFORMATION lie. The two rows are the layouts of
// a 32-bit and a 64-bit system; the times sit at the same place in both.
struct ProcessLayout {
  size_t ImageLength, ImageBuffer, BasePriority, PID, ParentPID, HandleCount;
  size_t VM[kVMCounterCount];  // PageFaultCount (index 2) is 32-bit, the others pointer-sized
  size_t IO, ThreadsWithIo, ThreadsWithoutIo, ThreadSize;
};
// ImageLen Buffer BasePri PID  Parent Handles | VM counters                                      | IO  Thr  ThrNT4 ThrSize
constexpr ProcessLayout kLayout32 = {56, 60, 64, 68, 72, 76, {88, 92, 96, 100, 104, 108, 112, 116, 120, 124, 128}, 136, 184, 136, 64};
constexpr ProcessLayout kLayout64 = {56, 64, 72, 80, 88, 96, {112, 120, 128, 136, 144, 152, 160, 168, 176, 184, 192}, 208, 256, 208, 80};

const ProcessLayout& LayoutFor(uint32_t pointerSize) { return pointerSize == 8 ? kLayout64 : kLayout32; }
size_t PointerWidth(uint32_t pointerSize) { return pointerSize == 8 ? 8 : 4; }

TThreadInfo ReadThread(const std::vector<uint8_t>& b, size_t o, uint32_t pointerSize) {
  const size_t p = PointerWidth(pointerSize);
  TThreadInfo t;
  t.KernelTime = I64(b, o);
  t.UserTime = I64(b, o + 8);
  t.CreateTime = I64(b, o + 16);
  t.WaitTime = U32(b, o + 24);
  const size_t start = p == 8 ? 32 : 28;  // StartAddress is pointer-aligned
  t.StartAddress = Read(b, o + start, p);
  t.OwnerPID = static_cast<uint32_t>(Read(b, o + start + p, p));
  t.ThreadID = static_cast<uint32_t>(Read(b, o + start + 2 * p, p));
  const size_t rest = start + 3 * p;
  t.Priority = static_cast<int32_t>(U32(b, o + rest));
  t.BasePriority = static_cast<int32_t>(U32(b, o + rest + 4));
  t.ContextSwitches = U32(b, o + rest + 8);
  t.State = U32(b, o + rest + 12);
  t.WaitReason = U32(b, o + rest + 16);
  return t;
}

// The UTF-16 text a UNICODE_STRING points to, when it lies wholly inside the buffer.
std::string ReadImageName(const NativeBuffer& buffer, uint16_t lengthBytes, uint64_t pointer) {
  if (lengthBytes == 0 || pointer < buffer.Address) return {};
  const uint64_t offset = pointer - buffer.Address;
  const size_t length = lengthBytes & ~size_t{1};
  if (offset > buffer.Bytes.size() || length > buffer.Bytes.size() - offset) return {};
  return Utf16LeToUtf8(buffer.Bytes.data() + offset, length);
}

}  // namespace

size_t NativeProcessEntrySize(uint32_t pointerSize, bool hasIoCounters) {
  const ProcessLayout& l = LayoutFor(pointerSize);
  return hasIoCounters ? l.ThreadsWithIo : l.ThreadsWithoutIo;
}

size_t NativeThreadSize(uint32_t pointerSize) { return LayoutFor(pointerSize).ThreadSize; }

std::vector<NativeProcessEntry> WalkNativeProcessList(const NativeBuffer& buffer, bool hasIoCounters) {
  std::vector<NativeProcessEntry> out;
  const std::vector<uint8_t>& b = buffer.Bytes;
  const ProcessLayout& l = LayoutFor(buffer.PointerSize);
  const size_t p = PointerWidth(buffer.PointerSize);
  const size_t fixed = NativeProcessEntrySize(buffer.PointerSize, hasIoCounters);
  size_t offset = 0;
  // Each step moves forward by at least `fixed` bytes, so the loop ends within
  // size / fixed steps whatever the offsets say.
  while (offset <= b.size() && fixed <= b.size() - offset) {
    const uint32_t next = U32(b, offset);
    const bool last = next == 0 || next < fixed || next > b.size() - offset ||
                      fixed > b.size() - offset - next;
    const size_t end = last ? b.size() : offset + next;

    NativeProcessEntry e;
    e.ThreadCount = U32(b, offset + 4);
    e.CreateTime = I64(b, offset + 32);
    e.UserTime = I64(b, offset + 40);
    e.KernelTime = I64(b, offset + 48);
    e.ImageName = ReadImageName(buffer, U16(b, offset + l.ImageLength), Read(b, offset + l.ImageBuffer, p));
    e.BasePriority = static_cast<int32_t>(U32(b, offset + l.BasePriority));
    e.PID = static_cast<uint32_t>(Read(b, offset + l.PID, p));
    e.ParentPID = static_cast<uint32_t>(Read(b, offset + l.ParentPID, p));
    e.HandleCount = U32(b, offset + l.HandleCount);
    for (size_t i = 0; i < kVMCounterCount; ++i) e.VMCounters[i] = Read(b, offset + l.VM[i], i == 2 ? 4 : p);
    if (hasIoCounters)
      for (size_t i = 0; i < kIOCounterCount; ++i) e.IOCounters[i] = Read(b, offset + l.IO + 8 * i, 8);
    // Only the thread records that lie inside this entry.
    const size_t room = (end - offset - fixed) / l.ThreadSize;
    const size_t threads = std::min<size_t>(e.ThreadCount, room);
    e.Threads.reserve(threads);
    for (size_t t = 0; t < threads; ++t)
      e.Threads.push_back(ReadThread(b, offset + fixed + t * l.ThreadSize, buffer.PointerSize));
    out.push_back(std::move(e));
    if (last) break;
    offset += next;
  }
  return out;
}

std::vector<NativeModuleEntry> WalkNativeModuleList(const std::vector<uint8_t>& b, uint32_t pointerSize) {
  std::vector<NativeModuleEntry> out;
  const size_t p = PointerWidth(pointerSize);
  const size_t header = p;  // the count, padded to pointer alignment
  const size_t entrySize = 3 * p + 4 + 4 + 4 * 2 + 256;  // 284 or 296
  if (b.size() < header) return out;
  const size_t fits = (b.size() - header) / entrySize;
  const size_t count = std::min<size_t>(U32(b, 0), fits);
  for (size_t i = 0; i < count; ++i) {
    const size_t o = header + i * entrySize;
    NativeModuleEntry m;
    m.ImageBase = Read(b, o + 2 * p, p);
    m.ImageSize = U32(b, o + 3 * p);
    m.Flags = U32(b, o + 3 * p + 4);
    m.LoadOrderIndex = U16(b, o + 3 * p + 8);
    const size_t name = o + 3 * p + 16;
    size_t n = 0;
    while (n < 256 && b[name + n] != 0) ++n;
    m.FullPathName = Cp1252ToUtf8(std::string(reinterpret_cast<const char*>(&b[name]), n));
    out.push_back(std::move(m));
  }
  return out;
}

std::vector<NativeHandleEntry> WalkNativeHandleList(const std::vector<uint8_t>& b, uint32_t pointerSize) {
  std::vector<NativeHandleEntry> out;
  const size_t p = PointerWidth(pointerSize);
  const size_t header = p;
  const size_t entrySize = p == 8 ? 24 : 16;
  if (b.size() < header) return out;
  const size_t count = std::min<size_t>(U32(b, 0), (b.size() - header) / entrySize);
  out.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    const size_t o = header + i * entrySize;
    NativeHandleEntry h;
    h.PID = U16(b, o);
    h.ObjectType = b[o + 4];
    h.Attributes = b[o + 5];
    h.Handle = U16(b, o + 6);
    h.Object = Read(b, o + 8, p);
    h.GrantedAccess = U32(b, o + 8 + p);
    out.push_back(h);
  }
  return out;
}

std::optional<NativeBuffer> QueryNativeList(IProcesses& processes, uint32_t infoClass, uint32_t initialSize,
                                            uint32_t maxSize) {
  uint32_t size = std::min(initialSize, maxSize);
  // Doubling from at least 1 byte reaches any 32-bit limit in 32 steps.
  for (int attempt = 0; attempt < 40 && size > 0; ++attempt) {
    NativeBuffer answer = processes.QuerySystemInformation(infoClass, size);
    if (answer.Status == kStatusInfoLengthMismatch || answer.Status == kStatusBufferOverflow ||
        answer.Status == kStatusBufferTooSmall) {
      if (size >= maxSize) return std::nullopt;
      uint64_t next = std::max<uint64_t>(uint64_t{size} * 2, answer.ReturnLength);
      size = static_cast<uint32_t>(std::min<uint64_t>(next, maxSize));
      continue;
    }
    if (answer.Status < 0) return std::nullopt;
    return answer;
  }
  return std::nullopt;
}

std::string SidToText(const std::vector<uint8_t>& sid) {
  if (sid.size() < 8 || sid[0] != 1) return {};
  const size_t count = sid[1];
  if (sid.size() < 8 + 4 * count) return {};
  uint64_t authority = 0;
  for (size_t i = 2; i < 8; ++i) authority = (authority << 8) | sid[i];
  std::string text = authority >= (uint64_t{1} << 32)
                         ? Format("S-1-0x%012llX", static_cast<unsigned long long>(authority))
                         : Format("S-1-%llu", static_cast<unsigned long long>(authority));
  for (size_t i = 0; i < count; ++i) text += Format("-%u", U32(sid, 8 + 4 * i));
  return text;
}

}  // namespace kestrova
