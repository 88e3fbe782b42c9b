#include "engine/core/privacy.h"

#include <algorithm>

#include "engine/core/report_writer.h"
#include "engine/core/system_info.h"
#include "engine/hardware/cpu.h"
#include "engine/hardware/machine.h"
#include "engine/hardware/smbios.h"
#include "engine/inventory/disk.h"
#include "engine/inventory/network.h"
#include "engine/os/monitor.h"
#include "engine/os/operating_system.h"

namespace kestrova {

namespace {

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Folded(const std::string& s) {
  std::string out(s);
  for (char& c : out) c = Fold(c);
  return out;
}

// A character that continues a word: a match must not start or end next to one.
bool WordChar(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
}

// An address continues only with digits and dots: "IP_192.168.1.20" holds one.
bool AddressChar(unsigned char c) { return (c >= '0' && c <= '9') || c == '.'; }

bool TellsNothing(PersonalKind kind, const std::string& value) {
  size_t meaningful = 0;
  for (char c : value) {
    if (c != ' ' && c != '0' && c != '-' && c != ':' && c != '.' && c != '\t') ++meaningful;
  }
  const bool name = kind == PersonalKind::UserName || kind == PersonalKind::ComputerName;
  if (kind == PersonalKind::SerialNumber) {
    // What firmware writes where no serial number was set names no one.
    static const char* const kFillers[] = {"to be filled by o.e.m.", "not specified", "not applicable", "none",
                                           "default string", "system serial number", "chassis serial number",
                                           "base board serial number", "serial number", "unknown", "n/a",
                                           "0123456789", "123456789"};
    const std::string folded = Folded(value);
    for (const char* filler : kFillers)
      if (folded == filler) return true;
  }
  if (meaningful == 0 || value.size() < (name ? 2u : 3u)) return true;
  if (kind == PersonalKind::IPAddress) {
    const std::string v = Folded(value);
    return v.compare(0, 4, "127.") == 0 || v == "255.255.255.255";
  }
  return false;
}

}  // namespace

const char* PersonalKindName(PersonalKind kind) {
  switch (kind) {
    case PersonalKind::SerialNumber: return "numéro de série";
    case PersonalKind::MACAddress: return "adresse MAC";
    case PersonalKind::IPAddress: return "adresse IP";
    case PersonalKind::UserName: return "nom d'utilisateur";
    case PersonalKind::ComputerName: return "nom de l'ordinateur";
    case PersonalKind::Owner: return "propriétaire";
    case PersonalKind::Organisation: return "organisation";
    case PersonalKind::ProductID: return "identifiant de produit";
    case PersonalKind::Count_: break;
  }
  return "";
}

void PrivacyFilter::Add(PersonalKind kind, const std::string& raw) {
  // Surrounding blanks are not part of the value (registry texts often carry them).
  const size_t b = raw.find_first_not_of(" \t");
  if (b == std::string::npos) return;
  const std::string value = raw.substr(b, raw.find_last_not_of(" \t") - b + 1);
  if (kind >= PersonalKind::Count_ || TellsNothing(kind, value)) return;
  const std::string key = Folded(value);
  if (byFolded_.count(key)) return;
  // A placeholder fed back (a report filtered twice) stays as it is.
  if (std::find(placeholders_.begin(), placeholders_.end(), value) != placeholders_.end()) return;
  const unsigned n = ++next_[static_cast<size_t>(kind)];
  Insert(kind, n, value, std::string("<") + PersonalKindName(kind) + " " + std::to_string(n) + ">");
}

void PrivacyFilter::Insert(PersonalKind kind, unsigned number, const std::string& value,
                           const std::string& replacement) {
  if (value.empty()) return;  // an empty value would match everywhere
  const std::string key = Folded(value);
  if (byFolded_.count(key)) return;
  byFolded_[key] = values_.size();
  starts_[static_cast<unsigned char>(key[0])] = true;
  if (key[0] >= 'a' && key[0] <= 'z') starts_[static_cast<unsigned char>(key[0] - 'a' + 'A')] = true;
  if (values_.empty()) {
    // A filter holds a handful of values: room for them at once rather than growing five
    // lists one value at a time.
    values_.reserve(8);
    placeholders_.reserve(8);
    kinds_.reserve(8);
    numbers_.reserve(8);
    order_.reserve(8);
  }
  values_.push_back(value);
  placeholders_.push_back(replacement);
  kinds_.push_back(kind);
  numbers_.push_back(number);
  // Longest first; among values of one length, the one recorded first comes first.
  const size_t index = values_.size() - 1;
  auto at = std::find_if(order_.begin(), order_.end(), [&](size_t i) { return values_[i].size() < value.size(); });
  order_.insert(at, index);
}

std::vector<PrivacyFilter::Entry> PrivacyFilter::Entries() const {
  std::vector<Entry> out;
  out.reserve(values_.size());
  for (size_t i = 0; i < values_.size(); ++i) out.push_back({kinds_[i], numbers_[i], values_[i], placeholders_[i]});
  return out;
}

PrivacyFilter PrivacyFilter::FromEntries(const std::vector<Entry>& entries) {
  PrivacyFilter f;
  for (const Entry& e : entries) {
    f.Insert(e.Kind, e.Number, e.Value, e.Replacement);
    unsigned& next = f.next_[static_cast<size_t>(e.Kind)];
    next = std::max(next, e.Number);
  }
  return f;
}

PrivacyFilter PrivacyFilter::ForReportDocument() const {
  std::vector<Entry> entries = Entries();
  for (Entry& e : entries) {
    e.Value = EscapeValue(e.Value);
    e.Replacement = EscapeValue(e.Replacement);
  }
  return FromEntries(entries);
}

std::string PrivacyFilter::PlaceholderOf(const std::string& value) const {
  auto it = byFolded_.find(Folded(value));
  return it == byFolded_.end() ? std::string() : placeholders_[it->second];
}

std::string PrivacyFilter::Apply(const std::string& text) const {
  if (values_.empty()) return text;
  std::string out;
  out.reserve(text.size());
  AppendApplied(text, out);
  return out;
}

void PrivacyFilter::AppendApplied(std::string_view text, std::string& out) const {
  const size_t n = text.size();
  size_t i = 0, copied = 0;  // text[copied, i) is still to be appended as it stands
  while (i < n) {
    // Only a character that starts some value can start a match: the others are passed
    // over in a tight loop and copied as one run.
    while (i < n && !starts_[static_cast<unsigned char>(text[i])]) ++i;
    if (i == n) break;
    const unsigned char before = i == 0 ? ' ' : static_cast<unsigned char>(text[i - 1]);
    size_t matched = 0;
    if (!WordChar(before) || !AddressChar(before)) {
      for (size_t idx : order_) {
        const bool address = kinds_[idx] == PersonalKind::IPAddress;
        if (address ? AddressChar(before) : WordChar(before)) continue;
        const std::string& v = values_[idx];
        if (v.size() > n - i) continue;
        bool same = true;
        for (size_t k = 0; k < v.size() && same; ++k) same = Fold(text[i + k]) == Fold(v[k]);
        if (!same) continue;
        const size_t end = i + v.size();
        if (end < n && (address ? AddressChar(static_cast<unsigned char>(text[end]))
                                : WordChar(static_cast<unsigned char>(text[end]))))
          continue;
        out.append(text, copied, i - copied);
        out += placeholders_[idx];
        matched = v.size();
        break;
      }
    }
    if (matched) copied = i += matched;
    else ++i;
  }
  out.append(text, copied, n - copied);
}

void PrivacyFilter::ApplyToDocument(std::vector<std::string>& lines) const {
  if (values_.empty()) return;
  const PrivacyFilter escaped = ForReportDocument();
  static const std::string kInteger = "type=\"integer\">";
  for (std::string& line : lines) {
    const size_t type = line.find(kInteger);
    const size_t end = line.rfind("</data>");
    if (line.compare(0, 6, "<data ") == 0 && type != std::string::npos && end != std::string::npos &&
        end >= type + kInteger.size()) {
      const size_t from = type + kInteger.size();
      if (!PlaceholderOf(line.substr(from, end - from)).empty()) line.replace(from, end - from, "0");
      continue;
    }
    line = escaped.Apply(line);
  }
}

// Which values of which classes are personal. Each entry reads one class's values; a slot
// holding another class (tests do that) is skipped.
void CollectPersonalValues(const TSystemInfo& engine, PrivacyFilter& f) {
  using K = PersonalKind;
  using M = TSystemInfo::Member;
  if (auto* m = dynamic_cast<const TMachine*>(engine.Get(M::Machine))) {
    f.Add(K::ComputerName, m->Name());
    f.Add(K::UserName, m->User());
    const TSMBIOS& s = m->SMBIOS();
    f.Add(K::SerialNumber, s.SystemSerial());
    f.Add(K::SerialNumber, s.SystemUUID());
    f.Add(K::SerialNumber, s.MainBoardSerial());
    f.Add(K::SerialNumber, s.ChassisSerial());
    for (size_t i = 0; i < s.ProcessorCount(); ++i) f.Add(K::SerialNumber, s.Processor(i).SerialNumber);
    for (size_t i = 0; i < s.MemoryDeviceCount(); ++i) f.Add(K::SerialNumber, s.MemoryDevice(i).SerialNumber);
  }
  if (auto* os = dynamic_cast<const TOperatingSystem*>(engine.Get(M::OS))) {
    f.Add(K::ProductID, os->ProductID());
    f.Add(K::Owner, os->RegisteredUser());
    f.Add(K::Organisation, os->RegisteredOrg());
  }
  if (auto* cpu = dynamic_cast<const TCPU*>(engine.Get(M::CPU))) f.Add(K::SerialNumber, cpu->SerialNumber());
  if (auto* mon = dynamic_cast<const TMonitor*>(engine.Get(M::Monitor))) {
    for (unsigned i = 0; i < mon->Count(); ++i) {
      const TMonitorRecord r = mon->GetMonitor(i);
      f.Add(K::SerialNumber, r.ProductNumber);
      if (r.SerialNumber != 0) f.Add(K::SerialNumber, std::to_string(r.SerialNumber));
    }
  }
  if (auto* d = dynamic_cast<const TDisk*>(engine.Get(M::Disk))) {
    f.Add(K::SerialNumber, d->SerialNumber());
    for (const std::string& s : d->SerialNumbersRead()) f.Add(K::SerialNumber, s);
  }
  if (auto* net = dynamic_cast<const TNetwork*>(engine.Get(M::Network))) {
    for (const auto& a : net->MACAddresses()) f.Add(K::MACAddress, a);
    for (const auto& a : net->IPAddresses()) f.Add(K::IPAddress, a);
    const TTCPIP& ip = net->TCPIP();
    f.Add(K::ComputerName, ip.HostName());
    for (const auto& a : ip.DNSServers()) f.Add(K::IPAddress, a);
    for (int i = 0; i < static_cast<int>(ip.AdapterCount()); ++i) {
      TAdapter ad;
      ip.GetAdapter(i, ad);
      f.Add(K::MACAddress, ad.Address);
      for (const auto* list : {&ad.IPAddress, &ad.Gateway_IPAddress, &ad.DHCP_IPAddress, &ad.PrimaryWINS_IPAddress,
                               &ad.SecondaryWINS_IPAddress})
        for (const auto& a : *list) f.Add(K::IPAddress, a);
    }
  }
}

void RefreshPersonalMembers(TSystemInfo& engine) {
  using M = TSystemInfo::Member;
  if (auto* m = dynamic_cast<TMachine*>(engine.Get(M::Machine))) m->Refresh(1);
  if (auto* os = dynamic_cast<TOperatingSystem*>(engine.Get(M::OS))) os->Refresh();
}

}  // namespace kestrova
