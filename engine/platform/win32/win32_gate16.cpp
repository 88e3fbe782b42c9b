#include "engine/platform/win32/win32_gate16.h"

#include <windows.h>

#include "engine/platform/win32/win32_util.h"

#if defined(__i386__)
// Calls a 16-bit PASCAL routine taking one WORD through QT_Thunk. The gate keeps its own
// state in the 0x40 bytes below the caller's EBP, and takes the 16:16 target in EDX and
// the routine's arguments as pushed on the 32-bit stack; so this is written out here:
// the registers the caller keeps are saved above that area, and ESP is restored from EBP
// whatever the gate leaves on the stack.
extern "C" uint32_t kestrova_qt_call_word(void* gate, uint32_t target, uint32_t argument);
asm(R"(
    .text
    .globl _kestrova_qt_call_word
    .def _kestrova_qt_call_word; .scl 2; .type 32; .endef
_kestrova_qt_call_word:
    pushl %ebx
    pushl %esi
    pushl %edi
    pushl %ebp
    movl %esp, %ebp
    subl $0x40, %esp
    movl 20(%ebp), %eax
    movl 24(%ebp), %edx
    movl 28(%ebp), %ecx
    pushw %cx
    call *%eax
    movzwl %ax, %eax
    movl %ebp, %esp
    popl %ebp
    popl %edi
    popl %esi
    popl %ebx
    ret
)");
#endif

namespace kestrova::win32 {

namespace {

#if defined(__i386__)
constexpr WORD kLoadLibrary16 = 35, kFreeLibrary16 = 36, kGetProcAddress16 = 37;
using LoadLibrary16Fn = DWORD(WINAPI*)(LPCSTR);
using FreeLibrary16Fn = void(WINAPI*)(DWORD);
using GetProcAddress16Fn = DWORD(WINAPI*)(DWORD, LPCSTR);

// An entry point of kernel32 by ordinal, read from its export directory: the 9x family's
// GetProcAddress refuses kernel32's ordinal-only exports, and importing them by ordinal
// would bind something else (or nothing, so no start) on the NT family. Null when the
// ordinal is not exported or is forwarded.
FARPROC KernelOrdinal(WORD ordinal) {
  const auto* base = reinterpret_cast<const BYTE*>(::GetModuleHandleA("kernel32.dll"));
  if (!base) return nullptr;
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) return nullptr;
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  if (nt->Signature != IMAGE_NT_SIGNATURE) return nullptr;
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  if (dir.VirtualAddress == 0 || dir.Size < sizeof(IMAGE_EXPORT_DIRECTORY)) return nullptr;
  const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
  if (ordinal < exports->Base || ordinal - exports->Base >= exports->NumberOfFunctions) return nullptr;
  const DWORD rva = reinterpret_cast<const DWORD*>(base + exports->AddressOfFunctions)[ordinal - exports->Base];
  if (rva == 0 || (rva >= dir.VirtualAddress && rva < dir.VirtualAddress + dir.Size)) return nullptr;
  return reinterpret_cast<FARPROC>(const_cast<BYTE*>(base + rva));
}

template <typename Fn>
Fn OrdinalAs(WORD ordinal) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(KernelOrdinal(ordinal)));
}
#endif

}  // namespace

uint32_t Win32Gate16::LoadLibrary16(const std::string& name) {
#if defined(__i386__)
  if (auto load = OrdinalAs<LoadLibrary16Fn>(kLoadLibrary16)) return load(name.c_str()) & 0xFFFF;
#else
  (void)name;
#endif
  return 0;
}

void Win32Gate16::FreeLibrary16(uint32_t module) {
#if defined(__i386__)
  if (auto free16 = OrdinalAs<FreeLibrary16Fn>(kFreeLibrary16)) free16(module);
#else
  (void)module;
#endif
}

uint32_t Win32Gate16::GetProcAddress16(uint32_t module, const std::string& name) {
#if defined(__i386__)
  if (auto address = OrdinalAs<GetProcAddress16Fn>(kGetProcAddress16)) return address(module, name.c_str());
#else
  (void)module, (void)name;
#endif
  return 0;
}

uint16_t Win32Gate16::CallWord16(uint32_t address, uint16_t argument) {
#if defined(__i386__)
  FARPROC gate = ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "QT_Thunk");
  if (gate && address)
    return static_cast<uint16_t>(kestrova_qt_call_word(reinterpret_cast<void*>(gate), address, argument));
#else
  (void)address, (void)argument;
#endif
  return 0;
}

}  // namespace kestrova::win32
