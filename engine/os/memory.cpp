#include "engine/os/memory.h"

#include <stdexcept>

#include "engine/core/context.h"

namespace kestrova {

namespace {
constexpr uint32_t kPlatform9x = 1, kPlatformNT = 2;

bool KernelExports(const Platform& p, const char* name) {
  if (!p.Libraries) return false;
  const ModuleHandle kernel = p.Libraries->GetLoadedModule("kernel32.dll");
  return kernel != 0 && p.Libraries->HasEntryPoint(kernel, name);
}
}  // namespace

// --- TResources -------------------------------------------------------------------------

const char* const TResources::kLoadError = "Can't load USER.EXE!";
const char* const TResources::kAddressError = "Can't get address of GetFreeSystemResources";

TResources::TResources(const EngineContext& context) : TInformation(context) {
  SetExceptionModes({TExceptionMode::emExceptionStack});
  thunkGate_ = KernelExports(context.Sys, "QT_Thunk");
}

void TResources::Refresh() {
  system_ = Query(kSystemResources);
  user_ = Query(kUserResources);
  gdi_ = Query(kGDIResources);
}

uint8_t TResources::Query(uint16_t selector) {
  const EngineContext& c = Context();
  // The NT family, also a release the version detection does not classify, never has
  // the 16-bit module: only the 9x family is asked.
  if (c.OSInfo.IsNT) return kNTValue;
  const uint32_t platform = c.Sys.System ? c.Sys.System->Version().PlatformId : 0;
  if (platform == kPlatformNT) return kNTValue;
  if (platform != kPlatform9x || !c.Sys.Gate16) return 0;
  IGate16& gate = *c.Sys.Gate16;
  if (routine_ == 0) {
    const uint32_t module = gate.LoadLibrary16("user.exe");
    if (module < 32) throw std::runtime_error(kLoadError);
    gate.FreeLibrary16(module);  // the module stays resident
    routine_ = gate.GetProcAddress16(module, "GetFreeSystemResources");
    if (routine_ == 0) throw std::runtime_error(kAddressError);
  }
  // Without the gate there is nothing to call through.
  if (!thunkGate_) return 0;
  return static_cast<uint8_t>(gate.CallWord16(routine_, selector));
}

// --- TMemory ------------------------------------------------------------------------------

TMemory::TMemory(const EngineContext& context)
    : TInformation(context), resources_(std::make_unique<TResources>(context)) {
  SetExceptionModes({TExceptionMode::emExceptionStack});
  extendedStatus_ = KernelExports(context.Sys, "GlobalMemoryStatusEx");
}

TMemory::~TMemory() = default;

void TMemory::Refresh() {
  resources_->Refresh();
  const EngineContext& c = Context();
  IMemoryPower* mp = c.Sys.MemoryPower;
  if (!mp) return;
  const TOSVersionKind kind = c.OSInfo.OSKind;
  // The short record before Windows 2000. A release the detection does not know is
  // asked the long way when it has it: the short record cuts sizes above 4 GB.
  const bool shortRecord = kind == TOSVersionKind::ovUnknown ? !extendedStatus_ : kind < TOSVersionKind::ovWin2000;
  MemoryStatusRecord r;
  if (shortRecord)
    r = mp->GlobalMemoryStatus();
  else if (extendedStatus_)
    r = mp->GlobalMemoryStatusEx().value_or(MemoryStatusRecord{});
  memoryLoad_ = static_cast<int32_t>(r.MemoryLoad);
  physicalTotal_ = static_cast<int64_t>(r.TotalPhys);
  physicalFree_ = static_cast<int64_t>(r.AvailPhys);
  pageFileTotal_ = static_cast<int64_t>(r.TotalPageFile);
  pageFileFree_ = static_cast<int64_t>(r.AvailPageFile);
  virtualTotal_ = static_cast<int64_t>(r.TotalVirtual);
  virtualFree_ = static_cast<int64_t>(r.AvailVirtual);
  const SystemFacts si = mp->ProcessSystemInfo();
  pageSize_ = si.PageSize;
  minAppAddress_ = si.MinimumApplicationAddress;
  maxAppAddress_ = si.MaximumApplicationAddress;
  allocGranularity_ = si.AllocationGranularity;
}

void TMemory::WriteBlock(ReportWriter& out) const {
  out.OpenClass("Memory", "TMemory");
  out.Integer("PhysicalTotal", physicalTotal_, "B");
  out.Integer("PhysicalFree", physicalFree_, "B");
  out.Integer("PageFileTotal", pageFileTotal_, "B");
  out.Integer("PageFileFree", pageFileFree_, "B");
  out.Integer("VirtualTotal", virtualTotal_, "B");
  out.Integer("VirtualFree", virtualFree_, "B");
  out.Integer("AllocationGranularity", allocGranularity_, "B");
  out.Integer("MinAppAddress", static_cast<int64_t>(minAppAddress_));
  out.Integer("MaxAppAddress", static_cast<int64_t>(maxAppAddress_));
  out.Integer("PageSize", pageSize_, "B");
  out.CloseClass("Memory");
}

}  // namespace kestrova
