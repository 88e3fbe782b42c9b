#pragma once
// A printer of Wine's PostScript driver added to the test prefix for one test, the default
// printer while it exists, and removed afterwards so the prefix stays as it was.
#include <windows.h>
#include <winspool.h>

#include <string>

namespace kestrova::testing {

inline void RemovePrinter(const char* name) {
  PRINTER_DEFAULTSA access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
  HANDLE h = nullptr;
  if (!OpenPrinterA(const_cast<char*>(name), &h, &access)) return;
  DeletePrinter(h);
  ClosePrinter(h);
}

// Wine's spooler keeps a generic PostScript printer description as a resource of its own
// winspool.drv (type "PPDFILE", number 1), which it writes out for printers that come
// without one; the prefix holds no .ppd file. The driver reads its data file from the
// printer-driver folder, so the description is put there as generic.ppd.
inline std::string WriteGenericPpd(const std::string& driverDir) {
  const std::string path = driverDir + "\\generic.ppd";
  if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return {};
  HMODULE spooler = LoadLibraryExA("winspool.drv", nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!spooler) return "winspool.drv cannot be loaded: error " + std::to_string(GetLastError());
  std::string why;
  HRSRC res = FindResourceA(spooler, MAKEINTRESOURCEA(1), "PPDFILE");
  const void* data = res ? LockResource(LoadResource(spooler, res)) : nullptr;
  const DWORD size = res ? SizeofResource(spooler, res) : 0;
  if (!data || size == 0) {
    why = "winspool.drv holds no PPDFILE resource";
  } else {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    if (f == INVALID_HANDLE_VALUE || !WriteFile(f, data, size, &written, nullptr) || written != size)
      why = "cannot write " + path + ": error " + std::to_string(GetLastError());
    if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
  }
  FreeLibrary(spooler);
  return why;
}

// `port` is "FILE:" or the path of a file the printer's output lands in.
class WinePrinter {
 public:
  WinePrinter(const char* printerName, const std::string& port) : name_(printerName) {
    char driverDir[MAX_PATH] = {};
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(driverDir), sizeof driverDir,
                                    &needed)) {
      Why = "GetPrinterDriverDirectoryA: error " + std::to_string(GetLastError());
      return;
    }
    Why = WriteGenericPpd(driverDir);
    if (!Why.empty()) return;

    std::string driverName = "Wine PostScript Driver", driverFile = "wineps.drv", dataFile = "generic.ppd";
    DRIVER_INFO_3A driver = {};
    driver.cVersion = 3;
    driver.pName = &driverName[0];
    driver.pEnvironment = nullptr;  // this program's own ("Windows x64" here)
    driver.pDriverPath = &driverFile[0];
    driver.pDataFile = &dataFile[0];
    driver.pConfigFile = &driverFile[0];
    if (!AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&driver))) {
      Why = "AddPrinterDriverA: error " + std::to_string(GetLastError());
      return;
    }

    RemovePrinter(printerName);  // one left behind by an interrupted run
    std::string name = printerName, portName = port, processor = "WinPrint", datatype = "RAW";
    PRINTER_INFO_2A info = {};
    info.pPrinterName = &name[0];
    info.pPortName = &portName[0];
    info.pDriverName = &driverName[0];
    info.pPrintProcessor = &processor[0];
    info.pDatatype = &datatype[0];
    // Only the handle tells success: Wine leaves ERROR_INVALID_PARAMETER behind either way.
    HANDLE h = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (!h) {
      Why = "AddPrinterA: error " + std::to_string(GetLastError());
      return;
    }
    ClosePrinter(h);
    installed_ = true;
    if (!SetDefaultPrinterA(printerName)) Why = "SetDefaultPrinterA: error " + std::to_string(GetLastError());
  }
  ~WinePrinter() {
    if (installed_) RemovePrinter(name_.c_str());
  }
  WinePrinter(const WinePrinter&) = delete;
  WinePrinter& operator=(const WinePrinter&) = delete;

  bool Ok() const { return installed_ && Why.empty(); }
  std::string Why;

 private:
  std::string name_;
  bool installed_ = false;
};

}  // namespace kestrova::testing
