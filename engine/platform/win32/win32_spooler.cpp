#include "engine/platform/win32/win32_spooler.h"

#include <windows.h>
#include <winspool.h>

#include <vector>

#include "engine/platform/win32/api_family.h"
#include "engine/platform/win32/win32_util.h"

namespace kestrova::win32 {

namespace {

// The spooler calls of each family. EnumPrintersW is looked up by name: the program then
// starts whatever the winspool of an old Windows exports, and the 9x family never calls it.
struct SpoolerWide {
  using Char = wchar_t;
  using Info1 = PRINTER_INFO_1W;
  using Info2 = PRINTER_INFO_2W;
  using Info4 = PRINTER_INFO_4W;
  using Info5 = PRINTER_INFO_5W;
  static BOOL Enum(DWORD flags, DWORD level, BYTE* buffer, DWORD size, DWORD* needed, DWORD* returned) {
    using Fn = BOOL(WINAPI*)(DWORD, LPWSTR, DWORD, LPBYTE, DWORD, LPDWORD, LPDWORD);
    static const Fn call = reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(BoundEntry("winspool.drv", "EnumPrintersW")));
    if (!call) {
      ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
      return FALSE;
    }
    return call(flags, nullptr, level, buffer, size, needed, returned);
  }
  static DWORD Profile(Char* buffer, DWORD size) {
    return ::GetProfileStringW(L"windows", L"device", L"", buffer, size);
  }
  static std::string OutUntilNul(const Char* s, size_t max) { return s ? NarrowUntilNul(s, max) : std::string(); }
};

struct SpoolerAnsi {
  using Char = char;
  using Info1 = PRINTER_INFO_1A;
  using Info2 = PRINTER_INFO_2A;
  using Info4 = PRINTER_INFO_4A;
  using Info5 = PRINTER_INFO_5A;
  static BOOL Enum(DWORD flags, DWORD level, BYTE* buffer, DWORD size, DWORD* needed, DWORD* returned) {
    return ::EnumPrintersA(flags, nullptr, level, buffer, size, needed, returned);
  }
  static DWORD Profile(Char* buffer, DWORD size) { return ::GetProfileStringA("windows", "device", "", buffer, size); }
  static std::string OutUntilNul(const Char* s, size_t max) { return s ? AnsiToUtf8UntilNul(s, max) : std::string(); }
};

template <typename Body>
auto WithSpooler(Body&& body) {
  if (UseAnsiApi()) return body(SpoolerAnsi{});
  return body(SpoolerWide{});
}

// The texts of a record point into the same buffer; a pointer elsewhere is not followed.
template <typename Char>
std::string TextIn(const std::vector<uint64_t>& buffer, const Char* text, size_t size) {
  const auto* begin = reinterpret_cast<const uint8_t*>(buffer.data());
  const auto* p = reinterpret_cast<const uint8_t*>(text);
  if (!text || p < begin || p >= begin + size) return {};
  const size_t max = static_cast<size_t>(begin + size - p) / sizeof(Char);
  if constexpr (sizeof(Char) == 1) return AnsiToUtf8UntilNul(reinterpret_cast<const char*>(text), max);
  else return NarrowUntilNul(reinterpret_cast<const wchar_t*>(text), max);
}

}  // namespace

std::optional<std::vector<SpoolerPrinter>> Win32Spooler::Enumerate(uint32_t flags, uint32_t level) {
  if (level != 1 && level != 2 && level != 4 && level != 5) return std::nullopt;
  return WithSpooler([&](auto api) -> std::optional<std::vector<SpoolerPrinter>> {
    using Api = decltype(api);
    std::vector<uint64_t> buffer;  // 8-byte aligned, as the records need
    DWORD needed = 0, returned = 0;
    bool ok = false;
    // A printer added between the two calls makes the second ask for more: ask again, a few times.
    for (int attempt = 0; attempt < 4 && !ok; ++attempt) {
      const DWORD size = static_cast<DWORD>(buffer.size() * sizeof(uint64_t));
      ok = Api::Enum(flags, level, reinterpret_cast<BYTE*>(buffer.data()), size, &needed, &returned) != FALSE;
      if (ok) break;
      if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= size) return std::nullopt;
      buffer.assign((needed + sizeof(uint64_t) - 1) / sizeof(uint64_t), 0);
    }
    if (!ok) return std::nullopt;
    const size_t size = buffer.size() * sizeof(uint64_t);
    std::vector<SpoolerPrinter> out;
    auto take = [&](auto* records, size_t recordSize, auto fill) {
      const size_t fits = recordSize ? size / recordSize : 0;
      for (DWORD i = 0; i < returned && i < fits; ++i) out.push_back(fill(records[i]));
    };
    const auto* base = buffer.data();
    switch (level) {
      case 1:
        take(reinterpret_cast<const typename Api::Info1*>(base), sizeof(typename Api::Info1), [&](const auto& r) {
          return SpoolerPrinter{TextIn(buffer, r.pName, size), "", r.Flags};
        });
        break;
      case 2:
        take(reinterpret_cast<const typename Api::Info2*>(base), sizeof(typename Api::Info2), [&](const auto& r) {
          return SpoolerPrinter{TextIn(buffer, r.pPrinterName, size), TextIn(buffer, r.pPortName, size), r.Attributes};
        });
        break;
      case 4:
        take(reinterpret_cast<const typename Api::Info4*>(base), sizeof(typename Api::Info4), [&](const auto& r) {
          return SpoolerPrinter{TextIn(buffer, r.pPrinterName, size), "", r.Attributes};
        });
        break;
      default:
        take(reinterpret_cast<const typename Api::Info5*>(base), sizeof(typename Api::Info5), [&](const auto& r) {
          return SpoolerPrinter{TextIn(buffer, r.pPrinterName, size), TextIn(buffer, r.pPortName, size), r.Attributes};
        });
        break;
    }
    return out;
  });
}

std::optional<std::string> Win32Spooler::DefaultPrinter() {
  return WithSpooler([&](auto api) -> std::optional<std::string> {
    using Api = decltype(api);
    typename Api::Char device[1024] = {};
    const DWORD n = Api::Profile(device, 1024);
    const std::string text = Api::OutUntilNul(device, n < 1024 ? n : 1023);
    const std::string name = text.substr(0, text.find(','));  // "name,driver,port"
    if (name.empty()) return std::nullopt;
    return name;
  });
}

}  // namespace kestrova::win32
