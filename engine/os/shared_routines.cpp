#include "engine/os/shared_routines.h"

#include <algorithm>
#include <stdexcept>

#include "engine/core/text.h"

namespace kestrova {

namespace {

// Text of string-typed data: up to the first NUL.
std::string StringData(const std::vector<uint8_t>& data) {
  auto end = std::find(data.begin(), data.end(), uint8_t{0});
  return std::string(data.begin(), end);
}

uint32_t Le32(const std::vector<uint8_t>& d) {
  uint32_t v = 0;
  for (size_t i = 0; i < 4 && i < d.size(); ++i) v |= uint32_t{d[i]} << (8 * i);
  return v;
}

const char* const kInternetSettings = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet settings";

}  // namespace

int32_t RegistryValueAsInteger(const RegValue& value) {
  uint32_t v = Le32(value.Data);
  if (value.Type == kRegDwordBigEndian)
    v = (v >> 24) | ((v >> 8) & 0xFF00) | ((v << 8) & 0xFF0000) | (v << 24);
  return static_cast<int32_t>(v);
}

std::string ExpandEnvironmentStrings(const ISystem& system, const std::string& text) {
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    size_t open = text.find('%', i);
    if (open == std::string::npos) break;
    size_t close = text.find('%', open + 1);
    if (close == std::string::npos) break;
    out.append(text, i, open - i);
    std::string name = text.substr(open + 1, close - open - 1);
    auto value = name.empty() ? std::nullopt : system.EnvironmentVariable(name);
    if (value) {
      out += *value;
      i = close + 1;
    } else {
      // Unknown: keep the first '%' and go on from the second one.
      out.append(text, open, close - open);
      i = close;
    }
  }
  out.append(text, std::min(i, text.size()), std::string::npos);
  return out;
}

std::string RegistryValueAsText(const RegValue& value, bool compact, const ISystem* expandWith) {
  switch (value.Type) {
    case kRegSz:
      return StringData(value.Data);
    case kRegExpandSz: {
      std::string s = StringData(value.Data);
      return expandWith ? ExpandEnvironmentStrings(*expandWith, s) : s;
    }
    case kRegDword:
    case kRegDwordBigEndian:
      return Format("%d", RegistryValueAsInteger(value));
    case kRegMultiSz: {
      std::string out;
      size_t i = 0;
      while (i < value.Data.size()) {
        auto begin = value.Data.begin() + static_cast<std::ptrdiff_t>(i);
        auto end = std::find(begin, value.Data.end(), uint8_t{0});
        if (end == begin) break;  // the empty string ends the list
        out.append(begin, end);
        out += "\r\n";
        i = static_cast<size_t>(end - value.Data.begin()) + 1;
      }
      return out;
    }
    default:
      break;
  }
  std::string out;
  if (compact) {
    // Non-zero bytes as two hex digits, a zero byte as a line break; no trailing break.
    for (uint8_t b : value.Data) out += b ? Format("%2.2x", b) : std::string("\r\n");
    while (EndsWith(out, "\r\n")) out.resize(out.size() - 2);
    return out;
  }
  for (uint8_t b : value.Data) out += Format("%2.2x ", b);
  if (!out.empty()) out.pop_back();
  return out;
}

std::string ReadRegistryText(const Platform& p, RootKey root, const std::string& key,
                             const std::string& value, bool compact) {
  auto v = p.Registry->QueryValue(root, key, value);
  return v ? RegistryValueAsText(*v, compact, p.System) : std::string();
}

std::string ReadRegistryString(const Platform& p, RootKey root, const std::string& key,
                               const std::string& value) {
  auto v = p.Registry->QueryValue(root, key, value);
  if (!v || (v->Type != kRegSz && v->Type != kRegExpandSz)) return {};
  return StringData(v->Data);
}

// --- version resources --------------------------------------------------------------------

std::string TranslationKey(uint32_t entry) {
  std::string hex = Format("%08X", entry);
  return hex.substr(4, 4) + hex.substr(0, 4);
}

