#include "engine/os/engines.h"

#include "engine/core/context.h"
#include "engine/core/text.h"
#include "engine/os/file_search.h"
#include "engine/os/internet.h"
#include "engine/os/shared_routines.h"

namespace kestrova {

namespace {

std::optional<std::string> StringValue(const Platform& p, const std::string& key, const std::string& name) {
  auto v = p.Registry->QueryValue(RootKey::LocalMachine, StripLeadingBackslash(key), name);
  if (!v) return std::nullopt;
  return RegistryValueAsText(*v);
}

bool IsBlank(const std::string& s) { return Trim(s).empty(); }

std::string CommaTextItem(const std::string& item) {
  bool quote = item.empty();
  for (char c : item)
    if (static_cast<unsigned char>(c) <= ' ' || c == ',' || c == '"') quote = true;
  if (!quote) return item;
  return "\"" + ReplaceAll(item, "\"", "\"\"") + "\"";
}

}  // namespace

// --- TDirectX -------------------------------------------------------------------------------

TDirectX::TDirectX(const EngineContext& context) : TInformation(context) {
  SetExceptionModes({TExceptionMode::emExceptionStack});
}

// The value holds two big-endian numbers, major then minor ("InstalledVersion" =
// 00 00 00 04 00 00 00 09 is DirectX 4.09). Up to 4 bytes: one byte each; 5 to 8 bytes:
// two 32-bit numbers, the shorter first one padded with zeros in front.
std::string DirectXInstalledVersionText(const std::vector<uint8_t>& data) {
  if (data.empty() || data.size() > 8) return {};
  uint64_t major = 0, minor = 0;
  if (data.size() <= 4) {
    major = data[0];
    minor = data.size() > 1 ? data[1] : 0;
  } else {
    const size_t split = data.size() - 4;
    for (size_t i = 0; i < split; ++i) major = (major << 8) | data[i];
    for (size_t i = split; i < data.size(); ++i) minor = (minor << 8) | data[i];
  }
  return Format("%llu.%2.2llu", static_cast<unsigned long long>(major), static_cast<unsigned long long>(minor));
}

void TDirectX::Refresh() {
  const Platform& p = Context().Sys;
  const std::string key = "SOFTWARE\\Microsoft\\DirectX";
  if (p.Registry->KeyExists(RootKey::LocalMachine, key)) {
    if (auto v = StringValue(p, key, "Version")) version_ = *v;
    if (version_.empty()) {
      auto installed = p.Registry->QueryValue(RootKey::LocalMachine, key, "InstalledVersion");
      if (installed && installed->Data.size() <= 8) version_ = DirectXInstalledVersionText(installed->Data);
    }
  }
  struct ListKey { const char* Key; std::vector<std::string>* List; };
  const ListKey lists[] = {{"SOFTWARE\\Microsoft\\Direct3D\\Drivers", &direct3D_},
                           {"SOFTWARE\\Microsoft\\DirectPlay\\Services", &directPlay_},
                           {"SOFTWARE\\Microsoft\\DirectMusic\\SoftwareSynths", &directMusic_}};
  for (const ListKey& l : lists) {
    l.List->clear();
    for (const std::string& sub : p.Registry->SubKeyNames(RootKey::LocalMachine, l.Key))
      if (auto d = StringValue(p, std::string(l.Key) + "\\" + sub, "Description")) l.List->push_back(*d);
  }
}

void TDirectX::WriteBlock(ReportWriter& out) const {
  out.OpenClass("DirectX", "TDirectX");
  out.String("Version", version_);
  const struct { const char* Name; const std::vector<std::string>* List; } sections[] = {
      {"Direct3D", &direct3D_}, {"DirectPlay", &directPlay_}, {"DirectMusic", &directMusic_}};
  for (const auto& s : sections) {
    out.OpenSection(s.Name);
    out.StringList("Count", "Device", *s.List);
    out.CloseSection();
  }
  out.CloseClass("DirectX");
}

// --- TASPI32 --------------------------------------------------------------------------------

TASPI32::TASPI32(const EngineContext& context) : TInformation(context) {
  SetExceptionModes({TExceptionMode::emExceptionStack});
}

namespace {
std::string InquiryText(const std::vector<uint8_t>& data, size_t offset, size_t length) {
  std::string s;
  for (size_t i = offset; i < offset + length && i < data.size() && data[i] != 0; ++i) s += static_cast<char>(data[i]);
  return Cp1252ToUtf8(s);
}
}  // namespace

uint32_t TASPI32::ScanDevices() {
  IAspi* aspi = Context().Sys.Aspi;
  if (!aspi || !aspi->Bind()) return 0;
  devices_.clear();
  const uint32_t support = aspi->GetSupportInfo();
  if (((support >> 8) & 0xFF) != kAspiComplete) return support;
  const uint32_t adapters = support & 0xFF;
  for (uint32_t a = 0; a < adapters; ++a) {
    const uint8_t adapter = static_cast<uint8_t>(a);
    if (aspi->HostAdapterInquiry(adapter) != kAspiComplete) continue;
    for (uint8_t t = 0; t < 16; ++t) {
      const AspiDeviceType type = aspi->GetDeviceType(adapter, t);
      if (type.Status != kAspiComplete) continue;
      TASPIDevice d;
      d.Adapter = Format("%u", a);
      d.Target = Format("%u", t);
      d.DeviceType = Format("%u", type.Type);
      // TEST UNIT READY, then INQUIRY; each status replaces the last.
      const AspiExecResult ready = aspi->ExecScsi(adapter, t, 0x40, std::vector<uint8_t>(6, 0), 0, 14, kCommandWaitMs);
      if (ready.EventCreated) {
        d.Status = Format("%u", ready.Status);
        const std::vector<uint8_t> inquiry = {0x12, 0, 0, 0, 100, 0};
        const AspiExecResult answer = aspi->ExecScsi(adapter, t, 0x48, inquiry, 100, 14, kCommandWaitMs);
        d.Status = Format("%u", answer.Status);
        if (answer.Status == kAspiComplete) {
          d.Vendor = InquiryText(answer.Data, 8, 8);
          d.Product = InquiryText(answer.Data, 16, 16);
          d.Revision = InquiryText(answer.Data, 32, 4);
          d.VendorSpecific = InquiryText(answer.Data, 36, 20);
        }
      }
      devices_.push_back(std::move(d));
    }
  }
  return support;
}

void TASPI32::Refresh() {
  const Platform& p = Context().Sys;
  aspi_.clear();
  const uint32_t support = ScanDevices();
  if (((support >> 8) & 0xFF) != kAspiComplete) return;
  if (FileSearch(*p.Files, "wnaspi32.dll", WinSysDirsPath(p)).empty()) return;
  TFileVersionRecord record;
  ReadFileVersion(p, "wnaspi32.dll", record);  // the bare name, as the module search finds it
  aspi_ = record.FileVersion;
}

void TASPI32::WriteBlock(ReportWriter& out) const {
  out.OpenClass("ASPI32", "TASPI32");
  out.String("Version", aspi_);
  for (size_t i = 0; i < devices_.size(); ++i) {
    const TASPIDevice& d = devices_[i];
    out.OpenSection(Format("Device_%zu", i));
    out.String("Vendor", d.Vendor);
    out.String("Product", d.Product);
    out.String("Revision", d.Revision);
    out.String("Adapter", d.Adapter);
    out.String("ID", d.Target);
    out.String("Type", d.DeviceType);
    out.String("Status", d.Status);
    out.CloseSection();
  }
  out.CloseClass("ASPI32");
}

// --- TEngines -------------------------------------------------------------------------------

TEngines::TEngines(const EngineContext& context)
    : TInformation(context),
      directX_(std::make_unique<TDirectX>(context)),
      aspi32_(std::make_unique<TASPI32>(context)) {
  SetExceptionModes({TExceptionMode::emExceptionStack});
}

std::string TEngines::FileVersion(const std::string& path) const {
  if (path.empty()) return {};
  TFileVersionRecord record;
  ReadFileVersion(Context().Sys, path, record);
  return record.FileVersion;
}

void TEngines::Refresh() {
  const Platform& p = Context().Sys;
  directX_->Refresh();
  aspi32_->Refresh();

  // BDE
  if (auto dll = StringValue(p, "SOFTWARE\\Borland\\Database Engine", "DLLPATH"))
    bde_ = FileVersion(*dll + "\\" + "IDAPI32.DLL");

  // ODBC
  const std::string fileList = "SOFTWARE\\ODBC\\ODBCINST.INI\\ODBC Core\\FileList";
  if (p.Registry->KeyExists(RootKey::LocalMachine, fileList)) {
    if (auto path = StringValue(p, fileList, "ODBC32.DLL")) odbc_ = FileVersion(*path);
  } else {
    odbc_ = FileVersion(FileSearch(*p.Files, "ODBC32.DLL", p.System->SystemDirectory()));
  }

  // .NET
  net_.clear();
  if (StringValue(p, "SOFTWARE\\Microsoft\\.NETFramework", "InstallRoot")) {
    for (const std::string& dll : p.Registry->ValueNames(RootKey::LocalMachine,
                                                         "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs")) {
      if (ToLowerAscii(dll).find("system.dll") != std::string::npos) {
        net_ = FileVersion(dll);
        break;
      }
    }
  }

  // Internet Explorer
  ie_.clear();
  if (auto version = StringValue(p, "SOFTWARE\\Microsoft\\Internet Explorer", "Version")) {
    ie_ = *version;
    if (auto minor = StringValue(p, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", "MinorVersion")) {
      std::string joined;
      for (const std::string& item : SplitCommaText(ReplaceAll(*minor, ";", ","))) {
        if (IsBlank(item)) continue;  // items blank after trimming are dropped
        if (!joined.empty()) joined += ',';
        joined += CommaTextItem(item);
      }
      ie_ = Format("%s (%s)", version->c_str(), joined.c_str());
    }
  }
  if (ie_.empty()) {
    const std::string browser = GetDefaultBrowser(p);
    if (browser.find("iexplore.exe") != std::string::npos) ie_ = FileVersion(browser);
  }

  // OpenGL
  openGL_ = FileVersion(FileSearch(*p.Files, "opengl32.dll", p.System->SystemDirectory()));

  // DAO and ADO through automation
  if (IAutomation* automation = p.Automation) {
    for (const char* id : {"DAO.DBEngine.36", "DAO.DBEngine.35", "DAO.DBEngine"}) {
      if (auto v = automation->ReadProperty(id, "Version")) {
        dao_ = *v;
        break;
      }
    }
    if (auto v = automation->ReadProperty("adodb.connection", "Version")) ado_ = *v;
  }
}

void TEngines::WriteBlock(ReportWriter& out) const {
  out.OpenClass("Engines", "TEngines");
  out.String("ODBC", odbc_);
  out.String("BDE", bde_);
  out.String("DAO", dao_);
  out.String("ADO", ado_);
  out.String("OpenGL", openGL_);
  out.String("Internet Explorer", ie_);
  out.String("Microsoft .NET Framework", net_);
  out.CloseClass("Engines");
  directX_->WriteBlock(out);
  aspi32_->WriteBlock(out);
}

}  // namespace kestrova
