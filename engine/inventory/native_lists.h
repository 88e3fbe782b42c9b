#pragma once
// The native system-information buffers of the NT family, decoded: the process list
// (class 5), the kernel module list (class 11) and the handle list (class 16). Pure
// walks over bytes: every read is checked against the buffer, every loop is bounded.
// Pointer-sized fields follow the pointer size of the system that filled the buffer.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/platform/processes.h"

namespace kestrova {

constexpr uint32_t kSystemProcessInformation = 5;
constexpr uint32_t kSystemModuleInformation = 11;
constexpr uint32_t kSystemHandleInformation = 16;

// SYSTEM_THREAD_INFORMATION (64 bytes on a 32-bit system, 80 on a 64-bit one).
struct TThreadInfo {
  int64_t KernelTime = 0, UserTime = 0, CreateTime = 0;
  uint32_t WaitTime = 0;
  uint64_t StartAddress = 0;
  uint32_t OwnerPID = 0, ThreadID = 0;
  int32_t Priority = 0, BasePriority = 0;
  uint32_t ContextSwitches = 0, State = 0, WaitReason = 0;
};

constexpr size_t kVMCounterCount = 11;
constexpr size_t kIOCounterCount = 6;

struct NativeProcessEntry {
  uint32_t PID = 0, ParentPID = 0, ThreadCount = 0, HandleCount = 0;
  int32_t BasePriority = 0;
  int64_t CreateTime = 0, UserTime = 0, KernelTime = 0;
  std::string ImageName;  // empty when the entry has none (or it lies outside the buffer)
  uint64_t VMCounters[kVMCounterCount] = {};
  uint64_t IOCounters[kIOCounterCount] = {};
  std::vector<TThreadInfo> Threads;
};

// Walks class 5. `hasIoCounters` is false on NT 4.0, whose entries end after the memory
// counters. The walk stops at a zero next-entry offset, and also where an offset would
// not move past the current entry's fixed part or would put the next entry's fixed part
// outside the buffer. Image names are read only where they lie wholly inside the buffer.
std::vector<NativeProcessEntry> WalkNativeProcessList(const NativeBuffer& buffer, bool hasIoCounters);

// The size of an entry's fixed part and of one thread record, for a pointer size.
size_t NativeProcessEntrySize(uint32_t pointerSize, bool hasIoCounters);
size_t NativeThreadSize(uint32_t pointerSize);

// One RTL_PROCESS_MODULE_INFORMATION of class 11.
struct NativeModuleEntry {
  std::string FullPathName;  // as the system reports it ("\SystemRoot\system32\ntoskrnl.exe")
  uint64_t ImageBase = 0;
  uint32_t ImageSize = 0, Flags = 0;
  uint16_t LoadOrderIndex = 0;
};
// The count the buffer names, bounded by what the buffer holds.
std::vector<NativeModuleEntry> WalkNativeModuleList(const std::vector<uint8_t>& bytes, uint32_t pointerSize);

// One SYSTEM_HANDLE_TABLE_ENTRY_INFO of class 16.
struct NativeHandleEntry {
  uint32_t PID = 0;
  uint8_t ObjectType = 0, Attributes = 0;
  uint16_t Handle = 0;
  uint64_t Object = 0;
  uint32_t GrantedAccess = 0;
};
std::vector<NativeHandleEntry> WalkNativeHandleList(const std::vector<uint8_t>& bytes, uint32_t pointerSize);

// Asks for one class with a growing buffer: from `initialSize`, doubled (or the size the
// system names, if larger) while it answers that the buffer is too small, never beyond
// `maxSize`. nullopt when the call fails or the list would not fit in `maxSize`.
constexpr uint32_t kNativeBufferLimit = 64u * 1024 * 1024;
std::optional<NativeBuffer> QueryNativeList(IProcesses& processes, uint32_t infoClass,
                                            uint32_t initialSize, uint32_t maxSize = kNativeBufferLimit);

// A SID as text ("S-1-5-21-..."); empty when the bytes are not a SID.
std::string SidToText(const std::vector<uint8_t>& sid);

}  // namespace kestrova
