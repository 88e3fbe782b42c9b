#include "engine/platform/win32/win32_runtimes.h"

#include <windows.h>
#include <oleauto.h>

#include <cstring>

#include "engine/platform/win32/handles.h"
#include "engine/platform/win32/win32_util.h"

namespace kestrova::win32 {

// --- automation ---------------------------------------------------------------------------------

namespace {

template <typename T>
struct ComRef {
  T* p = nullptr;
  ~ComRef() {
    if (p) p->Release();
  }
};

}  // namespace

std::optional<std::string> Win32Automation::ReadProperty(const std::string& progId, const std::string& property) {
  const HRESULT init = ::CoInitialize(nullptr);
  std::optional<std::string> result;
  {
    CLSID clsid;
    const std::wstring id = Widen(progId);
    ComRef<IDispatch> dispatch;
    if (SUCCEEDED(::CLSIDFromProgID(id.c_str(), &clsid))) {
      // The running object first, else a new one (in process or in a local server).
      ComRef<IUnknown> running;
      if (SUCCEEDED(::GetActiveObject(clsid, nullptr, &running.p)) && running.p)
        running.p->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch.p));
      if (!dispatch.p)
        ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                           reinterpret_cast<void**>(&dispatch.p));
    }
    if (dispatch.p) {
      result = std::string();
      std::wstring name = Widen(property);
      LPOLESTR names[1] = {&name[0]};
      DISPID id = 0;
      if (SUCCEEDED(dispatch.p->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) {
        DISPPARAMS none = {nullptr, nullptr, 0, 0};
        VARIANT value;
        ::VariantInit(&value);
        if (SUCCEEDED(dispatch.p->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &value,
                                         nullptr, nullptr)) &&
            SUCCEEDED(::VariantChangeType(&value, &value, 0, VT_BSTR)) && value.bstrVal)
          result = Narrow(value.bstrVal, ::SysStringLen(value.bstrVal));
        ::VariantClear(&value);
      }
    }
  }
  if (SUCCEEDED(init)) ::CoUninitialize();
  return result;
}

// --- ASPI ---------------------------------------------------------------------------------------

namespace {

#pragma pack(push, 1)
struct SrbHeader {
  BYTE Cmd, Status, HaId, Flags;
  DWORD Reserved;
};
struct SrbHaInquiry {
  SrbHeader H;
  BYTE Count, ScsiId, ManagerId[16], Identifier[16], Unique[16];
  WORD Reserved;
};
struct SrbDeviceType {
  SrbHeader H;
  BYTE Target, Lun, DeviceType, Reserved;
};
struct SrbExec {
  SrbHeader H;
  BYTE Target, Lun;
  WORD Reserved1;
  DWORD BufLen;
  BYTE* BufPointer;
  BYTE SenseLen, CdbLen, HaStat, TargStat;
  void* PostProc;
  BYTE Reserved2[20];
  BYTE Cdb[16];
  BYTE Sense[16 + 2];
};
struct SrbAbort {
  SrbHeader H;
  void* ToAbort;
};
#pragma pack(pop)

using SupportFn = DWORD(__cdecl*)();
using SendFn = DWORD(__cdecl*)(void*);

constexpr BYTE kHaInquiry = 0, kGetDeviceType = 1, kExecScsi = 2, kAbort = 3;

}  // namespace

bool Win32Aspi::Bind() {
  HMODULE module = ::GetModuleHandleA("wnaspi32.dll");
  if (!module) module = ::LoadLibraryA("wnaspi32.dll");  // stays loaded for the process
  if (!module) return false;
  support_ = reinterpret_cast<void*>(::GetProcAddress(module, "GetASPI32SupportInfo"));
  send_ = reinterpret_cast<void*>(::GetProcAddress(module, "SendASPI32Command"));
  return support_ != nullptr;
}

uint32_t Win32Aspi::GetSupportInfo() {
  return support_ ? reinterpret_cast<SupportFn>(support_)() : 0;
}

uint8_t Win32Aspi::HostAdapterInquiry(uint8_t adapter) {
  if (!send_) return 0;
  SrbHaInquiry srb = {};
  srb.H.Cmd = kHaInquiry;
  srb.H.HaId = adapter;
  return static_cast<uint8_t>(reinterpret_cast<SendFn>(send_)(&srb));
}

AspiDeviceType Win32Aspi::GetDeviceType(uint8_t adapter, uint8_t target) {
  if (!send_) return {};
  SrbDeviceType srb = {};
  srb.H.Cmd = kGetDeviceType;
  srb.H.HaId = adapter;
  srb.Target = target;
  const auto status = static_cast<uint8_t>(reinterpret_cast<SendFn>(send_)(&srb));
  return {status, srb.DeviceType};
}

AspiExecResult Win32Aspi::ExecScsi(uint8_t adapter, uint8_t target, uint8_t flags, const std::vector<uint8_t>& cdb,
                                   uint32_t dataLength, uint8_t senseLength, uint32_t waitMs) {
  AspiExecResult r;
  if (!send_) return r;
  HANDLE event = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!event) {
    r.EventCreated = false;
    return r;
  }
  // The request, its data and its event live on the heap: a request that never completes
  // is left to the layer (it may still write into them) instead of being freed under it.
  auto* srb = new SrbExec();
  auto* data = new BYTE[dataLength ? dataLength : 1]();
  srb->H.Cmd = kExecScsi;
  srb->H.HaId = adapter;
  srb->H.Flags = flags;
  srb->Target = target;
  srb->BufLen = dataLength;
  srb->BufPointer = dataLength ? data : nullptr;
  srb->SenseLen = senseLength;
  srb->CdbLen = static_cast<BYTE>(std::min<size_t>(cdb.size(), 16));
  std::memcpy(srb->Cdb, cdb.data(), srb->CdbLen);
  srb->PostProc = event;
  const auto sent = static_cast<uint8_t>(reinterpret_cast<SendFn>(send_)(srb));
  bool settled = true;
  if (sent == 0 /* SS_PENDING */ && ::WaitForSingleObject(event, waitMs) != WAIT_OBJECT_0) {
    r.TimedOut = true;
    SrbAbort abort = {};
    abort.H.Cmd = kAbort;
    abort.H.HaId = adapter;
    abort.ToAbort = srb;
    reinterpret_cast<SendFn>(send_)(&abort);
    settled = ::WaitForSingleObject(event, 1000) == WAIT_OBJECT_0 || srb->H.Status != 0;
  }
  r.Status = srb->H.Status;
  if (settled) {
    r.Data.assign(data, data + dataLength);
    delete[] data;
    delete srb;
    ::CloseHandle(event);
  }
  return r;
}

}  // namespace kestrova::win32
