#include "engine/platform/win32/win32_usb.h"

#include <windows.h>

#include "engine/core/text.h"
#include "engine/platform/win32/api_family.h"

namespace kestrova::win32 {

UsbHandle Win32Usb::Open(const std::string& name) {
  // The hub driver of these systems wants write access even for its read requests;
  // nothing is ever written to a device.
  SECURITY_ATTRIBUTES sa = {};
  sa.nLength = sizeof sa;
  sa.lpSecurityDescriptor = nullptr;
  sa.bInheritHandle = FALSE;
  const std::string path = "\\\\.\\" + Utf8ToAnsi(name);
  UniqueFileHandle h(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, &sa, OPEN_EXISTING, 0, nullptr));
  if (!h) return 0;
  UsbHandle id = next_++;
  open_.emplace(id, std::move(h));
  return id;
}

void Win32Usb::Close(UsbHandle handle) { open_.erase(handle); }

UsbAnswer Win32Usb::Request(UsbHandle handle, uint32_t controlCode, const std::vector<uint8_t>& input,
                            uint32_t outputSize) {
  UsbAnswer a;
  auto it = open_.find(handle);
  if (it == open_.end()) {
    a.LastError = ERROR_INVALID_HANDLE;
    return a;
  }
  std::vector<uint8_t> buffer(input);
  if (buffer.size() < outputSize) buffer.resize(outputSize, 0);
  if (buffer.empty()) buffer.resize(1, 0);
  DWORD returned = 0;
  if (!::DeviceIoControl(it->second.Get(), controlCode, buffer.data(), static_cast<DWORD>(input.size()), buffer.data(),
                         outputSize, &returned, nullptr)) {
    a.LastError = ::GetLastError();
    return a;
  }
  a.Ok = true;
  if (returned > outputSize) returned = outputSize;
  a.Output.assign(buffer.begin(), buffer.begin() + returned);
  return a;
}

std::string Win32Usb::ErrorMessage(uint32_t code) const {
  char text[512] = {};
  DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                             sizeof text, nullptr);
  return Trim(AnsiToUtf8(text, n < sizeof text ? n : sizeof text - 1));
}

}  // namespace kestrova::win32
