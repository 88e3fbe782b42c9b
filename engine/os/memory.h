#pragma once
// TMemory (physical, virtual and page-file memory, load, address space) and its
// TResources (the free system, GDI and user resources of the 9x family).
#include <cstdint>
#include <memory>

#include "engine/core/information.h"

namespace kestrova {

class TResources : public TInformation {
 public:
  // The GetFreeSystemResources selectors.
  static constexpr uint16_t kSystemResources = 0, kGDIResources = 1, kUserResources = 2;
  // What the NT family reports for each.
  static constexpr uint8_t kNTValue = 90;
  static const char* const kLoadError;     // "Can't load USER.EXE!"
  static const char* const kAddressError;  // "Can't get address of GetFreeSystemResources"

  // Looks up kernel32's QT_Thunk, the 9x family's 32-to-16-bit call gate.
  explicit TResources(const EngineContext& context);
  // System, then User, then GDI. On the 9x family a missing 16-bit module or routine
  // throws std::runtime_error with one of the two texts above.
  void Refresh();

  uint8_t System() const { return system_; }
  uint8_t GDI() const { return gdi_; }
  uint8_t User() const { return user_; }

 protected:
  void WriteBlock(ReportWriter&) const override {}  // no block of its own

 private:
  uint8_t Query(uint16_t selector);
  bool thunkGate_ = false;
  uint32_t routine_ = 0;  // the 16-bit routine's address, once found
  uint8_t system_ = 0, gdi_ = 0, user_ = 0;
};

class TMemory : public TInformation {
 public:
  // Creates Resources and looks up kernel32's GlobalMemoryStatusEx.
  explicit TMemory(const EngineContext& context);
  ~TMemory() override;
  // Refreshes Resources (which may throw on the 9x family), then itself.
  void Refresh();

  int64_t PhysicalTotal() const { return physicalTotal_; }
  int64_t PhysicalFree() const { return physicalFree_; }
  int64_t VirtualTotal() const { return virtualTotal_; }
  int64_t VirtualFree() const { return virtualFree_; }
  int64_t PageFileTotal() const { return pageFileTotal_; }
  int64_t PageFileFree() const { return pageFileFree_; }
  int32_t MemoryLoad() const { return memoryLoad_; }
  uint32_t AllocGranularity() const { return allocGranularity_; }
  uint64_t MaxAppAddress() const { return maxAppAddress_; }
  uint64_t MinAppAddress() const { return minAppAddress_; }
  uint32_t PageSize() const { return pageSize_; }
  TResources& Resources() const { return *resources_; }

 protected:
  void WriteBlock(ReportWriter& out) const override;
  std::vector<TInformation*> OwnedObjects() override { return {resources_.get()}; }

 private:
  std::unique_ptr<TResources> resources_;
  bool extendedStatus_ = false;
  int64_t physicalTotal_ = 0, physicalFree_ = 0, virtualTotal_ = 0, virtualFree_ = 0, pageFileTotal_ = 0,
          pageFileFree_ = 0;
  int32_t memoryLoad_ = 0;
  uint32_t allocGranularity_ = 0, pageSize_ = 0;
  uint64_t maxAppAddress_ = 0, minAppAddress_ = 0;
};

}  // namespace kestrova