bool ReadFileVersion(const Platform& p, const std::string& path, TFileVersionRecord& r) {
  r.FileName = path;
  auto res = p.Files->ReadVersionResource(path);
  if (!res) return false;
  if (!res->HasFixedInfo) return true;
  r.Major = res->FileVersionMS >> 16;
  r.Minor = res->FileVersionMS & 0xFFFF;
  r.Release = res->FileVersionLS >> 16;
  r.Build = res->FileVersionLS & 0xFFFF;
  r.ProductMajor = res->ProductVersionMS >> 16;
  r.ProductMinor = res->ProductVersionMS & 0xFFFF;
  r.ProductRelease = res->ProductVersionLS >> 16;
  r.ProductBuild = res->ProductVersionLS & 0xFFFF;
  std::string key = res->Translations.empty() ? std::string() : TranslationKey(res->Translations[0]);
  auto table = res->StringTables.find(key);
  if (table == res->StringTables.end()) return true;
  struct Field { const char* Name; std::string TFileVersionRecord::*Member; };
  const Field fields[] = {
      {"ProductVersion", &TFileVersionRecord::ProductVersion},
      {"FileVersion", &TFileVersionRecord::FileVersion},
      {"FileDescription", &TFileVersionRecord::FileDescription},
      {"LegalCopyright", &TFileVersionRecord::LegalCopyright},
      {"Comments", &TFileVersionRecord::Comments},
      {"SpecialBuild", &TFileVersionRecord::SpecialBuild},
      {"ProductName", &TFileVersionRecord::ProductName},
      {"CompanyName", &TFileVersionRecord::CompanyName},
      {"InternalName", &TFileVersionRecord::InternalName},
  };
  for (const Field& f : fields) {
    auto it = table->second.find(f.Name);
    if (it != table->second.end()) r.*(f.Member) = it->second;
  }
  return true;
}

std::string ExeVersionText(const Platform& p, const std::string& path) {
  auto res = p.Files->ReadVersionResource(path);
  if (!res) return {};
  // The first string table, in translation order, that holds a FileVersion.
  for (uint32_t t : res->Translations) {
    auto table = res->StringTables.find(TranslationKey(t));
    if (table == res->StringTables.end()) continue;
    auto it = table->second.find("FileVersion");
    if (it != table->second.end()) return it->second;
  }
  for (const auto& table : res->StringTables) {
    auto it = table.second.find("FileVersion");
    if (it != table.second.end()) return it->second;
  }
  return {};
}

// --- environment and commands ---------------------------------------------------------------

std::vector<std::string> EnvironmentLinesOf(const std::string& block) {
  std::vector<std::string> lines;
  std::string line;
  size_t count = 0;
  // Walks characters, not bytes: the limit counts what the user sees.
  for (uint32_t cp : DecodeUtf8(block)) {
    if (count++ >= kEnvironmentWalkLimit) break;
    if (cp == 0) {
      if (line.empty()) break;  // the double NUL that ends the block
      lines.push_back(line);
      line.clear();
    } else {
      AppendUtf8(line, cp);
    }
  }
  return lines;
}

std::vector<std::string> ReadEnvironmentList(const Platform& p) {
  return EnvironmentLinesOf(p.System->EnvironmentBlock());
}

std::string ExpandPathVariables(const std::vector<std::string>& environment, const std::string& input) {
  constexpr size_t kTailKept = 1024;
  std::string text = input;
  for (const std::string& line : environment) {
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string name = line.substr(0, eq);
    if (Trim(name).empty()) continue;
    std::string value = line.substr(eq + 1);
    std::string upperName = ToUpperAscii(name);
    std::string upperText = ToUpperAscii(text);
    std::string pattern = "%" + upperName + "%";
    size_t pos = upperText.find(pattern);
    if (pos == std::string::npos) {
      pattern = "\\" + upperName;
      pos = upperText.find(pattern);
    }
    if (pos == std::string::npos) continue;
    std::string tail = text.substr(pos + pattern.size());
    text = text.substr(0, pos) + value + Truncate(tail, kTailKept);
  }
  return text;
}

std::string ExpandPathVariables(const Platform& p, const std::string& text) {
  return ExpandPathVariables(ReadEnvironmentList(p), text);
}

std::string CommandToFileName(const Platform& p, const std::string& command) {
  std::string text = ExpandPathVariables(p, command);
  while (!text.empty() && !IsExistingFile(*p.Files, text)) {
    text.pop_back();
    // Never leave half a UTF-8 sequence behind.
    while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80) text.pop_back();
    if (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0xC0) text.pop_back();
    if (text.size() > 1 && text.front() == '"' && text.back() == '"')
      text = text.substr(1, text.size() - 2);
  }
  return text;
}

static std::string DefaultCommandFile(const Platform& p, const char* key) {
  auto v = p.Registry->QueryValue(RootKey::ClassesRoot, key, "");
  if (!v) return {};
  return CommandToFileName(p, RegistryValueAsText(*v, false, p.System));
}

