#include "engine/platform/recorded/machine_data.h"

#include <algorithm>
#include <cstring>
#include <sstream>

#include "engine/core/text.h"
#include "engine/platform/recorded/load_error.h"

namespace kestrova {

void PhysicalMemoryImage::AddRegion(uint64_t base, std::vector<uint8_t> bytes) {
  regions_.push_back({base, std::move(bytes)});
}

std::optional<std::vector<uint8_t>> PhysicalMemoryImage::Read(uint64_t address, size_t length) const {
  std::vector<uint8_t> out(length, 0);
  bool covered = false;
  const uint64_t end = address + length;
  for (const Region& r : regions_) {
    const uint64_t rEnd = r.Base + r.Bytes.size();
    const uint64_t from = std::max(address, r.Base), to = std::min(end, rEnd);
    if (from >= to) continue;
    std::memcpy(out.data() + (from - address), r.Bytes.data() + (from - r.Base), to - from);
    covered = true;
  }
  if (!covered) return std::nullopt;
  return out;
}

static uint32_t Le(const std::vector<uint8_t>& b, size_t at, size_t n) {
  uint32_t v = 0;
  for (size_t i = 0; i < n; ++i) v |= uint32_t{b[at + i]} << (8 * i);
  return v;
}

void AddSmbiosDump(PhysicalMemoryImage& memory, const std::vector<uint8_t>& file, const std::string& fileName) {
  auto starts = [&](const char* anchor) {
    size_t n = std::strlen(anchor);
    return file.size() >= n && std::memcmp(file.data(), anchor, n) == 0;
  };
  size_t epLength, addrAt, lenAt;
  if (starts("_SM_")) {
    if (file.size() < 0x1F) throw LoadError(fileName, 0, "entry point shorter than 31 bytes");
    epLength = std::max<size_t>(file[5], 0x1F);
    addrAt = 0x18;
    lenAt = 0x16;
  } else if (starts("_DMI_")) {
    if (file.size() < 0x0F) throw LoadError(fileName, 0, "legacy entry point shorter than 15 bytes");
    epLength = 0x0F;
    addrAt = 0x08;
    lenAt = 0x06;
  } else {
    throw LoadError(fileName, 0, "no _SM_ or _DMI_ anchor at offset 0");
  }
  epLength = std::min(epLength, file.size());
  const uint32_t tableAddress = Le(file, addrAt, 4);
  const uint32_t tableLength = Le(file, lenAt, 2);
  memory.AddRegion(kSmbiosEntryPointAddress, std::vector<uint8_t>(file.begin(), file.begin() + epLength));
  if (tableAddress < file.size()) {
    size_t n = std::min<size_t>(tableLength, file.size() - tableAddress);
    memory.AddRegion(tableAddress, std::vector<uint8_t>(file.begin() + tableAddress, file.begin() + tableAddress + n));
  }
}

void CpuidTable::Set(unsigned cpu, uint32_t leaf, uint32_t subleaf, CpuidRegisters regs) {
  entries_[{cpu, leaf, subleaf}] = regs;
}

CpuidRegisters CpuidTable::Query(unsigned cpu, uint32_t leaf, uint32_t subleaf) const {
  auto it = entries_.find({cpu, leaf, subleaf});
  return it == entries_.end() ? CpuidRegisters{} : it->second;
}

unsigned CpuidTable::ProcessorCount() const {
  unsigned n = 0;
  for (const auto& e : entries_) n = std::max(n, std::get<0>(e.first) + 1);
  return n;
}

static bool ParseHex32(const std::string& s, uint32_t& out) {
  if (s.empty() || s.size() > 8) return false;
  out = 0;
  for (char c : s) {
    int d = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10
            : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
    if (d < 0) return false;
    out = out * 16 + static_cast<uint32_t>(d);
  }
  return true;
}

CpuidTable ParseCpuidText(const std::string& text, const std::string& fileName) {
  CpuidTable table;
  int lineNo = 0;
  for (std::string line : Split(text, '\n')) {
    ++lineNo;
    size_t hash = line.find('#');
    if (hash != std::string::npos) line.resize(hash);
    line = Trim(line);
    if (line.empty()) continue;
    std::istringstream in(line);
    std::vector<std::string> f;
    for (std::string w; in >> w;) f.push_back(w);
    if (f.size() != 7) throw LoadError(fileName, lineNo, "expected: cpu leaf subleaf eax ebx ecx edx");
    if (f[0].empty() || f[0].size() > 3 || f[0].find_first_not_of("0123456789") != std::string::npos)
      throw LoadError(fileName, lineNo, "processor number must be decimal (0-999)");
    uint32_t v[6];
    for (int i = 0; i < 6; ++i)
      if (!ParseHex32(f[static_cast<size_t>(i) + 1], v[i]))
        throw LoadError(fileName, lineNo, "not a hexadecimal number: " + f[static_cast<size_t>(i) + 1]);
    table.Set(static_cast<unsigned>(std::stoul(f[0])), v[0], v[1], {v[2], v[3], v[4], v[5]});
  }
  return table;
}

}  // namespace kestrova