std::string GetDefaultBrowser(const Platform& p) {
  return DefaultCommandFile(p, "\\htmlfile\\shell\\open\\command");
}

std::string GetDefaultMailClient(const Platform& p) {
  return DefaultCommandFile(p, "\\mailto\\shell\\open\\command");
}

// --- internet -----------------------------------------------------------------------------

std::string GetProxyServerText(const Platform& p) {
  return ReadRegistryString(p, RootKey::CurrentUser, kInternetSettings, "ProxyServer");
}

TConnectionType GetConnectionType(const Platform& p) {
  auto enable = p.Registry->QueryValue(RootKey::CurrentUser, kInternetSettings, "ProxyEnable");
  if (enable) {
    bool on = false;
    if (enable->Type == kRegBinary)
      on = enable->Data.size() >= 4 && Le32(enable->Data) != 0;
    else if (enable->Type == kRegDword || enable->Type == kRegDwordBigEndian)
      on = RegistryValueAsInteger(*enable) != 0;
    // any other type would fail to read as a Boolean: the error is swallowed
    if (on && !GetProxyServerText(p).empty()) return TConnectionType::ctLAN;
  }
  return CountRasConnections(p) > 0 ? TConnectionType::ctDialup : TConnectionType::ctNone;
}

uint32_t CountRasConnections(const Platform& p) {
  constexpr uint32_t kErrorBufferTooSmall = 603;
  RasEnumResult r = p.System->EnumRasConnections();
  if (!r.LibraryPresent || !r.EntryPointPresent) return 0;
  if (r.ReturnCode == 0 || r.ReturnCode == kErrorBufferTooSmall) return r.ConnectionCount;
  return 0;
}

// --- folders -------------------------------------------------------------------------------

std::string GetSpecialFolderPath(const Platform& p, int csidl) {
  return p.Shell->SpecialFolderPath(csidl).value_or("");
}

std::string WinSysDirsPath(const Platform& p) {
  return p.System->WindowsDirectory() + ";" + p.System->SystemDirectory();
}

std::string ParentFolderOf(const std::string& path) {
  size_t slash = path.rfind('\\');
  if (slash == std::string::npos) return path;
  std::string parent = path.substr(0, slash);
  auto cps = DecodeUtf8(parent);
  if (cps.size() <= 255) return parent;
  std::string out;
  for (size_t i = cps.size() - 255; i < cps.size(); ++i) AppendUtf8(out, cps[i]);
  return out;
}

// --- NTDLL -----------------------------------------------------------------------------------

const char* const NtdllBinding::kEntryPoints[16] = {
    "NtQueryInformationToken", "NtOpenProcessToken", "NtOpenSection", "NtClose",
    "NtOpenProcess", "NtQuerySystemInformation", "NtCreateSection", "NtMapViewOfSection",
    "NtUnmapViewOfSection", "NtOpenFile", "NtCreateFile", "NtQueryObject",
    "NtQueryInformationProcess", "NtQueryInformationThread", "NtQueryInformationFile",
    "NtDuplicateObject"};

bool NtdllBinding::Load(uint32_t platformId) {
  if (platformId != 2) return false;
  if (!module_) {
    module_ = libraries_.GetLoadedModule("NTDLL.DLL");
    if (!module_) {
      module_ = libraries_.Load("NTDLL.DLL");
      loadedHere_ = module_ != 0;
    }
  }
  found_.clear();
  if (module_)
    for (const char* name : kEntryPoints)
      if (libraries_.HasEntryPoint(module_, name)) found_.push_back(name);
  return module_ != 0 && Has("NtQueryObject");
}

bool NtdllBinding::Has(const std::string& entryPoint) const {
  return std::find(found_.begin(), found_.end(), entryPoint) != found_.end();
}

void NtdllBinding::Unload() {
  if (!module_) return;
  ModuleHandle m = module_;
  bool mine = loadedHere_;
  module_ = 0;
  loadedHere_ = false;
  found_.clear();
  if (mine && !libraries_.Free(m))
    throw std::runtime_error(Format("Unload Error: %s - 0x%llx", "NTDLL.DLL",
                                    static_cast<unsigned long long>(m)));
}

NtdllBinding::~NtdllBinding() {
  try {
    Unload();
  } catch (...) {
    // a destructor must not throw; Unload() is the call that reports
  }
}

}  // namespace kestrova
